// Time to save a full store: render, Shift-JIS encoding and the atomic write, over several runs;
// and the same with a path that holds a character Shift-JIS lacks.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include "datafile/DataFile.h"
#include "datafile/ShiftJis.h"

#include "Timing.h"

namespace {

// Every record filled with values of the kind a download decodes: hundredths of an ampere,
// tenths of a volt, whole km/h.
void FillFullStore(yb::RecordStore& data) {
    using yb::RecordStore, yb::Stage;
    data.clear();
    data.setInterval(1);
    data.setCount(Stage::Main, RecordStore::kMainLimit);
    for (int i = 0; i < data.mainCount(); ++i) {
        data.storeMain(i, {static_cast<float>(i % 800) / 100.0f,
                           static_cast<float>(i % 3000 - 1500) / 100.0f,
                           static_cast<float>(900 + i % 200) / 10.0f,
                           static_cast<float>(110 + i % 30) / 10.0f, static_cast<float>(i % 120)});
    }
    data.setCount(Stage::Temperature, RecordStore::kTempLimit);
    for (int i = 0; i < data.tempCount(); ++i) {
        data.storeTemperature(i, static_cast<std::int16_t>(i % 60 - 10));
    }
    data.setCount(Stage::Laps, RecordStore::kLapLimit);
    for (int i = 0; i < data.lapCount(); ++i) {
        data.storeLap(i, {static_cast<std::int16_t>(170 + i % 20),
                          static_cast<float>(100 + i % 50) / 10.0f});
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kRuns = 10;

    yb::RecordStore data;
    FillFullStore(data);
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    const QString path = dir.filePath(QStringLiteral("YB_Data.csv"));
    const QDateTime now = QDateTime::currentDateTime();

    QString text;
    const Figures render = Time(kRuns, [&] { text = *yb::RenderDataFile(data, u',', path, now); });
    QByteArray bytes;
    const Figures encode = Time(kRuns, [&] { bytes = *yb::EncodeShiftJis(text); });
    bool ok = true;
    const auto saveAt = [&](const QString& where) {
        const yb::WriteOutcome outcome = yb::WriteDataFile(data, true, where);
        if (!outcome.ok) std::fprintf(stderr, "%s\n", qPrintable(outcome.reason));
        ok = ok && outcome.ok;
    };
    const Figures save = Time(kRuns, [&] { saveAt(path); });
    // "é" has no Shift-JIS code: the path line is encoded character by character, the rest not.
    const QString odd = dir.filePath(QStringLiteral("YB_Data_é.csv"));
    const Figures oddSave = Time(kRuns, [&] { saveAt(odd); });
    const QString oddText = *yb::RenderDataFile(data, u',', odd, now);
    const Figures oddWhole = Time(kRuns, [&] { bytes = *yb::EncodeShiftJis(oddText); });

    std::printf("data file of a full store (%d main, %d temperature, %d lap rows), %d runs\n",
                int{data.mainCount()}, int{data.tempCount()}, int{data.lapCount()}, kRuns);
    std::printf("  render            mean %7.2f ms   min %7.2f ms\n", render.mean, render.min);
    std::printf("  Shift-JIS encode  mean %7.2f ms   min %7.2f ms\n", encode.mean, encode.min);
    std::printf("  whole save        mean %7.2f ms   min %7.2f ms   (render + encode + write)\n",
                save.mean, save.min);
    std::printf("  path with \"é\"     mean %7.2f ms   min %7.2f ms   (whole save)\n", oddSave.mean,
                oddSave.min);
    std::printf(
        "    for comparison: the whole text with that path encoded in one call: mean "
        "%.2f ms\n",
        oddWhole.mean);
    std::printf("  file size         %lld bytes\n", static_cast<long long>(QFileInfo(path).size()));
    return ok ? 0 : 1;
}
