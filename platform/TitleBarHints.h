#pragma once
// What the window manager is asked to put on a fixed dialog's frame.
class QWidget;

namespace tmf::qt {

// Asks for a title and a border and nothing else: no window menu, no
// minimise, maximise or close button, no resizing; the window can only be
// moved and is left by its own buttons. Qt tells the window manager only
// the functions; managers that choose the buttons by the decorations then
// add buttons of their own choosing (and cut the title to make room). Call
// it from showEvent, before the window is mapped: Qt writes its own hints
// again whenever it makes the native window anew. Does nothing off X11.
void AskForTitleAndBorderOnly(QWidget& window);

}  // namespace tmf::qt
