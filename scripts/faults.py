"""The faults scripts/plant-faults.py plants: each replaces one exact text in one file.

Ids by where the fault sits: E exchange and port, V value rules, D download, R record decoders,
S settings, C session, F data file, W window. Keep the texts exact: a fault whose text is no
longer found is reported, not skipped.
"""

PREAMBLE = """# Planted faults

Each fault below was planted on its own in a clean tree by `scripts/plant-faults.py` (the table
of faults is `scripts/faults.py`); the program and every test binary were built and run, and the
fault was taken out again. The last column lists every test that failed. "Hangs in" means that
test binary ran into the script's time limit, which is how a missing guard against a second
exchange shows: the second operation never ends.

**{planted} planted, {caught} caught.**
"""


def fault(id, file, what, old, new):
    return {"id": id, "file": file, "what": what, "old": old, "new": new}


EX = "src/serial/LineExchange.cpp"
VR = "src/serial/ValueRules.cpp"
DL = "src/download/Download.cpp"
RC = "src/download/Records.cpp"
ST = "src/settings/Settings.cpp"
SE = "src/session/Session.cpp"
DF = "src/datafile/DataFile.cpp"
UI = "src/ui/Form1.cpp"

FAULTS = [
    # The exchange and the port.
    fault("E1", EX, "a record answer is complete once the line falls quiet, without its line end",
          "        if (auto ended = interruption()) {\n            answer.state = *ended;",
          "        if (!answer.text.empty() && clock_->now() >= lastArrival_ + kQuietLine) {\n"
          "            answer.state = Answer::State::Answered;\n            break;\n        }\n"
          "        if (auto ended = interruption()) {\n            answer.state = *ended;"),
    fault("E2", EX, "stale input is not discarded before a command is written",
          "    line_.discardInput();\n    std::string text(command);",
          "    std::string text(command);"),
    fault("E3", EX, "the fixed 100 ms wait of a command exchange ends as soon as anything arrived",
          "        if (clock_->now() >= end) break;\n        co_await waitUntil(end);",
          "        if (clock_->now() >= end) break;\n        co_await waitUntil(end);\n"
          "        if (line_.portOpen()) break;"),
    fault("E4", "src/serial/LineExchange.h", "main records get the 300 ms deadline instead of 500 ms",
          "kMainRecordDeadline{500}", "kMainRecordDeadline{300}"),
    fault("E5", EX, "cancel is not checked before a command is written",
          "    if (cancelled_) return Answer::State::Cancelled;\n", ""),
    fault("E6", EX, "busy guard removed: a second exchange starts while one waits",
          "        if (flag_) throw ExchangeBusy(\"another exchange is in progress\");\n", ""),
    fault("E7", EX, "what follows a record's line end is kept in its answer",
          "            answer.text.erase(end + 1, answer.text.end());\n", ""),
    fault("E8", EX, "a record answer is complete at a line feed only, not at a carriage return",
          "std::find_if(answer.text.begin(), answer.text.end(), IsLineEnd)",
          "std::find(answer.text.begin(), answer.text.end(), '\\n')"),
    fault("E9", EX, "settle() does not wait for a quiet line",
          "        if (now >= quiet || now >= giveUp) break;",
          "        if (true || now >= quiet || now >= giveUp) break;"),
    fault("E10", EX, "settle() does not throw away what came",
          "    clock_->stopWake();\n    line_.discardInput();\n    co_return settled;",
          "    clock_->stopWake();\n    co_return settled;"),
    fault("E11", EX, "a lost port is not an interruption: the exchange waits out its time",
          "    if (!line_.portOpen()) return Answer::State::PortLost;\n", ""),
    fault("E12", EX, "a command exchange that got nothing counts as answered",
          "text.empty() ? Answer::State::TimedOut : Answer::State::Answered",
          "Answer::State::Answered"),
    fault("E13", "src/serial/CommPort.cpp", "a device is opened by the name given, not its canonical path",
          "        if (!canonical.isEmpty()) device = canonical;", ""),
    # Value rules.
    fault("V1", VR, "HexFieldValue: 16-bit sign only below 4 digits (`< 4` for `<= 4`)",
          "if (digits <= 4) return", "if (digits < 4) return"),
    fault("V2", VR, "LeadingNumberValue no longer skips blanks",
          "        if (!IsSkippedBlank(c)) s.push_back(c);", "        s.push_back(c);"),
    fault("V3", VR, "ParameterText rounds halves up (`floor(x + 0.5)`) instead of to even",
          "std::nearbyint(value);", "std::floor(value + 0.5);"),
    fault("V4", VR, "the OK test is case-insensitive",
          'return answer.substr(0, 2) == "OK";',
          "return answer.size() >= 2 && (answer[0] | 0x20) == 'o' && (answer[1] | 0x20) == 'k';"),
    fault("V5", VR, "Mid counts from 0 instead of 1",
          "return text.substr(start - 1, length);", "return text.substr(start, length);"),
    fault("V6", VR, "HexText pads one digit short of the width",
          "static_cast<std::size_t>(width) - text.size(), '0'",
          "static_cast<std::size_t>(width) - text.size() - 1, '0'"),
    fault("V7", VR, "lower-case hexadecimal digits are not digits",
          "    if (c >= 'a' && c <= 'f') return c - 'a' + 10;\n", ""),
    fault("V8", VR, "an answer's field characters are not checked to be hexadecimal",
          "        if (HexDigit(answer[i]) < 0) return false;\n", ""),
    fault("V9", VR, "an answer need not end with a line end",
          "answer.size() != digits + 1 || !IsLineEnd(answer.back())",
          "answer.size() != digits + 1"),
    # The download.
    fault("D1", DL, "record loop `i <= count`: one request too many",
          "for (int i = 0; i < *count; ++i)", "for (int i = 0; i <= *count; ++i)"),
    fault("D2", DL, "record loop `i < count - 1`: the last record is never asked for",
          "for (int i = 0; i < *count; ++i)", "for (int i = 0; i < *count - 1; ++i)"),
    fault("D3", DL, "lap records numbered from 0 (LD00)",
          "        .numberBase = 1,", "        .numberBase = 0,"),
    fault("D4", DL, "count limit `>=` instead of `>`: a count at the limit is refused",
          "if (*count > stage.limit)", "if (*count >= stage.limit)"),
    fault("D5", DL, "lap count refused by its form reports 'L?' instead of 'L2?'",
          "\"'L2?' コマンドエラー\"", "\"'L?' コマンドエラー\""),
    fault("D6", DL, "a count above the limit is stored before it is refused",
          "    if (*count > stage.limit) {",
          "    data_.*stage.count = *count;\n    if (*count > stage.limit) {"),
    fault("D7", DL, "the data is not marked unsaved when a main record is stored",
          "    data.fData_Saved = false;\n    return true;", "    return true;"),
    fault("D8", DL, "the store is not emptied when a download starts",
          "    data_.InitData();\n    data_.fData_Saved = true;", "    data_.fData_Saved = true;"),
    fault("D9", DL, "lap record number 4 digits wide (LD0001) instead of 2",
          "        .numberWidth = 2,", "        .numberWidth = 4,"),
    fault("D10", DL, "the temperature probe takes any answer as fitted",
          "if (BeginsWithOK(probe.text))", "if (probe.answered())"),
    fault("D11", DL, "a temperature record refused reports 'D1+nnnn' instead of 'D2+nnnn'",
          "\"'D2+nnnn' コマンドエラー\"", "\"'D1+nnnn' コマンドエラー\""),
    fault("D12", DL, "a record request that got no answer in time is stored as far as it came",
          "        if (answer.state == Answer::State::Cancelled || !answer.answered() ||",
          "        if (answer.state == Answer::State::Cancelled ||"),
    fault("D13", DL, "the line does not settle before a count request",
          "    const Answer settled = co_await line_.settle();", "    const Answer settled{};"),
    fault("D14", DL, "the line does not settle before the temperature probe",
          "    Answer probe = co_await line_.settle();", "    Answer probe{};"),
    fault("D15", DL, "the store keeps the interval from any answer, as its first two characters read",
          "DecodeInterval(interval.interval.answer).value_or(0)",
          "interval.interval.value.value_or(0)"),
    fault("D16", DL, "a cancel during a record is reported as the record's failure",
          "        if (answer.state == Answer::State::Cancelled) {\n"
          "            return end(Ending::Cancelled, stage, kDownloadCancelledText);",
          "        if (answer.state == Answer::State::Cancelled && false) {\n"
          "            return end(Ending::Cancelled, stage, kDownloadCancelledText);"),
    # Record decoders.
    fault("R1", RC, "temperature sign taken as 16-bit: 80 to FF stored as 128 to 255",
          "byte >= 0x80 ? byte - 0x100 : byte", "byte"),
    fault("R2", RC, "lap Wh divided by 100 instead of 10",
          ".motorWh = static_cast<float>(Field16(answer, 5, 4)) / 10.0f",
          ".motorWh = static_cast<float>(Field16(answer, 5, 4)) / 100.0f"),
    fault("R3", RC, "sub-battery voltage read from 3 digits instead of 2",
          "Field16(answer, 13, 2)", "Field16(answer, 13, 3)"),
    fault("R4", RC, "count lengths: main and temperature counts taken as 2 digits, laps as 4",
          "stage == Stage::Laps ? 2 : 4", "stage == Stage::Laps ? 4 : 2"),
    fault("R5", RC, "speed divided by 10 like the voltages",
          ".speed = static_cast<float>(Field16(answer, 15, 2)),",
          ".speed = static_cast<float>(Field16(answer, 15, 2)) / 10.0f,"),
    # Settings.
    fault("S1", ST, "battery validation refuses 05.00 (`> 5.0`)", "ah >= 5.0", "ah > 5.0"),
    fault("S2", ST, "battery validation accepts 50.01", "ah <= 50.0", "ah <= 50.01"),
    fault("S3", ST, "a read with no answer shows 0 instead of the placeholder and failure text",
          "    if (!answer.answered()) co_return ReadFailure(rule);\n", ""),
    fault("S4", ST, "tyre parameter padded below 3 digits instead of 4 (T708)",
          "        .writeCommand = \"T\",\n        .padBelow = 4,",
          "        .writeCommand = \"T\",\n        .padBelow = 3,"),
    fault("S5", ST, "battery box decimals not padded to two digits (05.0)",
          ".arg(magnitude % 100, 2, 10, QLatin1Char('0'))",
          ".arg(magnitude % 100, 1, 10, QLatin1Char('0'))"),
    fault("S6", ST, "interval read takes 1 answer character instead of 2",
          "        .readCommand = \"T??\",\n        .answerChars = 2,",
          "        .readCommand = \"T??\",\n        .answerChars = 1,"),
    fault("S7", ST, "battery validation takes the point anywhere",
          "text.indexOf(QLatin1Char('.')) != 2", "text.indexOf(QLatin1Char('.')) < 0"),
    fault("S8", ST, "a read on a closed port is attempted instead of refused",
          "    if (!line.portOpen()) co_return SettingRead{{Ending::Refused, kPortNotOpenText}, {}, {}, {}};\n",
          ""),
    fault("S9", ST, "a tyre circumference is accepted with any characters in it",
          "        if (c < u'0' || c > u'9') return false;\n", ""),
    fault("S10", ST, "a tyre circumference below 256 mm is accepted",
          "mm >= 256 && mm <= 65535", "mm >= 0 && mm <= 65535"),
    # The session.
    fault("C1", SE, "a second download is not refused while one runs",
          "QCoro::Task<DownloadOutcome> Session::download() {\n    if (busy()) {",
          "QCoro::Task<DownloadOutcome> Session::download() {\n    if (false) {"),
    fault("C2", SE, "a connection check is not refused during an operation",
          "    CheckOutcome outcome;\n    if (busy()) {",
          "    CheckOutcome outcome;\n    if (false) {"),
    fault("C3", SE, "a port loss during the open is reported as well (twice)",
          "        lostWhileOpening_ = reason;  // the open reports it\n        return;",
          "        lostWhileOpening_ = reason;  // the open reports it"),
    fault("C4", SE, "choosePort does not close the port when the switch fails",
          "    } catch (const std::exception& e) {\n        port_.setPortOpen(false);",
          "    } catch (const std::exception& e) {"),
    fault("C5", SE, "a new operation does not lift an earlier cancel",
          "        session_.line_->allowAgain();\n", ""),
    fault("C6", SE, "the open sends no carriage return",
          "ready = port_.output(\"\\r\");", "ready = true;"),
    fault("C7", SE, "a loss during the open reports the failed write's reason, not the loss's",
          "    if (!lostWhileOpening_.isEmpty()) outcome.reason = lostWhileOpening_;\n", ""),
    fault("C8", SE, "the open does not apply 38400,N,8,1",
          "        port_.setSettings(kLineSettings);\n", ""),
    fault("C9", SE, "a settings read keeps the value read as the store's interval",
          "    co_return co_await ReadSetting(setting, *line_);",
          "    auto read = co_await ReadSetting(setting, *line_);\n"
          "    if (setting == Setting::RecordingInterval && read.value) "
          "data_.LogInterval = static_cast<std::int16_t>(*read.value);\n    co_return read;"),
    # The data file.
    fault("F1", DF, "number pattern rounds a 5 down (`> 5`)",
          "d.digits[static_cast<std::size_t>(keep)] >= '5'",
          "d.digits[static_cast<std::size_t>(keep)] > '5'"),
    fault("F2", DF, "number pattern without the reduction to 7 significant digits",
          "    RoundTo(d, kFloatDigits);\n", ""),
    fault("F3", DF, "temperature count line ends in LF without CR",
          "QString::number(data.DataCount2) + kNewLine;",
          "QString::number(data.DataCount2) + QStringLiteral(\"\\n\");"),
    fault("F4", DF, "lap header \"Lap_Motort_Wh[Wh]\" written \"Lap_Motor_Wh[Wh]\"",
          "QStringLiteral(\"Lap_Motort_Wh[Wh]\")", "QStringLiteral(\"Lap_Motor_Wh[Wh]\")"),
    fault("F5", DF, "\"2分間隔\" for intervals of 5 s and more instead of 10 s only",
          "return logInterval == 10 ? QStringLiteral(\"2分間隔\")",
          "return logInterval >= 5 ? QStringLiteral(\"2分間隔\")"),
    fault("F6", DF, "lap rows without their trailing delimiter",
          "        text += FormatFixed(data.LapMotorWh.at(i), 1);\n        text += d;\n",
          "        text += FormatFixed(data.LapMotorWh.at(i), 1);\n"),
    fault("F7", DF, "temperature section only from 2 records (`> 1`)",
          "if (data.DataCount2 >= 1) AppendTemperatureSection",
          "if (data.DataCount2 > 1) AppendTemperatureSection"),
    fault("F8", DF, "powers multiplied and formatted in double precision",
          "    const float watts = current * volts;\n    text += FormatFixed(watts, 1);",
          "    const double watts = double(current) * double(volts);\n"
          "    text += QString::number(watts, 'f', 1);"),
    fault("F9", DF, "the temperature empty marker 9999 is written",
          "if (temperature != LoggedData::kTempEmpty) text += QString::number(temperature);",
          "text += QString::number(temperature);"),
    fault("F10", DF, "main rows numbered from 0",
          "    for (int i = 0; i < data.DataCount1; ++i) {\n        text += QString::number(i + 1);",
          "    for (int i = 0; i < data.DataCount1; ++i) {\n        text += QString::number(i);"),
    # The window.
    fault("W1", UI, "a lost port's text replaces the running operation's failure text in Status",
          "        if (!session_->busy()) Status->setText(text);", "        Status->setText(text);"),
    fault("W2", UI, "a download over unsaved data starts without asking",
          "    if (session_->portOpen() && !session_->data().fData_Saved &&",
          "    if (false && !session_->data().fData_Saved &&"),
    fault("W3", UI, "the status bar after a download does not name the lost port",
          "    if (!portLoss_.isEmpty()) summary += QStringLiteral(\"  \") + portLoss_;\n", ""),
    fault("W4", "src/download/DownloadMeter.cpp", "the status bar after a download does not say how it ended",
          "    return QStringLiteral(\"%1  読出し %2 個  %3 秒\")\n        .arg(ending)",
          "    return QStringLiteral(\"%1読出し %2 個  %3 秒\")\n        .arg(QString())"),
]
