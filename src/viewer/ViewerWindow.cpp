#include "viewer/ViewerWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "datafile/DataFileReader.h"
#include "datafile/Printable.h"
#include "export/Exports.h"
#include "library/Library.h"
#include "viewer/ChartStack.h"
#include "viewer/LapOverlay.h"
#include "viewer/Palette.h"
#include "viewer/Report.h"
#include "viewer/RunCapacity.h"
#include "viewer/StrategyPanel.h"
#include "viewer/Viewer.h"

namespace yb {

namespace {

using namespace palette;

constexpr int kRecentFiles = 8;

// The size a viewer first asks for; less when the screen's free area is smaller.
constexpr QSize kFirstSize(1280, 820);
// The side panel's least width, when its figures need no more.
constexpr int kSidePanelWidth = 400;

// What every viewer window remembers: its size and splitters, the channels hidden and the recent
// files (in ~/.config/yb-downloader/viewer.conf, on Windows the registry); the battery's capacity
// per file (viewer/RunCapacity.h).
std::unique_ptr<QSettings> Remembered() {
    return std::make_unique<QSettings>(QStringLiteral("yb-downloader"), QStringLiteral("viewer"));
}

QLabel* Label(const QString& text, int pointSize, bool bold, const QColor& color = {}) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    if (color.isValid()) label->setStyleSheet(QStringLiteral("color: %1").arg(color.name()));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QTableWidgetItem* Cell(const QString& text, bool best) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (best) {
        item->setBackground(kBestLap);
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
        item->setToolTip(QCoreApplication::translate("yb::ViewerWindow", "ベストラップ"));
    }
    return item;
}

QDoubleSpinBox* SpinBox(double max, const QString& suffix) {
    auto* box = new QDoubleSpinBox;
    box->setRange(0.0, max);
    box->setDecimals(2);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    return box;
}

// The model's run as an export writes it: the range shown or all of it, the channels shown.
RunTables TablesOf(const RunModel& model, bool range) {
    const RunData& run = model.run();
    const auto [min, max] = model.range();
    return MakeRunTables(
        {run, range ? model.rangeSummary() : model.summary(), model.laps(), model.energy(),
         range ? RowsShown(run, min, max) : AllRows(run), model.lapStartS(), model.batteryAh(),
         std::nullopt, range ? RangeText(model.timeline(), min, max) : QString(), model.hidden()});
}

}  // namespace

QString DataFileFilter() {
    return QCoreApplication::translate("yb::ViewerWindow",
                                       "データファイル (*.csv *.txt *.tsv);;すべてのファイル (*)");
}

QSize FirstViewerSize(const QSize& freeArea) {
    return kFirstSize.boundedTo(freeArea - QSize(16, 40));  // room for the frame and its title
}

ViewerWindow::ViewerWindow(QWidget* parent) : QMainWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    setWindowTitle(tr("グラフ"));
    const auto remembered = Remembered();
    if (!restoreGeometry(remembered->value(QStringLiteral("geometry")).toByteArray())) {
        // The first size fits the screen's free area (a 1366 x 768 laptop shows all of it).
        const QRect free =
            (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
        const QSize size = FirstViewerSize(free.size());
        resize(size);
        move(free.center() - QPoint(size.width() / 2, size.height() / 2 + 10));
    }

    buildMenus();
    hint_ = new QLabel;
    hint_->setStyleSheet(QStringLiteral("color: #6b7280"));
    cursorLabel_ = new QLabel;
    cursorLabel_->setMinimumWidth(140);
    statusBar()->addWidget(cursorLabel_);
    statusBar()->addPermanentWidget(hint_);

    empty_ = Label(QString(), 11, false, kMuted);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setWordWrap(true);
    setCentralWidget(empty_);
    retranslateFrame();

    connect(&model_, &RunModel::rangeChanged, this, &ViewerWindow::showRangeFigures);
    connect(&model_, &RunModel::titleChanged, this, &ViewerWindow::showTitle);
    connect(&model_, &RunModel::lapStartChanged, this, [this] {
        fillLapTable();
        showSettings();
    });
    connect(&model_, &RunModel::batteryChanged, this, [this] {
        showSettings();
        if (!runPath_.isEmpty()) keepCapacity();
    });
    connect(&model_, &RunModel::hiddenChanged, this,
            [this] { Remembered()->setValue(QStringLiteral("hidden"), model_.hidden()); });
    connect(&model_, &RunModel::overlaysChanged, this, &ViewerWindow::showOverlays);
    connect(&model_, &RunModel::markersChanged, this, [this] {
        fillMarkers();
        if (!loadingNotes_) saveMarkers();
    });
}

// The run's widgets go while the model they show is still there.
ViewerWindow::~ViewerWindow() {
    delete takeCentralWidget();
}

