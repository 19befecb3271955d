#include "viewer/ViewerWindow.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "datafile/DataFileReader.h"
#include "datafile/RunSummary.h"
#include "viewer/ChartStack.h"
#include "viewer/Report.h"
#include "viewer/Viewer.h"

namespace yb {

namespace {

const QColor kBestLap(0xFF, 0xE8, 0xA3);

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
        item->setToolTip(QStringLiteral("ベストラップ"));
    }
    return item;
}

}  // namespace

ViewerWindow::ViewerWindow(QWidget* parent) : QMainWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("グラフ"));
    resize(1280, 820);

    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    QAction* open =
        file->addAction(QStringLiteral("データファイルを開く(&O)…"), this, &ViewerWindow::openFile);
    open->setShortcut(QKeySequence::Open);
    file->addSeparator();
    runActions_ << file->addAction(QStringLiteral("レポートを書き出す (PDF)(&R)…"), this,
                                   [this] { exportRun(QStringLiteral("pdf")); });
    runActions_.back()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    runActions_ << file->addAction(QStringLiteral("グラフを画像で書き出す (PNG)(&I)…"), this,
                                   [this] { exportRun(QStringLiteral("png")); });
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("閉じる(&C)"), this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);

    QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    runActions_ << view->addAction(QStringLiteral("全体を表示(&A)"), this, [this] {
        if (charts_) charts_->resetZoom();
    });
    runActions_.back()->setShortcut(QKeySequence(Qt::Key_Home));
    for (QAction* action : runActions_) action->setEnabled(false);

    auto* hint =
        new QLabel(QStringLiteral("ドラッグで拡大 · ホイールで拡大縮小 · 右クリックで縮小 · "
                                  "ダブルクリックまたは Home で全体"));
    hint->setStyleSheet(QStringLiteral("color: #6b7280"));
    cursorLabel_ = new QLabel;
    cursorLabel_->setMinimumWidth(140);
    statusBar()->addWidget(cursorLabel_);
    statusBar()->addPermanentWidget(hint);

    auto* empty = Label(
        QStringLiteral("ファイル → データファイルを開く… (Ctrl+O) でデータファイルを開きます。"),
        11, false, QColor(0x6b, 0x72, 0x80));
    empty->setAlignment(Qt::AlignCenter);
    setCentralWidget(empty);
}

void ViewerWindow::showRun(RunData run) {
    run_ = std::make_shared<const RunData>(std::move(run));
    setWindowTitle(run_->title);

    auto* splitter = new QSplitter(Qt::Horizontal);
    charts_ = new ChartStack(run_, splitter);
    connect(charts_, &ChartStack::cursorMoved, cursorLabel_, &QLabel::setText);
    splitter->addWidget(charts_);
    splitter->addWidget(buildSidePanel());
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setCollapsible(0, false);
    setCentralWidget(splitter);
    for (QAction* action : runActions_) action->setEnabled(true);
}

QWidget* ViewerWindow::buildSidePanel() {
    const RunSummary summary = SummarizeRun(*run_);
    auto* panel = new QWidget;
    panel->setMinimumWidth(310);
    panel->setMaximumWidth(400);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 8, 8, 8);

    auto* title = Label(run_->title, 13, true);
    title->setWordWrap(true);
    layout->addWidget(title);
    if (!run_->writtenAt.isEmpty()) {
        layout->addWidget(Label(QStringLiteral("保存日時  ") + run_->writtenAt, 9, false,
                                QColor(0x6b, 0x72, 0x80)));
    }

    auto* figures = new QGroupBox(QStringLiteral("概要"));
    auto* grid = new QGridLayout(figures);
    grid->setVerticalSpacing(3);
    int row = 0;
    for (const SummaryLine& line : SummaryLines(summary)) {
        grid->addWidget(Label(line.label, 9, false, QColor(0x4b, 0x55, 0x63)), row, 0);
        QLabel* value = Label(line.value, 9, true);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(value, row++, 1);
    }
    layout->addWidget(figures);

    auto* lapBox = new QGroupBox(summary.best_lap_no ? QStringLiteral("周回  (ベスト %1周目 %2)")
                                                           .arg(*summary.best_lap_no)
                                                           .arg(ClockText(*summary.best_lap_s))
                                                     : QStringLiteral("周回"));
    auto* lapLayout = new QVBoxLayout(lapBox);
    laps_ = new QTableWidget(static_cast<int>(run_->laps.size()), 3);
    laps_->setHorizontalHeaderLabels(
        {QStringLiteral("周回"), QStringLiteral("タイム"), QStringLiteral("モーター Wh")});
    laps_->verticalHeader()->hide();
    laps_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    laps_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    laps_->verticalHeader()->setDefaultSectionSize(laps_->fontMetrics().height() + 6);
    laps_->setSelectionBehavior(QAbstractItemView::SelectRows);
    laps_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    laps_->setAlternatingRowColors(true);
    int bestRow = -1;
    for (int i = 0; i < static_cast<int>(run_->laps.size()); ++i) {
        const LapRow& lap = run_->laps[static_cast<std::size_t>(i)];
        const bool best = summary.best_lap_no == lap.number;
        if (best) bestRow = i;
        laps_->setItem(i, 0, Cell(QString::number(lap.number), best));
        laps_->setItem(i, 1,
                       Cell(lap.timeS >= 0 ? ClockText(lap.timeS) : QStringLiteral("—"), best));
        laps_->setItem(
            i, 2,
            Cell(lap.motorWh >= 0 ? QString::number(lap.motorWh, 'f', 1) : QStringLiteral("—"),
                 best));
    }
    if (bestRow >= 0) laps_->scrollToItem(laps_->item(bestRow, 0));
    lapLayout->addWidget(laps_);
    layout->addWidget(lapBox, 1);
    return panel;
}

void ViewerWindow::openFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("データファイルを開く"), QString(),
        QStringLiteral("データファイル (*.csv *.txt *.tsv);;すべてのファイル (*)"));
    if (path.isEmpty()) return;
    const DataFileReadResult result = ReadDataFileAt(path);
    if (!result.run) {
        QMessageBox::warning(this, windowTitle(), result.errorText());
        return;
    }
    if (!run_) {
        showRun(*result.run);
        return;
    }
    auto* other = new ViewerWindow(parentWidget());
    if (parentWidget()) other->setWindowFlag(Qt::Window);
    other->showRun(*result.run);
    other->show();
}

void ViewerWindow::exportRun(const QString& suffix) {
    if (!run_) return;
    const QFileInfo source(run_->title);
    const QString proposal =
        (source.suffix().isEmpty() ? run_->title : source.completeBaseName()) + u'.' + suffix;
    const QString filter = suffix == QStringLiteral("pdf") ? QStringLiteral("PDF (*.pdf)")
                                                           : QStringLiteral("PNG 画像 (*.png)");
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("書き出す"), proposal, filter);
    if (path.isEmpty()) return;
    if (!path.endsWith(u'.' + suffix, Qt::CaseInsensitive)) path += u'.' + suffix;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString error = WriteRunReport(*run_, path);
    QApplication::restoreOverrideCursor();
    if (!error.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), path + QStringLiteral(": ") + error);
    } else {
        statusBar()->showMessage(QStringLiteral("書き出しました: ") + path, 5000);
    }
}

}  // namespace yb
