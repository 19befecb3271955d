// The viewer's speed on a full data file (16100 main, 1350 temperature, 200 lap rows): parsing
// the file, opening a viewer window until every chart has painted (aim: 500 ms), moving the
// cursor, the window's figures after a zoom (aim: 16 ms, a frame), writing the PDF report (aim:
// 2 s) and the PNG image; and how often the viewer computed each derived figure. Runs on the
// offscreen platform.
#include <QApplication>
#include <QChartView>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <set>
#include <vector>

#include "SimulatedRun.h"
#include "datafile/DataFileReader.h"
#include "datafile/RunSummary.h"
#include "viewer/ChartStack.h"
#include "viewer/Report.h"
#include "viewer/RunCharts.h"
#include "viewer/RunModel.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerWindow.h"

#include "Offscreen.h"
#include "Timing.h"

namespace {

void Print(const char* what, const Figures& f) {
    std::printf("  %-38s mean %8.1f ms   min %8.1f ms   max %8.1f ms\n", what, f.mean, f.min,
                f.max);
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    const QTemporaryDir settings;  // the viewer's remembered layout: not the user's
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    // The files the viewer opens are filed in a library of the run's own, not the user's.
    qputenv("YB_LIBRARY", dir.filePath(QStringLiteral("library.sqlite")).toUtf8());
    const QString path = dir.filePath(QStringLiteral("full.csv"));
    const QByteArray bytes = yb::bench::WriteFullDataFile(path);
    if (bytes.isEmpty()) return 1;

    bool ok = true;
    const Figures parse =
        Time(20, [&] { ok = yb::ReadDataFile(bytes, path).run.has_value() && ok; });
    const Figures parseFile =
        Time(20, [&] { ok = yb::ReadDataFileAt(path).run.has_value() && ok; });
    const yb::RunData run = *yb::ReadDataFileAt(path).run;
    const Figures summary = Time(20, [&] { (void)yb::SummarizeRun(run); });

    // From the call that opens the file to the moment the last chart view has painted.
    constexpr int kOpenRuns = 5;
    const Figures open = Time(kOpenRuns, [&] {
        PaintWatch watch;
        QWidget* window = yb::OpenViewerOnFile(path);
        auto* stack = static_cast<yb::ViewerWindow*>(window)->charts();
        for (int i = 0; i < stack->count(); ++i) {
            stack->view(i)->viewport()->installEventFilter(&watch);
        }
        watch.wait(static_cast<std::size_t>(stack->count()));
        window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });

    // The cursor's cost: moving it across a chart and repainting every chart.
    auto* window = static_cast<yb::ViewerWindow*>(yb::OpenViewerOnFile(path));
    auto* stack = window->charts();
    QApplication::processEvents();
    const QRectF area = stack->charts().front().chart->plotArea();
    int step = 0;
    const Figures cursor = Time(20, [&] {
        stack->moveCursor(0,
                          QPointF(area.left() + area.width() * (++step) / 21.0, area.center().y()));
        for (int i = 0; i < stack->count(); ++i) stack->view(i)->viewport()->repaint();
    });

    // A zoom to a lap: the charts thinned to the new range and the window's figures filled in
    // before the call returns, then every chart repainted; and the figures alone, of the run from
    // a lap's start to its end.
    const auto laps = yb::SummarizeRun(run).lapTable;
    std::size_t lap = 0;
    const Figures zoom = Time(20, [&] {
        const yb::LapFigures& shown = laps[(lap += 7) % laps.size()];
        window->model().setRange(*shown.start_s / 60.0, (*shown.start_s + *shown.time_s) / 60.0);
        for (int i = 0; i < stack->count(); ++i) stack->view(i)->viewport()->repaint();
    });
    const Figures figures = Time(20, [&] {
        const yb::LapFigures& shown = laps[(lap += 7) % laps.size()];
        (void)yb::SummarizeWindow(run, *yb::RowsBetween(run, *shown.start_s, INFINITY));
    });
    // Each derived figure once, but the range's once a zoom: every view draws from the model.
    const yb::RunModel::Computations computed = window->model().computations();
    window->close();

    yb::RunModel model;
    model.setRun(std::make_shared<const yb::RunData>(run));
    const QString pdf = dir.filePath(QStringLiteral("full.pdf"));
    const QString png = dir.filePath(QStringLiteral("full.png"));
    const Figures report = Time(3, [&] { ok = yb::WriteRunReport(model, pdf).ok && ok; });
    const Figures image = Time(3, [&] { ok = yb::WriteRunReport(model, png).ok && ok; });

    Print("parse (bytes in memory)", parse);
    Print("parse (read from disk)", parseFile);
    Print("summary", summary);
    Print("open viewer until all charts painted", open);
    Print("cursor move + repaint of all charts", cursor);
    Print("zoom to a lap, figures, repaint all", zoom);
    Print("window figures alone", figures);
    Print("PDF report", report);
    Print("PNG image", image);
    std::printf(
        "  computed in the viewer after 20 zooms: summary %d, lap table %d, energy %d, "
        "range figures %d\n",
        computed.summary, computed.laps, computed.energy, computed.range);
    std::printf("  PDF %lld bytes, PNG %lld bytes\n", static_cast<long long>(QFileInfo(pdf).size()),
                static_cast<long long>(QFileInfo(png).size()));
    return ok ? 0 : 1;
}