void ViewerWindow::buildMenus() {
    runActions_.clear();
    QMenu* file = menuBar()->addMenu(tr("ファイル(&F)"));
    QAction* open = file->addAction(tr("データファイルを開く(&O)…"), this, &ViewerWindow::openFile);
    open->setShortcut(QKeySequence::Open);
    recent_ = file->addMenu(tr("最近使ったファイル(&R)"));
    connect(recent_, &QMenu::aboutToShow, this, &ViewerWindow::fillRecentMenu);
    runActions_ << file->addAction(tr("比較するファイルを重ねる(&M)…"), this,
                                   [this] { addComparison(); });
    dropComparison_ =
        file->addAction(tr("比較をやめる(&S)"), this, [this] { model_.setOverlays({}); });
    dropComparison_->setEnabled(model_.hasRun() && !model_.overlays().empty());
    file->addSeparator();
    runActions_ << file->addAction(tr("レポートを書き出す (PDF)(&P)…"), this,
                                   [this] { exportRun(QStringLiteral("pdf")); });
    runActions_.back()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    runActions_ << file->addAction(tr("グラフを画像で書き出す (PNG)(&I)…"), this,
                                   [this] { exportRun(QStringLiteral("png")); });
    runActions_ << file->addAction(tr("エクスポート(&E)…"), this, &ViewerWindow::exportData);
    runActions_.back()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    file->addSeparator();
    QAction* close = file->addAction(tr("閉じる(&C)"), this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);

    QMenu* view = menuBar()->addMenu(tr("表示(&V)"));
    runActions_ << view->addAction(tr("全体を表示(&A)"), this, [this] {
        if (charts_) charts_->resetZoom();
    });
    runActions_.back()->setShortcut(QKeySequence(Qt::Key_Home));
    runActions_ << view->addAction(tr("選んだ周回をベストラップと重ねる(&L)"), this, [this] {
        if (laps_ && laps_->currentRow() >= 0) compareLap(laps_->currentRow());
    });
    runActions_ << view->addAction(tr("残りのレースの作戦(&S)…"), this,
                                   &ViewerWindow::openStrategy);
    runActions_.back()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    runActions_ << view->addAction(tr("カーソルの位置にマーカーを付ける(&M)"), this, [this] {
        if (charts_) charts_->markAtCursor(QStringLiteral("note"));
    });
    runActions_.back()->setShortcut(QKeySequence(Qt::Key_M));
    for (QAction* action : runActions_) action->setEnabled(model_.hasRun());
}

// The texts around the run: the title, the menus, the status bar's hint, the empty window's note.
void ViewerWindow::retranslateFrame() {
    if (!model_.hasRun()) setWindowTitle(tr("グラフ"));
    menuBar()->clear();
    qDeleteAll(menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly));  // and their items
    buildMenus();
    hint_->setText(
        tr("ドラッグで拡大 · Shift+ドラッグ・←→で移動 · ホイールで拡大縮小 · "
           "右クリックで縮小・マーカー · M でマーカー · ダブルクリックまたは Home で全体 · "
           "凡例クリックで表示切替"));
    if (empty_) {
        empty_->setText(
            tr("ファイル → データファイルを開く… (Ctrl+O) でデータファイルを開きます。"));
    }
}

void ViewerWindow::changeEvent(QEvent* event) {
    // Each catalogue installed or removed sends one: the window is built again once, after all.
    if (event->type() == QEvent::LanguageChange && !retranslating_) {
        retranslating_ = true;
        QTimer::singleShot(0, this, [this] {
            retranslating_ = false;
            retranslate();
        });
    }
    QMainWindow::changeEvent(event);
}

void ViewerWindow::retranslate() {
    retranslateFrame();
    if (!model_.hasRun()) return;
    saveLayout();  // the splitters, for the window built again
    buildRun();
}

void ViewerWindow::showRun(RunData run, const QString& path) {
    const auto remembered = Remembered();
    model_.setHidden(remembered->value(QStringLiteral("hidden")).toStringList());
    // A file's run with the capacity its notes keep; a download's with the logger's, which its
    // opener sets.
    runPath_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    model_.setBatteryAh(runPath_.isEmpty() ? std::nullopt : RememberedCapacity(runPath_));
    model_.setRun(std::make_shared<const RunData>(std::move(run)));
    if (!path.isEmpty()) {
        // A file opened is filed in the run library; the viewer shows it whatever becomes of that.
        if (const QString library = FileInLibrary(path); !library.isEmpty()) {
            statusBar()->showMessage(library, 10000);
        }
        // Its markers, from its notes.
        QString unread;
        const RunNotes notes = NotesOfFile(runPath_, &unread);
        loadingNotes_ = true;
        model_.setMarkers(notes.markers);
        loadingNotes_ = false;
        if (!unread.isEmpty()) statusBar()->showMessage(unread, 10000);
        QStringList recent = remembered->value(QStringLiteral("recent")).toStringList();
        recent.removeAll(runPath_);
        recent.prepend(runPath_);
        remembered->setValue(QStringLiteral("recent"), recent.mid(0, kRecentFiles));
    }
    buildRun();
}

void ViewerWindow::showTitle() {
    const QString title = Printable(model_.run().title);  // message boxes carry it too
    setWindowTitle(model_.summary().partial ? title + tr(" — 部分データ") : title);
}

