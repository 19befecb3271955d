#include "cli/Progress.h"

#include <cstdio>

namespace yb {

namespace {

const char* StageName(Stage stage) {
    switch (stage) {
        case Stage::Main:
            return "データ１";
        case Stage::Temperature:
            return "温度データ";
        case Stage::Laps:
            break;
    }
    return "周回データ";
}

int Sum(const std::map<Stage, int>& byStage) {
    int sum = 0;
    for (const auto& [stage, n] : byStage) sum += n > 0 ? n : 0;
    return sum;
}

}  // namespace

QString ProgressPrinter::Line(const DownloadProgress& progress) const {
    const int done = Sum(done_);
    const int total = Sum(counts_);
    const double seconds = std::chrono::duration<double>(progress.elapsed).count();
    const double rate = seconds > 0 ? done / seconds : 0.0;
    QString line = QStringLiteral("%1 %2/%3 records")
                       .arg(QString::fromUtf8(StageName(progress.stage)))
                       .arg(done)
                       .arg(total);
    if (rate > 0) {
        const int left = static_cast<int>((total - done) / rate + 0.5);
        line += QStringLiteral(", %1 rec/s, 残り %2:%3")
                    .arg(rate, 0, 'f', 0)
                    .arg(left / 60)
                    .arg(left % 60, 2, 10, QLatin1Char('0'));
    }
    return line;
}

void ProgressPrinter::Show(const DownloadProgress& progress) {
    using Event = DownloadProgress::Event;
    if (progress.event == Event::IntervalRead) return;
    if (progress.event == Event::CountKnown) counts_[progress.stage] = progress.count;
    done_[progress.stage] = progress.done;

    const int total = Sum(counts_);
    const int tenth = total > 0 ? Sum(done_) * 10 / total : 0;
    if (terminal_) {
        // At most ten updates a second; the count of each stage at once.
        if (progress.event == Event::RecordStored && progress.done != progress.count &&
            progress.elapsed - lastShown_ < std::chrono::milliseconds(100)) {
            return;
        }
        lastShown_ = progress.elapsed;
        std::fprintf(stderr, "\r\x1b[K%s", qPrintable(Line(progress)));
        lineOpen_ = true;
    } else if (progress.event == Event::CountKnown || tenth != lastTenth_) {
        std::fprintf(stderr, "%s\n", qPrintable(Line(progress)));
        lastTenth_ = tenth;
    }
    std::fflush(stderr);
}

void ProgressPrinter::Finish() {
    if (lineOpen_) std::fputc('\n', stderr);
    lineOpen_ = false;
}

}  // namespace yb
