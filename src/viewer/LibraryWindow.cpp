#include "viewer/LibraryWindow.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>
#include <functional>
#include <numeric>
#include <unordered_map>

#include "datafile/Printable.h"
#include "library/RunColumns.h"
#include "viewer/Palette.h"
#include "viewer/RunModel.h"
#include "viewer/Viewer.h"

namespace yb {

// A table of rows of cells, sorted by the values a column gives: the runs, and the laps across
// them. What a cell shows and sorts by comes from the window; the table keeps the order.
class SortedTable : public QAbstractTableModel {
public:
    struct Column {
        QString head;
        std::function<QString(int row)> text;
        std::function<QVariant(int row)> sortValue;
        bool number = false;
    };

    SortedTable(std::vector<Column> columns, QObject* parent)
        : QAbstractTableModel(parent), columns_(std::move(columns)) {}

    // Shows `rows` rows (the window's vectors hold them), in the order last sorted by.
    void reset(int rows, std::function<bool(int row)> muted = {}) {
        beginResetModel();
        order_.resize(static_cast<std::size_t>(rows));
        std::iota(order_.begin(), order_.end(), 0);
        muted_ = std::move(muted);
        arrange();
        endResetModel();
    }
    // The row of the window's vector a table row shows.
    int rowAt(int tableRow) const { return order_.at(static_cast<std::size_t>(tableRow)); }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(order_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(columns_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Column& column = columns_.at(static_cast<std::size_t>(index.column()));
        const int row = rowAt(index.row());
        switch (role) {
            case Qt::DisplayRole:
                return column.text(row);
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(Qt::AlignVCenter |
                                           (column.number ? Qt::AlignRight : Qt::AlignLeft));
            case Qt::ForegroundRole:
                if (muted_ && muted_(row)) return palette::kLine;
                break;
            default:
                break;
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return columns_.at(static_cast<std::size_t>(section)).head;
    }
    void sort(int column, Qt::SortOrder order) override {
        sortColumn_ = column;
        sortOrder_ = order;
        emit layoutAboutToBeChanged();
        arrange();
        emit layoutChanged();
    }

private:
    void arrange() {
        if (sortColumn_ < 0 || sortColumn_ >= static_cast<int>(columns_.size())) return;
        const auto& value = columns_[static_cast<std::size_t>(sortColumn_)].sortValue;
        std::vector<QVariant> keys(order_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) keys[i] = value(static_cast<int>(i));
        const auto less = [&keys](int a, int b) {
            const QVariant& x = keys[static_cast<std::size_t>(a)];
            const QVariant& y = keys[static_cast<std::size_t>(b)];
            if (x.typeId() == QMetaType::Double && y.typeId() == QMetaType::Double)
                return x.toDouble() < y.toDouble();
            return x.toString().localeAwareCompare(y.toString()) < 0;
        };
        std::iota(order_.begin(), order_.end(), 0);
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            return sortOrder_ == Qt::AscendingOrder ? less(a, b) : less(b, a);
        });
    }

    std::vector<Column> columns_;
    std::vector<int> order_;
    std::function<bool(int)> muted_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

namespace {

QTableView* NewTable(SortedTable* model) {
    auto* table = new QTableView;
    table->setModel(model);
    table->setSortingEnabled(true);
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    return table;
}

// Each column as wide as its head and the cells of the first rows need (not of every row: the
// library may hold thousands), at most 260 pixels.
void FitColumns(QTableView* table) {
    const QAbstractItemModel* model = table->model();
    const QFontMetrics metrics = table->fontMetrics();
    const int rows = std::min(model->rowCount(), 100);
    for (int c = 0; c < model->columnCount(); ++c) {
        int width = metrics.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < rows; ++r) {
            width =
                std::max(width, metrics.horizontalAdvance(model->index(r, c).data().toString()));
        }
        table->setColumnWidth(c, std::min(width + 20, 260));
    }
}

QComboBox* Choices(const QString& all) {
    auto* box = new QComboBox;
    box->addItem(all);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

// The value chosen in a box of choices; empty for its first entry (all of them).
QString Chosen(const QComboBox* box) {
    return box->currentIndex() > 0 ? box->currentText() : QString();
}

}  // namespace

LibraryWindow::LibraryWindow(std::unique_ptr<RunIndex> index, QWidget* parent)
    : QMainWindow(parent), index_(std::move(index)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("ライブラリ"));
    resize(1280, 760);

