#include "download/DownloadMeter.h"

#include <QCoreApplication>

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
            if (progress.interval.done() && progress.interval.value &&
                IsRecordingInterval(*progress.interval.value)) {
                interval_ = *progress.interval.value;
            }
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
    const LineTime line = lineTime();
    const Seconds whole = line.done + line.left;
    if (stages_[Index(Stage::Main)].counted && whole.count() > 0) {
        fraction_ = std::max(fraction_, std::min(line.done / whole, 1.0));
    }
    return due;
}

DownloadMeter::LineTime DownloadMeter::lineTime() const {
    const Seconds wait = LineExchange::kCommandWait;
    // Until the lap count is known, D2? is taken to come: it costs 0.1 s at most.
    const bool lapsCounted = stages_[Index(Stage::Laps)].counted;
    LineTime line;
    line.done = commandsDone_ * wait;
    line.left = (lapsCounted ? 0 : kCommandExchanges - commandsDone_) * wait;
    for (Stage s : {Stage::Main, Stage::Temperature, Stage::Laps}) {
        const StageState& stage = stages_[Index(s)];
        if (!stage.counted) continue;
        line.done += stage.done * RecordLineTime(s);
        line.left += (stage.count - stage.done) * RecordLineTime(s);
    }
    // The temperatures the logger recorded alongside the main records, until their count says
    // how many there are (or the laps' count that there are none).
    const StageState& main = stages_[Index(Stage::Main)];
    if (main.counted && interval_ && !stages_[Index(Stage::Temperature)].counted && !lapsCounted) {
        const int temperatures =
            std::min<int>(RecordStore::kTempLimit,
                          main.count * *interval_ / TemperatureIntervalSeconds(*interval_));
        line.left += temperatures * RecordLineTime(Stage::Temperature);
    }
    return line;
}

MeterReading DownloadMeter::reading() const {
    MeterReading r;
    for (const StageState& stage : stages_) {
        if (!stage.counted) continue;
        r.done += stage.done;
        r.total += stage.count;
    }
    const LineTime line = lineTime();
    r.retries = retries_;
    r.seconds = Seconds(elapsed_).count();
    if (r.seconds > 0) r.recordsPerSecond = r.done / r.seconds;
    if (stages_[Index(Stage::Main)].counted) {
        const double pace = line.done.count() > 0 ? r.seconds / line.done.count() : 1.0;
        r.secondsLeft = line.left.count() * pace;
    }
    r.fraction = fraction_;
    return r;
}

QString RetriesText(int retries) {
    return retries > 0
               ? QCoreApplication::translate("DownloadMeter", "  再試行 %n 回", nullptr, retries)
               : QString();
}

QString OutcomeNotes(const DownloadOutcome& outcome) {
    QString notes = RetriesText(outcome.retries);
    if (outcome.stop.temperatureFitted == false) {
        notes += QCoreApplication::translate("DownloadMeter", "  温度オプションなし");
    }
    return notes;
}

QString TimeLeftText(double seconds) {
    const long whole = std::lround(std::ceil(std::max(seconds, 0.0)));
    return QCoreApplication::translate("DownloadMeter", "残り %1:%2")
        .arg(whole / 60)
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QString MeterText(const MeterReading& reading) {
    QString text = QCoreApplication::translate("DownloadMeter", "%1 / %2 個  %3 個/秒")
                       .arg(reading.done)
                       .arg(reading.total)
                       .arg(std::lround(reading.recordsPerSecond));
    if (reading.secondsLeft) text += QStringLiteral("  ") + TimeLeftText(*reading.secondsLeft);
    return text + RetriesText(reading.retries);
}

QString MeterSummary(const DownloadOutcome& outcome, const MeterReading& reading) {
    QString ending = outcome.text;
    if (outcome.ending == Ending::Done)
        ending = QCoreApplication::translate("DownloadMeter", "完了");
    if (outcome.ending == Ending::Cancelled) {
        ending = QCoreApplication::translate("DownloadMeter", "中止");
    }
    return QCoreApplication::translate("DownloadMeter", "%1  読出し %2 個  %3 秒")
               .arg(ending)
               .arg(reading.done)
               .arg(reading.seconds, 0, 'f', 1) +
           OutcomeNotes(outcome);
}

}  // namespace yb
