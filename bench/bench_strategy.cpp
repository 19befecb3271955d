// The strategy's speed on a full logger's run (16100 main rows at 2 s, 200 laps): after a change
// of one of its inputs (the time left), of the lap start (the lap table and the fit again) and of
// the battery's capacity (the state of charge again), the time until the model holds the new
// strategy (aim: 5 ms each).
#include <QCoreApplication>
#include <cstdio>

#include "SimulatedRun.h"
#include "Timing.h"
#include "datafile/RunData.h"
#include "viewer/RunModel.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    yb::RecordStore data;
    yb::bench::FillSimulatedRun(data, {2, 16100, 537, 200});
    yb::RunModel model;
    model.setRun(std::make_shared<const yb::RunData>(
        yb::RunDataFromStore(data, QStringLiteral("full.csv"))));
    model.setBatteryAh(50.0);
    (void)model.strategy();

    constexpr int kRuns = 50;
    int step = 0;
    const Figures input = Time(kRuns, [&] {
        yb::StrategyInputs inputs = model.strategyInputs();
        inputs.remainingMin = 60 + ++step;
        model.setStrategyInputs(inputs);
        (void)model.strategy();
    });
    const Figures lapStart = Time(kRuns, [&] {
        model.setLapStartS(++step % 2 ? 2.0 : 0.0);
        (void)model.strategy();
    });
    const Figures capacity = Time(kRuns, [&] {
        model.setBatteryAh(++step % 2 ? 45.0 : 50.0);
        (void)model.strategy();
    });
    const yb::Strategy& s = model.strategy();
    std::printf("strategy on %d main rows and %zu laps fitted (answer %.1f km/h), %d runs each:\n",
                model.run().mainRows(), model.energyFit().used.size(), s.speedKmh.value_or(0.0),
                kRuns);
    const auto print = [](const char* what, const Figures& f) {
        std::printf("  %-46s mean %6.3f ms   min %6.3f ms   max %6.3f ms\n", what, f.mean, f.min,
                    f.max);
    };
    print("a strategy input changed: the strategy", input);
    print("the lap start changed: laps, fit and strategy", lapStart);
    print("the capacity changed: charge and strategy", capacity);
    const auto& computed = model.computations();
    std::printf("computed: %d fits, %d strategies, %d lap tables, %d energies\n", computed.fit,
                computed.strategy, computed.laps, computed.energy);
    return 0;
}