    std::vector<SortedTable::Column> columns;
    for (const RunColumn& column : RunColumns()) {
        const bool state = column.key == std::string_view("state");
        columns.push_back({RunColumnHead(column),
                           [this, &column, state](int row) {
                               const auto at = static_cast<std::size_t>(row);
                               return state ? StateText(states_[at]) : column.text(runs_[at]);
                           },
                           [this, &column](int row) {
                               return column.sortValue(runs_[static_cast<std::size_t>(row)]);
                           },
                           column.number});
    }
    runModel_ = new SortedTable(std::move(columns), this);
    table_ = NewTable(runModel_);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(table_, &QTableView::doubleClicked, this, [this] { openSelected(); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LibraryWindow::showSelected);

    // The laps of the runs shown: the run's time and name, then the lap table's columns.
    const auto lapRun = [this](int row) { return lapRuns_[static_cast<std::size_t>(row)]; };
    const auto runName = [](const IndexedRun& run) {
        return run.notes.name.isEmpty() ? QFileInfo(run.path).fileName() : run.notes.name;
    };
    std::vector<SortedTable::Column> lapColumns = {
        {RunColumnHead("downloaded"),
         [lapRun](int row) { return TimeText(lapRun(row)->downloaded); },
         [lapRun](int row) { return QVariant(TimeText(lapRun(row)->downloaded)); }},
        {RunColumnHead("name"), [lapRun, runName](int row) { return runName(*lapRun(row)); },
         [lapRun, runName](int row) { return QVariant(runName(*lapRun(row))); }},
    };
    const QStringList heads = LapHeads(LapMedium::Table);
    for (qsizetype c = 0; c < heads.size(); ++c) {
        const auto lap = [this](int row) -> const LapFigures& {
            return laps_[static_cast<std::size_t>(row)].lap;
        };
        lapColumns.push_back(
            {QString(heads[c]).replace(u'\n', u' '),
             [lap, c](int row) { return LapCells(lap(row), LapMedium::Table)[c]; },
             [lap, c](int row) {
                 return QVariant(
                     LapValues(lap(row), LapMedium::Table)[static_cast<std::size_t>(c)].value_or(
                         -std::numeric_limits<double>::infinity()));
             },
             true});
    }
    lapModel_ = new SortedTable(std::move(lapColumns), this);
    lapTable_ = NewTable(lapModel_);
    connect(lapTable_, &QTableView::doubleClicked, this, [this, lapRun](const QModelIndex& at) {
        openRuns({lapRun(lapModel_->rowAt(at.row()))});
    });

    tabs_ = new QTabWidget;
    tabs_->addTab(table_, tr("一覧"));
    tabs_->addTab(buildTrend(), tr("傾向"));
    tabs_->addTab(buildLaps(), tr("周回"));
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        showTrend();
        showLaps();
    });

    auto* left = new QWidget;
    auto* layout = new QVBoxLayout(left);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(buildFilters());
    layout->addWidget(tabs_, 1);
    auto* splitter = new QSplitter;
    splitter->addWidget(left);
    splitter->addWidget(buildNotesPanel());
    splitter->setStretchFactor(0, 1);
    setCentralWidget(splitter);

    QToolBar* bar = addToolBar(tr("ライブラリ"));
    bar->setMovable(false);
    open_ = new QPushButton(tr("開く"));
    open_->setToolTip(tr("選んだ走行をグラフで開きます (ダブルクリックでも開きます)"));
    connect(open_, &QPushButton::clicked, this, [this] {
        const auto runs = selectedRuns();
        if (!runs.empty()) openRuns({runs.front()});
    });
    overlay_ = new QPushButton(tr("重ねて開く"));
    overlay_->setToolTip(tr("選んだ 2～8 件の走行を一つのグラフに重ねて開きます"));
    connect(overlay_, &QPushButton::clicked, this, &LibraryWindow::openSelected);
    auto* import = new QPushButton(tr("取り込む…"));
    import->setToolTip(tr("フォルダの中のデータファイルをすべてライブラリに追加します"));
    connect(import, &QPushButton::clicked, this, &LibraryWindow::importFolder);
    auto* refresh = new QPushButton(tr("最新の状態に"));
    connect(refresh, &QPushButton::clicked, this, [this] {
        fillChoices();
        reload();
    });
    for (QPushButton* button : {open_, overlay_, import, refresh}) bar->addWidget(button);

    fillChoices();
    reload();
}

LibraryWindow::~LibraryWindow() = default;