void ViewerWindow::keepCapacity() {
    if (const FileResult kept = RememberCapacity(runPath_, model_.batteryAh()); !kept.ok) {
        statusBar()->showMessage(
            tr("容量をファイルのメモに保存できません (このコンピューターで覚えます): %1")
                .arg(kept.reason),
            10000);
    }
}

void ViewerWindow::takeSavedFile(const QString& path) {
    runPath_ = QFileInfo(path).absoluteFilePath();
    model_.setTitle(QFileInfo(path).fileName());
    // What was typed for the data before it had a file goes into the file's notes.
    keepCapacity();
    if (!model_.markers().empty()) saveMarkers();
}

void ViewerWindow::buildRun() {
    showTitle();
    if (charts_) disconnect(&model_, nullptr, charts_, nullptr);  // it goes with its splitter
    if (settingsBar_) {
        removeToolBar(settingsBar_);
        settingsBar_->deleteLater();
    }
    const auto remembered = Remembered();
    splitter_ = new QSplitter(Qt::Horizontal);
    charts_ = new ChartStack(model_, splitter_);
    connect(charts_, &ChartStack::cursorMoved, cursorLabel_, &QLabel::setText);
    connect(charts_, &ChartStack::markerWanted, this, &ViewerWindow::addMarker);
    buildControls();
    splitter_->addWidget(charts_);
    splitter_->addWidget(buildSidePanel());
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setCollapsible(0, false);
    setCentralWidget(splitter_);
    empty_ = nullptr;
    splitter_->restoreState(remembered->value(QStringLiteral("splitter")).toByteArray());
    sideSplitter_->restoreState(remembered->value(QStringLiteral("sideSplitter")).toByteArray());
    for (QAction* action : runActions_) action->setEnabled(true);
    showRangeFigures();
    showOverlays();
    fitFigures();
}

QWidget* ViewerWindow::buildSidePanel() {
    // Figures and settings scroll when the screen is short; the lap table takes the rest.
    auto* top = new QWidget;
    auto* layout = new QVBoxLayout(top);
    layout->setContentsMargins(8, 8, 8, 4);
    const RunData& run = model_.run();
    auto* title = Label(run.title, 13, true);
    title->setWordWrap(true);
    layout->addWidget(title);
    if (model_.summary().partial) {
        auto* partial = Label(tr("部分データ: 空の行があります (読出しが途中で終わったファイル)。"
                                 "記録数と記録時間は値のある行だけのものです。"),
                              9, true, kWarning);
        partial->setWordWrap(true);
        layout->addWidget(partial);
    }
    if (!run.writtenAt.isEmpty()) {
        layout->addWidget(Label(tr("保存日時  ") + run.writtenAt, 9, false, kMuted));
    }
    layout->addWidget(buildFigures());
    layout->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(top);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    sideSplitter_ = new QSplitter(Qt::Vertical);
    // The lap table, the markers and the runs laid over share the height left, a tab each.
    lowerTabs_ = new QTabWidget;
    lowerTabs_->setDocumentMode(true);
    lowerTabs_->addTab(buildLaps(), tr("周回"));
    lowerTabs_->addTab(buildMarkers(), QString());
    overlayBox_ = new QWidget;
    auto* overlayLayout = new QVBoxLayout(overlayBox_);
    overlayLayout->addLayout(new QGridLayout);
    overlayLayout->addStretch(1);
    overlayOffsets_.clear();
    lowerTabs_->addTab(overlayBox_, QString());
    fillMarkers();
    sideSplitter_->addWidget(scroll);
    sideSplitter_->addWidget(lowerTabs_);
    sideSplitter_->setStretchFactor(0, 0);
    sideSplitter_->setStretchFactor(1, 1);
    sideSplitter_->setMinimumWidth(kSidePanelWidth);
    sideSplitter_->setMaximumWidth(560);
    return sideSplitter_;
}

// The figures whole, with their values in the language shown: the side panel as wide as they
// need, and as tall as far as the height allows; the lap table below them.
void ViewerWindow::fitFigures() {
    QWidget* figures = static_cast<QScrollArea*>(sideSplitter_->widget(0))->widget();
    // A window not yet shown keeps the sizes its layouts first had: measured again, in the style
    // and fonts shown.
    figures->ensurePolished();
    for (QWidget* part : figures->findChildren<QWidget*>()) part->updateGeometry();
    for (QLayout* layout : figures->findChildren<QLayout*>()) layout->invalidate();
    const QSize need = figures->sizeHint();
    // The lap table's columns whole, beside its scroll bar and inside its frame and box.
    QHeaderView* heads = laps_->horizontalHeader();
    heads->resizeSections(QHeaderView::ResizeToContents);
    int table = laps_->verticalScrollBar()->sizeHint().width() + 2 * laps_->frameWidth() + 24;
    for (int c = 0; c < laps_->columnCount(); ++c) table += heads->sectionSize(c);
    heads->setSectionResizeMode(0, QHeaderView::Stretch);
    sideSplitter_->setMinimumWidth(std::max({kSidePanelWidth, need.width(), table}));
    const QList<int> sizes = sideSplitter_->sizes();
    if (sizes[0] >= need.height()) return;
    const int total = sizes[0] + sizes[1];
    sideSplitter_->setSizes({need.height(), total > need.height() ? total - need.height() : 10000});
}

