// yb-downloader: downloads a YB data logger over a serial line and saves its data.
#include <QApplication>

#include "ui/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    yb::Form1 window;
    QObject::connect(&window, &yb::Form1::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return QApplication::exec();
}