// The filter box and the count on one line, the choices on the next.
QWidget* LibraryWindow::buildFilters() {
    auto* bar = new QWidget;
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    rows->addLayout(first);
    rows->addLayout(second);
    filter_ = new QLineEdit;
    filter_->setPlaceholderText(tr("絞り込み (文字の欄、ファイル名、マーカー)"));
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, this, &LibraryWindow::reload);
    first->addWidget(filter_, 1);
    count_ = new QLabel;
    first->addWidget(count_);
    track_ = Choices(tr("すべてのコース"));
    driver_ = Choices(tr("すべてのドライバー"));
    tag_ = Choices(tr("すべてのタグ"));
    completeness_ = Choices(tr("完全・部分とも"));
    completeness_->addItems({tr("完全なもの"), tr("部分データ")});
    for (QComboBox* box : {track_, driver_, tag_, completeness_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &LibraryWindow::reload);
        second->addWidget(box);
    }
    const QDate today = QDate::currentDate();
    for (auto [use, date, text] : {std::tuple(&useSince_, &since_, tr("から")),
                                   std::tuple(&useUntil_, &until_, tr("まで"))}) {
        *date = new QDateEdit(today);
        (*date)->setCalendarPopup(true);
        (*date)->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        (*date)->setEnabled(false);
        *use = new QCheckBox(text);
        QDateEdit* edit = *date;
        connect(*use, &QCheckBox::toggled, this, [this, edit](bool on) {
            edit->setEnabled(on);
            reload();
        });
        connect(edit, &QDateEdit::dateChanged, this, &LibraryWindow::reload);
        second->addWidget(edit);
        second->addWidget(*use);
    }
    second->addStretch(1);
    return bar;
}

QWidget* LibraryWindow::buildNotesPanel() {
    auto* panel = new QWidget;
    panel->setMinimumWidth(300);
    panel->setMaximumWidth(400);
    auto* form = new QFormLayout(panel);
    file_ = new QLabel;
    file_->setWordWrap(true);
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(file_);
    event_ = new QLineEdit;
    name_ = new QLineEdit;
    trackEdit_ = new QLineEdit;
    drivers_ = new QLineEdit;
    drivers_->setPlaceholderText(tr("コンマで区切って複数"));
    conditions_ = new QLineEdit;
    conditions_->setPlaceholderText(tr("天気、日射、風"));
    tags_ = new QLineEdit;
    tags_->setPlaceholderText(tr("コンマで区切って複数"));
    notes_ = new QPlainTextEdit;
    battery_ = new QDoubleSpinBox;
    battery_->setRange(0.0, 99.99);
    battery_->setSuffix(QStringLiteral(" Ah"));
    battery_->setSpecialValueText(tr("未設定"));
    hasStart_ = new QCheckBox(tr("最初の記録の時刻"));
    start_ = new QDateTimeEdit;
    start_->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    start_->setEnabled(false);
    connect(hasStart_, &QCheckBox::toggled, start_, &QWidget::setEnabled);
    download_ = new QLabel;
    download_->setWordWrap(true);
    form->addRow(RunColumnHead("event"), event_);
    form->addRow(RunColumnHead("name"), name_);
    form->addRow(RunColumnHead("track"), trackEdit_);
    form->addRow(RunColumnHead("drivers"), drivers_);
    form->addRow(tr("コンディション"), conditions_);
    form->addRow(tr("タグ"), tags_);
    form->addRow(RunColumnHead("notes"), notes_);
    form->addRow(tr("バッテリー容量"), battery_);
    form->addRow(hasStart_, start_);
    form->addRow(tr("読出し"), download_);
    save_ = new QPushButton(tr("保存"));
    connect(save_, &QPushButton::clicked, this, &LibraryWindow::saveNotes);
    locate_ = new QPushButton(tr("ファイルを探す…"));
    locate_->setToolTip(tr("移したファイルの新しい場所を選びます"));
    connect(locate_, &QPushButton::clicked, this, &LibraryWindow::locate);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(locate_);
    buttons->addStretch(1);
    buttons->addWidget(save_);
    form->addRow(buttons);
    return panel;
}

QWidget* LibraryWindow::buildTrend() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    figure_ = new QComboBox;
    for (const TrendFigure& figure : TrendFigures()) figure_->addItem(TrendFigureName(figure));
    connect(figure_, &QComboBox::currentIndexChanged, this, &LibraryWindow::showTrend);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("読出し日時ごとの")));
    row->addWidget(figure_);
    row->addWidget(new QLabel(tr("(点をクリックするとその走行を開きます)")));
    row->addStretch(1);
    layout->addLayout(row);
    trend_ = new QChartView(new QChart);
    trend_->setRenderHint(QPainter::Antialiasing);
    trend_->chart()->legend()->hide();
    layout->addWidget(trend_, 1);
    return page;
}

