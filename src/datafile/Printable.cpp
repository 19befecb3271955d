#include "datafile/Printable.h"

#include <algorithm>

namespace yb {

QString Printable(QStringView text) {
    const auto control = [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
    };
    if (std::none_of(text.begin(), text.end(), control)) return text.toString();
    QString shown;
    shown.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (!control(c)) {
            shown += c;
        } else if (c.unicode() <= 0x7F) {
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    return shown;
}

}  // namespace yb
