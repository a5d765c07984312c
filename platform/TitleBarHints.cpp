#include "TitleBarHints.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>

#if defined(TMF_WITH_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#define TMF_X11_HINTS 1
#endif

namespace tmf::qt {

#ifdef TMF_X11_HINTS
namespace {

// The fields of _MOTIF_WM_HINTS that matter here.
constexpr std::uint32_t kHasFunctions = 1u << 0;
constexpr std::uint32_t kHasDecorations = 1u << 1;
constexpr std::uint32_t kMove = 1u << 2;
constexpr std::uint32_t kBorder = 1u << 1;
constexpr std::uint32_t kResizeHandles = 1u << 2;  // the frame's edges; some managers drop the title without it
constexpr std::uint32_t kTitle = 1u << 3;

xcb_connection_t* Connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t HintsAtom(xcb_connection_t* c) {
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof kName - 1, kName), nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace

void AskForTitleAndBorderOnly(QWidget& window) {
    xcb_connection_t* c = Connection();
    if (!c || !window.isWindow()) return;
    const xcb_atom_t atom = HintsAtom(c);
    if (atom == XCB_ATOM_NONE) return;
    const std::uint32_t hints[5] = {kHasFunctions | kHasDecorations, kMove, kBorder | kResizeHandles | kTitle, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()), atom, atom, 32, 5,
                        hints);
    xcb_flush(c);
}

#else

void AskForTitleAndBorderOnly(QWidget&) {}

#endif

}  // namespace tmf::qt
