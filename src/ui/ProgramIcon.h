#pragma once
// The program's icon: the sun over a solar car, in every size it is drawn in (16, 32, 48, 128 and
// 256 px). The PNGs are compiled into the program, so no image plug-in is needed to show it.

#include <QIcon>

namespace yb {

QIcon ProgramIcon();

}  // namespace yb
