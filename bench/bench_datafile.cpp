// Time to save a full store: render, Shift-JIS encoding and the atomic write, over several runs;
// and the same with a path that holds a character Shift-JIS lacks. Then reading files back: the
// time and the peak memory for a full logger's file, a file of the largest size read holding the
// shortest rows there can be, and a small file whose count claims 2147483647 rows.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "datafile/DataFile.h"
#include "datafile/DataFileReader.h"
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
        data.storeMain(
            i, {static_cast<float>(i % 800) / 100.0f, static_cast<float>(i % 3000 - 1500) / 100.0f,
                static_cast<float>(900 + i % 200) / 10.0f, static_cast<float>(110 + i % 30) / 10.0f,
                static_cast<float>(i % 120)});
    }
    data.setCount(Stage::Temperature, RecordStore::kTempLimit);
    for (int i = 0; i < data.tempCount(); ++i) {
        data.storeTemperature(i, static_cast<std::int16_t>(i % 60 - 10));
    }
    data.setCount(Stage::Laps, RecordStore::kLapLimit);
    for (int i = 0; i < data.lapCount(); ++i) {
        data.storeLap(
            i, {static_cast<std::int16_t>(170 + i % 20), static_cast<float>(100 + i % 50) / 10.0f});
    }
}

// A figure of /proc/self/status in KiB; -1 without it (only Linux has it).
long long StatusKiB(const char* name) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(qstrlen(name) + 1).trimmed().split(' ')[0].toLongLong();
    }
    return -1;
}

// The resident memory `step` takes at its peak beyond what was resident before, in bytes: the
// kernel's high-water mark, reset first (Linux); -1 where it cannot be measured.
long long PeakMemory(const std::function<void()>& step) {
#ifdef __GLIBC__
    malloc_trim(0);  // what earlier steps freed goes back, so that reusing it counts
#endif
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    const bool measured = reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
    reset.close();
    const long long before = StatusKiB("VmRSS:");
    step();
    const long long peak = StatusKiB("VmHWM:");
    return measured && before >= 0 && peak >= 0 ? (peak - before) * 1024 : -1;
}

// A data file of `bytes` at most whose main rows are as short as rows can be ("n,,,,,,,"), its
// count right, or `claimed` instead.
QByteArray ShortestRows(qint64 bytes, long long claimed = -1) {
    const QByteArray heads =
        *yb::EncodeShiftJis(QStringLiteral("No,Solar[A],Battery[A],Main_Volt[V],Solar_Watt[W],"
                                           "Battery_Watt[W],Sub_Volt[V],Speed[kmh]\r\n"));
    QByteArray rows;
    long long n = 0;
    for (;;) {
        const QByteArray row = QByteArray::number(n + 1) + ",,,,,,,\n";
        if (1024 + rows.size() + row.size() > bytes) break;
        rows += row;
        ++n;
    }
    return *yb::EncodeShiftJis(QStringLiteral("YB Download Data\r\n2006/05/21 9:03:27\r\nx.csv\r\n"
                                              "データ記録=,1秒間隔\r\nデータ数=,%1\r\n")
                                   .arg(claimed >= 0 ? claimed : n)) +
           heads + rows;
}

void PrintRead(const char* what, const QString& path, int runs) {
    bool read = false;
    QString error;
    const Figures time = Time(runs, [&] {
        const yb::DataFileReadResult result = yb::ReadDataFileAt(path);
        read = result.ok;
        error = result.reason;
    });
    const long long peak = PeakMemory([&] { yb::ReadDataFileAt(path); });
    const double size = static_cast<double>(QFileInfo(path).size());
    std::printf("  %-34s %9.0f KiB  %s  mean %8.2f ms  peak memory ", what, size / 1024,
                read ? "read   " : "refused", time.mean);
    if (peak < 0) {
        std::printf("not measured here\n");
    } else {
        std::printf("%8.1f MiB (%.2f x the file)\n", static_cast<double>(peak) / (1024 * 1024),
                    static_cast<double>(peak) / size);
    }
    if (!read) std::printf("    %s\n", qPrintable(error));
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
        const yb::FileResult outcome = yb::WriteDataFile(data, true, where);
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

    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && ok;
        return file.fileName();
    };
    const QString shortest =
        write(QStringLiteral("shortest.csv"), ShortestRows(yb::kMaxDataFileBytes));
    const QString claim = write(QStringLiteral("claim.csv"), ShortestRows(5000, 2147483647));
    std::printf("reading data files back (ReadDataFileAt)\n");
    PrintRead("full logger file", path, kRuns);
    PrintRead("64 MiB of the shortest main rows", shortest, 2);
    PrintRead("a count of 2147483647, a few KB", claim, kRuns);
    return ok ? 0 : 1;
}
