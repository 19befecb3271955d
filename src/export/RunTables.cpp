#include "export/RunTables.h"

#include "version/Version.h"

namespace yb {

namespace {

ExportColumn Numbers(QString name, QString unit, int decimals) {
    return {std::move(name), std::move(unit), decimals, false, {}, {}};
}

// The column of the rows' times: seconds at `stepS` apart, or the rows' numbers without a step.
ExportColumn Times(const std::vector<int>& rows, std::optional<int> stepS) {
    ExportColumn column = stepS ? Numbers(QStringLiteral("time_s"), QStringLiteral("s"), 0)
                                : Numbers(QStringLiteral("record"), {}, 0);
    for (const int row : rows) column.values.emplace_back(stepS ? 1.0 * row * *stepS : row + 1.0);
    return column;
}

// The lap each main row falls in, none outside every lap.
std::vector<MainValue> LapOfRows(const RunData& run, const std::vector<LapFigures>& laps) {
    std::vector<MainValue> lapOf(static_cast<std::size_t>(run.mainRows()));
    for (const LapFigures& lap : laps) {
        if (const auto rows = LapRows(run, lap)) {
            for (int row = rows->first; row < rows->second; ++row)
                lapOf[static_cast<std::size_t>(row)] = lap.lap;
        }
    }
    return lapOf;
}

// The laps a window's main rows reach into; every lap of the whole run.
std::vector<LapFigures> LapsOf(const ExportSource& s) {
    if (!s.summary.window) return s.laps;
    std::vector<LapFigures> laps;
    for (const LapFigures& lap : s.laps) {
        const auto rows = LapRows(s.run, lap);
        if (rows && rows->first < s.rows.mainEnd && rows->second > s.rows.mainFirst)
            laps.push_back(lap);
    }
    return laps;
}

std::vector<std::pair<QString, QString>> Metadata(const ExportSource& s) {
    const auto number = [](double value) { return QString::fromLatin1(JsonNumber(value)); };
    std::vector<std::pair<QString, QString>> items{
        {QStringLiteral("program"),
         QStringLiteral("%1 %2").arg(QLatin1String(kProgramName), QLatin1String(kProgramVersion))},
        {QStringLiteral("file"), s.run.title},
        {QStringLiteral("written_at"), s.run.writtenAt},
        {QStringLiteral("saved_path"), s.run.savedPath},
    };
    if (s.start)
        items.emplace_back(QStringLiteral("start"), s.start->toString(Qt::ISODate).left(19));
    items.emplace_back(QStringLiteral("lap_start_s"), number(s.lapStartS));
    if (s.batteryAh) items.emplace_back(QStringLiteral("battery_ah"), number(*s.batteryAh));
    if (!s.window.isEmpty()) items.emplace_back(QStringLiteral("window"), s.window);
    return items;
}

}  // namespace

int ExportTable::rows() const {
    if (columns.empty()) return 0;
    const ExportColumn& first = columns.front();
    return static_cast<int>(first.text ? first.texts.size() : first.values.size());
}

RowWindow AllRows(const RunData& run) {
    return {0, run.mainRows(), 0, static_cast<int>(run.temperatures.size())};
}

namespace {

bool Shown(const ExportSource& s, QStringView name) {
    return !s.hidden.contains(name.toString());
}

ExportTable MainTable(const ExportSource& s) {
    const RunData& run = s.run;
    ExportTable table;
    std::vector<int> rows;
    for (int row = s.rows.mainFirst; row < s.rows.mainEnd; ++row)
        if (HoldsValues(run, row)) rows.push_back(row);
    // A column of one value per exported main row.
    const auto add = [&](ExportColumn column, auto valueOf) {
        for (const int row : rows)
            column.values.emplace_back(valueOf(static_cast<std::size_t>(row)));
        table.columns.push_back(std::move(column));
    };
    table.columns.push_back(Times(rows, run.intervalS));
    if (s.start && run.intervalS) {
        // The clock of the logger's run: whole seconds counted on from the start, as a watch on
        // the pit wall counts them.
        QDateTime start = *s.start;
        start.setTimeSpec(Qt::UTC);
        ExportColumn clock{QStringLiteral("clock"), {}, -1, true, {}, {}};
        for (const int row : rows)
            clock.texts << start.addSecs(1LL * row * *run.intervalS).toString(Qt::ISODate).left(19);
        table.columns.push_back(std::move(clock));
    }
    if (!s.laps.empty()) {
        const std::vector<MainValue> lapOf = LapOfRows(run, s.laps);
        add(Numbers(QStringLiteral("lap"), {}, 0),
            [&lapOf](std::size_t row) { return lapOf[row]; });
    }
    for (int c = 0; c < kMainChannels; ++c) {
        const MainColumn& column = kMainColumns[static_cast<std::size_t>(c)];
        const auto& values = run.main[static_cast<std::size_t>(c)];
        if (Shown(s, column.name))
            add(Numbers(column.name.toString(), column.unit.toString(), column.decimals),
                [&values](std::size_t row) { return values[row]; });
    }
    if (!run.intervalS) return table;
    for (const EnergyChannel channel :
         {EnergyChannel::SolarWh, EnergyChannel::BatteryWh, EnergyChannel::MotorWh}) {
        const EnergyColumn& column = ColumnOf(channel);
        if (Shown(s, column.name))
            add(Numbers(column.name.toString(), column.unit.toString(), -1),
                [&](std::size_t row) { return s.energy.channel(channel)[row]; });
    }
    // The charge left, in Ah and in % of the capacity, when the capacity is known.
    if (!s.batteryAh || !Shown(s, ColumnOf(EnergyChannel::RemainingAh).name)) return table;
    for (const EnergyChannel channel : {EnergyChannel::RemainingAh, EnergyChannel::RemainingPct}) {
        const EnergyColumn& column = ColumnOf(channel);
        add(Numbers(column.name.toString(), column.unit.toString(), -1),
            [&, channel](std::size_t row) { return s.energy.channel(channel)[row]; });
    }
    return table;
}

ExportTable TemperatureTable(const ExportSource& s) {
    const RunData& run = s.run;
    std::vector<int> rows;
    if (Shown(s, kTemperatureKey)) {
        for (int row = s.rows.temperatureFirst; row < s.rows.temperatureEnd; ++row)
            if (run.temperatures[static_cast<std::size_t>(row)]) rows.push_back(row);
    }
    ExportTable table;
    table.columns.push_back(
        Times(rows, run.intervalS ? std::optional(run.temperatureIntervalS) : std::nullopt));
    ExportColumn temperature =
        Numbers(kTemperatureColumn.name.toString(), kTemperatureColumn.unit.toString(),
                kTemperatureColumn.decimals);
    for (const int row : rows)
        temperature.values.emplace_back(1.0 * *run.temperatures[static_cast<std::size_t>(row)]);
    table.columns.push_back(std::move(temperature));
    return table;
}

ExportTable LapsTable(const ExportSource& s) {
    const std::vector<LapFigures> laps = LapsOf(s);
    ExportTable table;
    for (const LapField& field : LapFields()) {
        ExportColumn column =
            Numbers(QLatin1String(field.key), QString::fromUtf8(field.unit), field.decimals);
        for (const LapFigures& lap : laps) column.values.emplace_back(field.value(lap));
        table.columns.push_back(std::move(column));
    }
    return table;
}

}  // namespace

RunTables MakeRunTables(const ExportSource& s) {
    std::vector<SummaryFigure> figures = SummaryFigures(s.summary);
    for (SummaryFigure& figure : ChargeFigures(s.energy, s.rows.mainEnd)) figures.push_back(figure);
    return {Metadata(s),  std::move(figures),    SummaryJson(s.summary, s.energy, s.rows.mainEnd),
            MainTable(s), TemperatureTable(s), LapsTable(s)};
}

}  // namespace yb
