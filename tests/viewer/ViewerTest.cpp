// The viewer on the offscreen platform: its charts hold the file's values, a drag on one chart
// zooms them all, a lap row zooms them to the lap and the window's figures follow, the lap table
// shows the best lap, a legend click hides a channel and the window remembers it, a second run
// and a lap overlay; the exported image's plot areas line up; an export to a pipe is refused in
// a message box; the data's export of the range shown or the whole run; the report's lap table
// pages; and the three commands with their exit codes.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGraphicsTextItem>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QHeaderView>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QValueAxis>
#include <array>
#include <functional>
#include <memory>

#include <sys/stat.h>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "datafile/DataFile.h"
#include "datafile/DataFileReader.h"
#include "datafile/ShiftJis.h"
#include "library/Library.h"
#include "support/Stores.h"
#include "viewer/ChartStack.h"
#include "viewer/LapOverlay.h"
#include "viewer/Palette.h"
#include "viewer/Report.h"
#include "viewer/StrategyPanel.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerWindow.h"

namespace yb::test {
namespace {

// 4000 records every 2 s (133 minutes); record i has speed i % 90 and solar current i / 100 A;
// record 5 is empty. Two temperatures. 40 laps of 183 s, but lap 2 of 0 s, lap 3 of 179 s and
// the best, lap 35, of 170 s.
void FillStore(RecordStore& data) {
    Shape(data, 2, 4000, 2, 40);
    for (int i = 0; i < 4000; ++i) {
        if (i == 5) continue;
        data.storeMain(
            i, {static_cast<float>(i) / 100.0f, -1.5f, 98.5f, 12.3f, static_cast<float>(i % 90)});
    }
    data.storeTemperature(0, 25);
    data.storeTemperature(1, -3);
    for (int i = 0; i < 40; ++i) {
        const std::int16_t time = i == 1 ? 0 : i == 2 ? 179 : i == 34 ? 170 : 183;
        data.storeLap(i, {time, 12.5f});
    }
}

void WriteFile(const QString& path, const RecordStore& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*EncodeShiftJis(*RenderDataFile(data, u',', path, QDateTime::currentDateTime())));
}

void Settle() {
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // What the viewer remembers goes to the test's folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        FillStore(data);
        path = dir.filePath(QStringLiteral("run 1.csv"));
        WriteFile(path, data);
    }
    // Opens the file and lets the window lay itself out.
    ViewerWindow* Open(bool resize = true) {
        QString error;
        window.reset(static_cast<ViewerWindow*>(OpenViewerOnFile(path, nullptr, &error)));
        EXPECT_TRUE(window) << error.toStdString();
        if (window) {
            window->setAttribute(Qt::WA_DeleteOnClose, false);
            if (resize) window->resize(1200, 800);
        }
        Settle();
        return window.get();
    }
    void Mouse(QWidget* viewport, QEvent::Type type, qreal x, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
        const QPointF at(x, viewport->height() / 2.0);
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    // The shared time range of every chart.
    std::vector<std::pair<double, double>> Ranges() const {
        std::vector<std::pair<double, double>> r;
        for (const RunChart& chart : window->charts()->charts())
            r.emplace_back(chart.timeAxis->min(), chart.timeAxis->max());
        return r;
    }
    // Types a value into a spin box and presses Enter.
    void Type(QDoubleSpinBox* box, const char* value) {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QString::fromUtf8(value));
        QTest::keyClick(box, Qt::Key_Return);
        Settle();
    }
    // Clicks the legend entry of a channel of chart `index`, named as the chart shows it.
    void ClickLegend(int index, const QString& name) {
        Settle();  // the legend lays its entries out once the chart is shown
        QChartView* view = window->charts()->view(index);
        QList<QGraphicsItem*> items = view->chart()->legend()->childItems();
        while (!items.isEmpty()) {
            QGraphicsItem* item = items.takeFirst();
            items += item->childItems();
            const auto* text = dynamic_cast<QGraphicsTextItem*>(item);
            if (!text || text->toPlainText() != name) continue;
            const QPointF center = text->mapToScene(text->boundingRect().center());
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(center));
            Settle();
            return;
        }
        ADD_FAILURE() << "no legend entry " << name.toStdString();
    }
    void ClickLap(int row) {
        QTableWidget* laps = window->lapTable();
        laps->scrollToItem(laps->item(row, 0));
        QTest::mouseClick(laps->viewport(), Qt::LeftButton, {},
                          laps->visualItemRect(laps->item(row, 1)).center());
        Settle();
    }

    // Runs `act`, answering each dialog it opens as a user would, each answer posted on its own
    // (a dialog it opens runs a loop of its own): the file dialog gets `file` typed, a message box
    // a click on the button whose text begins with `button`, else on Yes, else on OK. Returns the
    // text of the last box without a Yes.
    QString Answering(const std::function<void()>& act, const QString& file,
                      const QString& button = {}) {
        QString shown;
        bool typed = false;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog && !typed) {
                typed = true;
                QTimer::singleShot(0, dialog, [&, dialog] {
                    QTest::keyClick(dialog->focusWidget(), Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClicks(dialog->focusWidget(), file);
                    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
                });
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                QAbstractButton* click = box->button(QMessageBox::Yes);
                if (!click) shown = box->text();
                for (QAbstractButton* each : box->buttons())
                    if (!button.isEmpty() && each->text().startsWith(button)) click = each;
                if (!click) click = box->button(QMessageBox::Ok);
                QTimer::singleShot(0, box, [click] { QTest::mouseClick(click, Qt::LeftButton); });
            }
        });
        answer.start(50);
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        act();
        answer.stop();
        return shown;
    }
    QTemporaryDir dir;
    RecordStore data;
    QString path;
    std::unique_ptr<ViewerWindow> window;
};

