#pragma once
// Text from outside (a data file's field, a file name, a typed argument) as a message may quote
// it: a damaged file or an odd name must not reach a terminal or a message box as control
// characters (ESC [ 31 m recolours a terminal, a line feed forges a line of its own).

#include <QString>
#include <QStringView>

namespace yb {

// `text` with each C0 control character and DEL written as \xNN (ESC as \x1b, a line feed as
// \x0a) and each C1 control character as \uNNNN (\u009b); everything else as it is.
QString Printable(QStringView text);

}  // namespace yb
