// The main window: its start, its layout, and what each control does against the simulated
// logger, while operations run and when the program ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <map>

#include "language/Language.h"
#include "library/Library.h"
#include "support/FakeDialogs.h"
#include "support/SimSession.h"
#include "ui/Centering.h"
#include "ui/Form1.h"
#include "ui/QtDialogs.h"
#include "version/Version.h"
#include "viewer/ChartStack.h"
#include "viewer/ViewerWindow.h"

namespace yb::test {
namespace {

using ybsim::Fault;

TEST(CenteredPlacement, HalfTwipsAreKeptAndLargeWindowsGoNegative) {
    const auto p = CenteredPlacement(15360, 11520, 7601, 6120);
    EXPECT_EQ(std::tuple(p.top, p.left), std::tuple(2700.0f, 3879.5f));
    const auto q = CenteredPlacement(7000, 5000, 8000, 6000);
    EXPECT_EQ(std::tuple(q.top, q.left), std::tuple(-500.0f, -500.0f));
}

// A question carries the caption and no icon; Enter and Esc keep what it would throw away, only
// Yes itself (clicked, or Alt+Y) throws it away.
TEST(QtDialogs, BoxesCarryTheCaptionNoIconAndKeepAsDefault) {
    QWidget window;
    window.setWindowTitle("YB DownLoader v3 / 38.4k baud");
    QtDialogs dialogs(&window);
    for (const auto& [answer, yes] : {std::pair(Qt::Key_Return, false), std::pair(Qt::Key_Enter, false),
                                      std::pair(Qt::Key_Escape, false), std::pair(Qt::Key_Y, true)}) {
        bool seen = false;
        QTimer::singleShot(0, [&, answer = answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowTitle(), window.windowTitle());
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            if (answer == Qt::Key_Y) {
                QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            } else {
                QTest::keyClick(box, answer);
            }
        });
        EXPECT_EQ(dialogs.askYesNo("q"), yes) << answer;
        EXPECT_TRUE(seen);
    }
    EXPECT_EQ(QtDialogs::QtFilter("(CSVファイル) | *.csv"), "(CSVファイル) (*.csv)");
}

class Window : public ::testing::Test {
protected:
    // A logger of 30 main records, 5 temperatures and 3 laps (interval 5 s) on COM1.
    void Start(bool instant = true, const std::vector<Fault>& faults = {}) {
        auto options = Holding(30, 5, 3, instant);
        options.interval = 5;
        sim = std::make_unique<ybsim::LoggerSim>(options);
        sim->start();
        for (const auto& f : faults) sim->addFault(f);
        PointComAt(1, sim->slavePath());
        auto fake = std::make_unique<FakeDialogs>();
        dialogs = fake.get();
        window = std::make_unique<Form1>(nullptr, std::move(fake));
    }
    template <typename T = QWidget>
    T* child(const QString& name) {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    // What a control shows: its text, or its caption.
    QString Shows(const QString& name) {
        QWidget* w = child(name);
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText();
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
        if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
        return {};
    }
    // Clicks a button, or types into a box with "Name=text"; then lets what it started end.
    void Do(const QString& step) {
        if (const auto eq = step.indexOf('='); eq > 0) {
            auto* box = child(step.left(eq));
            if (auto* combo = qobject_cast<QComboBox*>(box))
                combo->setEditText(step.mid(eq + 1));
            else
                qobject_cast<QLineEdit*>(box)->setText(step.mid(eq + 1));
            return;
        }
        child<QPushButton>(step)->click();
        ASSERT_TRUE(RunUntil([&] { return !window->session().busy(); }));
    }
    QAction* item(const QString& name) {
        auto* a = window->findChild<QAction*>(name);
        EXPECT_NE(a, nullptr) << name.toStdString();
        return a;
    }
    // Shown and active, so that its shortcuts work.
    void Activate() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void Open() {
        Do("OpenCommBtn");
        ASSERT_TRUE(RunUntil([&] { return sim->received() == "\r"; }));
        sim->clearReceived();
    }
    std::string Sent() const { return test::Sent(*sim); }

    std::unique_ptr<ybsim::LoggerSim> sim;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<Form1> window;
};

TEST_F(Window, StartsCentredWithItsControlsInPlace) {
    Start();
    EXPECT_EQ(window->windowTitle(), "YB DownLoader v3 / 38.4k baud");
    const std::map<QString, QString> shown{
        {"Status", "Status"}, {"ComStatus", "Com"},     {"Text1", ""},      {"Text2", ""},
        {"Text3", ""},        {"ComboCommPort", "COM1"}, {"OpenCommBtn", "Open COM"},
        {"Text5", "----"},    {"Text6", "--.--"},       {"Text7", "-"},     {"Command7", "書込み"}};
    for (const auto& [name, text] : shown) EXPECT_EQ(Shows(name), text) << name.toStdString();
    EXPECT_TRUE(child<QCheckBox>("Check_CSV")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("Check_Temp")->isEnabled() ||
                 child<QCheckBox>("Check_Temp")->isChecked());
    EXPECT_EQ(child<QComboBox>("ComboCommPort")->count(), 9);
    EXPECT_FALSE(window->session().unsaved());
    EXPECT_EQ(window->session().chosenPort().number, 1);

    // 15 twips to the pixel; controls of a frame are placed in the frame.
    const std::map<QString, QRect> places{{"Status", {32, 32, 437, 18}},
                                          {"QuitB", {384, 316, 81, 29}},
                                          {"Frame3", {24, 288, 313, 57}},
                                          {"Text7", {112, 24, 81, 25}}};
    for (const auto& [name, rect] : places) EXPECT_EQ(child(name)->geometry(), rect);
    EXPECT_EQ(child("Text7")->parentWidget(), child("Frame3"));
    EXPECT_EQ(child("Status")->parentWidget(), window->centralWidget());
    // The whole window, bars included, is centred (placed before it is shown, when its frame is
    // not known yet); the form is the client area, between the menu bar and the status bar.
    const QPoint offCentre =
        window->frameGeometry().center() - window->screen()->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 1);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QRect client = window->centralWidget()->geometry();
    EXPECT_EQ(client, QRect(0, window->menuBar()->geometry().bottom() + 1, 499, 372));
    EXPECT_EQ(window->statusBar()->geometry().top(), client.bottom() + 1);
    EXPECT_EQ(window->height(), window->statusBar()->geometry().bottom() + 1);

