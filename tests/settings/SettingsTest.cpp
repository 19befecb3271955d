// The six settings operations against the simulated logger on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QString>
#include <QTimer>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "settings/Settings.h"
#include "support/SimFixture.h"

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace yb {
namespace {

using ybsim::Fault;
using Strings = std::vector<std::string>;
constexpr Setting kInterval = Setting::RecordingInterval, kTyre = Setting::TyreCircumference,
                  kBattery = Setting::BatteryCapacity;

// What the window shows for each setting: its box, query, a valid text, and the Status texts.
struct Box {
    Field field;
    std::string query;
    QString valid, placeholder, readFailed, invalid, written, notWritten;
};
const std::map<Setting, Box> kBoxes{
    {kInterval,
     {Field::Text7, "T??", "2", "?", "データ記録時間間隔の読出しに失敗しました。",
      "データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください",
      "データ記録時間間隔の書込みに成功しました。", "データ記録時間間隔の書込みに失敗しました。"}},
    {kTyre,
     {Field::Text5, "T?", "1800", "----", "タイヤ周長の読出しに失敗しました。", "",
      "タイヤ周長の書込みに成功しました。", "タイヤ周長の書込みに失敗しました。"}},
    {kBattery,
     {Field::Text6, "BAh?", "12.50", "--.--", "バッテリ初期値の読出しに失敗しました。",
      "バッテリAh初期値は 05.00～50.00[Ah] の値にしてください",
      "バッテリ初期値の書込みに成功しました。", "バッテリ初期値の書込みに失敗しました。"}}};

// One window with its port open on a simulated logger.
class SettingsTest : public test::SimLine {
protected:
    void SetUp() override {
        SimLine::SetUp();
        OpenPort();
    }
    // Types `text` into the setting's box and writes.
    void Write(Setting setting, const QString& text) {
        view.setText(kBoxes.at(setting).field, text);
        WriteSetting(setting, ctx);
    }
    QString Status() const { return view.text(Field::Status); }

    std::int16_t logInterval = 0;
    SettingsContext ctx{exchange, state, view, logInterval};
};

// Each read gets the given answer ("": none) and shows it in its box; only the interval read
// sets LogInterval, to 0 when the logger stays silent.
TEST_F(SettingsTest, ReadShowsTheAnswerOrThePlaceholder) {
    const std::vector<std::tuple<Setting, std::string, QString>> cases{
        {kInterval, "0A", "10"},        {kInterval, "05\r", "5"},
        {kInterval, "FF", "255"},       {kInterval, "5", "5"},
        {kInterval, "123\r", "18"},     {kInterval, "OK\r", "0"},
        {kInterval, "", "?"},           {kTyre, "0708\r", "1800"},
        {kTyre, "07D0\r0A\r", "2000"},  {kTyre, "7D0\r", "2000"},
        {kTyre, "FFFF\r", "-1"},        {kTyre, "8000\r", "-32768"},
        {kTyre, "OK\r", "0"},           {kTyre, "", "----"},
        {kBattery, "04E2\r", "12.50"},  {kBattery, "01F4\r", "05.00"},
        {kBattery, "1388\r", "50.00"},  {kBattery, "FFFF\r", "-00.01"},
        {kBattery, "7FFF\r", "327.67"}, {kBattery, "8000\r", "-327.68"},
        {kBattery, "OK\r", "00.00"},    {kBattery, "", "--.--"}};
    for (const auto& [setting, answer, shown] : cases) {
        SCOPED_TRACE(answer);
        const Box& box = kBoxes.at(setting);
        logInterval = -1;
        view.setText(box.field, QStringLiteral("7"));
        sim.addFault(Fault::replace(box.query, answer));
        ReadSetting(setting, ctx);
        EXPECT_EQ(view.text(box.field), shown);
        EXPECT_EQ(logInterval, setting == kInterval ? shown.toInt() : -1);
        EXPECT_EQ(Status(), answer.empty() ? box.readFailed : QStringLiteral("Message Sent"));
        EXPECT_EQ(state.CmdStr, box.query);
        EXPECT_EQ(state.AnsStr, answer);
    }
    EXPECT_EQ(sim.commands().size(), cases.size());
    ReadSetting(kInterval, ctx);  // the logger's own answer: switched on with 1 s
    EXPECT_EQ(view.text(Field::Text7), QStringLiteral("1"));
    EXPECT_EQ(logInterval, 1);
}

// A valid text is sent as the write command; a refused one sends nothing, nor does a tyre
// value with no 32-bit form, which fails instead.
TEST_F(SettingsTest, WriteSendsTheValueOrNothing) {
    using Case = std::tuple<Setting, QString, std::string>;  // the command sent ("": nothing)
    std::vector<Case> cases{{kInterval, "1", "T1"},         {kInterval, "2", "T2"},
                            {kInterval, "5", "T5"},         {kInterval, " 10 ", "TA"},
                            {kInterval, "10.0", "TA"},      {kInterval, "10秒", "TA"},
                            {kInterval, "10", "TA"},        {kTyre, "1800", "T0708"},
                            {kTyre, "1801.5", "T070A"},     {kTyre, "1800.5", "T0708"},
                            {kTyre, "4096", "T1000"},       {kTyre, "65536", "T10000"},
                            {kTyre, "255", "T0FF"},         {kTyre, "5", "T05"},
                            {kTyre, "----", "T00"},         {kBattery, "05.00", "BAh01F4"},
                            {kBattery, "12.50", "BAh04E2"}, {kBattery, "50.00", "BAh1388"},
                            {kBattery, "12.3.", "BAh04CE"}};
    const std::vector<Case> refused{
        {kInterval, "0", ""},    {kInterval, "3", ""},    {kInterval, "1.5", ""},
        {kInterval, "20", ""},   {kInterval, "", ""},     {kInterval, "abc", ""},
        {kTyre, "1e10", ""},     {kBattery, "5.00", ""},  {kBattery, "5.000", ""},
        {kBattery, "123.4", ""}, {kBattery, "04.99", ""}, {kBattery, "50.01", ""},
        {kBattery, "99.99", ""}, {kBattery, "--.--", ""}, {kBattery, "ab.cd", ""}};
    cases.insert(cases.end(), refused.begin(), refused.end());
    for (const auto& [setting, text, sent] : cases) {
        SCOPED_TRACE(text.toStdString());
        const Box& box = kBoxes.at(setting);
        logInterval = 7;
        state.AnsStr = "earlier";
        sim.clearReceived();
        Write(setting, text);
        EXPECT_EQ(sim.received(), sent.empty() ? "" : sent + "\r");
        EXPECT_EQ(Status(), !sent.empty()      ? box.written
                            : setting == kTyre ? box.notWritten
                                               : box.invalid);
        EXPECT_EQ(state.CmdStr, sent.empty() ? text.toStdString() : sent);
        EXPECT_EQ(state.AnsStr, sent.empty() ? "earlier" : "OK\r");
        EXPECT_EQ(view.text(box.field), text);  // no read-back
        EXPECT_EQ(logInterval, 7);              // only the read sets it
    }
    EXPECT_EQ(sim.interval(), 10);
    EXPECT_EQ(sim.tyreMm(), 0u);
    EXPECT_EQ(sim.batteryCah(), 1230);
}

TEST_F(SettingsTest, WriteSucceedsOnlyOnAnAnswerBeginningWithUpperCaseOK) {
    const Box& box = kBoxes.at(kInterval);
    const std::map<std::string, bool> answers{
        {"OK\r", true}, {"OK, stored\r", true}, {"ok\r", false}, {" OK\r", false},
        {"O", false},   {"NG\r", false},        {"", false}};
    for (const auto& [answer, succeeds] : answers) {
        SCOPED_TRACE(answer);
        sim.addFault(Fault::replace("T5", answer));
        Write(kInterval, QStringLiteral("5"));
        EXPECT_EQ(Status(), succeeds ? box.written : box.notWritten);
        EXPECT_EQ(state.AnsStr, answer);
    }
}

// With the port closed nothing is sent: reads change no box nor LogInterval, and writes fail
// even though AnsStr still holds an earlier "OK". When the port itself fails (PortError though
// the window believes it open), reads show the placeholder and every operation fails.
TEST_F(SettingsTest, ClosedOrFailingPortChangesNothingAndFails) {
    logInterval = 2;
    for (const bool portFails : {false, true}) {
        state.fCommOpen = portFails;
        if (portFails) port.setPortOpen(false);
        for (const auto& [setting, box] : kBoxes) {
            SCOPED_TRACE(box.query + (portFails ? " port fails" : " closed"));
            state.AnsStr = "OK\r";
            view.setText(box.field, box.valid);
            ReadSetting(setting, ctx);
            EXPECT_EQ(Status(),
                      portFails ? box.readFailed : QStringLiteral("CommPort Not Open..."));
            EXPECT_EQ(view.text(box.field), portFails ? box.placeholder : box.valid);
            Write(setting, box.valid);
            EXPECT_EQ(Status(), box.notWritten);
        }
        EXPECT_EQ(logInterval, 2);
    }
    EXPECT_EQ(sim.received(), "");
}

// A click handled during a running exchange must not start a second one, nor let an error
// escape into the event loop.
TEST_F(SettingsTest, OperationStartedDuringAnExchangeFailsAlone) {
    view.setText(Field::Text6, QStringLiteral("12.50"));
    QTimer::singleShot(20, [this] {
        ReadSetting(kTyre, ctx);
        EXPECT_EQ(Status(), kBoxes.at(kTyre).readFailed);
        WriteSetting(kBattery, ctx);
        EXPECT_EQ(Status(), kBoxes.at(kBattery).notWritten);
    });
    sim.addFault(Fault::replace("T??", "0A\r"));
    ReadSetting(kInterval, ctx);
    EXPECT_EQ(view.text(Field::Text7), QStringLiteral("10"));
    EXPECT_EQ(logInterval, 10);
    EXPECT_EQ(view.text(Field::Text5), QStringLiteral("----"));
    EXPECT_EQ(sim.commands(), Strings{"T??"});
}

}  // namespace
}  // namespace yb