// The laps' table under a choice of their average speed: the best Wh/km at a given speed.
QWidget* LibraryWindow::buildLaps() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("平均速度")));
    for (QDoubleSpinBox** box : {&slowest_, &fastest_}) {
        *box = new QDoubleSpinBox;
        (*box)->setRange(0.0, 200.0);
        (*box)->setDecimals(1);
        (*box)->setSuffix(QStringLiteral(" km/h"));
        (*box)->setSpecialValueText(tr("指定なし"));
        (*box)->setKeyboardTracking(false);
        connect(*box, &QDoubleSpinBox::valueChanged, this, [this] {
            lapsStale_ = true;
            showLaps();
        });
        row->addWidget(*box);
        if (box == &slowest_) row->addWidget(new QLabel(QStringLiteral("～")));
    }
    row->addWidget(
        new QLabel(tr("(見出しのクリックで並べ替え、ダブルクリックでその走行を開きます)")));
    row->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(lapTable_, 1);
    return page;
}

void LibraryWindow::fillChoices() {
    for (const auto& [box, values] :
         {std::pair(track_, index_->tracks()), std::pair(driver_, index_->drivers()),
          std::pair(tag_, index_->tags())}) {
        const QString chosen = Chosen(box);
        const QSignalBlocker quiet(box);
        while (box->count() > 1) box->removeItem(1);
        box->addItems(values);
        box->setCurrentIndex(std::max(0, box->findText(chosen)));
    }
}

RunFilter LibraryWindow::filter() const {
    RunFilter filter;
    filter.text = filter_->text().trimmed();
    filter.track = Chosen(track_);
    filter.driver = Chosen(driver_);
    filter.tag = Chosen(tag_);
    if (useSince_->isChecked()) filter.since = QDateTime(since_->date(), QTime(0, 0));
    if (useUntil_->isChecked()) filter.until = QDateTime(until_->date(), QTime(23, 59, 59, 999));
    filter.completeness = static_cast<RunFilter::Completeness>(completeness_->currentIndex());
    return filter;
}

void LibraryWindow::reload() {
    runs_ = index_->list(filter());
    states_.clear();
    for (const IndexedRun& run : runs_) states_.push_back(run.state());
    runModel_->reset(static_cast<int>(runs_.size()), [this](int row) {
        return states_[static_cast<std::size_t>(row)] == IndexedRun::State::Missing;
    });
    count_->setText(tr("%1 件").arg(runs_.size()));
    FitColumns(table_);
    lapsStale_ = true;
    showTrend();
    showLaps();
    showSelected();
}

std::vector<const IndexedRun*> LibraryWindow::selectedRuns() const {
    std::vector<const IndexedRun*> runs;
    QModelIndexList rows = table_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : rows) {
        runs.push_back(&runs_[static_cast<std::size_t>(runModel_->rowAt(row.row()))]);
    }
    return runs;
}

void LibraryWindow::showSelected() {
    const std::vector<const IndexedRun*> selected = selectedRuns();
    const std::size_t count = selected.size();
    open_->setEnabled(count >= 1);
    overlay_->setEnabled(count >= 2 && count <= kMostOverlays + 1);
    const IndexedRun* run = count == 1 ? selected.front() : nullptr;
    for (QWidget* edit :
         std::initializer_list<QWidget*>{event_, name_, trackEdit_, drivers_, conditions_, tags_,
                                         notes_, battery_, hasStart_, save_}) {
        edit->setEnabled(run != nullptr);
    }
    const RunNotes notes = run ? run->notes : RunNotes();
    event_->setText(notes.event);
    name_->setText(notes.name);
    trackEdit_->setText(notes.track);
    drivers_->setText(JoinList(notes.drivers));
    conditions_->setText(notes.conditions);
    tags_->setText(JoinList(notes.tags));
    notes_->setPlainText(notes.notes);
    battery_->setValue(notes.batteryAh.value_or(0.0));
    hasStart_->setChecked(notes.start.isValid());
    start_->setDateTime(
        notes.start.isValid()
            ? notes.start
            : (run ? QDateTime::fromString(run->downloaded, Qt::ISODate) : QDateTime()));
    download_->setText(notes.download.ending.isEmpty()
                           ? QString()
                           : notes.download.ending + u' ' + notes.download.detail);
    const IndexedRun::State state = run ? run->state() : IndexedRun::State::Present;
    locate_->setEnabled(run && state != IndexedRun::State::Present);
    if (!run) {
        file_->setText(count > 1 ? tr("%1 件を選んでいます").arg(count) : QString());
        return;
    }
    file_->setText(Printable(run->path) +
                   (state == IndexedRun::State::Present ? QString() : u'\n' + StateText(state)));
}

