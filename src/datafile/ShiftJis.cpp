#include "datafile/ShiftJis.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QStringDecoder>
#include <QStringEncoder>
#endif

namespace yb {

#ifdef Q_OS_WIN

// Official Windows builds of Qt come without ICU, so the system's own code page 932 conversion
// does the work, both ways.
bool HaveShiftJis() {
    return true;
}

std::optional<QString> DecodeShiftJis(QByteArrayView bytes) {
    if (bytes.isEmpty()) return QString();
    const int length = static_cast<int>(bytes.size());
    const int size =
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0) return std::nullopt;
    QString text(size, Qt::Uninitialized);
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), length,
                            reinterpret_cast<wchar_t*>(text.data()), size) != size) {
        return std::nullopt;
    }
    return text;
}

// Encoding: best-fit mappings are switched off, so a character without its own code (é, ¥)
// becomes "?" instead of a look-alike, as on the other platforms.
std::optional<QByteArray> EncodeShiftJis(QStringView text) {
    if (text.isEmpty()) return QByteArray();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int wideLength = static_cast<int>(text.size());
    const char defaultChar = '?';
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, wideLength, nullptr, 0,
                                         &defaultChar, nullptr);
    if (size <= 0) return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    if (WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, wideLength, bytes.data(), size,
                            &defaultChar, nullptr) != size) {
        return std::nullopt;
    }
    return bytes;
}

#else

namespace {

// Qt's ICU-backed converter knows code page 932 under this name (also as "Shift_JIS", "CP932").
constexpr const char* kCodePage932 = "windows-31j";

}  // namespace

bool HaveShiftJis() {
    return QStringDecoder(kCodePage932).isValid();
}

std::optional<QString> DecodeShiftJis(QByteArrayView bytes) {
    QStringDecoder decoder(kCodePage932, QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

std::optional<QByteArray> EncodeShiftJis(QStringView text) {
    QStringEncoder encoder(kCodePage932);
    if (!encoder.isValid()) return std::nullopt;
    QByteArray bytes = encoder.encode(text);
    // A high surrogate at the very end is kept back for a low one that never comes, unreported.
    if (!encoder.hasError() && !(!text.isEmpty() && text.back().isHighSurrogate())) return bytes;

    // The converter writes an unmappable character as a valid-looking code (FC FC) and only flags
    // the error, so the text is encoded again one character at a time to find the culprits.
    bytes.clear();
    bytes.reserve(text.size() * 2);
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length;) {
        qsizetype units = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < length && text.at(i + 1).isLowSurrogate()) {
            units = 2;
        }
        QStringEncoder one(kCodePage932);
        const QByteArray piece = one.encode(text.mid(i, units));
        if (one.hasError() || piece.isEmpty()) {
            bytes.append('?');
        } else {
            bytes.append(piece);
        }
        i += units;
    }
    return bytes;
}

#endif

}  // namespace yb
