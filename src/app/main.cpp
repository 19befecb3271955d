// yb-downloader: downloads a YB data logger over a serial line and saves its data.
#include <QApplication>

#include "ui/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    yb::Form1 window;
    window.show();
    return QApplication::exec();
}
