// The viewer on the offscreen platform: its charts hold the file's values, a drag on one chart
// zooms them all, the lap table marks the best lap; and the three commands with their exit codes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QValueAxis>
#include <memory>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "datafile/DataFile.h"
#include "datafile/ShiftJis.h"
#include "support/Stores.h"
#include "viewer/ChartStack.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerWindow.h"

namespace yb::test {
namespace {

// 600 records every 2 s (20 minutes); record i has speed i % 90 and solar current i / 100 A;
// record 5 is empty. Two temperatures; three laps, the best of them the third.
void FillStore(RecordStore& data) {
    Shape(data, 2, 600, 2, 3);
    for (int i = 0; i < 600; ++i) {
        if (i == 5) continue;
        data.storeMain(i, {static_cast<float>(i) / 100.0f, -1.5f, 98.5f, 12.3f,
                           static_cast<float>(i % 90)});
    }
    data.storeTemperature(0, 25);
    data.storeTemperature(1, -3);
    const std::int16_t times[] = {183, 0, 179};
    for (int i = 0; i < 3; ++i) data.storeLap(i, {times[i], 12.5f});
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        FillStore(data);
        path = dir.filePath(QStringLiteral("run 1.csv"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            *EncodeShiftJis(*RenderDataFile(data, u',', path, QDateTime::currentDateTime())));
    }
    // Opens the file and lets the window lay itself out.
    ViewerWindow* Open() {
        QString error;
        window.reset(static_cast<ViewerWindow*>(OpenViewerOnFile(path, nullptr, &error)));
        EXPECT_TRUE(window) << error.toStdString();
        if (window) {
            window->setAttribute(Qt::WA_DeleteOnClose, false);
            window->resize(1200, 800);
        }
        for (int i = 0; i < 10; ++i) QApplication::processEvents();
        return window.get();
    }
    void Mouse(QWidget* viewport, QEvent::Type type, qreal x, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
        const QPointF at(x, viewport->height() / 2.0);
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }

    QTemporaryDir dir;
    RecordStore data;
    QString path;
    std::unique_ptr<ViewerWindow> window;
};

TEST_F(Viewer, SeriesHoldTheFilesValues) {
    ChartStack* charts = Open()->charts();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("run 1.csv"));
    ASSERT_EQ(charts->count(), 5);
    const auto points = [charts](int chart, int series) {
        return charts->charts()[static_cast<std::size_t>(chart)]
            .series[static_cast<std::size_t>(series)]
            ->points();
    };
    // Solar current: 599 points (record 5 is empty), x in minutes, values as the file shows them.
    const QList<QPointF> solar = points(0, 0);
    ASSERT_EQ(solar.size(), 599);
    EXPECT_EQ(solar[4], QPointF(4 * 2 / 60.0, 0.04));
    EXPECT_EQ(solar[5], QPointF(6 * 2 / 60.0, 0.06));
    EXPECT_DOUBLE_EQ(points(1, 1)[1].y(), -147.8);  // battery W: -1.5 A x 98.5 V, as written
    EXPECT_EQ(points(3, 0)[95], QPointF(96 * 2 / 60.0, 6));
    EXPECT_EQ(points(4, 0), (QList<QPointF>{{0, 25}, {1, -3}}));  // one temperature a minute
}

TEST_F(Viewer, DragZoomsEveryChartAndDoubleClickResets) {
    ChartStack* charts = Open()->charts();
    const auto ranges = [charts] {
        std::vector<std::pair<double, double>> r;
        for (const RunChart& chart : charts->charts())
            r.emplace_back(chart.timeAxis->min(), chart.timeAxis->max());
        return r;
    };
    const auto whole = ranges();
    EXPECT_EQ(whole.front(), std::pair(0.0, 599 * 2 / 60.0));

    QWidget* viewport = charts->view(2)->viewport();
    const QRectF area = charts->charts()[2].chart->plotArea();
    const qreal from = area.left() + area.width() * 0.25;
    const qreal to = area.left() + area.width() * 0.5;
    Mouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(viewport, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(viewport, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    const auto zoomed = ranges();
    EXPECT_NEAR(zoomed.front().first, whole.front().second * 0.25, 0.05);
    EXPECT_NEAR(zoomed.front().second, whole.front().second * 0.5, 0.05);
    for (const auto& range : zoomed) EXPECT_EQ(range, zoomed.front());
    // Zooming in on one axis from outside moves the others too.
    charts->charts()[4].timeAxis->setRange(1.0, 2.0);
    EXPECT_EQ(ranges().front(), std::pair(1.0, 2.0));

    Mouse(viewport, QEvent::MouseButtonDblClick, to, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(ranges(), whole);
}

TEST_F(Viewer, LapTableMarksTheBestLap) {
    QTableWidget* laps = Open()->lapTable();
    ASSERT_EQ(laps->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const bool best = row == 2;  // 179 s beats 183 s; a time of 0 is no lap time
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(laps->item(row, column)->font().bold(), best) << row << " " << column;
            EXPECT_EQ(laps->item(row, column)->background().style() != Qt::NoBrush, best);
        }
    }
    EXPECT_EQ(laps->item(2, 1)->text(), QStringLiteral("2:59"));
}

TEST_F(Viewer, StoreViewerKeepsItsOwnCopy) {
    std::unique_ptr<QWidget> viewer(OpenViewerOnStore(data));
    viewer->setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("ダウンロードしたデータ"));
    data.clear();
    const RunData* run = static_cast<ViewerWindow*>(viewer.get())->run();
    EXPECT_EQ(run->mainRows(), 600);
    EXPECT_EQ(run->laps.size(), 3u);
}

TEST_F(Viewer, CommandsAndTheirExitCodes) {
    const QString damaged = dir.filePath(QStringLiteral("damaged.csv"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("YB Download Data\r\n");
    file.close();
    QString error;
    EXPECT_EQ(OpenViewerOnFile(damaged, nullptr, &error), nullptr);
    EXPECT_EQ(error, damaged + QStringLiteral(":2: the file ends after line 1"));

    const QString png = dir.filePath(QStringLiteral("charts.PNG"));
    const auto to = [](const QString& output) {
        CommandOptions options;
        options.output = output;
        return options;
    };
    const std::pair<int, int> cases[] = {
        {SummaryCommand(path, to({})), kExitSuccess},
        {SummaryCommand(damaged, to({})), kExitFile},
        {ReportCommand(path, to({})), kExitSuccess},
        {ReportCommand(path, to(png)), kExitSuccess},
        {ReportCommand(path, to(dir.filePath(QStringLiteral("x.svg")))), kExitUsage},
        {ReportCommand(damaged, to({})), kExitFile},
        {ReportCommand(path, to(dir.filePath(QStringLiteral("no/such/x.pdf")))), kExitFile},
    };
    for (const auto& [code, expected] : cases) EXPECT_EQ(code, expected);
    const auto starts = [](const QString& file, const QByteArray& magic) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) && f.read(magic.size()) == magic;
    };
    EXPECT_TRUE(starts(dir.filePath(QStringLiteral("run 1.pdf")), "%PDF"));
    EXPECT_TRUE(starts(png, "\x89PNG"));
}

}  // namespace
}  // namespace yb::test