void LibraryWindow::saveNotes() {
    const std::vector<const IndexedRun*> selected = selectedRuns();
    if (selected.size() != 1) return;
    const qint64 id = selected.front()->id;
    RunNotes notes = index_->run(id).value_or(IndexedRun()).notes;  // the markers with them
    notes.event = event_->text().trimmed();
    notes.name = name_->text().trimmed();
    notes.track = trackEdit_->text().trimmed();
    notes.drivers = SplitList(drivers_->text());
    notes.conditions = conditions_->text().trimmed();
    notes.tags = SplitList(tags_->text());
    notes.notes = notes_->toPlainText();
    notes.batteryAh = battery_->value() > 0.0 ? std::optional(battery_->value()) : std::nullopt;
    notes.start = hasStart_->isChecked() ? start_->dateTime() : QDateTime();
    if (const FileResult saved = index_->setNotes(id, notes); !saved.ok) {
        QMessageBox::warning(this, windowTitle(), saved.reason);
        return;
    }
    statusBar()->showMessage(tr("メモを保存しました"), 5000);
    fillChoices();
    reload();
    // The run stays selected.
    for (int row = 0; row < runModel_->rowCount(); ++row) {
        if (runs_[static_cast<std::size_t>(runModel_->rowAt(row))].id == id) table_->selectRow(row);
    }
}

void LibraryWindow::locate() {
    const std::vector<const IndexedRun*> selected = selectedRuns();
    if (selected.size() != 1) return;
    const qint64 id = selected.front()->id;
    const QString path = QFileDialog::getOpenFileName(
        this, tr("ファイルを探す"), QFileInfo(selected.front()->path).path(), DataFileFilter());
    if (path.isEmpty()) return;
    if (const FileResult moved = index_->relocate(id, path); !moved.ok) {
        QMessageBox::warning(this, windowTitle(), moved.reason);
    }
    reload();
}

void LibraryWindow::openSelected() {
    const std::vector<const IndexedRun*> runs = selectedRuns();
    if (runs.size() > kMostOverlays + 1) {
        QMessageBox::warning(this, windowTitle(),
                             tr("重ねて開けるのは %1 件までです。").arg(kMostOverlays + 1));
        return;
    }
    if (!runs.empty()) openRuns(runs);
}

void LibraryWindow::openRuns(const std::vector<const IndexedRun*>& runs) {
    QStringList paths;
    for (const IndexedRun* run : runs) paths << run->path;
    QString error;
    QWidget* viewer = OpenViewerOnFiles(paths, nullptr, &error);
    if (!viewer) {
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    emit viewerOpened(viewer);
}

void LibraryWindow::importFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, tr("ライブラリに取り込む"));
    if (!folder.isEmpty()) importPaths({folder});
}

