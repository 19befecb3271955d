#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/Centering.h"
#include "ui/Form1.h"
#include "ui/QtDialogs.h"

using namespace yb;

TEST(CenteredPlacement, HalfTwipsAreKept) {
    const auto p = CenteredPlacement(15360, 11520, 7600, 6120);
    EXPECT_EQ(p.top, 2700.0f);
    EXPECT_EQ(p.left, 3880.0f);
    EXPECT_EQ(CenteredPlacement(15360, 11520, 7601, 6120).left, 3879.5f);
}

TEST(CenteredPlacement, LargerThanTheScreenGoesNegative) {
    const auto p = CenteredPlacement(7000, 5000, 8000, 6000);
    EXPECT_EQ(p.top, -500.0f);
    EXPECT_EQ(p.left, -500.0f);
}

class StartedWindow : public ::testing::Test {
protected:
    template <typename T>
    T* child(const char* name) {
        T* w = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    Form1 window;
};

TEST_F(StartedWindow, ShowsItsInitialState) {
    EXPECT_EQ(window.windowTitle(), "YB DownLoader v3 / 38.4k baud");
    EXPECT_TRUE(child<QCheckBox>("Check_CSV")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("Check_CSV")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("Check_Temp")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("Check_Temp")->isEnabled());
    EXPECT_EQ(child<QComboBox>("ComboCommPort")->currentText(), "COM1");
    EXPECT_EQ(child<QComboBox>("ComboCommPort")->count(), 9);
    EXPECT_EQ(child<QComboBox>("ComboCommPort")->itemText(8), "COM9");
    EXPECT_EQ(child<QPushButton>("OpenCommBtn")->text(), "Open COM");
    EXPECT_EQ(child<QLineEdit>("Text5")->text(), "----");
    EXPECT_EQ(child<QLineEdit>("Text6")->text(), "--.--");
    EXPECT_EQ(child<QLineEdit>("Text7")->text(), "-");
    EXPECT_EQ(child<QLineEdit>("Status")->text(), "Status");
    EXPECT_EQ(child<QLabel>("ComStatus")->text(), "Com");
    EXPECT_TRUE(child<QPlainTextEdit>("Text1")->toPlainText().isEmpty());
    EXPECT_TRUE(child<QLineEdit>("Text2")->text().isEmpty());
    EXPECT_TRUE(child<QPlainTextEdit>("Text3")->toPlainText().isEmpty());
    EXPECT_FALSE(window.exchange().Timer1.isActive());
    EXPECT_FALSE(window.state().fCommOpen);
    EXPECT_EQ(window.state().CmdTerminator, "\r");
    EXPECT_EQ(window.port().commPort(), 1);  // the selection of COM1 at load
}

TEST_F(StartedWindow, HoldsAnEmptyStore) {
    const LoggedData& d = window.data();
    EXPECT_TRUE(d.fData_Saved);
    EXPECT_EQ(d.LogInterval, 0);
    EXPECT_EQ(d.DataCount1, 0);
    EXPECT_EQ(d.Data1MainVolt.at(0), 99999.0f);
    EXPECT_EQ(d.Data2Temp.at(1350), 9999);
    EXPECT_EQ(d.LapTime.at(0), -1);
}

TEST_F(StartedWindow, ControlsSitWhereTheLayoutPutsThem) {
    // 15 twips to the pixel.
    EXPECT_EQ(window.size(), QSize(499, 372));
    EXPECT_EQ(child<QLineEdit>("Status")->geometry(), QRect(32, 32, 437, 18));
    EXPECT_EQ(child<QPushButton>("QuitB")->geometry(), QRect(384, 316, 81, 29));
    auto* frame3 = child<QGroupBox>("Frame3");
    EXPECT_EQ(frame3->geometry(), QRect(24, 288, 313, 57));
    EXPECT_EQ(child<QLineEdit>("Text7")->parentWidget(), frame3);
    EXPECT_EQ(child<QLineEdit>("Text7")->geometry(), QRect(112, 24, 81, 25));
    EXPECT_EQ(child<QPushButton>("Command7")->text(), "書込み");
}

TEST_F(StartedWindow, TabOrderFollowsTheLayout) {
    QWidget* w = child<QPlainTextEdit>("Text1");
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order << w->objectName();
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty()) {
            w = w->nextInFocusChain();
        }
    }
    EXPECT_EQ(order, QStringList({"Text1", "Status", "QuitB", "ClearB", "TBB", "DownLoadBtn"}));
}

TEST_F(StartedWindow, ClearEmptiesOnlyTheMessageLineAndTheMainRecordLine) {
    window.setText(Field::Status, "x");
    window.setText(Field::Text1, "a");
    window.setText(Field::Text2, "b");
    window.setText(Field::Text3, "c");
    window.ClearB_Click();
    EXPECT_EQ(window.text(Field::Status), "");
    EXPECT_EQ(window.text(Field::Text1), "");
    EXPECT_EQ(window.text(Field::Text2), "b");
    EXPECT_EQ(window.text(Field::Text3), "c");
}

TEST(QtDialogs, BoxesCarryTheCaptionNoIconAndYesAsDefault) {
    QWidget window;
    window.setWindowTitle("YB DownLoader v3 / 38.4k baud");
    QtDialogs dialogs(&window);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->windowTitle(), window.windowTitle());
        EXPECT_EQ(box->text(), "q");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(dialogs.askYesNo("q"));
    EXPECT_TRUE(seen);
    EXPECT_EQ(QtDialogs::QtFilter("(CSVファイル) | *.csv"), "(CSVファイル) (*.csv)");
}
