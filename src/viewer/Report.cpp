#include "viewer/Report.h"

#include <QApplication>
#include <QChart>
#include <QDateTime>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QValueAxis>

#include <cerrno>

#include "datafile/DiskSync.h"
#include "datafile/RunSummary.h"
#include "viewer/RunCharts.h"

namespace yb {

namespace {

const QColor kInk(0x1F, 0x29, 0x37);
const QColor kMuted(0x6B, 0x72, 0x80);
const QColor kRule(0xD1, 0xD5, 0xDB);
const QColor kBestLap(0xFF, 0xE8, 0xA3);

// The run's charts in a scene of their own, stacked at `width` x `height` each (scene units),
// plot areas lined up.
class ChartScene {
public:
    ChartScene(const RunData& run, qreal width, qreal height) : charts_(BuildRunCharts(run)) {
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

QString WritePng(const RunData& run, QIODevice& device) {
    constexpr qreal kWidth = 900;
    constexpr qreal kHeight = 210;
    constexpr qreal kTitle = 34;
    constexpr qreal kScale = 2;  // pixels per scene unit: sharp lines and text
    ChartScene scene(run, kWidth, kHeight);
    QImage image(QSize(static_cast<int>(kWidth * kScale),
                       static_cast<int>((scene.height() + kTitle) * kScale)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(kScale);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setPen(kInk);
    painter.setFont(Font(11, true));
    QString title = run.title;
    if (!run.writtenAt.isEmpty()) title += QStringLiteral("   ") + run.writtenAt;
    painter.drawText(QRectF(12, 0, kWidth - 24, kTitle), Qt::AlignVCenter | Qt::AlignLeft, title);
    for (std::size_t i = 0; i < scene.rects().size(); ++i) {
        scene.render(painter, i, scene.rects()[i].translated(0, kTitle));
    }
    painter.end();
    return image.save(&device, "PNG") ? QString()
                                      : QStringLiteral("the image could not be written");
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
    QRectF rect(qreal x, qreal y, qreal w, qreal h) const {
        return QRectF(px(x), px(y), px(w), px(h));
    }
    void room(qreal mm) {
        if (y_ + mm <= height_) return;
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

void DrawHeader(PdfReport& r, const RunData& run) {
    r.text(0, r.width(), 9, run.title, Font(16, true), kInk);
    r.y() += 9;
    QString about;
    if (!run.writtenAt.isEmpty()) about += QStringLiteral("保存日時 ") + run.writtenAt;
    if (!run.savedPath.isEmpty()) about += QStringLiteral("    保存先 ") + run.savedPath;
    if (!about.isEmpty()) {
        r.text(0, r.width(), 5, about, Font(8.5), kMuted);
        r.y() += 5;
    }
    r.text(0, r.width(), 5,
           QStringLiteral("レポート作成 ") +
               QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd H:mm")),
           Font(8.5), kMuted);
    r.y() += 7;
    r.rule();
    r.y() += 3;
}

void DrawSummary(PdfReport& r, const RunSummary& summary) {
    const std::vector<SummaryLine> lines = SummaryLines(summary);
    const int perColumn = static_cast<int>((lines.size() + 1) / 2);
    constexpr qreal kRow = 5.2;
    r.text(0, r.width(), 7, QStringLiteral("概要"), Font(11, true), kInk);
    r.y() += 7;
    const qreal column = r.width() / 2;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const qreal x = (i / perColumn) * column;
        const qreal saved = r.y();
        r.y() += (i % perColumn) * kRow;
        r.text(x, column * 0.55, kRow, lines[static_cast<std::size_t>(i)].label, Font(9.5), kMuted);
        r.text(x + column * 0.5, column * 0.42, kRow, lines[static_cast<std::size_t>(i)].value,
               Font(9.5, true), kInk, Qt::AlignRight);
        r.y() = saved;
    }
    r.y() += perColumn * kRow + 4;
}

void DrawCharts(PdfReport& r, const RunData& run) {
    constexpr qreal kSceneWidth = 760;
    constexpr qreal kSceneHeight = 145;
    ChartScene scene(run, kSceneWidth, kSceneHeight);
    const qreal mmPerUnit = r.width() / kSceneWidth;
    r.room(7 + scene.rects().front().height() * mmPerUnit);
    r.text(0, r.width(), 7, QStringLiteral("グラフ"), Font(11, true), kInk);
    r.y() += 7;
    for (std::size_t i = 0; i < scene.rects().size(); ++i) {
        const qreal h = scene.rects()[i].height() * mmPerUnit;
        r.room(h);
        scene.render(r.painter(), i, r.rect(0, r.y(), r.width(), h));
        r.y() += h;
    }
    r.y() += 4;
}

void DrawLaps(PdfReport& r, const RunData& run, const RunSummary& summary) {
    constexpr qreal kRow = 4.6;
    constexpr qreal kHead = 6;
    const qreal columns[] = {12, 16, 20};  // lap, time, Wh
    constexpr qreal kGroup = 12 + 16 + 20 + 6;
    r.room(7 + kHead + 3 * kRow);
    const QString title = summary.best_lap_no ? QStringLiteral("周回  (ベスト %1周目 %2)")
                                                    .arg(*summary.best_lap_no)
                                                    .arg(ClockText(*summary.best_lap_s))
                                              : QStringLiteral("周回");
    r.text(0, r.width(), 7, title, Font(11, true), kInk);
    r.y() += 7;
    if (run.laps.empty()) {
        r.text(0, r.width(), kRow, QStringLiteral("周回データはありません"), Font(9), kMuted);
        return;
    }
    const int groups = std::max(1, static_cast<int>(r.width() / kGroup));
    std::size_t next = 0;
    while (next < run.laps.size()) {
        const int rowsPerGroup = std::max(1, static_cast<int>((r.height() - r.y() - kHead) / kRow));
        const qreal top = r.y();
        qreal bottom = top;
        for (int g = 0; g < groups && next < run.laps.size(); ++g) {
            const qreal x0 = g * kGroup;
            r.y() = top;
            const QString heads[] = {QStringLiteral("周回"), QStringLiteral("タイム"),
                                     QStringLiteral("モーター Wh")};
            qreal x = x0;
            for (int c = 0; c < 3; ++c) {
                r.text(x, columns[c], kHead, heads[c], Font(8, true), kMuted, Qt::AlignRight);
                x += columns[c];
            }
            r.y() += kHead;
            for (int i = 0; i < rowsPerGroup && next < run.laps.size(); ++i, ++next) {
                const LapRow& lap = run.laps[next];
                const bool best = summary.best_lap_no == lap.number;
                if (best) r.fill(x0, kGroup - 4, kRow, kBestLap);
                const QString cells[] = {
                    QString::number(lap.number),
                    lap.timeS >= 0 ? ClockText(lap.timeS) : QStringLiteral("—"),
                    lap.motorWh >= 0 ? QString::number(lap.motorWh, 'f', 1) : QStringLiteral("—")};
                x = x0;
                for (int c = 0; c < 3; ++c) {
                    r.text(x, columns[c], kRow, cells[c], Font(8.5, best), kInk, Qt::AlignRight);
                    x += columns[c];
                }
                r.y() += kRow;
            }
            bottom = std::max(bottom, r.y());
        }
        r.y() = bottom;
        if (next < run.laps.size()) r.room(r.height());  // a new page for the rest
    }
}

QString WritePdf(const RunData& run, QIODevice& device) {
    QPdfWriter writer(&device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(run.title);
    writer.setCreator(QStringLiteral("yb-downloader"));
    PdfReport report(writer);
    if (!report.isActive()) return QStringLiteral("the PDF could not be written");
    const RunSummary summary = SummarizeRun(run);
    DrawHeader(report, run);
    DrawSummary(report, summary);
    DrawCharts(report, run);
    DrawLaps(report, run, summary);
    return report.finish() ? QString() : QStringLiteral("the PDF could not be written");
}

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

}  // namespace

QString WriteRunReport(const RunData& run, const QString& path) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return QStringLiteral("drawing the charts needs a QApplication");
    }
    const bool pdf = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    if (!pdf && !path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        return QStringLiteral("the output must end with .pdf or .png");
    }
    // Written beside the target under a temporary name, flushed and synced, and renamed over it
    // only when all of it is on the disk: a full disk or a refused write leaves an existing report
    // as it was, and no temporary file behind. commit() itself ignores a failed flush or sync.
    ReportFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("cannot create the file: ") + file.errorString();
    }
    const QString drawn = pdf ? WritePdf(run, file) : WritePng(run, file);
    const auto failed = [&file](const QString& reason) {
        file.cancelWriting();
        return reason;
    };
    // A flush cut short leaves no reason in the file, only in errno.
    const bool flushed = file.flush();
    const QString flushFailure = flushed ? QString() : qt_error_string(errno);
    if (!file.shortWrite().isEmpty()) {
        return failed(QStringLiteral("cannot write: ") + file.shortWrite());
    }
    if (!flushed) return failed(QStringLiteral("cannot write: ") + flushFailure);
    if (file.error() != QFileDevice::NoError) {
        return failed(QStringLiteral("cannot write: ") + file.errorString());
    }
    if (!drawn.isEmpty()) return failed(drawn);
    if (!SyncToDisk(file)) return failed(QStringLiteral("cannot write: ") + qt_error_string());
    if (!file.commit()) return QStringLiteral("cannot replace the file: ") + file.errorString();
    return {};
}

}  // namespace yb