TEST_F(Viewer, SeriesHoldTheFilesValues) {
    ChartStack* charts = Open()->charts();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("run 1.csv — 部分データ"));  // record 5
    ASSERT_EQ(charts->count(), 6);
    const auto points = [charts](int chart, int series) {
        return charts->charts()[static_cast<std::size_t>(chart)]
            .channels[static_cast<std::size_t>(series)]
            .own.points;
    };
    // Solar current: 3999 points (record 5 is empty), x in minutes, values as the file shows them.
    const QList<QPointF> solar = points(0, 0);
    ASSERT_EQ(solar.size(), 3999);
    EXPECT_EQ(solar[4], QPointF(4 * 2 / 60.0, 0.04));
    EXPECT_EQ(solar[5], QPointF(6 * 2 / 60.0, 0.06));
    EXPECT_DOUBLE_EQ(points(1, 1)[1].y(), -147.8);  // battery W: -1.5 A x 98.5 V, as written
    EXPECT_EQ(points(3, 0)[95], QPointF(96 * 2 / 60.0, 6));
    EXPECT_DOUBLE_EQ(points(4, 1)[1].y(), -147.8 * 2 * 2 / 3600);  // battery energy, two rows
    EXPECT_EQ(points(5, 0), (QList<QPointF>{{0, 25}, {1, -3}}));   // one temperature a minute
}

