#pragma once
// What the benchmarks that open windows share: the offscreen platform without its chatter, and a
// watch on the first paint of widgets.

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <cstdio>
#include <set>

// Chooses the offscreen platform; call before the application is made. It says
// "propagateSizeHints" for every window shown, which tells nothing here: left out.
inline void UseOffscreenPlatform() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.contains(QStringLiteral("propagateSizeHints"))) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
        }
    });
}

// Notes the first paint of each object it watches (an event filter on a view's viewport).
class PaintWatch : public QObject {
public:
    std::set<QObject*> painted;
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted.insert(object);
        return false;
    }
    // Runs the event loop until `objects` of them have painted.
    void wait(std::size_t objects) const {
        while (painted.size() < objects) QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
};