    QWidget* w = child("Text1");
    QStringList order;
    for (int i = 0; i < 6; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty()) {
            w = w->nextInFocusChain();
        }
        order << w->objectName();
    }
    EXPECT_EQ(order, QStringList({"Text1", "Status", "QuitB", "ClearB", "TBB", "DownLoadBtn"}));

    auto* box = child<QComboBox>("ComboCommPort");
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(box, &help);
    EXPECT_TRUE(box->toolTip().startsWith("COM1: " + QString::fromStdString(sim->slavePath())));
}

// Each row: a logger fault, the steps (clicks, or Name=text typed), what the controls then show
// and the commands the logger received.
TEST_F(Window, EachControlShowsItsOutcome) {
    struct Row {
        std::vector<Fault> faults;
        QStringList steps;
        std::map<QString, QString> shows;
        std::string sent;
    };
    const QString notOpen = "CommPort Not Open...";
    const std::vector<Row> rows{
        {{}, {"TBB", "Command4", "DownLoadBtn"}, {{"Status", notOpen}, {"Text5", "----"}}, ""},
        {{},
         {"Text7=3", "Command7"},
         {{"Status", "データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください"}},
         ""},
        {{},
         {"Text7=2", "Command7"},
         {{"Status", "データ記録時間間隔の書込みに失敗しました。"}},
         ""},
        {{},
         {"ComboCommPort=com1", "OpenCommBtn"},
         {{"Status", "COM 設定エラー"}, {"ComStatus", "closed..."}, {"OpenCommBtn", "Open COM"}},
         ""},
        {{},
         {"ComboCommPort=COM", "OpenCommBtn"},
         {{"Status", "Setting Error"},
          {"OpenCommBtn", "Open COM"},
          {"MeterLabel", "ポートを開けません: invalid port number 0"}},
         ""},
        {{},
         {"OpenCommBtn"},
         {{"Status", "Status"}, {"ComStatus", "38400,N,8,1"}, {"OpenCommBtn", "Close COM"}},
         ""},
        {{},
         {"OpenCommBtn", "OpenCommBtn"},
         {{"ComStatus", "closed..."}, {"OpenCommBtn", "Open COM"}},
         ""},
        {{}, {"OpenCommBtn", "TBB"}, {{"Status", "YB 接続確認できました"}}, "?"},
        {{Fault::replace("?", "ok\r")},
         {"OpenCommBtn", "TBB"},
         {{"Status", "YB 接続確認できませんでした"}, {"Text1", "ok\r"}},
         "?"},
        {{},
         {"OpenCommBtn", "Command4", "Command5", "Command8"},
         {{"Status", "Message Sent"}, {"Text5", "1800"}, {"Text6", "12.50"}, {"Text7", "5"}},
         "T? BAh? T??"},
        {{Fault::silence("BAh?")},
         {"OpenCommBtn", "Command5"},
         {{"Status", "バッテリ初期値の読出しに失敗しました。"}, {"Text6", "--.--"}},
         "BAh?"},
        {{},
         {"OpenCommBtn", "Text6=20.00", "Command6"},
         {{"Status", "バッテリ初期値の書込みに成功しました。"}, {"Text6", "20.00"}},
         "BAh07D0"},
        {{},
         {"OpenCommBtn", "Text5=1900", "Command3"},
         {{"Status", "タイヤ周長の書込みに成功しました。"}},
         "T076C"},
        {{},
         {"OpenCommBtn", "DownLoadBtn"},
         {{"Status", "データ読出し完了..."},
          {"Text7", "5"},
          {"Text2",
           "0004 : " + QString::fromStdString(ybsim::Logger(Holding(30, 5, 3)).tempRecord(4))},
          {"Text3",
           "03 : " + QString::fromStdString(ybsim::Logger(Holding(30, 5, 3)).lapRecord(3))}},
         ""},
        {{Fault::replace("D1", "1\r").onRecord(7)},
         {"OpenCommBtn", "DownLoadBtn"},
         {{"Status", "'D1+nnnn' コマンドエラー"},
          {"Text1",
           "0006 : " + QString::fromStdString(ybsim::Logger(Holding(30, 5, 3)).mainRecord(6))}},
         "T?? D1? D10000 D10001 D10002 D10003 D10004 D10005 D10006 D10007"},
        {{Fault::silence("T??")},
         {"OpenCommBtn", "DownLoadBtn"},
         {{"Status", "データ読出し完了..."}, {"Text7", "?"}},
         ""},
        {{}, {"OpenCommBtn", "TBB", "ClearB"}, {{"Status", ""}, {"Text1", ""}}, "?"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.steps.join(' ').toStdString());
        Start(true, row.faults);
        for (const QString& step : row.steps) Do(step);
        for (auto [name, text] : row.shows) {
            // A multi-line box shows the logger's line end as a line break.
            if (qobject_cast<QPlainTextEdit*>(child(name))) text.replace('\r', '\n');
            EXPECT_EQ(Shows(name), text) << name.toStdString();
        }
        if (!row.sent.empty() || row.steps.size() == 1 || !row.steps.contains("DownLoadBtn")) {
            EXPECT_EQ(Sent(), row.sent);
        }
        window.reset();
    }
}

