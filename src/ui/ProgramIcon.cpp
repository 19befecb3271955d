#include "ui/ProgramIcon.h"

#include <QString>

namespace yb {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/yb-downloader-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace yb