void LibraryWindow::importPaths(const QStringList& paths) {
    const QStringList files = DataFilesUnder(paths);
    QProgressDialog progress(tr("取り込んでいます…"), tr("中止"), 0, static_cast<int>(files.size()),
                             this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    const ImportReport report = ImportRuns(*index_, files, [&progress](const ImportProgress& p) {
        QString text = tr("取り込んでいます… %1 / %2").arg(p.done).arg(p.total);
        if (p.secondsLeft) text += tr("  残り %1").arg(ClockText(*p.secondsLeft));
        progress.setLabelText(text);
        progress.setValue(p.done);
        return !progress.wasCanceled();
    });
    progress.reset();
    fillChoices();
    reload();
    QMessageBox box(QMessageBox::Information, windowTitle(),
                    tr("追加 %1、登録済み %2、移動 %3、変更あり %4、データファイルでないもの %5")
                            .arg(report.added)
                            .arg(report.known)
                            .arg(report.moved)
                            .arg(report.changed)
                            .arg(report.refused.size()) +
                        (report.cancelled ? tr("\n中止しました。") : QString()),
                    QMessageBox::Ok, this);
    QStringList details = report.refused + report.warnings;
    if (!report.failure.ok) {
        box.setIcon(QMessageBox::Warning);
        details.prepend(report.failure.reason);
    }
    box.setDetailedText(details.join(u'\n'));
    box.exec();
}

void LibraryWindow::showTrend() {
    if (tabs_->currentIndex() != 1) return;
    QChart* chart = trend_->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const TrendFigure& figure = TrendFigures()[static_cast<std::size_t>(figure_->currentIndex())];
    // The runs shown in the order of their download times.
    std::vector<std::pair<QPointF, qint64>> points;
    for (const IndexedRun& run : runs_) {
        const std::optional<double> value = figure.value(run);
        const QDateTime downloaded = QDateTime::fromString(run.downloaded, Qt::ISODate);
        if (!value || !downloaded.isValid()) continue;
        points.emplace_back(QPointF(static_cast<double>(downloaded.toMSecsSinceEpoch()), *value),
                            run.id);
    }
    std::sort(points.begin(), points.end(),
              [](const auto& a, const auto& b) { return a.first.x() < b.first.x(); });
    auto* line = new QLineSeries;
    line->setPen(QPen(palette::Lighter(palette::kBattery), 1.2));
    trendPoints_ = new QScatterSeries;
    trendPoints_->setMarkerSize(9);
    trendPoints_->setColor(palette::kBattery);
    trendPoints_->setBorderColor(palette::kBattery.darker(130));
    trendRuns_.clear();
    for (const auto& [point, id] : points) {
        line->append(point);
        trendPoints_->append(point);
        trendRuns_.push_back(id);
    }
    chart->addSeries(line);
    chart->addSeries(trendPoints_);
    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("yyyy-MM-dd"));
    time->setTitleText(RunColumnHead("downloaded"));
    auto* values = new QValueAxis;
    values->setTitleText(TrendFigureName(figure));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(time);
        series->attachAxis(values);
    }
    if (!points.empty()) {
        // A day of room on either side; a single point in the middle of its own range.
        const double day = 86400000.0;
        time->setRange(
            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(points.front().first.x() - day)),
            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(points.back().first.x() + day)));
        const auto [low, high] = std::minmax_element(
            points.begin(), points.end(),
            [](const auto& a, const auto& b) { return a.first.y() < b.first.y(); });
        const double air = std::max(1e-6, (high->first.y() - low->first.y()) * 0.1);
        values->setRange(low->first.y() - air, high->first.y() + air);
        values->applyNiceNumbers();
    }
    connect(trendPoints_, &QScatterSeries::clicked, this, [this](const QPointF& at) {
        const QList<QPointF> all = trendPoints_->points();
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all[i] != at) continue;
            for (const IndexedRun& run : runs_) {
                if (run.id == trendRuns_[static_cast<std::size_t>(i)]) openRuns({&run});
            }
            return;
        }
    });
}

void LibraryWindow::showLaps() {
    if (tabs_->currentIndex() != 2 || !lapsStale_) return;
    laps_ = index_->laps(filter());
    const double slowest = slowest_->value();
    const double fastest = fastest_->value() > 0.0 ? fastest_->value() : INFINITY;
    if (slowest > 0.0 || fastest_->value() > 0.0) {
        std::erase_if(laps_, [slowest, fastest](const IndexedLap& lap) {
            return !lap.lap.avg_speed_kmh || *lap.lap.avg_speed_kmh < slowest ||
                   *lap.lap.avg_speed_kmh > fastest;
        });
    }
    std::unordered_map<qint64, const IndexedRun*> runs;
    for (const IndexedRun& run : runs_) runs.emplace(run.id, &run);
    lapRuns_.clear();
    for (const IndexedLap& lap : laps_) lapRuns_.push_back(runs.at(lap.runId));
    lapModel_->reset(static_cast<int>(laps_.size()));
    FitColumns(lapTable_);
    lapsStale_ = false;
}

LibraryWindow* OpenLibraryWindow(QWidget* parent, const QString& libraryOption, QString* error) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RunIndex::Opened opened = OpenLibrary(LibraryPath(libraryOption));
    QApplication::restoreOverrideCursor();
    if (!opened.ok) {
        if (error) *error = opened.reason;
        return nullptr;
    }
    auto* window = new LibraryWindow(std::move(opened.index), parent);
    if (parent) window->setWindowFlag(Qt::Window);  // a window of its own that closes with it
    if (!opened.note.isEmpty()) window->statusBar()->showMessage(opened.note);
    window->show();
    return window;
}

}  // namespace yb
