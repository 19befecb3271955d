// The line dropping in the middle of every operation: one report, the operation's own failure
// text, nothing stored lost, no busy loop afterwards, and the port opens again once the device is
// back.
#include <QTemporaryDir>

#include <time.h>
#include <functional>

#include "datafile/DataFile.h"
#include "support/SimSession.h"

namespace yb::test {
namespace {

using ybsim::Fault;

// Processor time of this thread alone (the simulated logger runs on its own).
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

TEST(PortLoss, EveryOperationFailsOnceAndTheLineComesBack) {
    struct Row {
        std::string dropAt;  // the command the line drops on
        long record;         // its record (-1: a plain command)
        std::function<QCoro::Task<Outcome>(Session&)> run;
        QString text;  // the operation's failure text
        int main;      // main records stored before the loss
    };
    const auto download = [](Session& s) -> QCoro::Task<Outcome> { co_return co_await s.download(); };
    const auto check = [](Session& s) -> QCoro::Task<Outcome> {
        co_return co_await s.checkConnection();
    };
    const auto read = [](Setting setting) {
        return [setting](Session& s) -> QCoro::Task<Outcome> {
            co_return co_await s.readSetting(setting);
        };
    };
    const auto write = [](Setting setting, QString text) {
        return [setting, text](Session& s) -> QCoro::Task<Outcome> {
            co_return co_await s.writeSetting(setting, text);
        };
    };
    const std::vector<Row> rows{
        {"?", -1, check, "YB 接続確認できませんでした", 0},
        {"T?", -1, read(Setting::TyreCircumference), "タイヤ周長の読出しに失敗しました。", 0},
        {"BAh?", -1, read(Setting::BatteryCapacity), "バッテリ初期値の読出しに失敗しました。", 0},
        {"T??", -1, read(Setting::RecordingInterval), "データ記録時間間隔の読出しに失敗しました。", 0},
        {"T0708", -1, write(Setting::TyreCircumference, "1800"), "タイヤ周長の書込みに失敗しました。", 0},
        {"BAh04E2", -1, write(Setting::BatteryCapacity, "12.50"), "バッテリ初期値の書込みに失敗しました。", 0},
        {"T2", -1, write(Setting::RecordingInterval, "2"), "データ記録時間間隔の書込みに失敗しました。", 0},
        {"T??", -1, download, "'D1?' コマンドエラー", 0},
        {"D1?", -1, download, "'D1?' コマンドエラー", 0},
        {"D1", 7, download, "'D1+nnnn' コマンドエラー", 7},
        {"TMP?", -1, download, "'TMP?' コマンドエラー", 20},
        {"D2?", -1, download, "'D2?' コマンドエラー", 20},
        {"D2", 2, download, "'D2+nnnn' コマンドエラー", 20},
        {"L?", -1, download, "'L2?' コマンドエラー", 20},
        {"LD02", -1, download, "'LD+nn' コマンドエラー", 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dropAt + " " + std::to_string(row.record));
        ybsim::LoggerSim sim(Holding(20, 5, 3));
        sim.start();
        const Fault drop = Fault::hangUp(row.dropAt);
        sim.addFault(row.record < 0 ? drop : drop.onRecord(row.record));
        PointComAt(1, sim.slavePath());
        Session session;
        ASSERT_TRUE(session.openNamed(QStringLiteral("COM1")).done());
        QStringList reports;
        QObject::connect(&session, &Session::portLost, [&](const QString& t) { reports << t; });

        EXPECT_EQ(Await(row.run(session)).text, row.text);
        EXPECT_FALSE(session.portOpen());
        const double cpu = CpuSeconds();
        Idle(300);
        EXPECT_LT(CpuSeconds() - cpu, 0.1);  // no error flood once the port is gone
        EXPECT_EQ(reports.size(), 1);

        // What came before the loss stays, and can be saved.
        const RecordStore& data = session.store();
        for (int i = 0; i < row.main; ++i) {
            ASSERT_EQ(data.main(i).mainVolts, sim.mainValues(i).mainDeciV / 10.0f) << i;
        }
        if (row.main < 20) {
            EXPECT_EQ(data.main(row.main).mainVolts, RecordStore::kMainEmpty);
        }
        QTemporaryDir dir;
        EXPECT_TRUE(WriteDataFile(data, true, dir.filePath("after.csv")).ok);

        sim.restart();
        PointComAt(1, sim.slavePath());
        ASSERT_TRUE(session.openNamed(QStringLiteral("COM1")).done());
        EXPECT_TRUE(Await(session.checkConnection()).done());
    }
}

}  // namespace
}  // namespace yb::test
