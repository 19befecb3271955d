#pragma once
// Download progress on stderr: on a terminal one line that updates itself (at most every 100 ms),
// otherwise one plain line when each stage's count is known and at every tenth of the records.

#include <QString>

#include <chrono>
#include <map>

#include "download/Download.h"

namespace yb {

class ProgressPrinter {
public:
    explicit ProgressPrinter(bool terminal) : terminal_(terminal) {}
    void Show(const DownloadProgress& progress);
    // Ends the self-updating line.
    void Finish();

    // "データ１ 1200/2110 records, 159 rec/s, 残り 0:06": the line for the records known so far.
    QString Line(const DownloadProgress& progress) const;

private:
    bool terminal_;
    std::map<Stage, int> counts_;  // each stage's count once known
    std::map<Stage, int> done_;
    int lastTenth_ = -1;
    std::chrono::steady_clock::duration lastShown_{};
    bool lineOpen_ = false;
};

}  // namespace yb