// During a download the controls that talk to the logger are off and the window stays live:
// Clear takes effect while a lap answer is still awaited, and the buttons come back at the end.
// The menu items follow their buttons, the client area keeps its size, and the status bar counts
// up to the total of all stages, with the time left as m:ss; a summary stays at the end.
TEST_F(Window, DownloadLeavesTheWindowLiveWithTheLoggerControlsOff) {
    Start(true, {Fault::late("LD02", 300)});
    window->show();
    Open();
    const QStringList loggerControls{"TBB", "DownLoadBtn", "OpenCommBtn", "ComboCommPort",
                                     "Command3", "Command4", "Command5", "Command6",
                                     "Command7", "Command8"};
    const auto itemsOff = [&] {
        QStringList off;
        for (QAction* a : window->findChildren<QAction*>(QRegularExpression("^mnu"))) {
            if (!a->isEnabled()) off << a->objectName();
        }
        off.sort();
        return off;
    };
    auto* bar = child<QProgressBar>("MeterBar");
    auto* label = child<QLabel>("MeterLabel");
    std::vector<std::pair<int, int>> shown;  // value, maximum
    QObject::connect(&window->session(), &Session::downloadProgress, [&] {
        shown.emplace_back(bar->value(), bar->maximum());
        if (label->text().contains("残り")) {
            EXPECT_TRUE(
                QRegularExpression("  残り \\d+:[0-5]\\d$").match(label->text()).hasMatch());
        }
    });
    const QSize clientSize = window->centralWidget()->size();
    child<QPushButton>("DownLoadBtn")->click();
    for (const QString& name : loggerControls) EXPECT_FALSE(child(name)->isEnabled());
    EXPECT_EQ(itemsOff(), QStringList({"mnuCheck", "mnuDownload", "mnuOpenCom", "mnuResume"}));
    EXPECT_TRUE(child("CancelB")->isVisible() && bar->isVisible());
    ASSERT_TRUE(RunUntil([&] { return !sim->commands().empty() && sim->commands().back() == "LD02"; }));
    EXPECT_TRUE(label->text().contains("残り"));
    child<QPushButton>("ClearB")->click();
    EXPECT_EQ(std::tuple(Shows("Status"), Shows("Text1")), std::tuple(QString(), QString()));
    EXPECT_TRUE(window->session().busy());  // the lap answer has not come yet
    EXPECT_TRUE(child("Command1")->isEnabled() && child("QuitB")->isEnabled());
    EXPECT_EQ(window->centralWidget()->size(), clientSize);
    ASSERT_TRUE(RunUntil([&] { return !window->session().busy(); }));
    EXPECT_EQ(Shows("Status"), "データ読出し完了...");
    for (const QString& name : loggerControls) EXPECT_TRUE(child(name)->isEnabled());
    EXPECT_EQ(itemsOff(), QStringList({"mnuCancel", "mnuResume"}));
    for (std::size_t i = 1; i < shown.size(); ++i) {
        EXPECT_TRUE(shown[i - 1].first <= shown[i].first && shown[i - 1].second <= shown[i].second);
    }
    EXPECT_EQ(shown.back(), std::pair(1000, 1000));
    EXPECT_FALSE(child("CancelB")->isVisible() || bar->isVisible());
    EXPECT_TRUE(
        QRegularExpression("^完了  読出し 38 個  \\d+\\.\\d 秒$").match(label->text()).hasMatch());
}

