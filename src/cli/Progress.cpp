#include "cli/Progress.h"

#include <QCoreApplication>

#include <cstdio>

namespace yb {

namespace {

const char* StageName(Stage stage) {
    switch (stage) {
        case Stage::Main:
            return QT_TRANSLATE_NOOP("Progress", "データ１");
        case Stage::Temperature:
            return QT_TRANSLATE_NOOP("Progress", "温度データ");
        case Stage::Laps:
            break;
    }
    return QT_TRANSLATE_NOOP("Progress", "周回データ");
}

}  // namespace

QString ProgressPrinter::Line(Stage stage) const {
    return QCoreApplication::translate("Progress", StageName(stage)) + QStringLiteral("  ") +
           MeterText(meter_.reading(stage));
}

void ProgressPrinter::Show(const DownloadProgress& progress) {
    const bool due = meter_.take(progress);
    if (progress.event == DownloadProgress::Event::IntervalRead) return;
    if (terminal_) {
        if (!due) return;
        std::fprintf(stderr, "\r\x1b[K%s", qPrintable(Line(progress.stage)));
        lineOpen_ = true;
    } else {
        const MeterReading reading = meter_.reading(progress.stage);
        const int tenth = reading.total > 0 ? reading.done * 10 / reading.total : 0;
        if (progress.event != DownloadProgress::Event::CountKnown && tenth == lastTenth_) return;
        std::fprintf(stderr, "%s\n", qPrintable(Line(progress.stage)));
        lastTenth_ = tenth;
    }
    std::fflush(stderr);
}

void ProgressPrinter::Finish() {
    if (lineOpen_) std::fputc('\n', stderr);
    lineOpen_ = false;
}

}  // namespace yb
