// The six settings operations against the simulated logger on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "serial/CommPort.h"
#include "serial/CommandExchange.h"
#include "serial/View.h"
#include "serial/WindowState.h"
#include "settings/Settings.h"
#include "sim/LoggerSim.h"

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace yb {
namespace {

using namespace std::chrono_literals;
using ybsim::Fault;
using Strings = std::vector<std::string>;

constexpr int kTestComPort = 9;

const QString kMessageSent = QStringLiteral("Message Sent");
const QString kNotOpen = QStringLiteral("CommPort Not Open...");

const QString kIntervalReadFailed = QStringLiteral("データ記録時間間隔の読出しに失敗しました。");
const QString kIntervalInvalid =
    QStringLiteral("データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください");
const QString kIntervalWritten = QStringLiteral("データ記録時間間隔の書込みに成功しました。");
const QString kIntervalNotWritten = QStringLiteral("データ記録時間間隔の書込みに失敗しました。");

const QString kTyreReadFailed = QStringLiteral("タイヤ周長の読出しに失敗しました。");
const QString kTyreWritten = QStringLiteral("タイヤ周長の書込みに成功しました。");
const QString kTyreNotWritten = QStringLiteral("タイヤ周長の書込みに失敗しました。");

const QString kBatteryReadFailed = QStringLiteral("バッテリ初期値の読出しに失敗しました。");
const QString kBatteryInvalid =
    QStringLiteral("バッテリAh初期値は 05.00～50.00[Ah] の値にしてください");
const QString kBatteryWritten = QStringLiteral("バッテリ初期値の書込みに成功しました。");
const QString kBatteryNotWritten = QStringLiteral("バッテリ初期値の書込みに失敗しました。");

class FakeView : public View {
public:
    std::map<Field, QString> texts;
    QString text(Field field) const override {
        const auto it = texts.find(field);
        return it == texts.end() ? QString() : it->second;
    }
    void setText(Field field, const QString& text) override { texts[field] = text; }
    void setToolTip(Field, const QString&) override {}
    int comboListIndex() const override { return kTestComPort - 1; }
};

// One window talking to one simulated logger; the boxes start as the window shows them.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.start();
        qputenv("YB_COM9", QByteArray::fromStdString(sim.slavePath()));
        port.setCommPort(kTestComPort);
        port.setSettings(QStringLiteral("38400,N,8,1"));
        port.setPortOpen(true);
        state.fCommOpen = true;
        view.texts[Field::Text5] = QStringLiteral("----");
        view.texts[Field::Text6] = QStringLiteral("--.--");
        view.texts[Field::Text7] = QStringLiteral("-");
    }

    // The logger's next answer to `command`, exactly as given.
    void Answer(const std::string& command, const std::string& text) {
        sim.addFault(Fault::replace(command, text));
    }

    // Reads with the given answer and returns the box afterwards.
    QString ReadWith(Setting setting, Field box, const std::string& command,
                     const std::string& answer) {
        Answer(command, answer);
        ReadSetting(setting, ctx);
        return view.text(box);
    }

    // Types `text` into the box, writes, and returns the commands the logger received.
    Strings Write(Setting setting, Field box, const QString& text) {
        sim.clearReceived();
        view.texts[box] = text;
        WriteSetting(setting, ctx);
        return sim.commands();
    }

    QString Status() const { return view.text(Field::Status); }

    ybsim::LoggerSim sim{{.instant = true}};
    CommPort port;
    WindowState state;
    FakeView view;
    CommandExchange exchange{port, state, view};
    std::int16_t logInterval = 0;
    SettingsContext ctx{exchange, state, view, logInterval};
};

// --- recording interval ---------------------------------------------------------------------

TEST_F(SettingsTest, IntervalReadDecodesTheFirstTwoCharacters) {
    struct Case {
        std::string answer;
        std::int16_t seconds;
    };
    for (const Case& c : {Case{"0A", 10}, Case{"05\r", 5}, Case{"FF", 255}, Case{"5", 5},
                          Case{"123\r", 0x12}, Case{"OK\r", 0}, Case{"?", 0}}) {
        SCOPED_TRACE(c.answer);
        logInterval = -1;
        const QString shown = ReadWith(Setting::RecordingInterval, Field::Text7, "T??", c.answer);
        EXPECT_EQ(shown, QString::number(c.seconds));
        EXPECT_EQ(logInterval, c.seconds);
        EXPECT_EQ(Status(), kMessageSent);  // a read that got an answer says nothing itself
        EXPECT_EQ(state.CmdStr, "T??");
        EXPECT_EQ(state.AnsStr, c.answer);
    }
    EXPECT_EQ(sim.commands(), Strings(7, "T??"));
}