TEST_F(Viewer, DragZoomsEveryChartAndDoubleClickResets) {
    ChartStack* charts = Open()->charts();
    const auto whole = Ranges();
    EXPECT_EQ(whole.front(), std::pair(0.0, 3999 * 2 / 60.0));

    QWidget* viewport = charts->view(2)->viewport();
    const QRectF area = charts->charts()[2].chart->plotArea();
    const qreal from = area.left() + area.width() * 0.25;
    const qreal to = area.left() + area.width() * 0.5;
    Mouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(viewport, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(viewport, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    const auto zoomed = Ranges();
    const double pixel = whole.front().second / area.width();
    EXPECT_NEAR(zoomed.front().first, whole.front().second * 0.25, pixel);
    EXPECT_NEAR(zoomed.front().second, whole.front().second * 0.5, pixel);
    for (const auto& range : zoomed) EXPECT_EQ(range, zoomed.front());
    // Zooming in on one axis from outside moves the others too.
    charts->charts()[5].timeAxis->setRange(1.0, 2.0);
    EXPECT_EQ(Ranges().front(), std::pair(1.0, 2.0));

    Mouse(viewport, QEvent::MouseButtonDblClick, to, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(Ranges(), whole);
}

// Each value axis fits the values shown in the time range on screen, with 5 % of air (a flat
// channel gets 1 on either side): zoomed to a lap as the whole run, and the whole run's axes
// come back with it.
TEST_F(Viewer, ValueAxesFitTheVisibleValues) {
    ChartStack* charts = Open()->charts();
    const auto axes = [charts] {  // each chart's value axis, and the values shown in its range
        std::vector<std::array<double, 4>> r;
        for (const RunChart& chart : charts->charts()) {
            double low = INFINITY, high = -INFINITY;
            for (const ChartChannel& channel : chart.channels) {
                for (const QPointF& p : channel.own.points) {
                    if (channel.traits.rightAxis || p.x() < chart.timeAxis->min() ||
                        p.x() > chart.timeAxis->max())
                        continue;
                    low = std::min(low, p.y());
                    high = std::max(high, p.y());
                }
            }
            r.push_back({chart.valueAxes[0]->min(), chart.valueAxes[0]->max(), low, high});
        }
        return r;
    };
    const auto whole = axes();
    ClickLap(2);
    for (const auto& shown : {whole, axes()}) {
        for (const auto& [min, max, low, high] : shown) {
            EXPECT_TRUE(min <= low && max >= high &&
                        max - min <= std::max(high - low, 2.0) * 1.1 + 1e-9)
                << min << ".." << max << " for " << low << ".." << high;
        }
    }
    Mouse(charts->view(4)->viewport(), QEvent::MouseButtonDblClick, 50, Qt::LeftButton,
          Qt::LeftButton);
    EXPECT_EQ(axes(), whole);
}

// Laps lie one after the other from the lap start: lap 1 over [0 s, 183 s), records 0 to 91
// (record 5 empty: 91 records, partial); lap 2 of 0 s; lap 3 over [183 s, 362 s), records 92
// to 180.
TEST_F(Viewer, LapRowZoomsEveryChartAndTheWindowsFiguresFollow) {
    Open();
    EXPECT_EQ(window->windowFigure("records"), QStringLiteral("3999"));  // the whole run
    for (const RunChart& chart : window->charts()->charts()) {
        ASSERT_GE(chart.markers->laps().size(), 3u);
        EXPECT_EQ(chart.markers->laps()[0], std::pair(0.0, 1));
        EXPECT_EQ(chart.markers->laps()[2], std::pair(3.05, 3));
    }
    const struct {
        int row;
        std::pair<double, double> range;
        const char* records;
        const char* partial;
    } laps[] = {{0, {0.0, 3.05}, "91", "はい (空の行あり)"},
                {2, {3.05, 362 / 60.0}, "89", "いいえ"}};
    for (const auto& lap : laps) {
        ClickLap(lap.row);
        for (const auto& range : Ranges()) {
            EXPECT_DOUBLE_EQ(range.first, lap.range.first);
            EXPECT_DOUBLE_EQ(range.second, lap.range.second);
        }
        EXPECT_EQ(window->windowFigure("records"), QString::fromUtf8(lap.records));
        EXPECT_EQ(window->windowFigure("partial"), QString::fromUtf8(lap.partial));
        EXPECT_EQ(window->windowFigure("laps"), QStringLiteral("—"));
    }
    // → pans by a tenth of the window, and the figures follow: [200.9 s, 379.9 s).
    const QString solar = window->windowFigure("solar_wh");
    QTest::keyClick(window->charts()->view(0), Qt::Key_Right);
    EXPECT_NEAR(Ranges().front().first, 3.05 + 0.1 * (362 / 60.0 - 3.05), 1e-9);
    EXPECT_NEAR(Ranges().back().second - Ranges().back().first, 362 / 60.0 - 3.05, 1e-9);
    EXPECT_NE(window->windowFigure("solar_wh"), solar);
    // A lap start of one minute moves the markers and the laps.
    window->lapStartBox()->setValue(1.0);
    EXPECT_EQ(window->charts()->charts()[0].markers->laps()[0], std::pair(1.0, 1));
    ClickLap(0);
    EXPECT_DOUBLE_EQ(Ranges().front().second, 4.05);
}

// Every part of the window (charts, figures, lap table, lap overlay, report) draws from the
// window's model, which computes each figure once after a change of what it depends on; a change
// of the interface's language builds the window again from the model, computing nothing, and
// shows what it showed.
TEST_F(Viewer, EachFigureIsComputedOnceAndALanguageChangeKeepsWhatIsShown) {
    Open();
    QTranslator english;  // what the window's 言語 menu installs
    ASSERT_TRUE(english.load(QStringLiteral(":/i18n/yb-downloader_en.qm")));
    const RunModel& model = window->model();
    using Counts = RunModel::Computations;  // summary, lap table, energy, range figures
    EXPECT_EQ(model.computations(), (Counts{1, 1, 1, 1}));
    const std::pair<std::function<void()>, Counts> steps[] = {
        {[&] { Type(window->lapStartBox(), "1"); }, {0, 1, 0, 0}},
        {[&] { Type(window->capacityBox(), "20"); }, {0, 0, 1, 0}},
        {[&] { ClickLap(2); }, {0, 0, 0, 1}},
        {[&] { ClickLegend(3, QStringLiteral("速度")); }, {}},
        {[&] { window->compareLap(2)->close(); }, {}},
        {[&] { WriteRunReport(model, dir.filePath(QStringLiteral("shown.png"))); }, {}},
        {[&] {
             QCoreApplication::installTranslator(&english);
             Settle();
         },
         {}},
    };
    Counts expected = model.computations();
    for (const auto& [step, added] : steps) {
        step();
        expected = {expected.summary + added.summary, expected.laps + added.laps,
                    expected.energy + added.energy, expected.range + added.range};
        EXPECT_EQ(model.computations(), expected) << &step - &steps[0].first;
    }
    EXPECT_EQ(window->lapTable()->horizontalHeaderItem(0)->text(), QStringLiteral("Lap"));
    for (const auto& range : Ranges()) EXPECT_EQ(range, std::pair(4.05, 4.05 + 179 / 60.0));
    EXPECT_EQ(window->windowFigure("records"), QStringLiteral("89"));
    EXPECT_FALSE(window->charts()->charts()[3].channels[0].own.series->isVisible());
    EXPECT_EQ(window->charts()->charts()[0].markers->laps()[0], std::pair(1.0, 1));
    EXPECT_EQ(window->lapStartBox()->value(), 1.0);
    EXPECT_EQ(window->capacityBox()->value(), 20.0);
    EXPECT_DOUBLE_EQ(window->charts()->charts()[4].channels[3].own.points[0].y(),
                     20 + 1.5 * 2 / 3600);
    QCoreApplication::removeTranslator(&english);
    Settle();
}

// At its first size on a 1366 x 768 screen, in either language, every value axis keeps its
// labels and its title whole: each label within its share of the axis's height (Qt Charts
// elides a label taller than that) and the axis's width, the title within the plot area's
// height; the lap table's heads within their columns; the figures beside the charts need no
// scroll bar; and no two items of a menu share their mnemonic.
TEST_F(Viewer, TextsFitAtTheFirstSizeOnA1366x768Screen) {
    Open(false);
    window->resize(FirstViewerSize(QSize(1366, 768)));
    window->show();
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(":/i18n/yb-downloader_en.qm")));
    constexpr qreal kLabelPadding = 4;  // Qt Charts' padding above and below a label
    for (const bool inEnglish : {false, true}) {
        if (inEnglish) QCoreApplication::installTranslator(&english);
        Settle();
        for (const RunChart& chart : window->charts()->charts()) {
            const QRectF area = chart.chart->plotArea();
            for (const QValueAxis* axis : chart.valueAxes) {
                if (!axis) continue;
                const QFontMetricsF labels(axis->labelsFont()), title(axis->titleFont());
                int ticks = 0;
                qreal widest = 0;
                for (double at = std::ceil(axis->min() / axis->tickInterval() - 1e-9) *
                                 axis->tickInterval();
                     at <= axis->max() + 1e-9; at += axis->tickInterval(), ++ticks) {
                    widest = std::max(widest, labels.horizontalAdvance(QString::number(at)));
                }
                const qreal beside = axis == chart.valueAxes[0]
                                         ? area.left()
                                         : chart.chart->size().width() - area.right();
                EXPECT_TRUE(labels.height() + 2 * kLabelPadding <= area.height() / ticks &&
                            widest + title.height() + 2 * kLabelPadding <= beside &&
                            title.horizontalAdvance(axis->titleText()) <= area.height())
                    << axis->titleText().toStdString() << " " << ticks << " " << area.height();
            }
        }
        // Each line of a lap table head within its column.
        const QHeaderView* heads = window->lapTable()->horizontalHeader();
        const int margin = 2 * heads->style()->pixelMetric(QStyle::PM_HeaderMargin);
        for (int c = 0; c < heads->count(); ++c) {
            const QString head = window->lapTable()->horizontalHeaderItem(c)->text();
            for (const QString& line : head.split(u'\n'))
                EXPECT_LE(heads->fontMetrics().horizontalAdvance(line) + margin,
                          heads->sectionSize(c))
                    << line.toStdString();
        }
        const QScrollArea* figures = window->findChild<QScrollArea*>();
        ASSERT_TRUE(figures);
        EXPECT_FALSE(figures->verticalScrollBar()->isVisible()) << inEnglish;
        for (QMenu* menu : window->findChildren<QMenu*>()) {  // no two items share a mnemonic
            menu->popup(QPoint(0, 0));                        // the recent files are listed
            menu->close();
            QStringList keys;
            for (const QAction* action : menu->actions()) {
                for (const auto& m :
                     QRegularExpression(QStringLiteral("&(.)")).globalMatch(action->text())) {
                    if (m.captured(1) != u"&") keys << m.captured(1).toLower();
                }
            }
            EXPECT_EQ(keys.removeDuplicates(), 0) << menu->title().toStdString();
        }
    }
    QCoreApplication::removeTranslator(&english);
    Settle();
}

TEST_F(Viewer, LapTableShowsTheBestLapInView) {
    QTableWidget* laps = Open()->lapTable();
    ASSERT_EQ(laps->rowCount(), 40);
    for (int row = 0; row < 40; ++row) {
        const bool best = row == 34;  // 170 s; a time of 0 is no lap time
        for (int column = 0; column < 7; ++column) {
            EXPECT_EQ(laps->item(row, column)->font().bold(), best) << row << " " << column;
            EXPECT_EQ(laps->item(row, column)->background().style() != Qt::NoBrush, best);
        }
    }
    EXPECT_TRUE(laps->viewport()->rect().contains(laps->visualItemRect(laps->item(34, 0))));
    // Lap 1: speeds 0..89, 0, 1 less the empty record's 5, every 2 s: 4001 x 2 / 3600 km.
    QStringList cells;
    for (int column = 0; column < 7; ++column) cells << laps->item(0, column)->text();
    EXPECT_EQ(cells.mid(0, 6), (QStringList{"1", "3:03", "2.22", "43.7", "12.5", "5.6"}));
}

TEST_F(Viewer, FirstSizeFitsTheScreenLegendHidesAndTheWindowRemembersTheFilesCapacity) {
    Open(false);
    const QRect free = window->screen()->availableGeometry();
    EXPECT_TRUE(free.contains(window->frameGeometry())) << free.width() << "x" << free.height();
    EXPECT_TRUE(window->minimumSizeHint().width() <= free.width() &&
                window->minimumSizeHint().height() <= free.height());

    window->show();
    ClickLegend(3, QStringLiteral("速度"));
    EXPECT_FALSE(window->charts()->charts()[3].channels[0].own.series->isVisible());
    Type(window->capacityBox(), "20");
    window->resize(760, 560);
    window->close();
    Open(false);
    EXPECT_FALSE(window->charts()->charts()[3].channels[0].own.series->isVisible());
    // The capacity typed is the file's, kept in its notes (where the library reads it), not the
    // next file's.
    EXPECT_EQ(window->capacityBox()->value(), 20.0);
    EXPECT_EQ(NotesOfFile(path).batteryAh, 20.0);
    const QString other = dir.filePath(QStringLiteral("run 2.csv"));
    WriteFile(other, data);
    const std::unique_ptr<ViewerWindow> second(static_cast<ViewerWindow*>(OpenViewerOnFile(other)));
    second->setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_FALSE(second->model().batteryAh());
    // Notes that cannot take it are left as they are; this computer remembers it instead.
    QFile damaged(NotesPath(other));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write("{ damaged") > 0);
    damaged.close();
    Type(second->capacityBox(), "30");
    second->close();
    const std::unique_ptr<ViewerWindow> again(static_cast<ViewerWindow*>(OpenViewerOnFile(other)));
    again->setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(again->model().batteryAh(), 30.0);
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    EXPECT_EQ(damaged.readAll(), "{ damaged");
    EXPECT_TRUE(window->charts()->charts()[3].chart->legend()->markers().front()->isVisible());
    EXPECT_EQ(window->size(), QSize(760, 560));
    const QSettings remembered(QStringLiteral("yb-downloader"), QStringLiteral("viewer"));
    EXPECT_EQ(remembered.value("recent").toStringList(), (QStringList{other, path}));
}