// The summary of the whole run beside the same figures of the visible window.
QWidget* ViewerWindow::buildFigures() {
    auto* figures = new QGroupBox(tr("概要"));
    auto* grid = new QGridLayout(figures);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(0, 1);
    windowTimes_ = Label(QString(), 8, false, kMuted);
    grid->addWidget(windowTimes_, 0, 0, 1, 3, Qt::AlignRight);
    grid->addWidget(Label(tr("全体"), 8, true, kMuted), 1, 1, Qt::AlignRight);
    grid->addWidget(Label(tr("表示範囲"), 8, true, kMuted), 1, 2, Qt::AlignRight);
    int row = 2;
    windowFigures_.clear();
    const RunSummary& summary = model_.summary();
    for (const SummaryLine& line : SummaryLines(summary)) {
        grid->addWidget(Label(line.label, 9, false, kLabel), row, 0);
        QLabel* whole =
            Label(line.value, 9, true,
                  line.key == QLatin1String("partial") && summary.partial ? kWarning : QColor());
        grid->addWidget(whole, row, 1, Qt::AlignRight);
        QLabel* window = Label(QString(), 9, true, kWindowFigure);
        grid->addWidget(window, row++, 2, Qt::AlignRight);
        windowFigures_.emplace_back(line.key, window);
    }
    return figures;
}

// The lap start and the battery's capacity, in a tool bar above the charts.
void ViewerWindow::buildControls() {
    QToolBar* bar = settingsBar_ = addToolBar(tr("設定"));
    bar->setObjectName(QStringLiteral("settings"));
    bar->setMovable(false);
    const auto caption = [bar](const QString& text) {
        auto* label = new QLabel(text);
        label->setContentsMargins(10, 0, 4, 0);
        bar->addWidget(label);
    };

    lapStart_ = SpinBox(24 * 60, tr(" 分"));
    lapStart_->setToolTip(
        tr("データに周回の開始時刻はありません。最初の記録から何分後に"
           "第1周が始まったかを入れると、周回の位置が移ります。"));
    connect(lapStart_, &QDoubleSpinBox::valueChanged, this,
            [this](double minutes) { model_.setLapStartS(MinutesToSeconds(minutes)); });
    caption(tr("周回開始"));
    bar->addWidget(lapStart_);

    capacity_ = SpinBox(99.99, QStringLiteral(" Ah"));
    capacity_->setSpecialValueText(tr("未設定"));
    capacity_->setToolTip(
        tr("ロガーに設定したバッテリー初期容量。バッテリー残量の計算に使います。"));
    connect(capacity_, &QDoubleSpinBox::valueChanged, this,
            [this](double ampHours) { model_.setBatteryAh(ampHours); });
    caption(tr("バッテリー初期容量"));
    bar->addWidget(capacity_);

    bar->addAction(tr("作戦…"), this, &ViewerWindow::openStrategy)
        ->setToolTip(
            tr("この速度なら残りのレースを走りきれるか: 周回から求めたエネルギーモデルで"));
    showSettings();
}

// The tool bar's boxes as the model has them.
void ViewerWindow::showSettings() {
    if (!lapStart_) return;
    const QSignalBlocker quietLap(lapStart_);
    const QSignalBlocker quietCapacity(capacity_);
    lapStart_->setValue(model_.lapStartS() / 60.0);
    capacity_->setValue(model_.batteryAh().value_or(0.0));
}

