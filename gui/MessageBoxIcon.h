// The icon of a message box drawn for the screen it opens on. Qt takes the
// style's standard icon as a pixmap; where the style has it only at one
// small size (Fusion without an icon theme: 32 pixels), a screen at 1.5x or
// 2x shows it scaled up and blurred.
#pragma once

#include <QMessageBox>
#include <QPixmap>

namespace morvatex {

// `icon` at `ratio` device pixels per pixel: the style's own where it has
// one large enough, else drawn afresh in its shape and colour. Null for
// NoIcon.
QPixmap MessageBoxIcon(QMessageBox::Icon icon, const QWidget& box, qreal ratio);

// Gives `box` its icon `icon` drawn for the screen it opens on (that of its
// parent window, when it has one).
void SetSharpIcon(QMessageBox& box, QMessageBox::Icon icon);

}  // namespace morvatex