// A marker placed with M at the cursor and its text typed: saved in the run's notes file, on
// every chart after the file is opened again, and printed in the report.
TEST_F(Viewer, MarkerPlacedSavedReopenedAndReported) {
    Open();
    window->show();
    Settle();
    QWidget* speed = window->charts()->view(3)->viewport();
    QTest::mouseMove(speed, QPoint(speed->width() / 2, speed->height() / 2));
    QTest::keyClick(window.get(), Qt::Key_M);
    ASSERT_EQ(window->model().markers().size(), 1u);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Pit in"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Settle();  // the table takes the text from its editor once the event loop runs
    EXPECT_EQ(window->model().markers()[0].text, QStringLiteral("Pit in"));
    EXPECT_GT(window->model().markers()[0].timeS, 20 * 60.0);
    // Its time typed over: a time past the run's end is refused, one inside it taken.
    QTableWidget* table = window->markerTable();
    const auto typeTime = [&](const QString& time) {
        const QPoint cell = table->visualItemRect(table->item(0, 0)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), time);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        Settle();
    };
    const double atCursor = window->model().markers()[0].timeS;
    typeTime(QStringLiteral("9:00:00"));
    EXPECT_EQ(window->model().markers()[0].timeS, atCursor);
    EXPECT_EQ(table->item(0, 0)->text(), ClockText(atCursor, ClockForm::Long));
    typeTime(QStringLiteral("0:05:00"));
    const RunMarker placed = window->model().markers()[0];
    EXPECT_EQ(placed, (RunMarker{300.0, placed.kind, QStringLiteral("Pit in")}));
    window->close();
    Open();
    EXPECT_EQ(window->model().markers(), std::vector<RunMarker>{placed});
    for (const RunChart& chart : window->charts()->charts()) {
        EXPECT_EQ(chart.markers->marks().size(), chart.sharesTime ? 1u : 0u);
    }
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(WriteRunReport(window->model(), pdf).ok);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished());
    const QByteArray printed = text.readAllStandardOutput();
    EXPECT_TRUE(printed.contains("Pit in"));
    EXPECT_TRUE(printed.contains(ClockText(placed.timeS, ClockForm::Long).toUtf8()));
}

