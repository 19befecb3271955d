#include "viewer/RunModel.h"

namespace yb {

RunModel::RunModel(QObject* parent) : QObject(parent) {}

RunModel::~RunModel() = default;

void RunModel::setRun(std::shared_ptr<const RunData> run) {
    run_ = std::move(run);
    timeline_.emplace(*run_);
    range_.reset();
    lapStartS_ = 0.0;
    overlays_.clear();
    markers_.clear();
    summary_.reset();
    energy_.reset();
    overlayEnergy_.clear();
    overlaySummaries_.clear();
    rangeSummary_.reset();
    fit_.reset();
    strategy_.reset();
    emit runChanged();
    emit strategyChanged();
}

void RunModel::setTitle(const QString& title) {
    if (!run_ || run_->title == title) return;
    auto renamed = std::make_shared<RunData>(*run_);
    renamed->title = title;
    run_ = std::move(renamed);
    emit titleChanged();
}

TimeRange RunModel::range() const {
    return range_.value_or(TimeRange(timeline_->start(), timeline_->end()));
}

bool RunModel::wholeRun() const {
    const auto [min, max] = range();
    return WholeRun(*timeline_, min, max);
}

void RunModel::setRange(double min, double max) {
    if (!(min < max) || range() == TimeRange(min, max)) return;
    range_ = TimeRange(min, max);
    rangeSummary_.reset();
    emit rangeChanged();
}

void RunModel::setLapStartS(double seconds) {
    if (seconds == lapStartS_) return;
    lapStartS_ = seconds;
    lapsStale_ = true;
    fit_.reset();
    strategy_.reset();
    emit lapStartChanged();
    emit strategyChanged();
}

void RunModel::setBatteryAh(std::optional<double> ampHours) {
    if (ampHours && !(*ampHours > 0.0)) ampHours.reset();
    if (ampHours == batteryAh_) return;
    batteryAh_ = ampHours;
    energy_.reset();
    for (auto& energy : overlayEnergy_) energy.reset();
    strategy_.reset();
    emit batteryChanged();
    emit strategyChanged();
}

void RunModel::setHidden(const QStringList& keys) {
    if (keys == hidden_) return;
    hidden_ = keys;
    emit hiddenChanged();
}

void RunModel::setChannelShown(const QString& key, bool shown) {
    QStringList keys = hidden_;
    keys.removeAll(key);
    if (!shown) keys.append(key);
    setHidden(keys);
}

void RunModel::setOverlays(std::vector<RunOverlay> overlays) {
    overlays_ = std::move(overlays);
    overlayEnergy_.assign(overlays_.size(), std::nullopt);
    overlaySummaries_.assign(overlays_.size(), std::nullopt);
    emit overlaysChanged();
}

void RunModel::setOverlayOffset(std::size_t index, double offsetMin) {
    if (index >= overlays_.size() || overlays_[index].offsetMin == offsetMin) return;
    overlays_[index].offsetMin = offsetMin;
    emit overlaysChanged();
}

void RunModel::setMarkers(std::vector<RunMarker> markers) {
    if (markers == markers_) return;
    markers_ = std::move(markers);
    emit markersChanged();
}

const RunSummary& RunModel::summary() const {
    if (!summary_) {
        summary_ = SummarizeRun(*run_, lapStartS_);
        ++computed_.summary;
        ++computed_.laps;
    } else if (lapsStale_) {
        summary_->lapTable = LapTable(*run_, lapStartS_);
        ++computed_.laps;
    }
    lapsStale_ = false;
    return *summary_;
}

const RunEnergy& RunModel::energy() const {
    if (!energy_) {
        energy_ = DeriveEnergy(*run_, batteryAh_);
        ++computed_.energy;
    }
    return *energy_;
}

const RunEnergy& RunModel::overlayEnergy(std::size_t index) const {
    std::optional<RunEnergy>& energy = overlayEnergy_.at(index);
    if (!energy) {
        energy = DeriveEnergy(*overlays_[index].run, batteryAh_);
        ++computed_.energy;
    }
    return *energy;
}

const RunSummary& RunModel::overlaySummary(std::size_t index) const {
    std::optional<RunSummary>& summary = overlaySummaries_.at(index);
    if (!summary) {
        summary = SummarizeRun(*overlays_[index].run);
        ++computed_.overlaySummaries;
    }
    return *summary;
}

const RunSummary& RunModel::rangeSummary() const {
    if (!rangeSummary_) {
        const auto [min, max] = range();
        rangeSummary_ = SummarizeWindow(*run_, RowsShown(*run_, min, max));
        ++computed_.range;
    }
    return *rangeSummary_;
}

void RunModel::setStrategyInputs(const StrategyInputs& inputs) {
    if (inputs == strategyInputs_) return;
    strategyInputs_ = inputs;
    strategy_.reset();
    emit strategyChanged();
}

const EnergyFit& RunModel::energyFit() const {
    if (!fit_) {
        fit_ = FitEnergyModel(laps());
        ++computed_.fit;
    }
    return *fit_;
}

const Strategy& RunModel::strategy() const {
    if (!strategy_) {
        strategy_ =
            PlanStrategy(energyFit(), StateAt(*run_, energy(), run_->mainRows()), strategyInputs_);
        ++computed_.strategy;
    }
    return *strategy_;
}

std::vector<std::pair<double, int>> RunModel::lapMarks() const {
    return LapMarks(laps(), timeline_->minutes());
}

}  // namespace yb