// The runs laid over this one, each with its line's tone, its name, its time offset and a button
// that takes it off: the legend of the overlays. Built again when runs come or go; an offset
// changed only shows its value.
void ViewerWindow::showOverlays() {
    if (!overlayBox_) return;
    const std::vector<RunOverlay>& overlays = model_.overlays();
    dropComparison_->setEnabled(!overlays.empty());
    lowerTabs_->setTabVisible(2, !overlays.empty());
    lowerTabs_->setTabText(2, tr("重ねた走行 (%1)").arg(overlays.size()));
    if (overlayOffsets_.size() == overlays.size()) {
        for (std::size_t i = 0; i < overlays.size(); ++i) {
            const QSignalBlocker quiet(overlayOffsets_[i]);
            overlayOffsets_[i]->setValue(overlays[i].offsetMin);
        }
        return;
    }
    fillLapTable();  // the overlays' lap times beside the run's
    overlayOffsets_.clear();
    auto* grid = static_cast<QGridLayout*>(overlayBox_->layout()->itemAt(0)->layout());
    while (QLayoutItem* item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (std::size_t i = 0; i < overlays.size(); ++i) {
        const int row = static_cast<int>(i);
        QPixmap tone(28, 10);
        tone.fill(Qt::transparent);
        QPainter painter(&tone);
        QPen pen = OverlayPen(kInk, i);
        pen.setWidthF(2.0);
        painter.setPen(pen);
        painter.drawLine(0, 5, 28, 5);
        painter.end();
        auto* swatch = new QLabel;
        swatch->setPixmap(tone);
        grid->addWidget(swatch, row, 0);
        auto* name = Label(Printable(overlays[i].run->title), 9, false);
        name->setToolTip(name->text());
        grid->addWidget(name, row, 1);
        auto* offset = SpinBox(24 * 60, tr(" 分"));
        offset->setMinimum(-24 * 60);
        offset->setValue(overlays[i].offsetMin);
        offset->setToolTip(tr("重ねた走行を時間軸に沿って動かします。"));
        connect(offset, &QDoubleSpinBox::valueChanged, this,
                [this, i](double minutes) { model_.setOverlayOffset(i, minutes); });
        grid->addWidget(offset, row, 2);
        overlayOffsets_.push_back(offset);
        auto* drop = new QToolButton;
        drop->setText(QStringLiteral("✕"));
        drop->setToolTip(tr("重ねるのをやめる"));
        connect(drop, &QToolButton::clicked, this, [this, i] {
            std::vector<RunOverlay> left = model_.overlays();
            left.erase(left.begin() + static_cast<std::ptrdiff_t>(i));
            model_.setOverlays(std::move(left));
        });
        grid->addWidget(drop, row, 3);
    }
    grid->setColumnStretch(1, 1);
}

QWidget* ViewerWindow::buildLaps() {
    auto* lapBox = new QGroupBox(LapTableTitle(model_.summary()));
    auto* lapLayout = new QVBoxLayout(lapBox);
    const QStringList heads = LapHeads(LapMedium::Table);
    laps_ = new QTableWidget(0, static_cast<int>(heads.size()));
    laps_->setHorizontalHeaderLabels(heads);
    laps_->verticalHeader()->hide();
    // Each column as wide as its head's lines and its cells; the lap numbers take what is left.
    laps_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    laps_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    laps_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    laps_->verticalHeader()->setDefaultSectionSize(laps_->fontMetrics().height() + 6);
    laps_->setSelectionBehavior(QAbstractItemView::SelectRows);
    laps_->setSelectionMode(QAbstractItemView::SingleSelection);
    laps_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    laps_->setAlternatingRowColors(true);
    laps_->setMinimumHeight(80);
    laps_->setToolTip(tr("クリックでその周回に拡大、ダブルクリックでベストラップと重ねて表示"));
    connect(laps_, &QTableWidget::cellClicked, this, [this](int row, int) { zoomToLap(row); });
    connect(laps_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row != previous) zoomToLap(row);
            });
    connect(laps_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { compareLap(row); });
    fillLapTable();
    lapLayout->addWidget(laps_);
    auto* overlay = new QPushButton(tr("選んだ周回をベストラップと重ねる"));
    connect(overlay, &QPushButton::clicked, this,
            [this] { compareLap(laps_->currentRow() >= 0 ? laps_->currentRow() : 0); });
    overlay->setEnabled(!model_.laps().empty() && model_.timeline().minutes());
    lapLayout->addWidget(overlay);
    return lapBox;
}

void ViewerWindow::fillLapTable() {
    if (!laps_) return;
    const QSignalBlocker quiet(laps_);
    const std::vector<LapFigures>& laps = model_.laps();
    const std::optional<int> bestLap = model_.summary().best_lap_no;
    // The overlays' lap times beside the run's, lap by lap.
    QStringList heads = LapHeads(LapMedium::Table);
    const int own = static_cast<int>(heads.size());
    const std::size_t overlays = model_.overlays().size();
    for (std::size_t i = 0; i < overlays; ++i) heads << tr("重ね%1\nタイム").arg(i + 1);
    laps_->setColumnCount(static_cast<int>(heads.size()));
    laps_->setHorizontalHeaderLabels(heads);
    // Each column as wide as its head's lines and its cells; the run's own lap numbers take what
    // is left, or, with the others' lap times beside them, the table scrolls.
    laps_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (overlays == 0) laps_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    laps_->setHorizontalScrollBarPolicy(overlays == 0 ? Qt::ScrollBarAlwaysOff
                                                      : Qt::ScrollBarAsNeeded);
    laps_->setRowCount(static_cast<int>(laps.size()));
    int bestRow = -1;
    for (int i = 0; i < laps_->rowCount(); ++i) {
        const LapFigures& lap = laps[static_cast<std::size_t>(i)];
        const bool best = bestLap == lap.lap;
        if (best) bestRow = i;
        const QStringList cells = LapCells(lap, LapMedium::Table);
        for (int c = 0; c < cells.size(); ++c) laps_->setItem(i, c, Cell(cells[c], best));
        for (std::size_t o = 0; o < overlays; ++o) {
            QString time = QStringLiteral("—");
            for (const LapFigures& other : model_.overlaySummary(o).lapTable) {
                if (other.lap == lap.lap && other.time_s) time = ClockText(*other.time_s);
            }
            laps_->setItem(i, own + static_cast<int>(o), Cell(time, best));
        }
    }
    if (bestRow >= 0) {
        // Once the table has its size: the best lap in the middle of the view.
        QTimer::singleShot(0, laps_, [this, bestRow] {
            laps_->scrollToItem(laps_->item(bestRow, 0), QAbstractItemView::PositionAtCenter);
        });
    }
}

