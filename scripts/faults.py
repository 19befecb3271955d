"""The faults scripts/plant-faults.py plants: each replaces one exact text in one file.

Ids by where the fault sits: E exchange and port, V value rules, D download, R record decoders,
S settings, C session, F data file, W window, L command line, G the interface's language. Keep
the texts exact: a fault whose text is no longer found is reported, not skipped. A fault that no
test can see is left out: a second close of a port already closed; taking away one of two
guards that refuse the same thing (the reader looks at a path before opening it and again at
what it opened, and stops reading one byte past its limit); a lost port's text shown in Status
for the moment before the operation's own failure text replaces it.
"""

PREAMBLE = """# Planted faults

Each fault below was planted on its own in a clean tree by `scripts/plant-faults.py` (the table
of faults is `scripts/faults.py`); the program and every test binary were built and run, and the
fault was taken out again. The last column lists every test that failed. "Hangs in" means that
test binary ran into the script's time limit, which is how a missing guard against a second
exchange shows: the second operation never ends.

**{planted} planted, {caught} caught** (on commit {commit}).
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
          "for (int i = first; i < progress.count; ++i)", "for (int i = first; i <= progress.count; ++i)"),
    fault("D2", DL, "record loop `i < count - 1`: the last record is never asked for",
          "for (int i = first; i < progress.count; ++i)", "for (int i = first; i < progress.count - 1; ++i)"),
    fault("D3", DL, "lap records numbered from 0 (LD00)",
          "        .numberBase = 1,", "        .numberBase = 0,"),
    fault("D4", DL, "count limit `>=` instead of `>`: a count at the limit is refused",
          "if (*count > stage.limit) co_return", "if (*count >= stage.limit) co_return"),
    fault("D5", DL, "lap count refused by its form reports 'L?' instead of 'L2?'",
          "\"'L2?' コマンドエラー\"", "\"'L?' コマンドエラー\""),
    fault("D6", DL, "a count above the limit is stored before it is refused",
          "    // Not stored: the store keeps the count that goes with its records.\n",
          "    store_.setCount(stage.stage, *count);\n"),
    fault("D7", "src/download/RecordStore.cpp", "a stored main record is not counted as stored",
          "    (*main_)[Checked(slot, kMainSlots)] = record;\n    stored(Stage::Main, slot);",
          "    (*main_)[Checked(slot, kMainSlots)] = record;"),
    fault("D8", DL, "the store is not emptied when a download starts", "    store_.clear();\n", ""),
    fault("D9", DL, "lap record number 4 digits wide (LD0001) instead of 2",
          "        .numberWidth = 2,", "        .numberWidth = 4,"),
    fault("D10", DL, "the temperature probe takes any answer as fitted",
          "stop_.temperatureFitted = BeginsWithOK(reply.answer.text);",
          "stop_.temperatureFitted = true;"),
    fault("D11", DL, "a temperature record refused reports 'D1+nnnn' instead of 'D2+nnnn'",
          "\"'D2+nnnn' コマンドエラー\"", "\"'D1+nnnn' コマンドエラー\""),
    fault("D12", DL, "a request is sent again one time fewer than the retries allow",
          "if (reply.accepted || attempt >= options_.retries) co_return reply;",
          "if (reply.accepted || attempt + 1 >= options_.retries) co_return reply;"),
    fault("D13", DL, "the line does not settle before a count request",
          "    // A stray character after the last stage's last record must not open this count's answer.\n"
          "    const Answer settled = co_await line_.settle();",
          "    const Answer settled{};"),
    fault("D14", DL, "a probe answer the line spoiled is taken as a verdict",
          "        return IsLineEnd(c) || (c >= 0x20 && c <= 0x7E);",
          "        return IsLineEnd(c) || c != '\\0';"),
    fault("D15", DL, "the store keeps the interval from any answer, as its first two characters read",
          "return (interval = DecodeInterval(answer)).has_value();",
          "interval = progress.interval.value.value_or(0); return !answer.empty();"),
    fault("D16", DL, "a cancel during a record is reported as the record's failure",
          "        if (answer.state == Answer::State::Cancelled) {\n"
          "            return end(Ending::Cancelled, DownloadCancelledText());",
          "        if (answer.state == Answer::State::Cancelled && false) {\n"
          "            return end(Ending::Cancelled, DownloadCancelledText());"),
    fault("D17", DL, "a request is sent again once more than the retries allow",
          "if (reply.accepted || attempt >= options_.retries) co_return reply;",
          "if (reply.accepted || attempt > options_.retries) co_return reply;"),
    fault("D18", DL, "a request is sent again at once, the line not settled first",
          "        Reply settled;\n        settled.answer = co_await line_.settle();\n"
          "        if (settled.answer.interrupted()) co_return settled;\n", ""),
    fault("D19", DL, "a resume does not compare the interval",
          "    if (*interval != store_.interval()) co_return changed();",
          "    if (*interval != store_.interval() && false) co_return changed();"),
    fault("D20", DL, "a resume does not compare the counts",
          "        if (std::get<std::int16_t>(count) != store_.count(stage)) {",
          "        if (false) {"),
    fault("D21", DL, "a resume does not compare the last record stored",
          "        if (!same) co_return changed();",
          "        if (!same && false) co_return changed();"),
    fault("D22", DL, "a resume asks again for the stopped stage from its first record",
          "        outcome = co_await fetchRecords(stage, store_.stored(stop.stage));",
          "        outcome = co_await fetchRecords(stage, 0);"),
    fault("D23", DL, "a resume stops after the stopped stage: the stages after it never run",
          "        co_return co_await runStagesFrom(static_cast<Stage>(static_cast<int>(stop.stage) + 1));",
          "        co_return end(Ending::Done, kDownloadDoneText);"),
    fault("D24", "src/datafile/PartialRun.cpp", "a partial file with values after an empty row is taken",
          "            if (stopped) {\n                return refuse(QCoreApplication::translate(",
          "            if (false) {\n                return refuse(QCoreApplication::translate("),
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
          ".speedKmh = static_cast<float>(Field16(answer, 15, 2)),",
          ".speedKmh = static_cast<float>(Field16(answer, 15, 2)) / 10.0f,"),
    # Settings.
    fault("S1", ST, "battery validation refuses 05.00 (`> 5.0`)", "ah >= 5.0", "ah > 5.0"),
    fault("S2", ST, "battery validation accepts 50.01", "ah <= 50.0", "ah <= 50.01"),
    fault("S3", ST, "a read with no answer shows 0 instead of the placeholder and failure text",
          "    if (!answer.answered()) co_return ReadFailure(rule);",
          "    if (!answer.answered() && false) co_return ReadFailure(rule);"),
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
          "        if (c < u'0' || c > u'9') return false;",
          "        if ((c < u'0' || c > u'9') && false) return false;"),
    fault("S10", ST, "a tyre circumference below 256 mm is accepted",
          "mm >= 256 && mm <= 65535", "mm >= 0 && mm <= 65535"),
    # The session.
    fault("C1", SE, "the one guard refuses nothing: a second operation starts while one runs",
          "QCoro::Task<Result> Session::run(Operation operation, Body body) {\n    if (busy()) {",
          "QCoro::Task<Result> Session::run(Operation operation, Body body) {\n    if (false) {"),
    fault("C2", SE, "the port is opened, switched or closed while an operation runs",
          "Result Session::runNow(Body body) {\n    if (busy()) {",
          "Result Session::runNow(Body body) {\n    if (false) {"),
    fault("C3", SE, "a port loss during the open is reported as well (twice)",
          "        lostWhileOpening_ = reason;  // the open reports it\n        return;",
          "        lostWhileOpening_ = reason;  // the open reports it"),
    fault("C5", SE, "a new operation does not lift an earlier cancel",
          "        session_.line_->allowAgain();\n", ""),
    fault("C6", SE, "the open sends no carriage return",
          "ready = port_.output(\"\\r\");", "ready = true;"),
    fault("C7", SE, "a loss during the open reports the failed write's reason, not the loss's",
          "    if (!lostWhileOpening_.isEmpty()) outcome.reason = lostWhileOpening_;\n", ""),
    fault("C8", SE, "the open does not apply 38400,N,8,1",
          "            port_.open(address);", "            port_.open(address, LineSettings{9600});"),
    fault("C9", SE, "a settings read keeps the value read as the store's interval",
          "[this, setting] { return ReadSetting(setting, *line_); }",
          "[this, setting]() -> QCoro::Task<SettingRead> {\n"
          "        SettingRead read = co_await ReadSetting(setting, *line_);\n"
          "        if (read.value) store_.setInterval(static_cast<std::int16_t>(*read.value));\n"
          "        co_return read; }"),
    fault("C10", SE, "saving does not count: the data stays unsaved after a save",
          "store_.stored(Stage::Main) > 0 && store_.revision() != savedRevision_",
          "store_.stored(Stage::Main) > 0"),
    # The data file.
    fault("F1", DF, "number pattern rounds a 5 down (`> 5`)",
          "d.digits[static_cast<std::size_t>(keep)] >= '5'",
          "d.digits[static_cast<std::size_t>(keep)] > '5'"),
    fault("F2", DF, "number pattern without the reduction to 7 significant digits",
          "    RoundTo(d, kFloatDigits);\n", ""),
    fault("F3", DF, "temperature count line ends in LF without CR",
          "QString::number(store.tempCount()) + kNewLine;",
          "QString::number(store.tempCount()) + QStringLiteral(\"\\n\");"),
    fault("F4", "src/datafile/Format.h", "lap header \"Lap_Motort_Wh[Wh]\" written \"Lap_Motor_Wh[Wh]\"",
          "QStringLiteral(\"Lap_Motort_Wh[Wh]\")", "QStringLiteral(\"Lap_Motor_Wh[Wh]\")"),
    fault("F5", "src/settings/Settings.h", "temperatures every 2 minutes from 5 s on instead of 10 s only",
          "return recordingSeconds == 10 ? 120 : 60;", "return recordingSeconds >= 5 ? 120 : 60;"),
    fault("F6", DF, "lap rows without their trailing delimiter",
          "        text += FormatFixed(lap.motorWh, 1);\n        text += d;\n",
          "        text += FormatFixed(lap.motorWh, 1);\n"),
    fault("F7", DF, "temperature section only from 2 records (`> 1`)",
          "if (store.tempCount() >= 1) AppendTemperatureSection",
          "if (store.tempCount() > 1) AppendTemperatureSection"),
    fault("F8", DF, "powers multiplied and formatted in double precision",
          "    const float watts = current * volts;\n    text += FormatFixed(watts, 1);",
          "    const double watts = double(current) * double(volts);\n"
          "    text += QString::number(watts, 'f', 1);"),
    fault("F9", DF, "the temperature empty marker 9999 is written",
          "if (temperature != RecordStore::kTempEmpty) text += QString::number(temperature);",
          "text += QString::number(temperature);"),
    fault("F10", DF, "main rows numbered from 0",
          "    for (int i = 0; i < store.mainCount(); ++i) {\n        text += QString::number(i + 1);",
          "    for (int i = 0; i < store.mainCount(); ++i) {\n        text += QString::number(i);"),
    fault("F13", "src/viewer/Report.cpp", "a report cut short by a full disk is committed all the same",
          "    if (!file.shortWrite().isEmpty()) {", "    if (false) {"),
    # The window.
    fault("W2", UI, "a download over unsaved data starts without asking",
          "    if (!session_->busy() && session_->portOpen() && session_->unsaved() &&",
          "    if (false && session_->unsaved() &&"),
    fault("W3", UI, "the status bar after a download does not name the lost port",
          "    if (!portLoss_.isEmpty()) summary += QStringLiteral(\"  \") + portLoss_;\n", ""),
    fault("W4", "src/download/DownloadMeter.cpp", "the status bar after a download does not say how it ended",
          "    return QCoreApplication::translate(\"DownloadMeter\", \"%1  読出し %2 個  %3 秒\")\n"
          "               .arg(ending)",
          "    return QCoreApplication::translate(\"DownloadMeter\", \"%1  読出し %2 個  %3 秒\")\n"
          "               .arg(QString())"),
    fault("W5", UI, "the resume item stays off after a download that failed",
          "    mnuResume->setEnabled(session_->canResume() && session_->portOpen() && !session_->busy());",
          "    mnuResume->setEnabled(false);"),
    fault("W6", UI, "the retries item is not remembered",
          "        QSettings().setValue(kRetriesKey, on);\n", ""),
    # The command line.
    fault("L1", "src/cli/Termination.cpp", "SIGTERM is not caught",
          "constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};",
          "constexpr int kSignals[] = {SIGINT, SIGHUP};"),
    fault("L2", "src/cli/Termination.cpp", "SIGHUP is not caught",
          "constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};",
          "constexpr int kSignals[] = {SIGINT, SIGTERM};"),
    fault("L3", "src/cli/LoggerCommands.cpp", "a signal does not cancel the running operation",
          "QObject::connect(&termination_, &Termination::ended, &session_, &Session::cancel);", ""),
    fault("L4", "src/cli/LoggerCommands.cpp", "download writes into a device or a pipe given as its target",
          "        if (!target.isFile()) {", "        if (false) {"),
    fault("L5", "src/cli/Output.cpp", "a result lost on its way to stdout is not a failure",
          "    if (gStdoutFailure.isEmpty() || code == kExitFile", "    if (true || code == kExitFile"),
    fault("L6", "src/cli/LoggerCommands.cpp", "set battery sends the text as typed",
          "setting == Setting::BatteryCapacity ? BatteryBoxText(typed) : typed",
          "setting == Setting::BatteryCapacity && false ? BatteryBoxText(typed) : typed"),
    fault("L7", "src/cli/LoggerCommands.cpp", "a lost port is not told on stderr",
          "                         [](const QString& text) { Err(text); });",
          "                         [](const QString&) {});"),
    # The interface's language.
    fault("G1", "src/language/Language.cpp", "the C locale of servers and CI starts in English",
          'first == QLatin1String("C") ||', "false ||"),
    fault("G2", "src/language/Language.cpp", "the program's own catalogue is not installed",
          '    return install(QStringLiteral("yb-downloader_") + code, QStringLiteral(":/i18n"));',
          "    return true;"),
    fault("G3", "src/ui/Form1.cpp", "the language chosen in the menu is not remembered",
          "            RememberLanguage(language);\n", ""),
    fault("G4", "src/download/DownloadMeter.cpp", "the progress bar follows the line time even when it steps back",
          "fraction_ = std::max(fraction_, std::min(line.done / whole, 1.0));",
          "fraction_ = std::min(line.done / whole, 1.0);"),
]
