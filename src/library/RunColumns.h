#pragma once
// How the library shows its runs, one definition for the window's list and the command line's:
// the columns of a run (head, text, the value a sort goes by) and the per-run figures a trend
// can chart.

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "library/RunIndex.h"

namespace yb {

struct RunColumn {
    const char* key;
    const char* head;  // translated in the context "RunColumns"
    std::function<QString(const IndexedRun&)> text;
    std::function<QVariant(const IndexedRun&)> sortValue;  // a number or a text
    bool number = false;                                   // right-aligned
};
const std::vector<RunColumn>& RunColumns();
QString RunColumnHead(const RunColumn& column);
// The head of the column `key` ("event", "drivers", ...).
QString RunColumnHead(std::string_view key);

// What the state of a run's file is called: "" when present, "ファイルなし", "変更あり".
QString StateText(IndexedRun::State state);
// The stable name of a state for scripts: "present", "missing", "changed".
QString StateKey(IndexedRun::State state);

// A figure of a run that a trend charts against the download time.
struct TrendFigure {
    const char* key;
    const char* name;  // translated in the context "RunColumns"
    const char* unit;
    std::function<std::optional<double>(const IndexedRun&)> value;
};
const std::vector<TrendFigure>& TrendFigures();
QString TrendFigureName(const TrendFigure& figure);

}  // namespace yb
