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

DownloadMeter::StageState* DownloadMeter::find(Stage stage) {
    for (StageState& s : stages_) {
        if (s.planned.stage == stage) return &s;
    }
    return nullptr;
}

bool DownloadMeter::take(const DownloadProgress& progress) {
    elapsed_ = progress.elapsed;
    if (progress.plan) {
        stages_.clear();
        commandsPlanned_ = progress.plan->commands;
        commandsAtPlan_ = progress.commandsDone;
        for (const DownloadPlan::Step& step : progress.plan->stages) {
            const int count = std::max(step.count.value_or(0), 0);
            stages_.push_back({step, step.count.has_value(), count, step.kept});
            if (!step.count) ++commandsPlanned_;  // its count request
        }
    }
    commandsDone_ = progress.commandsDone;
    checked_ = progress.checked;
    retries_ = progress.retries;
    StageState* stage = find(progress.stage);
    bool due = true;
    if (stage && progress.event == DownloadProgress::Event::CountKnown) {
        stage->counted = true;
        stage->count = std::max(progress.count, 0);
    }
    if (stage && progress.event == DownloadProgress::Event::RecordStored) {
        stage->done = progress.done;
        due = progress.done == stage->count || !lastShown_ ||
              elapsed_ - *lastShown_ >= kDisplayInterval;
    }
    if (due) lastShown_ = elapsed_;
    const LineTime line = lineTime();
    const Seconds whole = line.done + line.left;
    if (estimating() && whole.count() > 0) {
        fraction_ = std::max(fraction_, std::min(line.done / whole, 1.0));
    }
    return due;
}

DownloadMeter::LineTime DownloadMeter::lineTime() const {
    const Seconds wait = LineExchange::kCommandWait;
    // A stage still uncounted before the last counted one was passed over: no count request.
    int lastCounted = -1, passedOver = 0;
    for (int i = 0; i < static_cast<int>(stages_.size()); ++i) {
        if (stages_[i].counted) lastCounted = i;
    }
    for (int i = 0; i < lastCounted; ++i) passedOver += stages_[i].counted ? 0 : 1;
    LineTime line;
    line.done = commandsDone_ * wait;
    line.left =
        std::max(commandsPlanned_ - passedOver - (commandsDone_ - commandsAtPlan_), 0) * wait;
    int checked = checked_;  // a resume checks the stages in their order
    for (int i = 0; i < static_cast<int>(stages_.size()); ++i) {
        const StageState& stage = stages_[i];
        const Seconds record = RecordLineTime(stage.planned.stage);
        const int checks = std::min(stage.planned.checks, checked);
        checked -= checks;
        line.kept += stage.planned.kept * record;
        line.done += (stage.done + checks) * record;
        line.left += (stage.planned.checks - checks) * record;
        if (stage.counted) {
            line.left += std::max(stage.count - stage.done, 0) * record;
        } else if (i > lastCounted && estimating()) {
            // Estimated from the first stage's count until its own count comes.
            const double estimate = std::min<double>(
                stage.planned.limit, stages_.front().count * stage.planned.perFirstStageRecord);
            line.left += std::floor(estimate) * record;
        }
    }
    return line;
}

MeterReading DownloadMeter::reading() const {
    MeterReading r;
    int kept = 0;
    for (const StageState& stage : stages_) {
        if (!stage.counted) continue;
        r.done += stage.done;
        r.total += stage.count;
        kept += stage.planned.kept;
    }
    const LineTime line = lineTime();
    r.retries = retries_;
    r.seconds = Seconds(elapsed_).count();
    if (r.seconds > 0) r.recordsPerSecond = (r.done - kept) / r.seconds;
    if (estimating()) {
        // The pace of this run: the records kept took no time of it.
        const Seconds run = line.done - line.kept;
        const double pace = run.count() > 0 ? r.seconds / run.count() : 1.0;
        r.secondsLeft = line.left.count() * pace;
    }
    r.fraction = fraction_;
    return r;
}

MeterReading DownloadMeter::reading(Stage stage) const {
    MeterReading r = reading();
    r.done = r.total = 0;
    for (const StageState& s : stages_) {
        if (s.planned.stage != stage || !s.counted) continue;
        r.done = s.done;
        r.total = s.count;
    }
    return r;
}

QString RetriesText(int retries) {
    return retries > 0
               ? QCoreApplication::translate("DownloadMeter", "  再試行 %n 回", nullptr, retries)
               : QString();
}

QString OutcomeNotes(const DownloadOutcome& outcome) {
    QString notes = outcome.detail.isEmpty() ? QString() : QStringLiteral("  ") + outcome.detail;
    notes += RetriesText(outcome.retries);
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