TEST_F(SettingsTest, IntervalReadOfTheLoggersOwnAnswer) {  // switched on with 1 s
    ReadSetting(Setting::RecordingInterval, ctx);
    EXPECT_EQ(view.text(Field::Text7), QStringLiteral("1"));
    EXPECT_EQ(logInterval, 1);
}

TEST_F(SettingsTest, IntervalReadWithoutAnswerLeavesNoValidInterval) {
    logInterval = 10;
    view.texts[Field::Text7] = QStringLiteral("10");
    sim.addFault(Fault::silence("T??"));
    ReadSetting(Setting::RecordingInterval, ctx);
    EXPECT_EQ(view.text(Field::Text7), QStringLiteral("?"));
    EXPECT_EQ(logInterval, 0);
    EXPECT_EQ(Status(), kIntervalReadFailed);
}

TEST_F(SettingsTest, IntervalWriteSendsOneHexDigit) {
    struct Case {
        QString text;
        std::string command;
    };
    for (const Case& c : {Case{"1", "T1"}, Case{"2", "T2"}, Case{"5", "T5"}, Case{"10", "TA"},
                          Case{" 10 ", "TA"}, Case{"10.0", "TA"}, Case{"10秒", "TA"}}) {
        SCOPED_TRACE(c.text.toStdString());
        logInterval = 7;
        EXPECT_EQ(Write(Setting::RecordingInterval, Field::Text7, c.text), Strings{c.command});
        EXPECT_EQ(Status(), kIntervalWritten);
        EXPECT_EQ(state.CmdStr, c.command);
        EXPECT_EQ(view.text(Field::Text7), c.text);  // no read-back
        EXPECT_EQ(logInterval, 7);                   // only the read sets it
    }
    EXPECT_EQ(sim.interval(), 10);
}

TEST_F(SettingsTest, IntervalWriteRefusesAnythingButOneTwoFiveTen) {
    for (const QString& text : {QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("1.5"),
                                QStringLiteral("20"), QString(), QStringLiteral("abc")}) {
        SCOPED_TRACE(text.toStdString());
        state.AnsStr = "earlier";
        EXPECT_EQ(Write(Setting::RecordingInterval, Field::Text7, text), Strings{});
        EXPECT_EQ(sim.received(), "");
        EXPECT_EQ(Status(), kIntervalInvalid);
        EXPECT_EQ(state.CmdStr, text.toStdString());
        EXPECT_EQ(state.AnsStr, "earlier");
    }
}

TEST_F(SettingsTest, WriteSucceedsOnlyOnAnAnswerBeginningWithUpperCaseOK) {
    struct Case {
        std::string answer;
        QString status;
    };
    for (const Case& c : {Case{"OK\r", kIntervalWritten}, Case{"OK, stored\r", kIntervalWritten},
                          Case{"ok\r", kIntervalNotWritten}, Case{" OK\r", kIntervalNotWritten},
                          Case{"O", kIntervalNotWritten}, Case{"NG\r", kIntervalNotWritten}}) {
        SCOPED_TRACE(c.answer);
        Answer("T5", c.answer);
        Write(Setting::RecordingInterval, Field::Text7, QStringLiteral("5"));
        EXPECT_EQ(Status(), c.status);
        EXPECT_EQ(state.AnsStr, c.answer);
    }
    sim.addFault(Fault::silence("T5"));
    Write(Setting::RecordingInterval, Field::Text7, QStringLiteral("5"));
    EXPECT_EQ(Status(), kIntervalNotWritten);
}

// --- tyre circumference ---------------------------------------------------------------------