// Each item clicks its button and no other, or runs its own handler, through its shortcut where
// it has one (Esc does nothing while nothing runs): the viewer on a saved file and on the store,
// and バージョン情報 (program, version, Qt's version, licence).
TEST_F(Window, MenuItemsRunWhatTheirButtonsRun) {
    Start();
    Activate();
    QTemporaryDir dir;
    dialogs->chosenFiles = {dir.filePath("run.csv"), dir.filePath("run.csv")};  // save, open
    QStringList clicked;
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        QObject::connect(b, &QPushButton::clicked, [&clicked, b] { clicked << b->objectName(); });
    }
    const std::vector<std::tuple<QString, QString, QString, QString, QStringList>> rows{
        {"通信(&C)", "mnuOpenCom", "Open COM", "", {"OpenCommBtn"}},
        {"通信(&C)", "mnuCheck", "接続確認", "", {"TBB"}},
        {"通信(&C)", "mnuDownload", "データ読出", "F5", {"DownLoadBtn"}},
        {"通信(&C)", "mnuCancel", "中止", "Esc", {}},
        {"ファイル(&F)", "mnuSave", "データ保存", "Ctrl+S", {"Command1"}},
        {"ファイル(&F)", "mnuOpenFile", "データファイルを開く…", "Ctrl+O", {}},
        {"表示(&V)", "mnuGraph", "グラフ…", "Ctrl+G", {}},
        {"ヘルプ(&H)", "mnuAbout", "バージョン情報", "", {}},
        {"ファイル(&F)", "mnuQuit", "終了", "Ctrl+Q", {"QuitB"}},
    };
    for (const auto& [menu, name, text, key, buttons] : rows) {
        SCOPED_TRACE(name.toStdString());
        QAction* a = item(name);
        EXPECT_EQ(qobject_cast<QMenu*>(a->parent())->title(), menu);
        EXPECT_EQ(std::tuple(a->text(), a->shortcut().toString()), std::tuple(text, key));
        clicked.clear();
        if (key.isEmpty())
            a->trigger();
        else
            QTest::keySequence(window.get(), a->shortcut());
        ASSERT_TRUE(RunUntil([&] { return !window->session().busy(); }));
        EXPECT_EQ(clicked, buttons);
    }
    QStringList viewers;  // opened by データファイルを開く… and グラフ… (on the data saved as run.csv)
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->inherits("yb::ViewerWindow")) viewers << w->windowTitle();
    }
    EXPECT_EQ(viewers, QStringList({"run.csv", "run.csv"}));
    EXPECT_EQ(Shows("Status"), "データファイルに保存しました : " + dir.filePath("run.csv"));
    EXPECT_EQ(dialogs->messages,
              std::vector<QString>{QString(kProgramName) + " " + kProgramVersion + "\nQt " +
                                   qVersion() + "\nライセンス: GPL-3.0-or-later"});
}