QWidget* ViewerWindow::buildMarkers() {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    markers_ = new QTableWidget(0, 3);
    markers_->setHorizontalHeaderLabels({tr("時刻"), tr("種類"), tr("テキスト")});
    markers_->verticalHeader()->hide();
    markers_->horizontalHeader()->setStretchLastSection(true);
    markers_->verticalHeader()->setDefaultSectionSize(markers_->fontMetrics().height() + 10);
    markers_->setSelectionBehavior(QAbstractItemView::SelectRows);
    markers_->setSelectionMode(QAbstractItemView::SingleSelection);
    markers_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    connect(markers_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const QString text = item->text();
        if (item->column() == 2) {
            changeMarker(item->row(), [&text](RunMarker& marker) { marker.text = text; });
        } else {
            moveMarker(item->row(), text);
        }
    });
    layout->addWidget(markers_);
    auto* row = new QHBoxLayout;
    auto* hint =
        Label(tr("M キーかグラフの右クリックでカーソルの位置に付けます"), 8, false, kMuted);
    hint->setWordWrap(true);
    row->addWidget(hint, 1);
    auto* remove = new QPushButton(tr("削除"));
    connect(remove, &QPushButton::clicked, this, [this] {
        const int at = markers_->currentRow();
        std::vector<RunMarker> markers = model_.markers();
        if (at < 0 || at >= static_cast<int>(markers.size())) return;
        markers.erase(markers.begin() + at);
        model_.setMarkers(std::move(markers));
    });
    row->addWidget(remove);
    layout->addLayout(row);
    return box;
}

void ViewerWindow::fillMarkers() {
    if (!markers_) return;
    const QSignalBlocker quiet(markers_);
    const std::vector<RunMarker>& markers = model_.markers();
    lowerTabs_->setTabText(1, tr("マーカー (%1)").arg(markers.size()));
    markers_->setRowCount(static_cast<int>(markers.size()));
    for (int i = 0; i < markers_->rowCount(); ++i) {
        const RunMarker& marker = markers[static_cast<std::size_t>(i)];
        markers_->setItem(i, 0, new QTableWidgetItem(ClockText(marker.timeS, ClockForm::Long)));
        auto* kind = qobject_cast<QComboBox*>(markers_->cellWidget(i, 1));
        if (!kind) {
            kind = new QComboBox;
            for (const MarkerKind& k : MarkerKinds()) {
                kind->addItem(MarkerKindName(QLatin1String(k.key)), QLatin1String(k.key));
            }
            connect(kind, &QComboBox::activated, this, [this, kind] {
                const QString key = kind->currentData().toString();
                for (int row = 0; row < markers_->rowCount(); ++row) {
                    if (markers_->cellWidget(row, 1) == kind)
                        changeMarker(row, [&key](RunMarker& m) { m.kind = key; });
                }
            });
            markers_->setCellWidget(i, 1, kind);
        }
        if (kind->findData(marker.kind) < 0) kind->addItem(marker.kind, marker.kind);
        kind->setCurrentIndex(kind->findData(marker.kind));
        if (!markers_->item(i, 2) || markers_->item(i, 2)->text() != marker.text)
            markers_->setItem(i, 2, new QTableWidgetItem(marker.text));
    }
}

namespace {

// Puts `marker` among `markers` in time order, after those at the same time; its row.
int InsertByTime(std::vector<RunMarker>& markers, RunMarker marker) {
    const auto at =
        std::upper_bound(markers.begin(), markers.end(), marker,
                         [](const RunMarker& a, const RunMarker& b) { return a.timeS < b.timeS; });
    const int row = static_cast<int>(at - markers.begin());
    markers.insert(at, std::move(marker));
    return row;
}

}  // namespace

void ViewerWindow::addMarker(double x, const QString& kind) {
    std::vector<RunMarker> markers = model_.markers();
    const int row = InsertByTime(markers, {x * 60.0, kind, {}});
    model_.setMarkers(std::move(markers));
    lowerTabs_->setCurrentIndex(1);
    markers_->setCurrentCell(row, 2);
    markers_->editItem(markers_->item(row, 2));
}

