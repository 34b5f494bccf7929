#include "x11_window_hints.h"

#include <QGuiApplication>
#include <QWidget>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <xcb/xcb.h>

namespace varno::platform {

namespace {

// The Motif window manager hints, which most window managers read: which of
// the two masks are given, then the functions and the decorations.
constexpr std::uint32_t kMotifFunctionsGiven = 1u << 0;
constexpr std::uint32_t kMotifDecorationsGiven = 1u << 1;
constexpr std::uint32_t kMotifFunctionMove = 1u << 2;
constexpr std::uint32_t kMotifFunctionClose = 1u << 5;
constexpr std::uint32_t kMotifDecorationBorder = 1u << 1;
constexpr std::uint32_t kMotifDecorationTitle = 1u << 3;
constexpr std::uint32_t kMotifDecorationMenu = 1u << 4;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return found;
}

// The running window manager's name, as it announces it on the root window.
std::string windowManagerName(xcb_connection_t* c, xcb_window_t root)
{
    const auto windowProperty = [c](xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 64), nullptr);
        std::string value;
        if (reply)
            value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
        return value;
    };
    const std::string check = windowProperty(root, atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (check.size() < sizeof(xcb_window_t))
        return {};
    xcb_window_t manager = 0;
    std::memcpy(&manager, check.data(), sizeof manager);
    return windowProperty(manager, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"));
}

}  // namespace

void keepFixedAndUnlisted(QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c || !window)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());

    // Functions and decorations without minimise, maximise or resize: the
    // title bar keeps its system menu and close button.
    const std::uint32_t motif[5] = {kMotifFunctionsGiven | kMotifDecorationsGiven,
                                    kMotifFunctionMove | kMotifFunctionClose,
                                    kMotifDecorationBorder | kMotifDecorationTitle | kMotifDecorationMenu, 0, 0};
    const xcb_atom_t motifHints = atom(c, "_MOTIF_WM_HINTS");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, motifHints, motifHints, 32, 5, motif);

    // Openbox reads no Motif functions and takes minimise away only from a
    // torn-off menu or toolbar, the first type it knows in this list; there
    // a menu keeps its title bar and close button. Other window managers
    // may draw a menu bare, so for them the dialog is a dialog.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const bool openbox = windowManagerName(c, root) == "Openbox";
    const xcb_atom_t types[3] = {atom(c, "_NET_WM_WINDOW_TYPE_MENU"), atom(c, "_NET_WM_WINDOW_TYPE_DIALOG"),
                                 atom(c, "_NET_WM_WINDOW_TYPE_NORMAL")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                        openbox ? 3 : 2, openbox ? types : types + 1);

    // Qt adds its own states (modal) to these when it maps the window.
    const xcb_atom_t states[2] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, states);
    xcb_flush(c);
}

}  // namespace varno::platform
