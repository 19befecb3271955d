// The writers' module's one entry (Backends.h).
#include <QtGlobal>

#include "export/Backends.h"

extern "C" Q_DECL_EXPORT const yb::ExportWriters* yb_export_writers() {
    static constexpr yb::ExportWriters writers{&yb::XlsxBytes, &yb::MatBytes};
    return &writers;
}
