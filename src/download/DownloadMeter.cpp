#include "download/DownloadMeter.h"

#include <algorithm>
#include <cmath>

#include "serial/LineExchange.h"

namespace yb {

namespace {

using Seconds = std::chrono::duration<double>;

constexpr double kCharSeconds = 10.0 / 38400.0;  // 8N1: start, 8 data and stop bit

}  // namespace

Seconds DownloadMeter::RecordLineTime(Stage stage) {
    return Seconds(static_cast<double>(RecordLineChars(stage)) * kCharSeconds);
}

bool DownloadMeter::take(const DownloadProgress& progress) {
    elapsed_ = progress.elapsed;
    StageState& stage = stages_[Index(progress.stage)];
    bool due = true;
    commandsDone_ = progress.commandsDone;
    retries_ = progress.retries;
    switch (progress.event) {
        case DownloadProgress::Event::IntervalRead:
            break;
        case DownloadProgress::Event::CountKnown:
            stage = {true, progress.count, 0};
            break;
        case DownloadProgress::Event::RecordStored:
            stage.done = progress.done;
            due = progress.done == stage.count || !lastShown_ ||
                  elapsed_ - *lastShown_ >= kDisplayInterval;
            break;
    }
    if (due) lastShown_ = elapsed_;
    return due;
}

MeterReading DownloadMeter::reading() const {
    MeterReading r;
    const Seconds wait = LineExchange::kCommandWait;
    // Until the lap count is known, D2? is taken to come: it costs 0.1 s at most.
    const bool lapsCounted = stages_[Index(Stage::Laps)].counted;
    Seconds lineDone = commandsDone_ * wait;
    Seconds lineLeft = (lapsCounted ? 0 : kCommandExchanges - commandsDone_) * wait;
    for (Stage s : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        const StageState& stage = stages_[Index(s)];
        if (!stage.counted) continue;
        r.done += stage.done;
        r.total += stage.count;
        lineDone += stage.done * RecordLineTime(s);
        lineLeft += (stage.count - stage.done) * RecordLineTime(s);
    }
    r.retries = retries_;
    r.seconds = Seconds(elapsed_).count();
    if (r.seconds > 0) r.recordsPerSecond = r.done / r.seconds;
    if (stages_[Index(Stage::Main)].counted) {
        const double pace = lineDone.count() > 0 ? r.seconds / lineDone.count() : 1.0;
        r.secondsLeft = lineLeft.count() * pace;
    }
    return r;
}

QString RetriesText(int retries) {
    return retries > 0 ? QStringLiteral("  再試行 %1 回").arg(retries) : QString();
}

QString TimeLeftText(double seconds) {
    const long whole = std::lround(std::ceil(std::max(seconds, 0.0)));
    return QStringLiteral("残り %1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QString MeterText(const MeterReading& reading) {
    QString text = QStringLiteral("%1 / %2 個  %3 個/秒")
                       .arg(reading.done)
                       .arg(reading.total)
                       .arg(std::lround(reading.recordsPerSecond));
    if (reading.secondsLeft) text += QStringLiteral("  ") + TimeLeftText(*reading.secondsLeft);
    return text + RetriesText(reading.retries);
}

QString MeterSummary(const DownloadOutcome& outcome, const MeterReading& reading) {
    QString ending = outcome.text;
    if (outcome.ending == Ending::Done) ending = QStringLiteral("完了");
    if (outcome.ending == Ending::Cancelled) ending = QStringLiteral("中止");
    return QStringLiteral("%1  読出し %2 個  %3 秒")
               .arg(ending)
               .arg(reading.done)
               .arg(reading.seconds, 0, 'f', 1) +
           RetriesText(outcome.retries);
}

}  // namespace yb
