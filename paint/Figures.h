// The figures in mm that the preview writes beside its frame and its depth
// legend: their font, their text, and the room they keep from the edges.
#pragma once

#include <QFont>
#include <QString>

namespace morvatex {

// Room around the frame: its figures stand left of it and below it.
inline constexpr double kMargin = 12;
inline constexpr double kFigureGap = 4;
inline constexpr double kFontPixels = 12;

QString Figure(long double value);
QFont FigureFont();

}  // namespace morvatex