void ViewerWindow::moveMarker(int row, const QString& time) {
    std::vector<RunMarker> markers = model_.markers();
    if (row < 0 || row >= static_cast<int>(markers.size())) return;
    const std::optional<double> seconds = ClockSeconds(time);
    const double end = model_.timeline().end() * 60;
    if (!seconds || *seconds > end) {
        statusBar()->showMessage(
            tr("マーカーの時刻は 0:00:00 から %1 までを h:mm:ss で入力してください")
                .arg(ClockText(end, ClockForm::Long)),
            10000);
        fillMarkers();  // the time it had
        return;
    }
    RunMarker moved = markers[static_cast<std::size_t>(row)];
    moved.timeS = *seconds;
    markers.erase(markers.begin() + row);
    const int now = InsertByTime(markers, std::move(moved));
    model_.setMarkers(std::move(markers));
    markers_->setCurrentCell(now, 0);
}

void ViewerWindow::changeMarker(int row, const std::function<void(RunMarker&)>& change) {
    std::vector<RunMarker> markers = model_.markers();
    if (row < 0 || row >= static_cast<int>(markers.size())) return;
    change(markers[static_cast<std::size_t>(row)]);
    model_.setMarkers(std::move(markers));
}

void ViewerWindow::saveMarkers() {
    if (runPath_.isEmpty()) {
        statusBar()->showMessage(
            tr("マーカーはデータの保存で保存されます。保存せずにこのウィンドウを閉じると消えます"),
            10000);
        return;
    }
    QString unread;
    RunNotes notes = NotesOfFile(runPath_, &unread);
    notes.markers = model_.markers();
    const FileResult saved =
        unread.isEmpty() ? SaveNotesOfFile(runPath_, notes) : FileResult::Failed(unread);
    if (!saved.ok)
        statusBar()->showMessage(tr("マーカーを保存できません: %1").arg(saved.reason), 10000);
}

void ViewerWindow::zoomToLap(int row) {
    const std::vector<LapFigures>& laps = model_.laps();
    if (!charts_ || row < 0 || row >= static_cast<int>(laps.size())) return;
    const LapFigures& lap = laps[static_cast<std::size_t>(row)];
    if (!model_.timeline().minutes() || !lap.start_s || !lap.time_s || *lap.time_s <= 0) return;
    const auto [min, max] =
        FitRange(model_.timeline(), *lap.start_s / 60.0, (*lap.start_s + *lap.time_s) / 60.0);
    model_.setRange(min, max);
}

QWidget* ViewerWindow::compareLap(int row) {
    if (!model_.hasRun() || row < 0 || row >= static_cast<int>(model_.laps().size())) {
        return nullptr;
    }
    auto* overlay = new LapOverlay(model_, model_.laps()[static_cast<std::size_t>(row)].lap, this);
    overlay->show();
    return overlay;
}

QWidget* ViewerWindow::openStrategy() {
    if (!model_.hasRun()) return nullptr;
    if (!strategy_) strategy_ = new StrategyPanel(model_, this);
    strategy_->show();
    strategy_->raise();
    strategy_->activateWindow();
    return strategy_;
}

QString ViewerWindow::windowFigure(const QString& key) const {
    for (const auto& [name, label] : windowFigures_) {
        if (name == key) return label->text();
    }
    return {};
}

void ViewerWindow::showRangeFigures() {
    if (!windowTimes_) return;
    const std::vector<SummaryLine> lines = SummaryLines(model_.rangeSummary());
    for (std::size_t i = 0; i < lines.size() && i < windowFigures_.size(); ++i) {
        windowFigures_[i].second->setText(lines[i].value);
    }
    const auto [min, max] = model_.range();
    windowTimes_->setText(tr("表示範囲 ") + RangeText(model_.timeline(), min, max));
}

void ViewerWindow::setBatteryCapacity(double ampHours) {
    model_.setBatteryAh(ampHours);
}

void ViewerWindow::openFile() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("データファイルを開く"), QString(), DataFileFilter());
    if (!path.isEmpty()) openPath(path);
}

bool ViewerWindow::openPath(const QString& path) {
    DataFileReadResult result = ReadDataFileAt(path);
    if (!result.run) {
        QMessageBox::warning(this, windowTitle(), result.errorText());
        return false;
    }
    if (!model_.hasRun()) {
        showRun(std::move(*result.run), path);
        return true;
    }
    auto* other = new ViewerWindow(parentWidget());
    if (parentWidget()) other->setWindowFlag(Qt::Window);
    other->showRun(std::move(*result.run), path);
    other->show();
    return true;
}

bool ViewerWindow::addComparison(const QString& chosen) {
    if (!model_.hasRun()) return false;
    const QString path = chosen.isEmpty()
                             ? QFileDialog::getOpenFileName(this, tr("比較するファイルを開く"),
                                                            QString(), DataFileFilter())
                             : chosen;
    if (path.isEmpty()) return false;
    DataFileReadResult result = ReadDataFileAt(path);
    if (!result.run) {
        QMessageBox::warning(this, windowTitle(), result.errorText());
        return false;
    }
    return layOver(std::move(*result.run));
}

