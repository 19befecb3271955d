#pragma once
// What a viewer window shows, in one place: the run, where its laps start, the battery's initial
// capacity, the runs laid over it, the channels hidden, the range of the time axis shown, the
// run's markers and what the strategy for the rest of the race is asked. The charts, the side
// panel, the lap table, the lap overlay and the report (PDF, PNG) draw from it; the window's
// controls and the charts' mouse and keys change it through its setters, each of which emits its
// own signal when the value changes. The figures derived from it (the summary, the lap table, the
// energy, the figures of the range shown, the energy model fitted to the laps and the strategy) are
// computed when first asked for after a change of what they depend on, and kept until the next one.
// No widgets.

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/EnergyModel.h"
#include "analysis/RunEnergy.h"
#include "analysis/Strategy.h"
#include "datafile/RunData.h"
#include "datafile/RunSummary.h"
#include "library/RunNotes.h"  // RunMarker
#include "viewer/Timeline.h"

namespace yb {

// The most runs a window lays over the one it shows.
inline constexpr std::size_t kMostOverlays = 7;

// A run laid over the viewed one, lighter, `offsetMin` minutes along the time axis.
struct RunOverlay {
    std::shared_ptr<const RunData> run;
    double offsetMin = 0.0;
};

class RunModel : public QObject {
    Q_OBJECT
public:
    explicit RunModel(QObject* parent = nullptr);
    ~RunModel() override;

    // A new run is shown whole, its laps from its first record, without overlays or markers; the
    // hidden channels and the battery's capacity stay.
    void setRun(std::shared_ptr<const RunData> run);
    bool hasRun() const { return run_ != nullptr; }
    const RunData& run() const { return *run_; }
    const std::shared_ptr<const RunData>& sharedRun() const { return run_; }
    // The same run under another title (the file it was saved to): nothing else changes.
    void setTitle(const QString& title);
    const RunTimeline& timeline() const { return *timeline_; }

    // The range of the time axis shown: the whole run until one is set. A range is taken as it
    // is (a report may ask for one past the run's end); one that is empty is ignored.
    TimeRange range() const;
    bool wholeRun() const;
    void setRange(double min, double max);

    double lapStartS() const { return lapStartS_; }
    void setLapStartS(double seconds);

    // nullopt: not known (a capacity of 0 or less is none).
    std::optional<double> batteryAh() const { return batteryAh_; }
    void setBatteryAh(std::optional<double> ampHours);

    // Keys of the channels not shown (ChannelSpec::key).
    const QStringList& hidden() const { return hidden_; }
    void setHidden(const QStringList& keys);
    void setChannelShown(const QString& key, bool shown);

    const std::vector<RunOverlay>& overlays() const { return overlays_; }
    void setOverlays(std::vector<RunOverlay> overlays);
    void setOverlayOffset(std::size_t index, double offsetMin);

    const std::vector<RunMarker>& markers() const { return markers_; }
    void setMarkers(std::vector<RunMarker> markers);

    // The summary of the whole run, its lap table placed from the lap start.
    const RunSummary& summary() const;
    const std::vector<LapFigures>& laps() const { return summary().lapTable; }
    // The run's energy channels with the battery's capacity, and those of overlay `index`.
    const RunEnergy& energy() const;
    const RunEnergy& overlayEnergy(std::size_t index) const;
    // The summary of overlay `index`, its laps from its first record.
    const RunSummary& overlaySummary(std::size_t index) const;
    // The figures of the range shown.
    const RunSummary& rangeSummary() const;
    // The energy model fitted to the laps, and the strategy from the end of the run with it.
    const EnergyFit& energyFit() const;
    const Strategy& strategy() const;
    const StrategyInputs& strategyInputs() const { return strategyInputs_; }
    void setStrategyInputs(const StrategyInputs& inputs);
    // The lap starts on the time axis and their numbers.
    std::vector<std::pair<double, int>> lapMarks() const;

    // How many times each derived figure has been computed since the model was made.
    struct Computations {
        int summary = 0;
        int laps = 0;
        int energy = 0;  // the run's and the overlays'
        int range = 0;
        int fit = 0;
        int strategy = 0;
        int overlaySummaries = 0;
        bool operator==(const Computations&) const = default;
    };
    const Computations& computations() const { return computed_; }

signals:
    void runChanged();
    void titleChanged();
    void rangeChanged();
    void lapStartChanged();
    void batteryChanged();
    void hiddenChanged();
    void overlaysChanged();
    void markersChanged();
    // What the strategy depends on: its inputs, the battery's capacity, the lap start, the run.
    void strategyChanged();

private:
    std::shared_ptr<const RunData> run_;
    std::optional<RunTimeline> timeline_;
    std::optional<TimeRange> range_;
    double lapStartS_ = 0.0;
    std::optional<double> batteryAh_;
    QStringList hidden_;
    std::vector<RunOverlay> overlays_;
    std::vector<RunMarker> markers_;
    StrategyInputs strategyInputs_;

    mutable std::optional<RunSummary> summary_;
    mutable bool lapsStale_ = false;
    mutable std::optional<RunEnergy> energy_;
    mutable std::vector<std::optional<RunEnergy>> overlayEnergy_;
    mutable std::vector<std::optional<RunSummary>> overlaySummaries_;
    mutable std::optional<RunSummary> rangeSummary_;
    mutable std::optional<EnergyFit> fit_;
    mutable std::optional<Strategy> strategy_;
    mutable Computations computed_;
};

}  // namespace yb
