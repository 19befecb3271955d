#include "ui/Form1.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

#include <qcoro/qcorotask.h>

#include "datafile/SaveCommand.h"
#include "language/Language.h"
#include "library/Library.h"
#include "serial/CommEvents.h"
#include "serial/PortNames.h"
#include "ui/Centering.h"
#include "ui/QtDialogs.h"
#include "version/Version.h"
#include "viewer/LibraryWindow.h"
#include "viewer/RunCapacity.h"
#include "viewer/Viewer.h"

namespace yb {

namespace {

constexpr double kTwipsPerPixel = 15.0;  // at 96 dots per inch

int Px(int twips) {
    return qRound(twips / kTwipsPerPixel);
}

// Japanese-capable fonts at 12 points: the Windows names first, then what Linux distributions
// ship (IPA, Noto CJK).
QFont JapaneseFont(bool fixedPitch) {
    QFont font;
    if (fixedPitch) {
        font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                          QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
        font.setStyleHint(QFont::TypeWriter);
    } else {
        font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                          QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
        font.setStyleHint(QFont::SansSerif);
    }
    font.setFixedPitch(fixedPitch);
    font.setPointSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

// The client area: as large as the form, whatever the bars around it take.
class ClientArea : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override {
        return {Px(Form1::kClientWidthTwips), Px(Form1::kClientHeightTwips)};
    }
};

// The progress bar's steps: tenths of a percent.
constexpr int kMeterSteps = 1000;

const QString kOpenCaption = QStringLiteral("Open COM");
const QString kCloseCaption = QStringLiteral("Close COM");
const QString kClosedText = QStringLiteral("closed...");
// The retries the menu's 再試行 gives a download, and where the choice is remembered.
constexpr int kRetries = 3;
const QString kRetriesKey = QStringLiteral("download/retries");
const QString kSaveFolderKey = QStringLiteral("save/folder");

}  // namespace

// A line of the status bar that never widens the window: a text wider than its room is cut with
// an ellipsis, all of it in the tooltip.
class StatusLine : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    void showText(const QString& text) {
        setText(text);
        setToolTip(text);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect room = contentsRect();
        painter.drawText(room, int(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

Form1::Form1(QWidget* parent, std::unique_ptr<Dialogs> dialogs)
    : QMainWindow(parent), session_(new Session(this)), dialogs_(std::move(dialogs)) {
    if (!dialogs_) dialogs_ = std::make_unique<QtDialogs>(this);
    setObjectName(QStringLiteral("Form1"));
    // The same in every language.
    setWindowTitle(QStringLiteral("YB DownLoader v3 / 38.4k baud"));

    auto* client = new ClientArea(this);
    client->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(client);
    BuildControls(client);
    BuildStatusBar();
    BuildMenus();
    Retranslate();
    // The form's size, grown by the menu bar above it and the status bar below it.
    resize(sizeHint());
    WireHandlers();
    Form_Load();
    SyncMenus();
}

Form1::~Form1() {
    // What still runs ends here, while every control it reports to still exists.
    session_->shutdown();
}

namespace {

// A control's place in twips, from the top-left corner of the client area or of its frame.
struct Place {
    int left, top, width, height;
};

// A control of kind T named `name` in `in`, at its place, showing `text` (a frame's title).
template <typename T>
T* Add(QWidget* in, const char* name, Place place, const QString& text = {}) {
    auto* control = new T(in);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(Px(place.left), Px(place.top), Px(place.width), Px(place.height));
    if constexpr (std::is_same_v<T, QGroupBox>) {
        control->setTitle(text);
    } else if constexpr (std::is_same_v<T, QPlainTextEdit>) {
        control->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        control->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    } else if constexpr (!std::is_same_v<T, QComboBox>) {
        control->setText(text);
    }
    return control;
}

}  // namespace

void Form1::BuildControls(QWidget* client) {
    Status = Add<QLineEdit>(client, "Status", {480, 480, 6555, 264}, QStringLiteral("Status"));
    ComStatus = Add<QLabel>(client, "ComStatus", {720, 120, 1332, 252}, QStringLiteral("Com"));
    ComStatus->setAutoFillBackground(true);
    QPalette grey = ComStatus->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    ComStatus->setPalette(grey);

    Text1 = Add<QPlainTextEdit>(client, "Text1", {480, 900, 4755, 345});
    Text2 = Add<QLineEdit>(client, "Text2", {480, 1320, 4755, 345});
    Text3 = Add<QPlainTextEdit>(client, "Text3", {480, 1740, 4755, 345});
    const QFont recordFont = JapaneseFont(true);
    for (QWidget* w : std::initializer_list<QWidget*>{Text1, Text2, Text3}) w->setFont(recordFont);

    ClearB = Add<QPushButton>(client, "ClearB", {5820, 840, 975, 375}, QStringLiteral("Clear"));
    ComboCommPort = Add<QComboBox>(client, "ComboCommPort", {5760, 1380, 1095, 300});
    ComboCommPort->setEditable(true);
    ComboCommPort->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= 9; ++n) ComboCommPort->addItem(QStringLiteral("COM%1").arg(n));
    ComboCommPort->installEventFilter(this);
    ComboCommPort->lineEdit()->installEventFilter(this);

    OpenCommBtn = Add<QPushButton>(client, "OpenCommBtn", {5760, 1740, 1215, 435});
    // The captions in the interface's language come from Retranslate.
    TBB = Add<QPushButton>(client, "TBB", {5760, 2220, 1215, 435});
    DownLoadBtn = Add<QPushButton>(client, "DownLoadBtn", {5760, 2700, 1215, 435});
    Command1 = Add<QPushButton>(client, "Command1", {5760, 3180, 1215, 435});
    Check_CSV = Add<QCheckBox>(client, "Check_CSV", {5580, 3780, 1695, 315});
    Check_Temp = Add<QCheckBox>(client, "Check_Temp", {5580, 4200, 1575, 315});
    QuitB = Add<QPushButton>(client, "QuitB", {5760, 4740, 1215, 435});

    BuildSettingFrames(client);

    // Keyboard focus order; frames and the label take no focus themselves.
    QWidget* const tabOrder[] = {
        Text1,    Status,   QuitB,    ClearB,   TBB,      DownLoadBtn, ComboCommPort, OpenCommBtn,
        Command1, Text2,    Text3,    Command3, Text5,    Command4,    Check_Temp,    Command5,
        Text6,    Command6, Command8, Text7,    Command7, Check_CSV};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

// The three settings frames: a read button, the value's box and a write button each, at the same
// places within their frame.
void Form1::BuildSettingFrames(QWidget* client) {
    struct SettingFrame {
        QGroupBox* Form1::*frame;
        QPushButton* Form1::*read;
        QLineEdit* Form1::*box;
        QPushButton* Form1::*write;
        const char* names[4];  // frame, read, box, write
        const char* placeholder;
        int top;
    };
    // clang-format off
    static const SettingFrame kFrames[] = {
        {&Form1::Frame1, &Form1::Command4, &Form1::Text5, &Form1::Command3,
         {"Frame1", "Command4", "Text5", "Command3"}, "----", 2400},
        {&Form1::Frame2, &Form1::Command5, &Form1::Text6, &Form1::Command6,
         {"Frame2", "Command5", "Text6", "Command6"}, "--.--", 3360},
        {&Form1::Frame3, &Form1::Command8, &Form1::Text7, &Form1::Command7,
         {"Frame3", "Command8", "Text7", "Command7"}, "-", 4320},
    };
    // clang-format on
    const QFont settingFont = JapaneseFont(false);
    for (const SettingFrame& f : kFrames) {
        QGroupBox* frame = this->*f.frame =
                               Add<QGroupBox>(client, f.names[0], {360, f.top, 4695, 855});
        this->*f.read = Add<QPushButton>(frame, f.names[1], {360, 360, 1155, 375});
        this->*f.box = Add<QLineEdit>(frame, f.names[2], {1680, 360, 1215, 375},
                                      QString::fromUtf8(f.placeholder));
        (this->*f.box)->setFont(settingFont);
        this->*f.write = Add<QPushButton>(frame, f.names[3], {3120, 360, 1155, 375});
    }
}

void Form1::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    // The window keeps the form's size: the status bar fits in it.
    bar->setSizeGripEnabled(false);
    MeterLabel = new StatusLine(bar);
    MeterLabel->setObjectName(QStringLiteral("MeterLabel"));
    MeterBar = new QProgressBar(bar);
    MeterBar->setObjectName(QStringLiteral("MeterBar"));
    MeterBar->setFixedWidth(Px(1200));
    MeterBar->setRange(0, kMeterSteps);
    CancelB = new QPushButton(bar);
    CancelB->setObjectName(QStringLiteral("CancelB"));
    CancelB->setToolTip(QStringLiteral("Esc"));
    bar->addWidget(MeterLabel, 1);
    bar->addPermanentWidget(MeterBar);
    bar->addPermanentWidget(CancelB);
    // The button, the tallest, keeps its room while hidden: the status bar, and so the client
    // area, keep their height when a download starts and ends. The bar's room goes to the text
    // once the download has ended.
    QSizePolicy policy = CancelB->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    CancelB->setSizePolicy(policy);
    MeterBar->hide();
    CancelB->hide();
    CancelB->setEnabled(false);
}

void Form1::AddItem(QMenu* menu, const char* name, const QKeySequence& key,
                    QAbstractButton* button) {
    QAction* item = menu->addAction(button->text());
    item->setObjectName(QLatin1String(name));
    item->setShortcut(key);
    // A disabled button ignores the click, as it ignores the mouse.
    connect(item, &QAction::triggered, button, [button] { button->click(); });
    buttonItems_.emplace_back(item, button);
}

QAction* Form1::AddHandlerItem(QMenu* menu, const char* name, const QKeySequence& key,
                               void (Form1::*handler)()) {
    QAction* item = menu->addAction(QString());
    item->setObjectName(QLatin1String(name));
    item->setShortcut(key);
    connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return item;
}

void Form1::BuildMenus() {
    QMenu* file = mnuFile = menuBar()->addMenu(QString());
    mnuOpenFile = AddHandlerItem(file, "mnuOpenFile", QKeySequence(Qt::CTRL | Qt::Key_O),
                                 &Form1::mnuOpenFile_Click);
    AddItem(file, "mnuSave", QKeySequence(Qt::CTRL | Qt::Key_S), Command1);
    file->addSeparator();
    mnuLibrary = AddHandlerItem(file, "mnuLibrary", QKeySequence(Qt::CTRL | Qt::Key_L),
                                &Form1::mnuLibrary_Click);
    mnuImport = AddHandlerItem(file, "mnuImport", {}, &Form1::mnuImport_Click);
    mnuLibraryAdd = file->addAction(QString());
    mnuLibraryAdd->setObjectName(QStringLiteral("mnuLibraryAdd"));
    mnuLibraryAdd->setCheckable(true);
    mnuLibraryAdd->setChecked(AddingToLibrary());
    connect(mnuLibraryAdd, &QAction::toggled, this, [](bool on) { SetAddingToLibrary(on); });
    file->addSeparator();
    AddItem(file, "mnuQuit", QKeySequence(Qt::CTRL | Qt::Key_Q), QuitB);

    QMenu* comm = mnuComm = menuBar()->addMenu(QString());
    AddItem(comm, "mnuOpenCom", {}, OpenCommBtn);
    AddItem(comm, "mnuCheck", {}, TBB);
    AddItem(comm, "mnuDownload", QKeySequence(Qt::Key_F5), DownLoadBtn);
    mnuResume = AddHandlerItem(comm, "mnuResume", QKeySequence(Qt::SHIFT | Qt::Key_F5),
                               &Form1::mnuResume_Click);
    // Off unless the user turned it on: a download stops at its first refused answer.
    mnuRetries = comm->addAction(QString());
    mnuRetries->setObjectName(QStringLiteral("mnuRetries"));
    mnuRetries->setCheckable(true);
    mnuRetries->setChecked(QSettings().value(kRetriesKey, false).toBool());
    session_->setRetries(mnuRetries->isChecked() ? kRetries : 0);
    connect(mnuRetries, &QAction::toggled, this, [this](bool on) {
        session_->setRetries(on ? kRetries : 0);
        QSettings().setValue(kRetriesKey, on);
    });
    comm->addSeparator();
    AddItem(comm, "mnuCancel", QKeySequence(Qt::Key_Escape), CancelB);

    QMenu* view = mnuView = menuBar()->addMenu(QString());
    mnuGraph = AddHandlerItem(view, "mnuGraph", QKeySequence(Qt::CTRL | Qt::Key_G),
                              &Form1::mnuGraph_Click);
    // Each language under its own name, so that it is found whatever the window shows now.
    mnuLanguage = view->addMenu(QString());
    auto* languages = new QActionGroup(this);
    for (const auto& [name, language, text] :
         {std::tuple("mnuJapanese", Language::Japanese, QStringLiteral("日本語")),
          std::tuple("mnuEnglish", Language::English, QStringLiteral("English"))}) {
        QAction* item = mnuLanguage->addAction(text);
        item->setObjectName(QLatin1String(name));
        item->setCheckable(true);
        item->setChecked(CurrentLanguage() == language);
        languages->addAction(item);
        connect(item, &QAction::triggered, this, [language] {
            if (language == CurrentLanguage()) return;
            UseLanguage(language);
            RememberLanguage(language);
        });
    }

    QMenu* help = mnuHelp = menuBar()->addMenu(QString());
    mnuAbout = AddHandlerItem(help, "mnuAbout", {}, &Form1::mnuAbout_Click);

    for (QMenu* menu : {file, comm, view, help}) {
        connect(menu, &QMenu::aboutToShow, this, &Form1::SyncMenus);
    }
}

void Form1::Retranslate() {
    // "Clear", "Open COM" and "Close COM" are the same in every language.
    TBB->setText(tr("接続確認"));
    DownLoadBtn->setText(tr("データ読出"));
    Command1->setText(tr("データ保存"));
    Check_CSV->setText(tr("CSV形式で保存"));
    Check_Temp->setText(tr("温度センサ"));
    QuitB->setText(tr("終了"));
    Frame1->setTitle(tr("タイヤ周長 [mm]"));
    Frame2->setTitle(tr("バッテリ初期値 [Ah]"));
    Frame3->setTitle(tr("データ記録時間間隔 [秒]"));
    for (QPushButton* read : {Command4, Command5, Command8}) read->setText(tr("読出し"));
    for (QPushButton* write : {Command3, Command6, Command7}) write->setText(tr("書込み"));
    CancelB->setText(tr("中止"));

    mnuFile->setTitle(tr("ファイル(&F)"));
    mnuOpenFile->setText(tr("データファイルを開く…"));
    mnuLibrary->setText(tr("ライブラリ…"));
    mnuImport->setText(tr("ライブラリに取り込む…"));
    mnuLibraryAdd->setText(tr("保存したファイルをライブラリに追加"));
    mnuComm->setTitle(tr("通信(&C)"));
    mnuResume->setText(tr("続きから読出"));
    mnuRetries->setText(tr("失敗した要求を再試行 (%1回)").arg(kRetries));
    mnuView->setTitle(tr("表示(&V)"));
    mnuGraph->setText(tr("グラフ…"));
    mnuLanguage->setTitle(tr("言語"));
    mnuHelp->setTitle(tr("ヘルプ(&H)"));
    mnuAbout->setText(tr("バージョン情報"));
    for (const auto& [item, button] : buttonItems_) item->setText(button->text());
    for (QAction* item : mnuLanguage->actions()) {
        item->setChecked(item->objectName() == (CurrentLanguage() == Language::English
                                                    ? QLatin1String("mnuEnglish")
                                                    : QLatin1String("mnuJapanese")));
    }
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) Retranslate();
    QMainWindow::changeEvent(event);
}

void Form1::SyncMenus() {
    const auto logger = LoggerControls();
    for (const auto& [item, button] : buttonItems_) {
        // The handlers of the buttons that talk to the logger ignore clicks while an operation
        // runs, even where the button is on.
        const bool ignored =
            session_->busy() && std::find(logger.begin(), logger.end(), button) != logger.end();
        item->setEnabled(button->isEnabled() && !ignored);
        if (button == OpenCommBtn) item->setText(button->text());
    }
    mnuResume->setEnabled(session_->canResume() && session_->portOpen() && !session_->busy());
}

void Form1::WireHandlers() {
    connect(ComboCommPort, &QComboBox::activated, this, [this] { ComboCommPort_Click(); });
    connect(OpenCommBtn, &QPushButton::clicked, this, [this] { OpenCommBtn_Click(); });
    connect(TBB, &QPushButton::clicked, this, [this] { TBB_Click(); });
    connect(DownLoadBtn, &QPushButton::clicked, this, [this] { DownLoadBtn_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(ClearB, &QPushButton::clicked, this, [this] { ClearB_Click(); });
    connect(QuitB, &QPushButton::clicked, this, [this] { QuitB_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(CancelB, &QPushButton::clicked, this, [this] { CancelB_Click(); });

    connect(session_, &Session::commEvent, this, [this](int code) { MSComm1_OnComm(code); });
    connect(session_, &Session::commandSent, this, [this] { Status->setText(kMessageSentText); });
    connect(session_, &Session::downloadProgress, this, &Form1::ShowProgress);
    // The operation that was waiting ends with its own failure text in Status; the status bar
    // says why, and keeps saying it once a download has ended.
    connect(session_, &Session::portLost, this, [this](const QString& text) {
        ShowPortClosed();
        portLoss_ = text;
        MeterLabel->showText(text);
        Status->setToolTip(text);  // the whole reason, however narrow the box
        if (!session_->busy()) Status->setText(text);
    });
    connect(session_, &Session::operationChanged, this, [this](Operation running) {
        if (running == Operation::Download) {
            EnableLoggerControls(false);
            StartMeter();
        }
        if (running == Operation::None) EnableLoggerControls(true);
        SyncMenus();
    });
}

void Form1::Form_Load() {
    // The session's store starts empty, with nothing waiting to be saved.
    Check_CSV->setEnabled(true);
    Check_CSV->setChecked(true);
    Check_Temp->setEnabled(false);
    Check_Temp->setChecked(false);
    ComboCommPort->setCurrentIndex(0);
    ComboCommPort_Click();
    OpenCommBtn->setText(kOpenCaption);
    FormToCenter();
}

void Form1::FormToCenter() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const double twipsPerPixel = 1440.0 / screen->logicalDotsPerInch();
    const QRect available = screen->geometry();
    const QRect outer = frameGeometry();
    const WindowPlacement p =
        CenteredPlacement(static_cast<float>(available.width() * twipsPerPixel),
                          static_cast<float>(available.height() * twipsPerPixel),
                          static_cast<float>(outer.width() * twipsPerPixel),
                          static_cast<float>(outer.height() * twipsPerPixel));
    move(qRound(p.left / twipsPerPixel) + available.left(),
         qRound(p.top / twipsPerPixel) + available.top());
}

std::vector<QWidget*> Form1::LoggerControls() const {
    return {TBB,      DownLoadBtn, OpenCommBtn, ComboCommPort, Command3,
            Command4, Command5,    Command6,    Command7,      Command8};
}

void Form1::EnableLoggerControls(bool enabled) {
    for (QWidget* w : LoggerControls()) w->setEnabled(enabled);
    CancelB->setEnabled(!enabled);
}

void Form1::StartMeter() {
    meter_ = DownloadMeter();
    savedAs_.clear();
    unsavedViewers_.clear();  // they show the data before this download
    unshownRecord_.reset();
    // The record lines show this download's records only.
    Text1->clear();
    Text2->clear();
    Text3->clear();
    portReasonShown_ = false;
    portLoss_.clear();
    downloadStarted_ = std::chrono::steady_clock::now();
    metering_ = true;
    MeterBar->setValue(0);
    MeterBar->show();
    CancelB->show();
    ShowMeter();
}

void Form1::ShowMeter() {
    const MeterReading reading = meter_.reading();
    // A progress bar paints itself at once when its value changes, between an answer and the
    // next request; with the rest of the window, it is painted while the line carries the answer.
    MeterBar->setUpdatesEnabled(false);
    MeterBar->setValue(static_cast<int>(std::lround(reading.fraction * kMeterSteps)));
    MeterBar->setUpdatesEnabled(true);
    MeterLabel->showText(MeterText(reading));
}

void Form1::EndMeter(const DownloadOutcome& outcome) {
    metering_ = false;
    meter_.finish(std::chrono::steady_clock::now() - downloadStarted_);
    MeterBar->hide();
    CancelB->hide();
    QString summary = MeterSummary(outcome, meter_.reading());
    if (!portLoss_.isEmpty()) summary += QStringLiteral("  ") + portLoss_;
    // What helps after a failure on the line: the items that send a request again and go on.
    if (outcome.ending == Ending::Failed && !outcome.loggerChanged && session_->canResume()) {
        summary +=
            QStringLiteral("  ") + tr("通信 → 失敗した要求を再試行 / 続きから読出 で続けられます");
    }
    MeterLabel->showText(summary);
}

int Form1::ComboListIndex() const {
    const int index = ComboCommPort->currentIndex();
    if (index < 0 || ComboCommPort->itemText(index) != ComboCommPort->currentText()) return -1;
    return index;
}

void Form1::ShowPortClosed() {
    ComStatus->setText(kClosedText);
    OpenCommBtn->setText(kOpenCaption);
}

void Form1::ShowOutcome(const Outcome& outcome) {
    if (!outcome.text.isEmpty()) Status->setText(outcome.text);
}

bool Form1::Busy(const Outcome& outcome) {
    return outcome.ending == Ending::Busy;
}

template <typename Result, typename Show>
void Form1::Start(QCoro::Task<Result>&& operation, Show show) {
    // Another operation talks to the logger: the click is ignored.
    QCoro::connect(std::move(operation), this, [show](const Result& outcome) {
        if (!Busy(outcome)) show(outcome);
    });
}

void Form1::ComboCommPort_Click() {
    const PortOutcome outcome = session_->choosePort(ComboCommPort->currentIndex() + 1);
    if (Busy(outcome)) {
        // The port is not switched while an operation talks to the logger: the choice is undone.
        const QSignalBlocker block(ComboCommPort);
        ComboCommPort->setCurrentIndex(lastComboIndex_);
        return;
    }
    lastComboIndex_ = ComboCommPort->currentIndex();
    if (outcome.ending == Ending::Failed) {
        ShowPortClosed();
        Status->setText(outcome.text);
    }
    ShowPortReason(outcome);
}

void Form1::ShowPortReason(const PortOutcome& outcome) {
    Status->setToolTip(outcome.reason);
    if (!outcome.reason.isEmpty()) {
        MeterLabel->showText(tr("ポートを開けません: %1").arg(outcome.reason));
        portReasonShown_ = true;
    } else if (portReasonShown_) {
        // An open that worked: the reason of an earlier failure no longer holds.
        MeterLabel->showText(QString());
        portReasonShown_ = false;
    }
}

void Form1::OpenCommBtn_Click() {
    if (OpenCommBtn->text() == kOpenCaption) {
        if (!session_->portOpen()) {
            const int index = ComboListIndex();
            const QString name =
                index < 0 ? ComboCommPort->currentText() : QStringLiteral("COM%1").arg(index + 1);
            const PortOutcome outcome = session_->openNamed(name);
            if (Busy(outcome)) return;
            ShowOutcome(outcome);
            ShowPortReason(outcome);
        }
        if (session_->portOpen()) {
            ComStatus->setText(session_->lineSettings());
            OpenCommBtn->setText(kCloseCaption);
            return;
        }
    }
    if (Busy(session_->closePort())) return;
    ShowPortClosed();
}

void Form1::MSComm1_OnComm(int commEvent) {
    const auto shown = CommEventText(commEvent);
    if (!shown) return;
    if (shown->where == CommEventPlace::Status)
        Status->setText(shown->text);
    else
        ComStatus->setText(shown->text);
}

void Form1::TBB_Click() {
    Start(session_->checkConnection(), [this](const CheckOutcome& outcome) {
        ShowOutcome(outcome);
        // A failed check shows what came back, whatever it is.
        if (outcome.ending == Ending::Failed) {
            Text1->setPlainText(QString::fromLatin1(outcome.answer));
        }
    });
}

void Form1::DownLoadBtn_Click() {
    // No question while the click would be ignored anyway.
    // A download starts from an empty store: data not yet saved would be gone.
    if (!session_->busy() && session_->portOpen() && session_->unsaved() &&
        !dialogs_->askYesNo(tr("データを保存していません。このまま読出しますか？"))) {
        return;
    }
    Start(session_->download(),
          [this](const DownloadOutcome& outcome) { ShowDownloadEnd(outcome); });
}

void Form1::mnuResume_Click() {
    if (!session_->canResume() || !session_->portOpen()) return;
    Start(session_->resume(), [this](const DownloadOutcome& outcome) { ShowDownloadEnd(outcome); });
}

void Form1::ShowDownloadEnd(const DownloadOutcome& outcome) {
    if (unshownRecord_) ShowRecordLine(*std::exchange(unshownRecord_, std::nullopt));
    if (!Busy(outcome) && outcome.ending != Ending::Refused) lastDownload_ = EndOf(outcome);
    ShowOutcome(outcome);
    if (metering_) EndMeter(outcome);
    SyncMenus();
}

void Form1::ShowProgress(const DownloadProgress& progress) {
    // A record line redrawn for every record would cost the line time between an answer and the
    // next request; it is shown as often as the meter, and its last record at the end.
    const bool due = !metering_ || meter_.take(progress);
    if (metering_ && due) ShowMeter();
    switch (progress.event) {
        case DownloadProgress::Event::IntervalRead:
            ShowSettingRead(Setting::RecordingInterval, progress.interval);
            break;
        case DownloadProgress::Event::CountKnown:
            Status->setText(StageCountText(progress.stage, progress.count));
            break;
        case DownloadProgress::Event::RecordStored:
            if (due) {
                unshownRecord_.reset();
                ShowRecordLine(progress);
            } else {
                unshownRecord_ = progress;
            }
            break;
    }
}

void Form1::ShowRecordLine(const DownloadProgress& progress) {
    switch (progress.stage) {
        case Stage::Main:
            Text1->setPlainText(RecordLine(progress));
            break;
        case Stage::Temperature:
            Text2->setText(RecordLine(progress));
            break;
        case Stage::Laps:
            Text3->setPlainText(RecordLine(progress));
            break;
    }
}

void Form1::CancelB_Click() {
    if (session_->running() == Operation::Download) session_->cancel();
}

void Form1::mnuOpenFile_Click() {
    const auto path = dialogs_->askOpenFileName(
        tr("データファイルを開く"), tr("データファイル (*.csv *.txt *.tsv);;すべてのファイル (*)"));
    if (!path) return;
    QString error;
    if (!OpenViewerOnFile(*path, this, &error)) dialogs_->message(error);
}

void Form1::mnuLibrary_Click() {
    QString error;
    if (!OpenLibraryWindow(this, {}, &error)) dialogs_->message(error);
}

void Form1::mnuImport_Click() {
    QString error;
    if (LibraryWindow* library = OpenLibraryWindow(this, {}, &error)) {
        library->importFolder();
    } else {
        dialogs_->message(error);
    }
}

void Form1::mnuGraph_Click() {
    // Saved, the data is that file's: the viewer's title, its report's name and its notes say so,
    // and it has the capacity kept for that file when the logger's is not known. Not saved yet,
    // it becomes the file's when it is saved.
    const bool saved = !session_->unsaved() && !savedAs_.isEmpty();
    QWidget* viewer = OpenViewerOnStore(
        session_->store(), this, batteryAh_ || !saved ? batteryAh_ : RememberedCapacity(savedAs_));
    if (saved) {
        StoreViewerSaved(viewer, savedAs_);
    } else {
        unsavedViewers_.emplace_back(viewer);
    }
}

void Form1::mnuAbout_Click() {
    dialogs_->message(tr("%1 %2\nQt %3\nライセンス: GPL-3.0-or-later")
                          .arg(QString::fromLatin1(kProgramName),
                               QString::fromLatin1(kProgramVersion),
                               QString::fromLatin1(qVersion())));
}

void Form1::Command1_Click() {
    const auto saved =
        SaveDataWithDialog(session_->store(), Check_CSV->isChecked(), *dialogs_,
                           SaveDialogFolder(QSettings().value(kSaveFolderKey).toString()));
    if (!saved) return;
    session_->markSaved();
    QSettings().setValue(kSaveFolderKey, QFileInfo(saved->path).absolutePath());
    savedAs_ = saved->path;
    Status->setText(saved->message);
    // The file is saved whatever becomes of its notes and the library. Its run is the logger's:
    // shown later, it has the logger's capacity.
    QStringList problems;
    if (batteryAh_) {
        if (const FileResult kept = RememberCapacity(savedAs_, batteryAh_); !kept.ok)
            problems << kept.reason;
    }
    problems << FileInLibrary(saved->path, {batteryAh_, lastDownload_, true});
    problems.removeAll(QString());
    for (const QPointer<QWidget>& viewer : std::exchange(unsavedViewers_, {})) {
        StoreViewerSaved(viewer, savedAs_);
    }
    if (!problems.isEmpty()) dialogs_->message(problems.join(u'\n'));
}

void Form1::ClearB_Click() {
    Status->setText(QString());
    Text1->setPlainText(QString());
}

bool Form1::ConfirmEnd() {
    return !session_->unsaved() ||
           dialogs_->askYesNo(tr("データを保存していません。このまま終了しますか？"));
}

void Form1::EndProgram() {
    ending_ = true;
    session_->shutdown();
    close();
    emit programEnded();
}

void Form1::Terminate() {
    if (!ending_) EndProgram();
}

void Form1::QuitB_Click() {
    if (ConfirmEnd()) EndProgram();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip &&
        (watched == ComboCommPort || watched == ComboCommPort->lineEdit())) {
        ComboCommPort->setToolTip(DescribeComPorts(ComboCommPort->count()));
        ComboCommPort->lineEdit()->setToolTip(ComboCommPort->toolTip());
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (ending_) {
        event->accept();
        return;
    }
    if (!ConfirmEnd()) {
        event->ignore();
        return;
    }
    EndProgram();
    event->accept();
}

QLineEdit* Form1::SettingBox(Setting setting) const {
    switch (setting) {
        case Setting::TyreCircumference:
            return Text5;
        case Setting::BatteryCapacity:
            return Text6;
        case Setting::RecordingInterval:
            break;
    }
    return Text7;
}

void Form1::ShowSettingRead(Setting setting, const SettingRead& read) {
    if (read.box) SettingBox(setting)->setText(*read.box);
    // The capacity the logger holds starts the viewer's remaining-charge line.
    if (setting == Setting::BatteryCapacity && read.done() && read.value) {
        batteryAh_ = *read.value / 100.0;
    }
    ShowOutcome(read);
}

void Form1::ReadSetting(Setting setting) {
    Start(session_->readSetting(setting),
          [this, setting](const SettingRead& read) { ShowSettingRead(setting, read); });
}

void Form1::WriteSetting(Setting setting) {
    Start(session_->writeSetting(setting, SettingBox(setting)->text()),
          [this](const Outcome& outcome) { ShowOutcome(outcome); });
}

void Form1::Command4_Click() {
    ReadSetting(Setting::TyreCircumference);
}
void Form1::Command3_Click() {
    WriteSetting(Setting::TyreCircumference);
}
void Form1::Command5_Click() {
    ReadSetting(Setting::BatteryCapacity);
}
void Form1::Command6_Click() {
    WriteSetting(Setting::BatteryCapacity);
}
void Form1::Command8_Click() {
    ReadSetting(Setting::RecordingInterval);
}
void Form1::Command7_Click() {
    WriteSetting(Setting::RecordingInterval);
}

}  // namespace yb