bool ViewerWindow::layOver(RunData run) {
    if (run.intervalS.has_value() != model_.timeline().minutes()) {
        QMessageBox::warning(
            this, windowTitle(),
            tr("記録間隔が不明なファイルと分かっているファイルは重ねられません。"));
        return false;
    }
    std::vector<RunOverlay> overlays = model_.overlays();
    if (overlays.size() >= kMostOverlays) {
        QMessageBox::warning(this, windowTitle(),
                             tr("重ねられるのは %1 件までです。").arg(kMostOverlays));
        return false;
    }
    overlays.push_back({std::make_shared<const RunData>(std::move(run)), 0.0});
    model_.setOverlays(std::move(overlays));
    return true;
}

void ViewerWindow::fillRecentMenu() {
    recent_->clear();
    const QStringList files = Remembered()->value(QStringLiteral("recent")).toStringList();
    // Numbered as their mnemonics; an & of a name is shown as it is.
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& file = files[i];
        const QString name =
            Printable(QFileInfo(file).fileName()).replace(u'&', QStringLiteral("&&"));
        recent_
            ->addAction(QStringLiteral("&") + QString::number(i + 1) + u' ' + name, this,
                        [this, file] { openPath(file); })
            ->setToolTip(file);
    }
    if (files.isEmpty()) recent_->addAction(tr("(なし)"))->setEnabled(false);
    recent_->addSeparator();
    recent_->addAction(tr("履歴を消去(&C)"), this,
                       [] { Remembered()->remove(QStringLiteral("recent")); });
}

void ViewerWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void ViewerWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) openPath(url.toLocalFile());
    }
    event->acceptProposedAction();
}

void ViewerWindow::closeEvent(QCloseEvent* event) {
    saveLayout();
    QMainWindow::closeEvent(event);
}

void ViewerWindow::saveLayout() const {
    const auto remembered = Remembered();
    remembered->setValue(QStringLiteral("geometry"), saveGeometry());
    if (splitter_) remembered->setValue(QStringLiteral("splitter"), splitter_->saveState());
    if (sideSplitter_) {
        remembered->setValue(QStringLiteral("sideSplitter"), sideSplitter_->saveState());
    }
}

QString ViewerWindow::exportName(const QString& suffix) const {
    return ReportBaseName(model_) + u'.' + suffix;
}

void ViewerWindow::exportRun(const QString& suffix) {
    if (!model_.hasRun()) return;
    const QString filter =
        suffix == QStringLiteral("pdf") ? QStringLiteral("PDF (*.pdf)") : tr("PNG 画像 (*.png)");
    QString path = QFileDialog::getSaveFileName(this, tr("書き出す"), exportName(suffix), filter);
    if (path.isEmpty()) return;
    if (!path.endsWith(u'.' + suffix, Qt::CaseInsensitive)) path += u'.' + suffix;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FileResult written = WriteRunReport(model_, path);
    QApplication::restoreOverrideCursor();
    if (!written.ok) {
        QMessageBox::warning(this, windowTitle(),
                             Printable(path) + QStringLiteral(": ") + written.reason);
    } else {
        statusBar()->showMessage(tr("書き出しました: %1").arg(Printable(path)), 5000);
    }
}

void ViewerWindow::exportData() {
    if (!model_.hasRun()) return;
    bool range = false;
    if (!model_.wholeRun()) {
        const auto [min, max] = model_.range();
        QMessageBox ask(QMessageBox::Question, windowTitle(),
                        tr("表示している範囲だけを書き出しますか、全体を書き出しますか？"),
                        QMessageBox::Cancel, this);
        QAbstractButton* shown =
            ask.addButton(tr("表示範囲 (%1)").arg(RangeText(model_.timeline(), min, max)),
                          QMessageBox::AcceptRole);
        QAbstractButton* whole = ask.addButton(tr("全体"), QMessageBox::AcceptRole);
        ask.exec();
        if (ask.clickedButton() != shown && ask.clickedButton() != whole) return;
        range = ask.clickedButton() == shown;
    }
    // The filters in the formats' order.
    const QStringList filters{QStringLiteral("CSV UTF-8 (*.csv)"), QStringLiteral("Excel (*.xlsx)"),
                              QStringLiteral("MATLAB (*.mat)"), QStringLiteral("JSON (*.json)")};
    QString filter = filters.front();
    const QString base =
        range ? ReportBaseName(model_) : QFileInfo(model_.run().title).completeBaseName();
    QString path = QFileDialog::getSaveFileName(this, tr("エクスポート"),
                                                ExportFileName(base, ExportFormat::Csv),
                                                filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty()) return;
    // The name's extension chooses the format, else the filter chosen does.
    std::optional<ExportFormat> format = ExportFormatNamed(QFileInfo(path).suffix().toLower());
    if (!format) {
        format = static_cast<ExportFormat>(std::max<qsizetype>(filters.indexOf(filter), 0));
        path += u'.' + ExportFormatName(*format);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FileResult written = WriteExport(TablesOf(model_, range), *format, path, true);
    QApplication::restoreOverrideCursor();
    if (!written.ok) {
        QMessageBox::warning(this, windowTitle(), written.reason);
    } else {
        statusBar()->showMessage(tr("書き出しました: %1").arg(Printable(path)), 5000);
    }
}

}  // namespace yb
