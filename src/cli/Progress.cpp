#include "cli/Progress.h"

#include <cstdio>

#include "datafile/Format.h"

namespace yb {

QString ProgressPrinter::Line(Stage stage) const {
    return SectionTitle(stage) + QStringLiteral("  ") + MeterText(meter_.reading(stage));
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
