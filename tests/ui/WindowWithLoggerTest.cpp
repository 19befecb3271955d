// The whole window against the simulated logger: guards, download and save, quit and close.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "support/FakeDialogs.h"
#include "support/SimFixture.h"
#include "ui/Form1.h"

using namespace yb;
using namespace yb::test;
using ybsim::Fault;

namespace {

ybsim::Options SmallLogger(bool instant) {
    ybsim::Options o;
    o.instant = instant;
    o.mainCount = 30;
    o.tempCount = 5;
    o.lapCount = 3;
    o.interval = 5;
    return o;
}

class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(bool instant = true) : sim(SmallLogger(instant)) {}

    void SetUp() override {
        sim.start();
        PointComAt(1, sim.slavePath());
        auto fake = std::make_unique<FakeDialogs>();
        dialogs = fake.get();
        window = std::make_unique<Form1>(nullptr, std::move(fake));
    }
    void TearDown() override {
        window.reset();
        UnsetCom(1);
    }

    template <typename T>
    T* child(const char* name) {
        return window->findChild<T*>(QLatin1String(name));
    }
    void Click(const char* button) { child<QPushButton>(button)->click(); }
    QString Status() { return window->text(Field::Status); }

    void Open() {
        Click("OpenCommBtn");
        ASSERT_TRUE(window->state().fCommOpen) << Status().toStdString();
        ASSERT_EQ(WaitForReceived(sim, 1), "\r");
        sim.clearReceived();
    }
    // Runs `action` once the current exchange has started waiting.
    void DuringTheWait(std::function<void()> action) {
        QTimer::singleShot(30, window.get(), std::move(action));
    }

    ybsim::LoggerSim sim;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<Form1> window;
};

TEST_F(WindowTest, CommandsDuringAnExchangesWaitAreIgnored) {
    Open();
    DuringTheWait([this] {
        Click("TBB");
        Click("Command4");
        Click("Command7");
        Click("DownLoadBtn");
        Click("OpenCommBtn");  // neither closes nor switches the port
        child<QComboBox>("ComboCommPort")->setCurrentIndex(2);
        emit child<QComboBox>("ComboCommPort")->activated(2);
    });
    Click("Command8");  // interval read: "T??"

    EXPECT_EQ(sim.commands(), std::vector<std::string>{"T??"});
    EXPECT_EQ(window->text(Field::Text7), "5");
    EXPECT_EQ(window->data().LogInterval, 5);
    EXPECT_TRUE(window->state().fCommOpen);
    EXPECT_TRUE(window->port().portOpen());
    EXPECT_EQ(window->port().commPort(), 1);
    EXPECT_EQ(child<QComboBox>("ComboCommPort")->currentIndex(), 0);
    EXPECT_EQ(window->text(Field::OpenCommBtn), "Close COM");

    Click("TBB");  // and afterwards everything works again
    EXPECT_EQ(Status(), "YB 接続確認できました");
}

TEST_F(WindowTest, PortBoxTooltipSaysWhatEachEntryMeans) {
    auto* box = child<QComboBox>("ComboCommPort");
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(box, &help);
    EXPECT_TRUE(box->toolTip().startsWith("COM1: " + QString::fromStdString(sim.slavePath())));
}

TEST_F(WindowTest, SerialEventsShowInTheWindow) {
    Open();
    window->MSComm1_OnComm(1004);
    EXPECT_EQ(window->text(Field::ComStatus), "comEventFrameError");
    window->MSComm1_OnComm(1002);
    EXPECT_EQ(window->text(Field::ComStatus), "comEventFrameError");
    Click("OpenCommBtn");
    EXPECT_EQ(window->text(Field::ComStatus), "closed...");
    Click("OpenCommBtn");
    EXPECT_EQ(window->text(Field::ComStatus), "38400,N,8,1");
}

TEST_F(WindowTest, DownloadThenSaveAsCsvAndTsv) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Open();
    Click("DownLoadBtn");
    ASSERT_EQ(Status(), "データ読出し完了...");
    EXPECT_EQ(window->data().DataCount1, 30);
    EXPECT_FALSE(window->data().fData_Saved);

    const QString csvPath = dir.filePath("run.csv");
    const QString tsvPath = dir.filePath("run.txt");
    dialogs->chosenFiles = {csvPath};
    Click("Command1");
    EXPECT_EQ(Status(), "データファイルに保存しました : " + csvPath);
    EXPECT_TRUE(window->data().fData_Saved);
    EXPECT_EQ(dialogs->setups.back().fileName, "YB_Data.csv");

    child<QCheckBox>("Check_CSV")->setChecked(false);
    dialogs->chosenFiles = {tsvPath};
    Click("Command1");
    EXPECT_EQ(dialogs->setups.back().fileName, "YB_Data.txt");

    QFile csv(csvPath), tsv(tsvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    ASSERT_TRUE(tsv.open(QIODevice::ReadOnly));
    const QList<QByteArray> csvLines = csv.readAll().split('\n');
    const QList<QByteArray> tsvLines = tsv.readAll().split('\n');
    ASSERT_EQ(csvLines.size(), tsvLines.size());
    EXPECT_GT(csvLines.size(), 30 + 6 + 5 + 3);
    EXPECT_EQ(csvLines[3], "\x83\x66\x81\x5B\x83\x5E\x8B\x4C\x98\x5E=,5\x95\x62\x8A\xD4\x8A\x75\r");
    for (qsizetype i = 0; i < csvLines.size(); ++i) {
        if (i == 1 || i == 2) continue;  // date and path
        QByteArray tabbed = csvLines[i];
        tabbed.replace(',', '\t');
        EXPECT_EQ(tabbed, tsvLines[i]) << "line " << i + 1;
    }

    // Saving the same name again meets the question; No leaves the file as it was.
    const QByteArray before = [&] {
        QFile f(csvPath);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    child<QCheckBox>("Check_CSV")->setChecked(true);
    dialogs->chosenFiles = {csvPath};
    dialogs->answerYes = false;
    Click("Command1");
    EXPECT_EQ(dialogs->questions.back(), csvPath + " に上書きしますか？");
    QFile again(csvPath);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), before);
}