TEST_F(Viewer, ComparedRunLapOverlayAndDroppedFiles) {
    Open();
    ASSERT_TRUE(window->addComparison(path));
    ChartStack* charts = window->charts();
    window->model().setOverlayOffset(0, 2.0);
    for (const RunChart& chart : charts->charts()) {
        for (const ChartChannel& channel : chart.channels) ASSERT_EQ(channel.overlays.size(), 1u);
        const ChartChannel& first = chart.channels[0];
        EXPECT_EQ(first.overlays[0].points.front().x(), first.own.points.front().x() + 2.0);
        EXPECT_GT(first.overlays[0].series->pen().color().lightness(),
                  first.own.series->pen().color().lightness());
    }
    ASSERT_TRUE(window->addComparison(path));  // again: a second run laid over
    const RunChart& speed = charts->charts()[3];
    ClickLegend(3, QStringLiteral("速度"));
    EXPECT_FALSE(speed.channels[0].own.series->isVisible() ||
                 speed.channels[0].overlays[0].series->isVisible());
    auto* overlay = static_cast<LapOverlay*>(window->compareLap(0));
    ASSERT_TRUE(overlay);
    for (int i = 0; i < 2; ++i) {
        const auto series = overlay->chart(i)->series();
        ASSERT_EQ(series.size(), 2);  // lap 35, lap 1
        for (QAbstractSeries* s : series) {
            ASSERT_FALSE(static_cast<QLineSeries*>(s)->points().empty());
            // The first record of each lap, less than an interval after its start.
            EXPECT_LT(static_cast<QLineSeries*>(s)->points().front().x(), 2.0);
        }
    }
    EXPECT_TRUE(overlay->differenceText().endsWith(QStringLiteral("= +0:13")));
    QTest::keyClick(overlay, Qt::Key_Escape);
    EXPECT_FALSE(overlay->isVisible());  // closed, deleted later

    ViewerWindow empty;
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&empty, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&empty, &drop);
    ASSERT_TRUE(empty.run());
    EXPECT_EQ(empty.run()->mainRows(), 4000);
}

