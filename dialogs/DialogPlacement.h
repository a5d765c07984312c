#pragma once
// Where a dialog beside the main window goes, by one measure every time.
class QWidget;

namespace tmf::ui {

// Puts dialog's frame with its top left corner at (left, top), positions
// given as the main window's are: frame included. Before its first showing
// the window manager has not told us the dialog's frame yet, and a plain
// move() would place its client area there instead, one title bar higher
// than at every later showing; the main window's frame, decorated alike and
// already known, stands in for it.
void PlaceFrameAt(QWidget* dialog, int left, int top);

}  // namespace tmf::ui
