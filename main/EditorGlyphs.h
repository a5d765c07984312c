#pragma once
// The pictures on the entry editor's three command buttons, drawn in code so
// that they look the same on every desktop theme.
#include <QIcon>

namespace tmf::editor {

QIcon TakeOverGlyph();  // "&Übernehmen": a green tick
QIcon DeleteGlyph();    // "&Löschen": a waste bin
QIcon CancelGlyph();    // "&Abbrechen": a red cross

}  // namespace tmf::editor