TEST_F(SettingsTest, TyreReadDecodesFourCharactersAsSigned16Bit) {
    struct Case {
        std::string answer;
        QString shown;
    };
    for (const Case& c : {Case{"0708\r", "1800"}, Case{"07D0\r0A\r", "2000"}, Case{"7D0\r", "2000"},
                          Case{"FFFF\r", "-1"}, Case{"8000\r", "-32768"}, Case{"OK\r", "0"}}) {
        SCOPED_TRACE(c.answer);
        EXPECT_EQ(ReadWith(Setting::TyreCircumference, Field::Text5, "T?", c.answer), c.shown);
        EXPECT_EQ(Status(), kMessageSent);
    }
}

TEST_F(SettingsTest, TyreReadWithoutAnswerShowsThePlaceholder) {
    view.texts[Field::Text5] = QStringLiteral("1800");
    sim.addFault(Fault::silence("T?"));
    ReadSetting(Setting::TyreCircumference, ctx);
    EXPECT_EQ(view.text(Field::Text5), QStringLiteral("----"));
    EXPECT_EQ(Status(), kTyreReadFailed);
}

TEST_F(SettingsTest, TyreWriteSendsTheRoundedValueInHex) {
    struct Case {
        QString text;
        std::string command;
    };
    for (const Case& c : {Case{"1800", "T0708"}, Case{"1801.5", "T070A"}, Case{"1800.5", "T0708"},
                          Case{"4096", "T1000"}, Case{"65536", "T10000"}, Case{"255", "T0FF"},
                          Case{"5", "T05"}, Case{"----", "T00"}}) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(Write(Setting::TyreCircumference, Field::Text5, c.text), Strings{c.command});
        EXPECT_EQ(Status(), kTyreWritten);
    }
}

TEST_F(SettingsTest, TyreWriteOfAValueBeyond32BitsSendsNothing) {
    EXPECT_EQ(Write(Setting::TyreCircumference, Field::Text5, QStringLiteral("1e10")), Strings{});
    EXPECT_EQ(sim.received(), "");
    EXPECT_EQ(Status(), kTyreNotWritten);
    EXPECT_EQ(state.CmdStr, "1e10");
}

// --- battery initial capacity ---------------------------------------------------------------

TEST_F(SettingsTest, BatteryReadShowsHundredthsWithTwoDecimals) {
    struct Case {
        std::string answer;
        QString shown;
    };
    for (const Case& c : {Case{"04E2\r", "12.50"}, Case{"01F4\r", "05.00"}, Case{"1388\r", "50.00"},
                          Case{"FFFF\r", "-00.01"}, Case{"7FFF\r", "327.67"},
                          Case{"8000\r", "-327.68"}, Case{"OK\r", "00.00"}}) {
        SCOPED_TRACE(c.answer);
        EXPECT_EQ(ReadWith(Setting::BatteryCapacity, Field::Text6, "BAh?", c.answer), c.shown);
        EXPECT_EQ(Status(), kMessageSent);
    }
}

TEST_F(SettingsTest, BatteryReadWithoutAnswerShowsThePlaceholder) {
    view.texts[Field::Text6] = QStringLiteral("12.50");
    sim.addFault(Fault::silence("BAh?"));
    ReadSetting(Setting::BatteryCapacity, ctx);
    EXPECT_EQ(view.text(Field::Text6), QStringLiteral("--.--"));
    EXPECT_EQ(Status(), kBatteryReadFailed);
}

TEST_F(SettingsTest, BatteryWriteSendsHundredthsInFourHexDigits) {
    struct Case {
        QString text;
        std::string command;
    };
    for (const Case& c : {Case{"05.00", "BAh01F4"}, Case{"12.50", "BAh04E2"},
                          Case{"50.00", "BAh1388"}, Case{"12.3.", "BAh04CE"}}) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(Write(Setting::BatteryCapacity, Field::Text6, c.text), Strings{c.command});
        EXPECT_EQ(Status(), kBatteryWritten);
    }
    EXPECT_EQ(sim.batteryCah(), 1230);
}

TEST_F(SettingsTest, BatteryWriteRefusesTextsOutOfFormOrRange) {
    for (const char* text :
         {"5.00", "5.000", "123.4", "04.99", "50.01", "99.99", "--.--", "ab.cd"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Write(Setting::BatteryCapacity, Field::Text6, QString::fromUtf8(text)),
                  Strings{});
        EXPECT_EQ(Status(), kBatteryInvalid);
        EXPECT_EQ(state.CmdStr, text);
    }
    EXPECT_EQ(sim.received(), "");
}

