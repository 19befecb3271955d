#pragma once
// How an operation on a file ended: done, or the reason it was not. One shape for the file
// operations: the data file written and read, a partial file read back, a target checked, the
// report written. A reader carries what it read beside it.

#include <QString>

#include <utility>

namespace yb {

struct FileResult {
    bool ok = true;
    QString reason;  // why not, in the interface's language; empty when ok

    static FileResult Failed(QString reason) { return {false, std::move(reason)}; }
};

}  // namespace yb
