#pragma once
// The pictures on the entry editor's three command buttons, drawn in code so
// that they look the same on every desktop theme.
#include <QIcon>
#include <functional>

class QPainter;
class QPixmap;
class QSize;

namespace tmf::editor {

// A 20 x 20 point glyph painted by paint at every pixel density the screens
// may have, optionally with its greyed form for disabled buttons.
QIcon Glyph(const std::function<void(QPainter&)>& paint, bool withDisabled = true);

// A transparent picture of size points at the screens' pixel density, so that
// what is painted on it stays sharp on a screen with a ratio of 2.
QPixmap HiDpiCanvas(const QSize& size);

QIcon TakeOverGlyph();  // "&Übernehmen": a green tick
QIcon DeleteGlyph();    // "&Löschen": a waste bin
QIcon CancelGlyph();    // "&Abbrechen": a red cross

}  // namespace tmf::editor