// Every text the window shows: captions, titles, labels, boxes, tooltips, menus and their items,
// by the object's name (menus by their place in the menu bar).
std::map<QString, QString> WindowTexts(QMainWindow& window) {
    std::map<QString, QString> texts;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
        if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) text = e->toPlainText();
        if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
        if (auto* m = qobject_cast<QMenu*>(w)) text = m->title();
        const QString name = w->objectName().isEmpty()
                                 ? w->metaObject()->className() + QString::number(texts.size())
                                 : w->objectName();
        texts[name] = text + u'\x1f' + w->toolTip();
    }
    for (QAction* a : window.findChildren<QAction*>()) {
        if (!a->objectName().isEmpty()) texts[a->objectName()] = a->text();
    }
    return texts;
}

bool HasJapanese(const QString& text) {
    static const QRegularExpression kJapanese(QStringLiteral(
        "[\\p{Hiragana}\\p{Katakana}\\p{Han}\\x{3000}-\\x{303F}\\x{FF01}-\\x{FF60}]"));
    return text.contains(kJapanese);
}

// In English no control, menu item, status text or message box shows a Japanese character
// (日本語, the language menu's name of Japanese, aside); back in Japanese every text is what it
// was. The window switches through its 表示 → 言語 items.
TEST_F(Window, EnglishShowsNoJapaneseAndJapaneseComesBackAsItWas) {
    Start();
    Activate();
    QTemporaryDir dir;
    const auto before = WindowTexts(*window);
    EXPECT_EQ(before.at("Frame2"), "バッテリ初期値 [Ah]\x1f");
    item("mnuEnglish")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(std::tuple(Shows("TBB"), child<QGroupBox>("Frame1")->title(), CurrentLanguage()),
              std::tuple(QString("Check"), QString("Tyre circumference [mm]"), Language::English));
    EXPECT_EQ(RememberedLanguage(), Language::English);
    // Steps that show texts, messages and questions: (no data to save), the version, a download,
    // a second one asked about, a save that fails, a port that cannot be opened, and quitting.
    dialogs->answerYes = false;
    dialogs->chosenFiles = {dir.filePath("missing/run.csv")};
    for (const char* step : {"Command1", "mnuAbout", "OpenCommBtn", "DownLoadBtn", "DownLoadBtn",
                             "TBB", "Command4", "Text7=3", "Command7", "Command1", "OpenCommBtn",
                             "ComboCommPort=COM", "OpenCommBtn", "QuitB"}) {
        if (QString(step).startsWith("mnu"))
            item(step)->trigger();
        else
            Do(step);
        for (const auto& [name, text] : WindowTexts(*window)) {
            if (name == "mnuJapanese") continue;
            EXPECT_FALSE(HasJapanese(text))
                << step << " " << name.toStdString() << ": " << text.toStdString();
        }
    }
    std::vector<QString> boxes = dialogs->messages;
    boxes.insert(boxes.end(), dialogs->questions.begin(), dialogs->questions.end());
    for (const SaveDialogSetup& setup : dialogs->setups)
        boxes.insert(boxes.end(), {setup.title, setup.filter});
    EXPECT_EQ(boxes.size(), 7u);
    for (const QString& text : boxes) EXPECT_FALSE(HasJapanese(text)) << text.toStdString();

    window.reset();
    Start();
    item("mnuJapanese")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(WindowTexts(*window), before);
}

// The form's captions fit their fixed places in both languages, and while a download runs the
// status bar's line holds the widest meter text of either (a full logger, a slow line, retries).
// ctest runs this again at 125 % (QT_SCALE_FACTOR=1.25).
TEST_F(Window, TextsFitTheirPlacesInBothLanguages) {
    Start(true, {Fault::late("LD02", 300)});
    window->show();
    Open();
    child<QPushButton>("DownLoadBtn")->click();
    ASSERT_TRUE(
        RunUntil([&] { return !sim->commands().empty() && sim->commands().back() == "LD02"; }));
    const auto needs = [](QWidget* w) {
        const QFontMetrics fm = w->fontMetrics();
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            const int margins =
                2 * (w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w) +
                     w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w));
            return fm.horizontalAdvance(QString(b->text()).remove('&')) + margins;
        }
        if (auto* g = qobject_cast<QGroupBox*>(w)) return fm.horizontalAdvance(g->title()) + 16;
        return qobject_cast<QCheckBox*>(w) ? w->sizeHint().width() : 0;
    };
    const MeterReading widest{17650, 17650, 999.9, 999, 5999, 10};
    for (const Language language : {Language::English, Language::Japanese}) {
        UseLanguage(language);
        QCoreApplication::processEvents();
        QList<QWidget*> controls = window->centralWidget()->findChildren<QWidget*>();
        controls.push_back(child("CancelB"));
        for (QWidget* w : controls) {
            EXPECT_LE(needs(w), w->width()) << w->objectName().toStdString();
        }
        auto* line = child<QLabel>("MeterLabel");
        EXPECT_LE(line->fontMetrics().horizontalAdvance(MeterText(widest)),
                  line->contentsRect().width())
            << MeterText(widest).toStdString();
    }
}

