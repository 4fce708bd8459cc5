// The program's icon for its windows and the application: the artwork of
// packaging/morvatex.svg (a tool path on a work piece), painted afresh for
// every size and pixel ratio asked, so it is sharp from 16 to 256 pixels at
// 1x, 1.5x and 2x alike, without Qt's SVG module (which the Windows build
// lacks).
#pragma once

#include <QIcon>

namespace morvatex {

// The icon; any size can be asked of it. Its frames fall on whole device
// pixels, and no line is thinner than one, so small sizes stay crisp.
QIcon ProgramIcon();

}  // namespace morvatex