// Six laps of 2 km, every 2 s, each at its own steady speed (40 to 72 km/h, 180 to 100 s) with
// the motor energy of 10 + 0.002 v² Wh/km; 10 A from the battery and 200 W of sun throughout.
// With 20 Ah typed the battery holds 20 - 10 x 854 / 3600 = 17.63 Ah at the end; 120 minutes left
// give 1763 + 400 Wh, 1081.4 W: 10 v + 0.002 v³ = 1081.4 at v = 61.5 km/h, 61.6 with the model
// fitted to the laps' energy as the file rounds it (to 0.1 Wh).
TEST_F(Viewer, StrategyFollowsItsInputsAndTheOverlayShowsTheTimeDifference) {
    const int speeds[] = {40, 45, 48, 50, 60, 72};
    Shape(data, 2, 427, 0, 6);
    for (int lap = 0, row = 0; lap < 6; ++lap) {
        const double v = speeds[lap];
        for (int i = 0; i < 3600 / speeds[lap]; ++i, ++row)
            data.storeMain(row, {2.0f, 10.0f, 100.0f, 12.0f, static_cast<float>(v)});
        data.storeLap(lap, {static_cast<std::int16_t>(7200 / speeds[lap]),
                            static_cast<float>((10 + 0.002 * v * v) * 2)});
    }
    WriteFile(path, data);
    Open()->show();
    window->activateWindow();
    QTest::keyClick(window.get(), Qt::Key_T, Qt::ControlModifier);  // 表示 → 残りのレースの作戦
    Settle();
    auto* panel = window->findChild<StrategyPanel*>();
    ASSERT_TRUE(panel && panel->isVisible());
    EXPECT_EQ(panel->answerText(), QStringLiteral("バッテリー初期容量が未設定です"));
    Type(panel->input(StrategyPanel::Capacity), "20");
    EXPECT_EQ(window->capacityBox()->value(), 20.0);  // one capacity, the model's
    const QString hour = panel->answerText();
    Type(panel->input(StrategyPanel::Remaining), "120");
    EXPECT_NE(panel->answerText(), hour);
    EXPECT_EQ(panel->answerText(), QStringLiteral("61.6 km/h"));
    EXPECT_EQ(panel->table()->rowCount(), 9);

    QTableWidget* laps = window->lapTable();
    const QPoint lap1 = laps->visualItemRect(laps->item(0, 1)).center();
    QTest::mouseClick(laps->viewport(), Qt::LeftButton, {}, lap1);  // a double-click's first
    QTest::mouseDClick(laps->viewport(), Qt::LeftButton, {}, lap1);
    Settle();
    auto* overlay = window->findChild<LapOverlay*>();
    ASSERT_TRUE(overlay);
    QTest::mouseClick(overlay->distanceButton(), Qt::LeftButton);
    // 40 against 72 km/h: 3600 (1/40 - 1/72) = 40 s a km behind, a straight line to 80 s.
    const auto* gaps = static_cast<QLineSeries*>(overlay->chart(2)->series().value(0));
    ASSERT_TRUE(gaps && gaps->count() > 80);
    for (const QPointF& p : gaps->points()) EXPECT_NEAR(p.y(), p.x() * 40, 0.01) << p.x();
    EXPECT_NEAR(gaps->points().back().y(), 80.0, 0.01);
    const auto* axis = static_cast<QValueAxis*>(overlay->chart(0)->axes(Qt::Horizontal).front());
    EXPECT_TRUE(axis->titleText().contains("km") && axis->max() >= 2.0 && axis->max() < 2.5);
    // The pointer at 1 km on the speed chart, through the overlay's own window (others lie over
    // the same place of the offscreen screen).
    const QPoint at = overlay->view(0)->mapFromScene(
        overlay->chart(0)->mapToScene(overlay->chart(0)->mapToPosition({1.0, 50.0})));
    QTest::mouseMove(overlay->windowHandle(), overlay->view(0)->viewport()->mapTo(overlay, at));
    EXPECT_TRUE(overlay->cursorText().contains(QStringLiteral("第1周 40 km/h")) &&
                overlay->cursorText().contains(QStringLiteral("第6周 (ベスト) 72 km/h")))
        << overlay->cursorText().toStdString();
    const QString png = dir.filePath(QStringLiteral("lap.png"));
    ASSERT_TRUE(overlay->exportImage(png).ok);
    EXPECT_EQ(QImage(png).width(), overlay->view(0)->width() * 2);
}

