#include "serial/EventDispatcher.h"

#include <QByteArray>
#include <QtGlobal>

namespace yb {

void PreferQtEventDispatcher() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", QByteArrayLiteral("1"));
}

}  // namespace yb
