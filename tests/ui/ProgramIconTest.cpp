#include <gtest/gtest.h>

#include <QPixmap>

#include "ui/ProgramIcon.h"

// The icon's PNGs are resources of the yb_ui library: each drawn size must reach the program.
TEST(ProgramIcon, HasEveryDrawnSize) {
    const QIcon icon = yb::ProgramIcon();
    for (const int size : {16, 32, 48, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        EXPECT_EQ(pixmap.size(), QSize(size, size));
    }
}
