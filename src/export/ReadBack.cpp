// The files the libraries wrote, read back and checked before they are taken (export/Backends.h).
#include <QCoreApplication>
#include <QFile>

#include <optional>
#include <vector>

#include <zlib.h>

#include "datafile/Printable.h"
#include "export/Backends.h"

namespace yb {

namespace {

// Little-endian fields; 0 past the end, which no check below takes for a valid value.
quint32 U32(QByteArrayView bytes, qsizetype at) {
    if (at < 0 || at + 4 > bytes.size()) return 0;
    const auto* p = reinterpret_cast<const uchar*>(bytes.data() + at);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<quint32>(p[3]) << 24;
}
quint16 U16(QByteArrayView bytes, qsizetype at) {
    if (at < 0 || at + 2 > bytes.size()) return 0;
    const auto* p = reinterpret_cast<const uchar*>(bytes.data() + at);
    return static_cast<quint16>(p[0] | p[1] << 8);
}

// `data` inflated (raw deflate, or a zlib stream with its checksum), only when the stream ends
// within it; no larger than `most` bytes.
std::optional<QByteArray> Inflate(QByteArrayView data, bool raw, qsizetype most) {
    z_stream stream{};
    if (inflateInit2(&stream, raw ? -MAX_WBITS : MAX_WBITS) != Z_OK) return std::nullopt;
    QByteArray out(std::min<qsizetype>(most, data.size() * 4 + 1024), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    int status = Z_OK;
    for (;;) {
        stream.next_out = reinterpret_cast<Bytef*>(out.data()) + stream.total_out;
        stream.avail_out = static_cast<uInt>(out.size() - static_cast<qsizetype>(stream.total_out));
        status = inflate(&stream, Z_NO_FLUSH);
        // Room full: more of it, up to `most`; room left but no end: the input was cut short.
        if ((status != Z_OK && status != Z_BUF_ERROR) || stream.avail_out > 0 || out.size() >= most)
            break;
        out.resize(std::min(most, out.size() * 2));
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) return std::nullopt;
    out.truncate(static_cast<qsizetype>(stream.total_out));
    return out;
}

// Whether every element of `xml` that opens closes, in order, and one element holds the rest.
// The workbook's parts are the library's, whose texts and attributes hold no '<' or '>', so a tag
// runs from a '<' to the next '>'. (QXmlStreamReader takes ten times as long over a full run's
// sheet, longer than the whole workbook takes to write.)
bool Balanced(QByteArrayView xml) {
    std::vector<QByteArrayView> open;
    int roots = 0;
    for (qsizetype at = xml.indexOf('<'); at >= 0; at = xml.indexOf('<', at)) {
        const qsizetype end = xml.indexOf('>', at);
        if (end < 0) return false;
        const QByteArrayView tag = xml.sliced(at + 1, end - at - 1);
        at = end + 1;
        if (tag.startsWith('?') || tag.startsWith('!')) continue;
        if (tag.startsWith('/')) {
            if (open.empty() || open.back() != tag.sliced(1)) return false;
            open.pop_back();
            continue;
        }
        if (open.empty() && ++roots > 1) return false;
        if (!tag.endsWith('/')) {
            const qsizetype blank = tag.indexOf(' ');
            open.push_back(blank < 0 ? tag : tag.first(blank));
        }
    }
    return roots == 1 && open.empty();
}

}  // namespace

bool MatFileWhole(const QByteArray& file) {
    // A level-5 file: a header of 128 bytes, then one element, miCOMPRESSED (15) and its size,
    // whose stream holds one element, miMATRIX (14) and its size.
    constexpr qsizetype kHeader = 128;
    if (U32(file, kHeader) != 15 || kHeader + 8 + U32(file, kHeader + 4) != file.size())
        return false;
    const auto matrix = Inflate(QByteArrayView(file).sliced(kHeader + 8), false, 1LL << 30);
    return matrix && U32(*matrix, 0) == 14 && 8 + U32(*matrix, 4) == matrix->size();
}

bool WorkbookWhole(const QByteArray& zip) {
    // The zip's directory at its end (no comment), each entry's local header and its data.
    const qsizetype end = zip.size() - 22;
    if (U32(zip, end) != 0x06054b50) return false;
    qsizetype entry = U32(zip, end + 16);
    for (int n = U16(zip, end + 10); n > 0; --n) {
        if (U32(zip, entry) != 0x02014b50) return false;
        const quint16 method = U16(zip, entry + 10);
        const qsizetype packed = U32(zip, entry + 20);
        const qsizetype size = U32(zip, entry + 24);
        const qsizetype local = U32(zip, entry + 42);
        const QByteArray name = zip.mid(entry + 46, U16(zip, entry + 28));
        entry += 46 + U16(zip, entry + 28) + U16(zip, entry + 30) + U16(zip, entry + 32);
        const qsizetype data = local + 30 + U16(zip, local + 26) + U16(zip, local + 28);
        if (U32(zip, local) != 0x04034b50 || data + packed > end) return false;
        const QByteArrayView stored = QByteArrayView(zip).sliced(data, packed);
        const auto part = method == 0   ? std::optional(stored.toByteArray())
                          : method == 8 ? Inflate(stored, true, size)
                                        : std::nullopt;
        if (!part || part->size() != size) return false;
        if ((name.endsWith(".xml") || name.endsWith(".rels")) && !Balanced(*part)) return false;
    }
    return entry == static_cast<qsizetype>(U32(zip, end + 16)) + U32(zip, end + 12);
}

FileResult ReadBack(const QString& path, bool (*whole)(const QByteArray&), QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return FileResult::Failed(QCoreApplication::translate("Exports", "cannot read %1 back: %2")
                                      .arg(Printable(path), file.errorString()));
    }
    bytes = file.readAll();
    if (!whole(bytes)) {
        return FileResult::Failed(QCoreApplication::translate(
            "Exports", "the library wrote the file incomplete: a write failed (a full disk?)"));
    }
    return {};
}

}  // namespace yb
