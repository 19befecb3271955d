#pragma once
// Download progress on stderr: on a terminal one line that updates itself (as often as the
// meter says a display should), otherwise one plain line when each stage's count is known and at
// every tenth of its records. A line names its stage and counts that stage's records only.

#include <QString>

#include "download/Download.h"
#include "download/DownloadMeter.h"

namespace yb {

class ProgressPrinter {
public:
    explicit ProgressPrinter(bool terminal) : terminal_(terminal) {}
    void Show(const DownloadProgress& progress);
    // Ends the self-updating line.
    void Finish();

private:
    // "データ１  1200 / 2110 個  160 個/秒  残り 0:06": the stage's records, the download's time
    QString Line(Stage stage) const;

    bool terminal_;
    DownloadMeter meter_;
    int lastTenth_ = -1;
    bool lineOpen_ = false;
};

}  // namespace yb
