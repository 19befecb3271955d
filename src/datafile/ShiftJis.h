#pragma once
// Text to Shift-JIS bytes (Windows code page 932), the encoding of the data file.

#include <QByteArray>
#include <QStringView>
#include <optional>

namespace yb {

// Encodes text in code page 932, without byte-order mark. A character the code page cannot hold
// is written as "?" (only a path can bring such characters into the file). nullopt when this
// system offers no code page 932 converter at all.
std::optional<QByteArray> EncodeShiftJis(QStringView text);

}  // namespace yb
