// Entry of every test binary: a QApplication on the offscreen platform, remembered settings and
// the run library in a folder of the run's own, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // What the program remembers (QSettings) never reaches the user's own configuration.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    // Nor does the run library they add to.
    qputenv("XDG_DATA_HOME", settings.path().toLocal8Bit());
    // Exports load their writers from the build, wherever a test binary lies in it.
    if (!qEnvironmentVariableIsSet("YB_EXPORT_WRITERS"))
        qputenv("YB_EXPORT_WRITERS", YB_EXPORT_WRITERS_BUILT);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
