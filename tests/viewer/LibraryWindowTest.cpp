// The library's window on the offscreen platform, driven with the mouse and the keys: a filter,
// a note edited and saved, three runs opened overlaid in one viewer, a trend point that opens its
// run, the laps of the runs shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "support/Runs.h"
#include "viewer/LibraryWindow.h"
#include "viewer/ViewerWindow.h"

namespace yb::test {
namespace {

void Settle() {
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

TEST(LibraryWindow, FilterEditOverlayAndTrend) {
    QTemporaryDir dir;
    const QString index = dir.filePath(QStringLiteral("library.sqlite"));
    qputenv("YB_LIBRARY", index.toUtf8());  // the viewers file their runs there as well
    RunIndex::Opened opened = OpenLibrary(index);
    ASSERT_TRUE(opened.ok) << opened.reason.toStdString();
    const QDateTime day(QDate(2026, 7, 12), QTime(9, 0));
    const QStringList names = {QStringLiteral("practice"), QStringLiteral("stint 1"),
                               QStringLiteral("stint 2"), QStringLiteral("stint 3")};
    for (int i = 0; i < names.size(); ++i) {
        const QString path = dir.filePath(QStringLiteral("run%1.csv").arg(i));
        WriteRun(path, 300 + 10 * i, 40.0f + 2.0f * static_cast<float>(i), 4, day.addDays(i));
        const RunAdded added = opened.index->add(ReadRunFile(path));
        RunNotes notes;
        notes.name = names[i];
        ASSERT_TRUE(opened.index->setNotes(added.id, notes).ok);
    }
    LibraryWindow window(std::move(opened.index));
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    std::vector<ViewerWindow*> viewers;
    QObject::connect(&window, &LibraryWindow::viewerOpened, [&viewers](QWidget* viewer) {
        viewer->setAttribute(Qt::WA_DeleteOnClose, false);
        viewers.push_back(static_cast<ViewerWindow*>(viewer));
    });
    window.show();
    Settle();
    QTableView* table = window.runTable();
    EXPECT_EQ(table->model()->rowCount(), 4);

    QTest::keyClicks(window.filterBox(), QStringLiteral("stint"));
    Settle();
    ASSERT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(window.countLabel()->text(), QStringLiteral("3 件"));

    // The latest run first; its event typed in the side panel and saved.
    const auto clickRow = [table](int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers,
                          table->visualRect(table->model()->index(row, 0)).center());
        Settle();
    };
    clickRow(0);
    QTest::keyClicks(window.eventBox(), QStringLiteral("Suzuka"));
    QTest::mouseClick(window.saveButton(), Qt::LeftButton);
    Settle();
    const IndexedRun latest = window.index().list({.text = QStringLiteral("Suzuka")}).at(0);
    EXPECT_EQ(latest.notes.name, QStringLiteral("stint 3"));
    EXPECT_EQ(latest.notes.event, QStringLiteral("Suzuka"));

    // Three runs overlaid in one viewer: the first selected its run, the others laid over it,
    // their lap times beside its own.
    clickRow(0);
    clickRow(1, Qt::ControlModifier);
    clickRow(2, Qt::ControlModifier);
    ASSERT_TRUE(window.overlayButton()->isEnabled());
    QTest::mouseClick(window.overlayButton(), Qt::LeftButton);
    Settle();
    ASSERT_EQ(viewers.size(), 1u);
    std::unique_ptr<ViewerWindow> overlaid(viewers.back());
    EXPECT_EQ(overlaid->run()->title, QStringLiteral("run3.csv"));
    ASSERT_EQ(overlaid->model().overlays().size(), 2u);
    EXPECT_EQ(overlaid->model().overlays()[1].run->title, QStringLiteral("run1.csv"));
    EXPECT_EQ(overlaid->lapTable()->columnCount(), 7 + 2);

    // A point of the trend opens its run: the earliest of the three shown.
    QTabBar* tabs = window.tabs()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    Settle();
    QChartView* trend = window.trendView();
    const QPointF first = window.trendPoints()->points().at(0);
    const QPoint at = trend->mapFromScene(
        trend->chart()->mapToScene(trend->chart()->mapToPosition(first, window.trendPoints())));
    QTest::mouseClick(trend->viewport(), Qt::LeftButton, {}, at);
    Settle();
    ASSERT_EQ(viewers.size(), 2u);
    std::unique_ptr<ViewerWindow> opened1(viewers.back());
    EXPECT_EQ(opened1->run()->title, QStringLiteral("run1.csv"));

    // The laps of the three runs shown, in one table.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    Settle();
    EXPECT_EQ(window.tabs()->currentWidget()->findChild<QTableView*>()->model()->rowCount(), 3 * 4);
    qunsetenv("YB_LIBRARY");
}

}  // namespace
}  // namespace yb::test
