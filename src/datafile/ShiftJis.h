#pragma once
// Shift-JIS (Windows code page 932), the data file's encoding, both ways.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace yb {

// Whether this system has a code page 932 converter at all.
bool HaveShiftJis();

// Encodes text in code page 932, without byte-order mark. A character the code page cannot hold
// is written as "?" (only a path can bring such characters into the file). nullopt when this
// system offers no code page 932 converter.
std::optional<QByteArray> EncodeShiftJis(QStringView text);

// Decodes code page 932; nullopt when the bytes are not valid Shift-JIS or there is no converter.
std::optional<QString> DecodeShiftJis(QByteArrayView bytes);

}  // namespace yb