TEST_F(Viewer, StoreViewerKeepsItsOwnCopyAndTakesTheBatteryCapacity) {
    std::unique_ptr<QWidget> viewer(OpenViewerOnStore(data, nullptr, 12.5));
    viewer->setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("ダウンロードしたデータ — 部分データ"));
    data.clear();
    auto* store = static_cast<ViewerWindow*>(viewer.get());
    EXPECT_EQ(store->run()->mainRows(), 4000);
    EXPECT_EQ(store->capacityBox()->value(), 12.5);
    const QList<QPointF> remaining = store->charts()->charts()[4].channels[3].own.points;
    ASSERT_EQ(remaining.size(), 3999);
    EXPECT_DOUBLE_EQ(remaining[0].y(), 12.5 + 1.5 * 2 / 3600);
}

// The exported image of a run whose values are constant: every chart's plot area (its tinted
// background) has the same left and right edge, and every line runs from edge to edge.
TEST_F(Viewer, ExportedImageLinesUpItsPlotAreas) {
    Shape(data, 10, 13, 2, 0);
    for (int i = 0; i < 13; ++i) data.storeMain(i, {5.0f, 2.0f, 100.0f, 12.0f, 50.0f});
    data.storeTemperature(0, 30);
    data.storeTemperature(1, 30);
    WriteFile(path, data);
    const QString png = dir.filePath(QStringLiteral("charts.png"));
    RunModel model;
    model.setRun(std::make_shared<const RunData>(*ReadDataFileAt(path).run));
    model.setHidden({"solar_wh", "battery_wh", "motor_wh"});  // not constant
    ASSERT_TRUE(WriteRunReport(model, png).ok);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    struct Band {
        int top, left, right;
    };
    std::vector<Band> bands;
    std::vector<std::pair<int, int>> lines;  // a long run of a line's colour: its ends
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int left = image.width(), right = -1, run = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(row[x]);
            if (c.rgb() == palette::kPlotArea.rgb()) {
                left = std::min(left, x);
                right = x;
            }
            const int spread =
                std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
            run = spread > 60 ? run + 1 : 0;
            if (run == 300) lines.emplace_back(x - 299, x);
            if (run > 300) lines.back().second = x;
        }
        if (right < 0) continue;
        if (bands.empty() || y > bands.back().top + 4) bands.push_back({y, left, right});
        bands.back().top = y;
        bands.back().left = std::min(bands.back().left, left);
        bands.back().right = std::max(bands.back().right, right);
    }
    ASSERT_EQ(bands.size(), 6u);
    ASSERT_GE(lines.size(), 7u);  // two currents, two powers, two voltages, speed, temperature
    for (const Band& band : bands) {
        EXPECT_NEAR(band.left, bands.front().left, 1);
        EXPECT_NEAR(band.right, bands.front().right, 1);
    }
    for (const auto& [from, to] : lines) {
        EXPECT_NEAR(from, bands.front().left, 3);
        EXPECT_NEAR(to, bands.front().right, 3);
    }
}

