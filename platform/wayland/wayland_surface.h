#pragma once

#include "core/fill_tiles.h"
#include "platform/qt/server_fill.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QWidget;
class QWindow;

namespace varno::platform {

// The protocol objects, kept out of this header.
struct WaylandGlobals;
struct WaylandBuffers;
struct WaylandTile;
class WaylandPacing;

// A widget's area filled by the Wayland compositor: subsurfaces of the
// widget's window show one of two 1 × 1 shared-memory buffers, scaled by the
// viewporter. A flip attaches the other buffer and commits the subsurfaces
// alone, so the program paints nothing and allocates nothing, and the
// window's own buffer stays as it is.
//
// The subsurfaces tile the widget's area around its child widgets (the
// controls), which Qt goes on painting in the window's own buffer, and one
// more lies beneath the window under the whole area. The window is
// transparent there (it needs an alpha channel), so the fill also shows
// through the controls' rounded corners and any seam between the tiles
// above, where the window's device pixels and the compositor's surface
// units do not meet. They take no input, so clicks reach the widgets
// beneath as before.
class WaylandSurface final : public QObject, public ServerFill {
public:
    // Whether this process draws through Wayland.
    static bool wanted();

    // Follows `widget` (its place in its window, its window showing and
    // hiding) from now on. Null when the compositor lacks subsurfaces,
    // shared memory or the viewporter: Qt must paint then.
    static std::unique_ptr<WaylandSurface> follow(QWidget* widget);

    ~WaylandSurface() override;
    WaylandSurface(const WaylandSurface&) = delete;
    WaylandSurface& operator=(const WaylandSurface&) = delete;

    void fill(QRgb rgb) noexcept override;
    // Changes committed on the compositor's frames, where it reports them.
    RefreshPacing* pacing() noexcept override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WaylandSurface(QWidget* widget, std::unique_ptr<WaylandGlobals> globals, std::unique_ptr<WaylandBuffers> buffers);

    void watchAncestors();
    void watchWindow();
    void detach();
    void place();
    void show(QRgb rgb) noexcept;

    QPointer<QWidget> widget_;
    QPointer<QWindow> window_;
    QList<QPointer<QWidget>> ancestors_;
    std::unique_ptr<WaylandGlobals> globals_;
    std::unique_ptr<WaylandBuffers> buffers_;
    std::unique_ptr<WaylandPacing> pacing_;
    void* parent_ = nullptr;  // the window's wl_surface while it is exposed
    std::vector<std::unique_ptr<WaylandTile>> tiles_;  // those above, then the one beneath
    FillTiles placed_;  // where they are, in the window surface's units
    QRgb rgb_ = 0;
    int shown_ = -1;  // the buffer attached last, -1 for none
};

}  // namespace varno::platform