// --- all three: closed port, failing port, overlapping operations ---------------------------

TEST_F(SettingsTest, ReadsWithThePortClosedChangeNothing) {
    state.fCommOpen = false;
    state.AnsStr = "0A\r";  // a stale answer is no answer to a read that never happened
    logInterval = 2;
    for (Setting setting :
         {Setting::RecordingInterval, Setting::TyreCircumference, Setting::BatteryCapacity}) {
        view.texts[Field::Status] = QString();
        ReadSetting(setting, ctx);
        EXPECT_EQ(Status(), kNotOpen);
    }
    EXPECT_EQ(view.text(Field::Text7), QStringLiteral("-"));
    EXPECT_EQ(view.text(Field::Text5), QStringLiteral("----"));
    EXPECT_EQ(view.text(Field::Text6), QStringLiteral("--.--"));
    EXPECT_EQ(logInterval, 2);
    EXPECT_EQ(sim.received(), "");
}

TEST_F(SettingsTest, WritesWithThePortClosedFail) {
    state.fCommOpen = false;
    state.AnsStr = "OK\r";  // an earlier success must not count for this write
    EXPECT_EQ(Write(Setting::RecordingInterval, Field::Text7, QStringLiteral("2")), Strings{});
    EXPECT_EQ(Status(), kIntervalNotWritten);
    EXPECT_EQ(Write(Setting::TyreCircumference, Field::Text5, QStringLiteral("1800")), Strings{});
    EXPECT_EQ(Status(), kTyreNotWritten);
    EXPECT_EQ(Write(Setting::BatteryCapacity, Field::Text6, QStringLiteral("12.50")), Strings{});
    EXPECT_EQ(Status(), kBatteryNotWritten);
    EXPECT_EQ(sim.received(), "");
}

// The window still believes the port open, but it has gone: every exchange raises PortError.
TEST_F(SettingsTest, PortFailureBecomesTheOperationsFailure) {
    port.setPortOpen(false);
    logInterval = 5;

    ReadSetting(Setting::RecordingInterval, ctx);
    EXPECT_EQ(view.text(Field::Text7), QStringLiteral("?"));
    EXPECT_EQ(Status(), kIntervalReadFailed);
    EXPECT_EQ(logInterval, 5);
    ReadSetting(Setting::TyreCircumference, ctx);
    EXPECT_EQ(Status(), kTyreReadFailed);
    ReadSetting(Setting::BatteryCapacity, ctx);
    EXPECT_EQ(Status(), kBatteryReadFailed);

    Write(Setting::RecordingInterval, Field::Text7, QStringLiteral("2"));
    EXPECT_EQ(Status(), kIntervalNotWritten);
    Write(Setting::TyreCircumference, Field::Text5, QStringLiteral("1800"));
    EXPECT_EQ(Status(), kTyreNotWritten);
    Write(Setting::BatteryCapacity, Field::Text6, QStringLiteral("12.50"));
    EXPECT_EQ(Status(), kBatteryNotWritten);
}

// A click handled during a running exchange must not start a second one, nor let an error
// escape into the event loop.
TEST_F(SettingsTest, OperationStartedDuringAnExchangeFailsAlone) {
    view.texts[Field::Text6] = QStringLiteral("12.50");
    QTimer::singleShot(20, [this] {
        ReadSetting(Setting::TyreCircumference, ctx);
        EXPECT_EQ(Status(), kTyreReadFailed);
        WriteSetting(Setting::BatteryCapacity, ctx);
        EXPECT_EQ(Status(), kBatteryNotWritten);
    });
    Answer("T??", "0A\r");
    ReadSetting(Setting::RecordingInterval, ctx);
    EXPECT_EQ(view.text(Field::Text7), QStringLiteral("10"));
    EXPECT_EQ(logInterval, 10);
    EXPECT_EQ(view.text(Field::Text5), QStringLiteral("----"));
    EXPECT_EQ(sim.commands(), Strings{"T??"});
}

}  // namespace
}  // namespace yb
