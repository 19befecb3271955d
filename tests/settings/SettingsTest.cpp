// The six settings operations: the write commands a typed text gives, and reads and writes
// through the session against the simulated logger.
#include <QString>

#include <map>

#include "settings/Settings.h"
#include "support/SimSession.h"

namespace yb::test {
namespace {

using ybsim::Fault;
constexpr Setting kInterval = Setting::RecordingInterval, kTyre = Setting::TyreCircumference,
                  kBattery = Setting::BatteryCapacity;

// Each setting's query, a valid text, and its texts.
struct Texts {
    std::string query;
    QString valid, placeholder, readFailed, invalid, written, notWritten;
};
const std::map<Setting, Texts> kTexts{
    {kInterval,
     {"T??", "2", "?", "データ記録時間間隔の読出しに失敗しました。",
      "データ記録時間間隔は 1, 2, 5, 10[秒] のいずれかの値にしてください",
      "データ記録時間間隔の書込みに成功しました。", "データ記録時間間隔の書込みに失敗しました。"}},
    {kTyre,
     {"T?", "1800", "----", "タイヤ周長の読出しに失敗しました。",
      "タイヤ周長は 256～65535[mm] の値にしてください",
      "タイヤ周長の書込みに成功しました。", "タイヤ周長の書込みに失敗しました。"}},
    {kBattery,
     {"BAh?", "12.50", "--.--", "バッテリ初期値の読出しに失敗しました。",
      "バッテリAh初期値は 05.00～50.00[Ah] の値にしてください",
      "バッテリ初期値の書込みに成功しました。", "バッテリ初期値の書込みに失敗しました。"}}};

// The command a typed text gives, or the refusal: the validation message, or the failure text
// for a value that has no parameter form. A tyre circumference is a whole number of 256 to 65535
// mm and nothing else: a typo must not reach the logger.
TEST(SettingWriteCommand, ValidTextsGiveTheirCommandOthersNothing) {
    const std::tuple<Setting, QString, std::string> sent[] = {
        {kInterval, "1", "T1"},        {kInterval, "5", "T5"},        {kInterval, " 10 ", "TA"},
        {kInterval, "10.0", "TA"},     {kInterval, "10秒", "TA"},     {kTyre, "1800", "T0708"},
        {kTyre, " 1800\t", "T0708"},   {kTyre, "256", "T0100"},       {kTyre, "65535", "TFFFF"},
        {kBattery, "05.00", "BAh01F4"}, {kBattery, "12.50", "BAh04E2"},
        {kBattery, "50.00", "BAh1388"}, {kBattery, "12.3.", "BAh04CE"}};
    for (const auto& [setting, text, command] : sent) {
        const auto result = SettingWriteCommand(setting, text);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << text.toStdString();
        EXPECT_EQ(std::get<std::string>(result), command) << text.toStdString();
    }
    const std::pair<Setting, QString> refused[] = {
        {kInterval, "0"},       {kInterval, "3"},       {kInterval, "1.5"},   {kInterval, "20"},
        {kInterval, ""},        {kInterval, "abc"},     {kBattery, "5.00"},   {kBattery, "5.000"},
        {kBattery, "123.4"},    {kBattery, "04.99"},    {kBattery, "50.01"},  {kBattery, "--.--"},
        {kTyre, "abc"},         {kTyre, "----"},        {kTyre, ""},          {kTyre, "1,800"},
        {kTyre, "-1800"},       {kTyre, "1800.5"},      {kTyre, "1 800"},     {kTyre, "255"},
        {kTyre, "65536"},       {kTyre, "1e400"},       {kTyre, "０１８００"},
        {kTyre, "\v1800"}};
    for (const auto& [setting, text] : refused) {
        const auto result = SettingWriteCommand(setting, text);
        ASSERT_TRUE(std::holds_alternative<Outcome>(result)) << text.toStdString();
        const Outcome& outcome = std::get<Outcome>(result);
        EXPECT_EQ(std::tuple(outcome.ending, outcome.text),
                  std::tuple(Ending::Refused, kTexts.at(setting).invalid));
    }
}

class Settings : public SessionOnSim {
protected:
    void SetUp() override { Connect(Holding(1, 1, 1)); }
};

// Each read gets the given answer ("": none) and gives the box's text. No read changes the interval
// the store's records were recorded at: that is the download's.
TEST_F(Settings, ReadGivesTheAnswerOrThePlaceholder) {
    const std::vector<std::tuple<Setting, std::string, QString>> cases{
        {kInterval, "0A", "10"},       {kInterval, "05\r", "5"},      {kInterval, "5", "5"},
        {kInterval, "123\r", "18"},    {kInterval, "OK\r", "0"},      {kInterval, "", "?"},
        {kTyre, "0708\r", "1800"},     {kTyre, "7D0\r", "2000"},      {kTyre, "FFFF\r", "-1"},
        {kTyre, "", "----"},           {kBattery, "04E2\r", "12.50"}, {kBattery, "01F4\r", "05.00"},
        {kBattery, "FFFF\r", "-00.01"}, {kBattery, "8000\r", "-327.68"}, {kBattery, "", "--.--"}};
    for (const auto& [setting, answer, shown] : cases) {
        SCOPED_TRACE(answer);
        const Texts& texts = kTexts.at(setting);
        const auto revision = session.store().revision();
        sim->addFault(Fault::replace(texts.query, answer));
        const SettingRead read = Await(session.readSetting(setting));
        EXPECT_EQ(read.box, shown);
        EXPECT_EQ(session.store().revision(), revision);  // the store, its interval too, unchanged
        EXPECT_EQ(read.text, answer.empty() ? texts.readFailed : QString());
    }
    EXPECT_EQ(sim->commands().size(), std::size(cases));
}

TEST_F(Settings, WriteSucceedsOnlyOnAnAnswerBeginningWithUpperCaseOK) {
    const Texts& texts = kTexts.at(kInterval);
    const std::map<std::string, bool> answers{
        {"OK\r", true}, {"OK, stored\r", true}, {"ok\r", false}, {" OK\r", false},
        {"O", false},   {"", false}};
    for (const auto& [answer, succeeds] : answers) {
        SCOPED_TRACE(answer);
        sim->addFault(Fault::replace("T5", answer));
        EXPECT_EQ(Await(session.writeSetting(kInterval, QStringLiteral("5"))).text,
                  succeeds ? texts.written : texts.notWritten);
    }
    EXPECT_EQ(Await(session.writeSetting(kTyre, QStringLiteral("2000"))).text,
              kTexts.at(kTyre).written);
    EXPECT_EQ(sim->tyreMm(), 2000u);
    EXPECT_EQ(Await(session.writeSetting(kInterval, QStringLiteral("7"))).text, texts.invalid);
    EXPECT_EQ(sim->commands().size(), answers.size() + 1);
}

// With the port closed nothing is sent: reads change no box nor the interval, writes fail. When
// the line fails during the exchange, reads show the placeholder and writes fail.
TEST_F(Settings, ClosedOrFailingPortChangesNothingAndFails) {
    const auto revision = session.store().revision();
    session.closePort();
    for (const auto& [setting, texts] : kTexts) {
        const SettingRead read = Await(session.readSetting(setting));
        EXPECT_EQ(std::tuple(read.ending, read.text, read.box),
                  std::tuple(Ending::Refused, QStringLiteral("CommPort Not Open..."),
                             std::optional<QString>()));
        EXPECT_EQ(Await(session.writeSetting(setting, texts.valid)).text, texts.notWritten);
    }
    EXPECT_EQ(session.store().revision(), revision);
    EXPECT_EQ(sim->received(), "");
    for (const auto& [setting, texts] : kTexts) {
        Connect(Holding(1, 1, 1), {Fault::hangUp(texts.query)});
        const SettingRead read = Await(session.readSetting(setting));
        EXPECT_EQ(std::tuple(read.text, read.box), std::tuple(texts.readFailed, texts.placeholder));
    }
}

}  // namespace
}  // namespace yb::test
