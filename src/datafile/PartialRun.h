#pragma once
// A partial data file read back as the download that stopped: its records in a store and where
// it stopped, so that the download can be resumed from the file.
//
// The program writes the rows a download did not fetch as empty rows (a lap row it did not fetch
// holds the lap markers -1 and -1.0). So in a partial file the first section with an empty row is
// where the download stopped: its rows before it hold values, every row from it on is empty, the
// sections before it are complete and the sections after it are not there (not started). A file
// whose every row holds values stopped between stages, or is complete: it stops after its last
// section (before the temperature probe when it has only main data, before the lap count when it
// has temperatures, after the last lap when it has laps), and a resume finds out from the logger
// what, if anything, is still missing.

#include <QString>

#include <optional>

#include "datafile/FileResult.h"
#include "datafile/RunData.h"
#include "download/Download.h"
#include "download/RecordStore.h"

namespace yb {

struct PartialRun {
    RecordStore store;
    DownloadStop stop;
};

// The stopped download a file shows, or the reason it is not a data file the program wrote: a row
// half filled, values after an empty row, a section after the stopped one, more rows than a
// download stores, a value no download can have.
struct PartialRunRead : FileResult {
    std::optional<PartialRun> partial;  // exactly when ok
};
PartialRunRead ReadPartialRun(const RunData& run);

}  // namespace yb