// Esc during each stage of a download (while each count request, or a record of each stage, is
// awaited) cancels it: nothing is sent afterwards, the records fetched count as unsaved, and the
// status bar says it was cancelled.
TEST_F(Window, EscapeDuringEachStageCancelsAndNothingIsSentAfterwards) {
    // Esc while the n-th count request waits, or (0) the 3rd record of the stage; its request is
    // the last one sent, its answer held back.
    const std::tuple<int, Stage, std::string> rows[] = {
        {1, Stage::Main, "T??"},  {2, Stage::Main, "D1?"}, {0, Stage::Main, "D10002"},
        {3, Stage::Main, "TMP?"}, {4, Stage::Main, "D2?"}, {0, Stage::Temperature, "D20002"},
        {5, Stage::Main, "L?"},   {0, Stage::Laps, "LD03"}};
    for (const auto& [commandNo, stage, last] : rows) {
        SCOPED_TRACE(last);
        Start(true, {Fault::late(last, 200)});
        Activate();
        Open();
        const auto escape = [this] {
            QTimer::singleShot(0, [this] { QTest::keyClick(window.get(), Qt::Key_Escape); });
        };
        int commands = 0;
        QObject::connect(&window->session(), &Session::commandSent, [&] {
            if (++commands == commandNo) escape();
        });
        QObject::connect(&window->session(), &Session::downloadProgress,
                         [&](const DownloadProgress& p) {
                             if (!commandNo && p.stage == stage && p.done == 2) escape();
                         });
        QTest::keyClick(window.get(), Qt::Key_F5);
        ASSERT_TRUE(RunUntil([&] { return !window->session().busy(); }));
        RunUntil([] { return false; }, 300);  // time for anything sent after the cancel to arrive
        EXPECT_EQ(sim->commands().back(), last);
        EXPECT_EQ(Shows("Status"), "データ読出しを中止しました");
        EXPECT_EQ(window->session().unsaved(), commandNo != 1 && commandNo != 2);
        EXPECT_TRUE(Shows("MeterLabel").startsWith("中止  読出し ")) << Shows("MeterLabel").toStdString();
        EXPECT_FALSE(item("mnuCancel")->isEnabled() || child("CancelB")->isVisible());
        window.reset();
    }
}

