#pragma once
// Every colour of the viewer, its lap overlay and its report, on screen and on paper: the
// channels' own (solar warm, battery cool; they stay apart on paper too) and those around them.

#include <QColor>
#include <QPen>
#include <array>
#include <cstddef>

namespace yb::palette {

// The channels.
inline const QColor kSolar(0xE8, 0x7D, 0x1E);
inline const QColor kBattery(0x2F, 0x6D, 0xB5);
inline const QColor kMainVolt(0x2E, 0x9E, 0x5B);
inline const QColor kSubVolt(0x8E, 0x5B, 0xB0);
inline const QColor kSpeed(0xD1, 0x3B, 0x3B);
inline const QColor kTemperature(0x9C, 0x6B, 0x30);
inline const QColor kMotor(0x37, 0x41, 0x51);

// Around them.
inline const QColor kPlotArea(0xFA, 0xFB, 0xFC);  // the faint tint of every plot area
inline const QColor kGrid(0xE3, 0xE6, 0xEA);
inline const QColor kAxisText(0x45, 0x4B, 0x55);
inline const QColor kLine(0xB0, 0xB6, 0xBE);   // axis lines, frames, a hidden channel's entry
inline const QColor kMuted(0x6B, 0x72, 0x80);  // notes, lap markers
inline const QColor kInk(0x1F, 0x29, 0x37);
inline const QColor kLabel(0x4B, 0x55, 0x63);
inline const QColor kWindowFigure(0x1D, 0x4E, 0x89);  // the figures of the range shown
inline const QColor kRule(0xD1, 0xD5, 0xDB);
inline const QColor kBestLap(0xFF, 0xE8, 0xA3);      // the best lap's row
inline const QColor kBestLapLine(0x9C, 0xA3, 0xAF);  // the best lap under another one
inline const QColor kChosenLapLine = kSpeed;         // ... and that one
inline const QColor kWarning(0xB9, 0x1C, 0x1C);
inline const QColor kMarker(0xC2, 0x41, 0x0C);  // the run's markers
inline const QColor kCursor(0x30, 0x30, 0x30, 170);
inline const QColor kCursorBox(255, 255, 255, 225);

// A colour halfway to white: a run laid over another, a hidden channel's legend mark.
inline QColor Lighter(const QColor& color) {
    return QColor((color.red() + 255) / 2, (color.green() + 255) / 2, (color.blue() + 255) / 2);
}

// The line of the `index`-th run laid over the viewed one: the channel's colour lighter, each run
// its own tone and, from the second on, its own dashes, so that eight runs stay apart.
inline QPen OverlayPen(const QColor& channel, std::size_t index) {
    constexpr std::array<double, 7> kToWhite = {0.5, 0.3, 0.65, 0.4, 0.55, 0.2, 0.7};
    constexpr std::array<Qt::PenStyle, 7> kStyles = {
        Qt::SolidLine,      Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
        Qt::DashDotDotLine, Qt::DashLine, Qt::DotLine};
    const double t = kToWhite[index % kToWhite.size()];
    const auto mix = [t](int c) { return static_cast<int>(c + (255 - c) * t); };
    QPen pen(QColor(mix(channel.red()), mix(channel.green()), mix(channel.blue())));
    pen.setStyle(kStyles[index % kStyles.size()]);
    pen.setWidthF(1.2);
    pen.setCosmetic(true);
    return pen;
}

// A colour seen through: the drag band.
inline QColor Translucent(QColor color, int alpha) {
    color.setAlpha(alpha);
    return color;
}

}  // namespace yb::palette