TEST_F(WindowTest, QuitAsksOnlyWhileDataIsUnsaved) {
    QSignalSpy ended(window.get(), &Form1::programEnded);
    Open();
    Click("DownLoadBtn");
    ASSERT_FALSE(window->data().fData_Saved);

    dialogs->answerYes = false;
    Click("QuitB");
    ASSERT_EQ(dialogs->questions.size(), 1u);
    EXPECT_EQ(dialogs->questions[0], "データを保存していません。このまま終了しますか？");
    EXPECT_EQ(ended.count(), 0);
    EXPECT_TRUE(window->state().fCommOpen);
    EXPECT_EQ(window->data().DataCount1, 30);

    QTemporaryDir dir;
    dialogs->chosenFiles = {dir.filePath("a.csv")};
    Click("Command1");
    ASSERT_TRUE(window->data().fData_Saved);
    Click("QuitB");
    EXPECT_EQ(dialogs->questions.size(), 1u);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(window->port().portOpen());
    EXPECT_FALSE(window->state().fCommOpen);
}

TEST_F(WindowTest, CloseBoxAsksTooAndNoKeepsEverything) {
    QSignalSpy ended(window.get(), &Form1::programEnded);
    window->show();
    Open();
    Click("DownLoadBtn");

    dialogs->answerYes = false;
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs->questions.size(), 1u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->port().portOpen());
    EXPECT_EQ(ended.count(), 0);

    dialogs->answerYes = true;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(dialogs->questions.size(), 2u);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->port().portOpen());
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(WindowTest, QuitRightAfterStartAsksNothing) {
    QSignalSpy ended(window.get(), &Form1::programEnded);
    Click("QuitB");
    EXPECT_TRUE(dialogs->questions.empty());
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(WindowTest, QuitDuringAnExchangesWaitEndsCleanly) {
    QSignalSpy ended(window.get(), &Form1::programEnded);
    Open();
    sim.addFault(Fault::silence("?"));
    DuringTheWait([this] { Click("QuitB"); });
    QElapsedTimer t;
    t.start();
    Click("TBB");
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(window->port().portOpen());
    EXPECT_LT(t.elapsed(), 100);  // the wait ended with the program
}

class PacedWindowTest : public WindowTest {
protected:
    PacedWindowTest() : WindowTest(false) {}
};

TEST_F(PacedWindowTest, QuitInTheMiddleOfTheMainRecordsAsksAndEndsCleanly) {
    QSignalSpy ended(window.get(), &Form1::programEnded);
    Open();
    dialogs->answerYes = true;
    bool quitDone = false;
    // Pressed while the download lets window events run between main records, once the first
    // record is stored.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (quitDone || window->data().fData_Saved) return;
        quitDone = true;
        Click("QuitB");
    });
    poll.start(2);
    Click("DownLoadBtn");
    EXPECT_TRUE(quitDone);
    EXPECT_EQ(dialogs->questions.size(), 1u);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(window->port().portOpen());
    EXPECT_GT(window->data().DataCount1, 0);
}

TEST_F(PacedWindowTest, HangUpDuringTheDownloadKeepsWhatCameAndCanBeSaved) {
    Open();
    sim.addFault(Fault::hangUp("D1").onRecord(20));
    Click("DownLoadBtn");
    EXPECT_EQ(Status(), "'D1+nnnn' コマンドエラー");
    EXPECT_FALSE(window->state().fCommOpen);
    EXPECT_EQ(window->text(Field::ComStatus), "closed...");
    EXPECT_EQ(window->text(Field::OpenCommBtn), "Open COM");
    EXPECT_EQ(window->data().DataCount1, 30);
    EXPECT_NE(window->data().Data1MainVolt.at(19), LoggedData::kMainEmpty);
    EXPECT_EQ(window->data().Data1MainVolt.at(20), LoggedData::kMainEmpty);
    EXPECT_TRUE(window->text(Field::Text1).startsWith("0013 : "));

    QTemporaryDir dir;
    dialogs->chosenFiles = {dir.filePath("partial.csv")};
    Click("Command1");
    EXPECT_TRUE(window->data().fData_Saved);
    EXPECT_TRUE(QFile::exists(dir.filePath("partial.csv")));
}

}  // namespace