TEST_F(Window, DownloadThenSaveAsCsvAndTsv) {
    Start();
    QTemporaryDir dir;
    Open();
    Do("DownLoadBtn");
    ASSERT_EQ(Shows("Status"), "データ読出し完了...");
    EXPECT_TRUE(window->session().unsaved());
    // A new download would start from an empty store: it asks first, and No keeps the data.
    dialogs->answerYes = false;
    sim->clearReceived();
    Do("DownLoadBtn");
    EXPECT_EQ(dialogs->questions, std::vector<QString>{"データを保存していません。このまま読出しますか？"});
    EXPECT_EQ(sim->received(), "");
    EXPECT_EQ(window->session().store().mainCount(), 30);
    dialogs->answerYes = true;
    // A viewer on the data before it is saved, a marker put at its cursor.
    const auto openViewer = [&] {
        Activate();
        QTest::keyClick(window.get(), Qt::Key_G, Qt::ControlModifier);
        ViewerWindow* viewer = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* v = qobject_cast<ViewerWindow*>(w); v && v->isVisible()) viewer = v;
        }
        return viewer;
    };
    ViewerWindow* early = openViewer();
    ASSERT_NE(early, nullptr);
    early->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(early));
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();  // laid out
    QWidget* speed = early->charts()->view(3)->viewport();
    // To the viewer's own window: the main window lies over the same place of the screen.
    QTest::mouseMove(early->windowHandle(),
                     speed->mapTo(early, QPoint(speed->width() / 2, speed->height() / 2)));
    QTest::keyClick(early, Qt::Key_M);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Pit in"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(early->model().markers().size(), 1u);
    EXPECT_EQ(early->model().markers()[0].text, QStringLiteral("Pit in"));

    const QString csvPath = dir.filePath("run.csv"), tsvPath = dir.filePath("run.txt");
    dialogs->chosenFiles = {csvPath};
    Do("Command1");
    EXPECT_EQ(Shows("Status"), "データファイルに保存しました : " + csvPath);
    EXPECT_FALSE(window->session().unsaved());
    // Saved, the viewer is the file's: its title, and its marker in the file's notes.
    EXPECT_EQ(early->windowTitle(), "run.csv");
    EXPECT_EQ(NotesOfFile(csvPath).markers, early->model().markers());
    early->close();
    // The dialog proposes the name a command-line download gets, and the folder saved to last
    // (remembered in the settings, which every press reads).
    const QRegularExpression named(QStringLiteral("^YB_Data_\\d{8}_\\d{6}\\.txt$"));
    child<QCheckBox>("Check_CSV")->setChecked(false);
    dialogs->chosenFiles = {tsvPath};
    Do("Command1");
    EXPECT_TRUE(named.match(dialogs->setups.back().fileName).hasMatch());
    EXPECT_EQ(dialogs->setups.back().initialDir, dir.path());
    // The viewer on the saved data is that file's.
    ViewerWindow* viewer = openViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), "run.txt");
    viewer->close();

    QFile csv(csvPath), tsv(tsvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly) && tsv.open(QIODevice::ReadOnly));
    const QList<QByteArray> csvLines = csv.readAll().split('\n');
    const QList<QByteArray> tsvLines = tsv.readAll().split('\n');
    ASSERT_EQ(csvLines.size(), tsvLines.size());
    // 6 header lines and 30 rows, 4 lines and 5 temperatures, 3 lines and 3 laps, and the empty
    // piece after the last line end.
    EXPECT_EQ(csvLines.size(), 36 + 9 + 6 + 1);
    EXPECT_EQ(csvLines[3], "\x83\x66\x81\x5B\x83\x5E\x8B\x4C\x98\x5E=,5\x95\x62\x8A\xD4\x8A\x75\r");
    for (qsizetype i = 3; i < csvLines.size(); ++i) {
        EXPECT_EQ(QByteArray(csvLines[i]).replace(',', '\t'), tsvLines[i]) << "line " << i + 1;
    }
}

// Quit and the close box ask while downloaded data is unsaved; ending during a download stops it
// at once: no request after the quit, the port closed.
TEST_F(Window, EndingAsksForUnsavedDataAndStopsWhatRuns) {
    Start(/*instant=*/false);
    QSignalSpy ended(window.get(), &Form1::programEnded);
    window->show();
    Do("QuitB");  // nothing to lose: no question
    EXPECT_TRUE(dialogs->questions.empty());
    EXPECT_EQ(ended.count(), 1);

    Start(/*instant=*/false);
    QSignalSpy endedAgain(window.get(), &Form1::programEnded);
    window->show();
    Open();
    child<QPushButton>("DownLoadBtn")->click();
    ASSERT_TRUE(RunUntil([&] { return window->session().unsaved(); }));
    dialogs->answerYes = false;
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs->questions, std::vector<QString>{"データを保存していません。このまま終了しますか？"});
    EXPECT_TRUE(window->session().busy());  // No keeps everything, the download included
    dialogs->answerYes = true;
    child<QPushButton>("QuitB")->click();
    const auto sentAtQuit = sim->commands().size();
    EXPECT_EQ(endedAgain.count(), 1);
    EXPECT_FALSE(window->session().busy());
    EXPECT_FALSE(window->session().port().portOpen());
    EXPECT_EQ(Shows("Status"), "データ読出しを中止しました");
    // The request on its way at the quit may still reach the logger; nothing after it.
    Idle(100);
    EXPECT_LE(sim->commands().size(), sentAtQuit + 1);
    EXPECT_GT(window->session().store().mainCount(), 0);
}