// The export refuses a target that cannot take it as the report command does, and says so in a
// message box; the pipe chosen stays a pipe. The dialogs are answered as a user would: the name
// typed, "replace it?" answered yes.
TEST_F(Viewer, ExportRefusesAPipeInAMessageBox) {
    Open();
    const QString pipe = dir.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(qPrintable(pipe), 0600), 0);
    const QString shown = Answering(  // ファイル → レポートを書き出す
        [&] { QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier); }, pipe);
    EXPECT_EQ(shown, pipe + QStringLiteral(": not a regular file: nothing is written there"));
    struct stat status = {};
    EXPECT_TRUE(::stat(qPrintable(pipe), &status) == 0 && S_ISFIFO(status.st_mode));
}

// ファイル → エクスポート… writes the lap shown, or the whole run when asked, with the channels
// shown (not the solar power hidden) and the charge left from the capacity typed in.
TEST_F(Viewer, ExportWritesTheRangeShownOrTheWholeRun) {
    Open();
    Type(window->capacityBox(), "30");
    ClickLegend(1, QStringLiteral("ソーラー電力"));
    ClickLap(2);  // lap 3: from 183 s to 362 s
    const QString file = dir.filePath(QStringLiteral("out.json"));
    for (const auto& [button, first, rows] :
         {std::tuple("表示範囲", 184, 89), std::tuple("全体", 0, 3999)}) {
        Answering([&] { QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier); }, file,
                  QString::fromUtf8(button));
        QFile written(file);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << button;
        const QJsonObject json = QJsonDocument::fromJson(written.readAll()).object();
        const QJsonObject channels = json["channels"].toObject();
        EXPECT_EQ(channels.keys(),
                  QStringList({"battery_a", "battery_w", "battery_wh", "lap", "main_v", "motor_wh",
                               "remaining_ah", "remaining_pct", "solar_a", "solar_wh", "speed_kmh",
                               "sub_v", "time_s"}));
        EXPECT_EQ(channels["time_s"].toArray().size(), rows) << button;
        EXPECT_EQ(channels["time_s"][0].toInt(), first) << button;
        EXPECT_EQ(json["summary"]["records"].toInt(), rows) << button;
        EXPECT_DOUBLE_EQ(channels["remaining_pct"][9].toDouble(),
                         channels["remaining_ah"][9].toDouble() / 30.0 * 100.0);
    }
}

TEST(Report, LapTablePagesLeaveNoFewRowsAlone) {
    const struct {
        int laps, columns, first, page;
        std::vector<int> pages;
    } cases[] = {
        {10, 2, 40, 56, {5}},            // balanced over the columns
        {1, 2, 40, 56, {1}},             //
        {200, 2, 29, 56, {29, 56, 15}},  // fills pages
        {118, 2, 29, 56, {29, 30}},      //
        {60, 2, 28, 56, {24, 6}},        // 4 rows would be left: the first page gives up 8
        {61, 2, 28, 56, {24, 7}},        //
        {10, 2, 3, 56, {5}},             // no room on the first page: on the next
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LapTablePages(c.laps, c.columns, c.first, c.page), c.pages) << c.laps;
    }
}

}  // namespace
}  // namespace yb::test
