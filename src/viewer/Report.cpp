#include "viewer/Report.h"

#include <QApplication>
#include <QChart>
#include <QDateTime>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QValueAxis>

#include <cerrno>
#include <cmath>
#include <functional>
#include <numeric>

#include "datafile/DiskSync.h"
#include "datafile/FileTarget.h"
#include "datafile/RunSummary.h"
#include "viewer/Palette.h"
#include "viewer/RunCharts.h"

namespace yb {

namespace {

using namespace palette;

QString CannotWrite(const QString& reason) {
    return QCoreApplication::translate("Report", "cannot write: %1").arg(reason);
}

QString ImageFailedText();

QString PdfFailedText() {
    return QCoreApplication::translate("Report", "the PDF could not be written");
}

// The run's charts as the model shows them, in a scene of their own, stacked at `width` x
// `height` each (scene units), plot areas lined up.
class ChartScene {
public:
    ChartScene(const RunModel& model, qreal width, qreal height)
        : charts_(BuildRunCharts(model.run(), model.energy())) {
        ShowModel(charts_, model);
        // Paper and images show finer detail than a screen: two columns per scene unit.
        constexpr qreal kColumnsPerUnit = 2;
        std::vector<QChart*> charts;
        qreal y = 0;
        for (RunChart& chart : charts_) {
            scene_.addItem(chart.chart);  // the scene owns the chart from here
            // The bottom chart carries the time labels.
            const qreal h = chart.timeAxis->labelsVisible() ? height * 1.25 : height;
            chart.chart->setGeometry(QRectF(0, y, width, h));
            ShowTimeRange(chart, chart.timeAxis->min(), chart.timeAxis->max(),
                          static_cast<int>(width * kColumnsPerUnit));
            rects_.push_back(QRectF(0, y, width, h));
            charts.push_back(chart.chart);
            y += h;
        }
        // Qt Charts lays its items out from posted events: deliver the charts' own (and no
        // other object's) before and after the plot areas are lined up, so nothing is drawn
        // where a chart used to be.
        settle();
        AlignPlotAreas(charts);
        settle();
    }
    void settle() {
        for (const RunChart& chart : charts_) {
            QCoreApplication::sendPostedEvents(chart.chart);
            for (QObject* child : chart.chart->findChildren<QObject*>()) {
                QCoreApplication::sendPostedEvents(child);
            }
        }
    }
    const std::vector<QRectF>& rects() const { return rects_; }
    qreal height() const { return rects_.empty() ? 0 : rects_.back().bottom(); }
    // Draws chart i into `target` of the painter.
    void render(QPainter& painter, std::size_t i, const QRectF& target) {
        // The scene draws every item that reaches into the source, and the series replace the
        // painter's clip with their plot area: the other charts are hidden meanwhile.
        for (std::size_t k = 0; k < charts_.size(); ++k) charts_[k].chart->setVisible(k == i);
        scene_.render(&painter, target, rects_.at(i), Qt::IgnoreAspectRatio);
        for (const RunChart& chart : charts_) chart.chart->setVisible(true);
    }

private:
    QGraphicsScene scene_;
    std::vector<RunChart> charts_;
    std::vector<QRectF> rects_;
};

QFont Font(qreal points, bool bold = false) {
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// What the title says besides the run's name: the window shown (unless it is the whole run), a
// compared run, and that the file is partial.
QStringList TitleNotes(const RunModel& model) {
    const auto [min, max] = model.range();
    QStringList notes;
    if (!model.wholeRun()) {
        notes << QCoreApplication::translate("Report", "表示範囲 ") +
                     RangeText(model.timeline(), min, max);
    }
    for (const RunOverlay& overlay : model.overlays()) {
        notes << QCoreApplication::translate("Report", "比較 ") + overlay.run->title +
                     QCoreApplication::translate("Report", " (薄い色)");
    }
    if (model.summary().partial) notes << QCoreApplication::translate("Report", "部分データ");
    return notes;
}

QString WritePng(const RunModel& model, QIODevice& device) {
    constexpr qreal kWidth = 900;
    constexpr qreal kHeight = 210;
    constexpr qreal kTitle = 34;
    constexpr qreal kScale = 2;  // pixels per scene unit: sharp lines and text
    ChartScene scene(model, kWidth, kHeight);
    QImage image(QSize(static_cast<int>(kWidth * kScale),
                       static_cast<int>((scene.height() + kTitle) * kScale)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(kScale);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setPen(kInk);
    painter.setFont(Font(11, true));
    const RunData& run = model.run();
    QString title = run.title;
    if (!run.writtenAt.isEmpty()) title += QStringLiteral("   ") + run.writtenAt;
    for (const QString& note : TitleNotes(model)) {
        title += QStringLiteral("   ") + note;
    }
    painter.drawText(QRectF(12, 0, kWidth - 24, kTitle), Qt::AlignVCenter | Qt::AlignLeft, title);
    for (std::size_t i = 0; i < scene.rects().size(); ++i) {
        scene.render(painter, i, scene.rects()[i].translated(0, kTitle));
    }
    painter.end();
    return image.save(&device, "PNG") ? QString() : ImageFailedText();
}

// Lays out the A4 report top to bottom in millimetres, starting a page where a block does not
// fit.
class PdfReport {
public:
    explicit PdfReport(QPdfWriter& writer) : writer_(writer) {
        painter_.begin(&writer_);
        painter_.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        const QSizeF page = writer_.pageLayout().paintRect(QPageLayout::Millimeter).size();
        width_ = page.width();
        height_ = page.height();
    }
    bool isActive() const { return painter_.isActive(); }
    bool finish() { return painter_.end(); }

    qreal px(qreal mm) const { return mm * writer_.resolution() / 25.4; }
    qreal mm(qreal px) const { return px / writer_.resolution() * 25.4; }
    QRectF rect(qreal x, qreal y, qreal w, qreal h) const {
        return QRectF(px(x), px(y), px(w), px(h));
    }
    void room(qreal mm) {
        if (y_ + mm <= height_) return;
        newPage();
    }
    void newPage() {
        writer_.newPage();
        y_ = 0;
    }
    void text(qreal x, qreal w, qreal h, const QString& text, const QFont& font,
              const QColor& color, Qt::Alignment align = Qt::AlignLeft) {
        painter_.setFont(font);
        painter_.setPen(color);
        painter_.drawText(rect(x, y_, w, h), align | Qt::AlignVCenter, text);
    }
    void rule() {
        painter_.setPen(QPen(kRule, px(0.3)));
        painter_.drawLine(QPointF(0, px(y_)), QPointF(px(width_), px(y_)));
    }
    void fill(qreal x, qreal w, qreal h, const QColor& color) {
        painter_.fillRect(rect(x, y_, w, h), color);
    }

    QPainter& painter() { return painter_; }
    qreal width() const { return width_; }
    qreal height() const { return height_; }
    qreal& y() { return y_; }

private:
    QPdfWriter& writer_;
    QPainter painter_;
    qreal width_ = 0;
    qreal height_ = 0;
    qreal y_ = 0;
};

void DrawHeader(PdfReport& r, const RunData& run, const QStringList& notes) {
    r.text(0, r.width(), 9, run.title, Font(16, true), kInk);
    r.y() += 9;
    if (!notes.isEmpty()) {
        const bool partial = notes.back() == QCoreApplication::translate("Report", "部分データ");
        r.text(0, r.width(), 6, notes.join(QStringLiteral("    ")), Font(10, true),
               partial ? kWarning : kInk);
        r.y() += 6;
    }
    QString about;
    if (!run.writtenAt.isEmpty())
        about += QCoreApplication::translate("Report", "保存日時 ") + run.writtenAt;
    if (!run.savedPath.isEmpty())
        about += QCoreApplication::translate("Report", "    保存先 ") + run.savedPath;
    if (!about.isEmpty()) {
        r.text(0, r.width(), 5, about, Font(8.5), kMuted);
        r.y() += 5;
    }
    r.text(0, r.width(), 5,
           QCoreApplication::translate("Report", "レポート作成 ") +
               QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd H:mm")),
           Font(8.5), kMuted);
    r.y() += 7;
    r.rule();
    r.y() += 3;
}

// The summary's lines that apply and the battery's at the end of main row `rowEnd`.
void DrawSummary(PdfReport& r, const QString& title, const RunSummary& summary,
                 const RunEnergy& energy, int rowEnd) {
    std::vector<SummaryLine> lines;
    for (const SummaryLine& line : SummaryLines(summary)) {
        if (line.applies) lines.push_back(line);
    }
    for (const SummaryLine& line : ChargeLines(energy, rowEnd)) lines.push_back(line);
    const int perColumn = static_cast<int>((lines.size() + 1) / 2);
    constexpr qreal kRow = 5.2;
    r.room(7 + perColumn * kRow);
    r.text(0, r.width(), 7, title, Font(11, true), kInk);
    r.y() += 7;
    const qreal column = r.width() / 2;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const SummaryLine& line = lines[static_cast<std::size_t>(i)];
        const qreal x = (i / perColumn) * column;
        const qreal saved = r.y();
        r.y() += (i % perColumn) * kRow;
        const bool warn = line.key == QLatin1String("partial") && summary.partial;
        r.text(x, column * 0.55, kRow, line.label, Font(9.5), kMuted);
        r.text(x + column * 0.5, column * 0.42, kRow, line.value, Font(9.5, true),
               warn ? kWarning : kInk, Qt::AlignRight);
        r.y() = saved;
    }
    r.y() += perColumn * kRow + 4;
}

// The run's markers, one line each: when, what kind, the text.
void DrawMarkers(PdfReport& r, const std::vector<RunMarker>& markers) {
    if (markers.empty()) return;
    constexpr qreal kRow = 4.8;
    r.room(7 + kRow * std::min<qreal>(static_cast<qreal>(markers.size()), 3));
    r.text(0, r.width(), 7, QCoreApplication::translate("Report", "マーカー"), Font(11, true),
           kInk);
    r.y() += 7;
    for (const RunMarker& marker : markers) {
        r.room(kRow);
        r.text(0, 22, kRow, ClockText(marker.timeS, ClockForm::Long), Font(9, true), kMarker,
               Qt::AlignRight);
        r.text(26, 32, kRow, MarkerKindName(marker.kind), Font(9), kMuted);
        r.text(60, r.width() - 60, kRow, marker.text, Font(9), kInk);
        r.y() += kRow;
    }
    r.y() += 4;
}

void DrawCharts(PdfReport& r, const RunModel& model) {
    constexpr qreal kSceneWidth = 760;
    constexpr qreal kSceneHeight = 145;
    ChartScene scene(model, kSceneWidth, kSceneHeight);
    const qreal mmPerUnit = r.width() / kSceneWidth;
    r.room(7 + scene.rects().front().height() * mmPerUnit);
    r.text(0, r.width(), 7, QCoreApplication::translate("Report", "グラフ"), Font(11, true), kInk);
    r.y() += 7;
    for (std::size_t i = 0; i < scene.rects().size(); ++i) {
        const qreal h = scene.rects()[i].height() * mmPerUnit;
        r.room(h);
        scene.render(r.painter(), i, r.rect(0, r.y(), r.width(), h));
        r.y() += h;
    }
    r.y() += 4;
}

void DrawLaps(PdfReport& r, const RunSummary& summary) {
    constexpr qreal kRow = 4.6;
    constexpr qreal kHead = 9;
    const QStringList heads = LapHeads(LapMedium::Table);
    const int kColumns = static_cast<int>(heads.size());
    const std::vector<LapFigures>& laps = summary.lapTable;
    // Each column as wide as its widest head line and cell in the language shown, and 1.5 mm
    // apart from the one before it: heads never run together.
    const QFontMetricsF headMetrics(Font(7.5, true), r.painter().device());
    const QFontMetricsF cellMetrics(Font(8, true), r.painter().device());
    std::vector<qreal> widths(static_cast<std::size_t>(kColumns), 8.0);  // mm
    const auto widen = [&](int c, const QFontMetricsF& metrics, const QString& text) {
        auto& width = widths[static_cast<std::size_t>(c)];
        for (const QString& line : text.split(u'\n'))
            width = std::max(width, r.mm(metrics.horizontalAdvance(line)) + 1.5);
    };
    for (int c = 0; c < kColumns; ++c) widen(c, headMetrics, heads[c]);
    for (const LapFigures& lap : laps) {
        const QStringList cells = LapCells(lap, LapMedium::Table);
        for (int c = 0; c < kColumns; ++c) widen(c, cellMetrics, cells[c]);
    }
    constexpr qreal kGap = 5;  // between two groups of columns
    const qreal least = std::accumulate(widths.begin(), widths.end(), kGap);
    const int groups = std::max(1, static_cast<int>(r.width() / least));
    // The groups spread over the page's width, the columns a little wider.
    const qreal spread = std::min(1.4, (r.width() / groups - kGap) / (least - kGap));
    for (qreal& width : widths) width *= spread;
    const qreal kGroup = std::accumulate(widths.begin(), widths.end(), kGap);
    r.room(7 + kHead + kFewestLapRows * kRow);
    r.text(0, r.width(), 7, LapTableTitle(summary), Font(11, true), kInk);
    r.y() += 7;
    if (laps.empty()) {
        r.text(0, r.width(), kRow, QCoreApplication::translate("Report", "周回データはありません"),
               Font(9), kMuted);
        return;
    }
    const int firstRows = static_cast<int>((r.height() - r.y() - kHead) / kRow);
    const int pageRows = static_cast<int>((r.height() - kHead) / kRow);
    const std::vector<int> pages =
        LapTablePages(static_cast<int>(laps.size()), groups, firstRows, pageRows);
    std::size_t next = 0;
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0 || firstRows < pages.front()) r.newPage();
        const int perGroup = pages[page];
        const qreal top = r.y();
        qreal bottom = top;
        for (int g = 0; g < groups && next < laps.size(); ++g) {
            const qreal x0 = g * kGroup;
            r.y() = top;
            qreal x = x0;
            for (int c = 0; c < kColumns; ++c) {
                r.text(x, widths[c], kHead, heads[c], Font(7.5, true), kMuted, Qt::AlignRight);
                x += widths[c];
            }
            r.y() += kHead;
            for (int i = 0; i < perGroup && next < laps.size(); ++i, ++next) {
                const LapFigures& lap = laps[next];
                const bool best = summary.best_lap_no == lap.lap;
                if (best) r.fill(x0, kGroup - 4, kRow, kBestLap);
                const QStringList cells = LapCells(lap, LapMedium::Table);
                x = x0;
                for (int c = 0; c < kColumns; ++c) {
                    r.text(x, widths[c], kRow, cells[c], Font(8, best), kInk, Qt::AlignRight);
                    x += widths[c];
                }
                r.y() += kRow;
            }
            bottom = std::max(bottom, r.y());
        }
        r.y() = bottom;
    }
}

QString WritePdf(const RunModel& model, QIODevice& device) {
    const RunData& run = model.run();
    QPdfWriter writer(&device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(run.title);
    writer.setCreator(QStringLiteral("yb-downloader"));
    PdfReport report(writer);
    if (!report.isActive()) return PdfFailedText();
    const auto [min, max] = model.range();
    DrawHeader(report, run, TitleNotes(model));
    DrawSummary(report, QCoreApplication::translate("Report", "概要"), model.summary(),
                model.energy(), run.mainRows());
    if (!model.wholeRun()) {
        DrawSummary(report,
                    QCoreApplication::translate("Report", "表示範囲の概要  ") +
                        RangeText(model.timeline(), min, max),
                    model.rangeSummary(), model.energy(), RowsShown(run, min, max).mainEnd);
    }
    DrawMarkers(report, model.markers());
    DrawCharts(report, model);
    DrawLaps(report, model.summary());
    return report.finish() ? QString() : PdfFailedText();
}

}  // namespace

std::vector<int> LapTablePages(int laps, int columns, int firstPageRows, int pageRows) {
    std::vector<int> pages;
    columns = std::max(columns, 1);
    pageRows = std::max(pageRows, kFewestLapRows);
    // Too little room left on the first page: the table starts on the next one.
    int rows = firstPageRows >= kFewestLapRows ? firstPageRows : pageRows;
    int left = laps;
    while (left > 0) {
        // All that is left, balanced over the columns; or the page full, less what the next page
        // needs so that it does not hold only a few rows.
        int perColumn = (left + columns - 1) / columns;
        if (perColumn > rows) {
            const int after = left - rows * columns;
            const int missing = kFewestLapRows * columns - after;
            perColumn = missing <= 0
                            ? rows
                            : std::max(kFewestLapRows, rows - (missing + columns - 1) / columns);
        }
        pages.push_back(perColumn);
        left -= perColumn * columns;
        rows = pageRows;
    }
    return pages;
}

QString ReportBaseName(const RunModel& model) {
    const RunData& run = model.run();
    const QFileInfo source(run.title);
    const QString base = source.suffix().isEmpty() ? run.title : source.completeBaseName();
    if (model.wholeRun()) return base;
    const auto [min, max] = model.range();
    if (!model.timeline().minutes()) {
        return base + QStringLiteral("_rec%1-%2").arg(std::llround(min)).arg(std::llround(max));
    }
    return base + u'_' + ClockText(min * 60.0, ClockForm::FileName) + u'-' +
           ClockText(max * 60.0, ClockForm::FileName);
}

namespace {

// A QSaveFile that notices a write cut short. QFileDevice tells a write that a full disk cut short
// only by its count, and QPdfWriter and QImageWriter do not look at the count.
class ReportFile : public QSaveFile {
public:
    using QSaveFile::QSaveFile;
    // Why a write was cut short; empty while every write went through.
    const QString& shortWrite() const { return shortWrite_; }

protected:
    qint64 writeData(const char* data, qint64 length) override {
        const qint64 written = QSaveFile::writeData(data, length);
        if (written != length && shortWrite_.isEmpty()) {
            shortWrite_ = qt_error_string(errno);
        }
        return written;
    }

private:
    QString shortWrite_;
};

// Written beside the target under a temporary name, flushed and synced, and renamed over it only
// when all of it is on the disk: a full disk or a refused write leaves an existing file as it was,
// and no temporary file behind. commit() itself ignores a failed flush or sync. `draw` writes the
// content and returns why it failed, or nothing.
FileResult WriteAtomically(const QString& path, const std::function<QString(QIODevice&)>& draw) {
    // The rename below would put a regular file in place of a device or a pipe, or (as root) of a
    // read-only file: the same places are refused as for a data file.
    if (FileResult target = CheckTarget(path, true); !target.ok) return target;
    ReportFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return FileResult::Failed(
            QCoreApplication::translate("Report", "cannot create the file: %1")
                .arg(file.errorString()));
    }
    const QString drawn = draw(file);
    const auto failed = [&file](const QString& reason) {
        file.cancelWriting();
        return FileResult::Failed(reason);
    };
    // A flush cut short leaves no reason in the file, only in errno.
    const bool flushed = file.flush();
    const QString flushFailure = flushed ? QString() : qt_error_string(errno);
    if (!file.shortWrite().isEmpty()) {
        return failed(CannotWrite(file.shortWrite()));
    }
    if (!flushed) return failed(CannotWrite(flushFailure));
    if (file.error() != QFileDevice::NoError) {
        return failed(CannotWrite(file.errorString()));
    }
    if (!drawn.isEmpty()) return failed(drawn);
    if (!SyncToDisk(file)) return failed(CannotWrite(qt_error_string()));
    if (!file.commit())
        return FileResult::Failed(
            QCoreApplication::translate("Report", "cannot replace the file: %1")
                .arg(file.errorString()));
    return {};
}

QString ImageFailedText() {
    return QCoreApplication::translate("Report", "the image could not be written");
}

}  // namespace

FileResult WriteRunReport(const RunModel& model, const QString& path) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return FileResult::Failed(
            QCoreApplication::translate("Report", "drawing the charts needs a QApplication"));
    }
    const bool pdf = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    if (!pdf && !path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        return FileResult::Failed(
            QCoreApplication::translate("Report", "the output must end with .pdf or .png"));
    }
    return WriteAtomically(path, [&](QIODevice& device) {
        return pdf ? WritePdf(model, device) : WritePng(model, device);
    });
}

FileResult WriteImage(const QImage& image, const QString& path) {
    return WriteAtomically(path, [&image](QIODevice& device) {
        return image.save(&device, "PNG") ? QString() : ImageFailedText();
    });
}

}  // namespace yb