// A download that failed goes on from the menu (Shift+F5) with only what is missing; retries are
// off until the user turns them on, and the choice is remembered.
TEST_F(Window, ResumeAfterAFailureAndRetriesRemembered) {
    Start(true, {Fault::silence("D1").onRecord(5)});
    Activate();
    Open();
    EXPECT_FALSE(item("mnuRetries")->isChecked());
    EXPECT_EQ(window->session().retries(), 0);
    QTest::keyClick(window.get(), Qt::Key_F5);
    ASSERT_TRUE(RunUntil([&] { return Shows("Status") == "'D1+nnnn' コマンドエラー"; }));
    ASSERT_TRUE(RunUntil([&] { return !window->session().busy(); }));
    EXPECT_TRUE(item("mnuResume")->isEnabled());
    // The status bar names the request and says what helps.
    EXPECT_TRUE(Shows("MeterLabel").contains("D1 記録 6 / 30: 応答なし")) << Shows("MeterLabel").toStdString();
    EXPECT_TRUE(Shows("MeterLabel").contains("続きから読出 で続けられます"));
    sim->clearReceived();
    QTest::keyClick(window.get(), Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(RunUntil([&] { return !window->session().busy() && !sim->commands().empty(); }));
    EXPECT_EQ(Shows("Status"), "データ読出し完了...");
    // The check: the five records stored asked for again; then the first one missing.
    EXPECT_EQ(sim->commands().at(2), "D10000");
    EXPECT_EQ(sim->commands().at(6), "D10004");
    EXPECT_EQ(sim->commands().at(7), "D10005");
    EXPECT_EQ(window->session().store().stored(Stage::Main), 30);
    EXPECT_FALSE(item("mnuResume")->isEnabled());

    item("mnuRetries")->trigger();
    EXPECT_EQ(window->session().retries(), 3);
    window.reset();
    Start();
    EXPECT_TRUE(item("mnuRetries")->isChecked());
    EXPECT_EQ(window->session().retries(), 3);
    item("mnuRetries")->trigger();
}

// Asked to end from outside, the window ends at once: no question about the unsaved data, the
// download stopped, the port closed.
TEST_F(Window, TerminateEndsWithoutAsking) {
    Start(/*instant=*/false);
    QSignalSpy ended(window.get(), &Form1::programEnded);
    window->show();
    Open();
    child<QPushButton>("DownLoadBtn")->click();
    ASSERT_TRUE(RunUntil([&] { return window->session().unsaved(); }));
    window->Terminate();
    EXPECT_TRUE(dialogs->questions.empty());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(window->session().busy() || window->session().port().portOpen());
}

// The download's failure text stays in Status; the status bar names the loss and the port's
// reason beside how the download ended.
TEST_F(Window, LostLineDuringADownloadShowsClosedAndKeepsWhatCame) {
    Start(/*instant=*/false, {Fault::hangUp("D1").onRecord(20)});
    Open();
    Do("DownLoadBtn");
    EXPECT_EQ(Shows("Status"), "'D1+nnnn' コマンドエラー");
    const QString bar = Shows("MeterLabel");
    EXPECT_TRUE(bar.startsWith("'D1+nnnn' コマンドエラー  読出し 20 個  ")) << bar.toStdString();
    EXPECT_TRUE(bar.contains("シリアルポートが使用できなくなりました: " +
                             QString::fromStdString(sim->slavePath()) + ": "))
        << bar.toStdString();
    EXPECT_EQ(std::tuple(Shows("ComStatus"), Shows("OpenCommBtn")),
              std::tuple(QString("closed..."), QString("Open COM")));
    EXPECT_TRUE(Shows("Text1").startsWith("0013 : "));
    EXPECT_TRUE(child("DownLoadBtn")->isEnabled());
    window->MSComm1_OnComm(1004);
    EXPECT_EQ(Shows("ComStatus"), "comEventFrameError");
}

// The close box, sent the moment the logger has sent the download's last answer, asks about the
// unsaved data; Esc keeps the window, a second close and Yes end the program.
TEST_F(Window, CloseBoxAnswersRightAfterTheLastAnswer) {
    Start(/*instant=*/false);
    window = std::make_unique<Form1>();  // the program's own questions
    QSignalSpy ended(window.get(), &Form1::programEnded);
    Activate();
    Open();
    QTest::mouseClick(child("DownLoadBtn"), Qt::LeftButton);
    ASSERT_TRUE(RunUntil([&] { return sim->commands().size() == 5 + 30 + 5 + 3; }, 20000));
    // The answer, given once the question shows.
    QStringList asked;
    const auto answer = [&](Qt::Key key) {
        QTimer::singleShot(0, [&, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            asked << box->text();
            if (key == Qt::Key_Y) {
                QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            } else {
                QTest::keyClick(box, key);
            }
        });
    };
    answer(Qt::Key_Escape);
    EXPECT_FALSE(window->windowHandle()->close());
    EXPECT_EQ(asked, QStringList{"データを保存していません。このまま終了しますか？"});
    EXPECT_TRUE(window->isVisible());
    answer(Qt::Key_Y);
    EXPECT_TRUE(window->windowHandle()->close());
    EXPECT_EQ(ended.count(), 1);
}

}  // namespace
}  // namespace yb::test
