#include "platform/wayland/wayland_surface.h"

#include "platform/wayland/wayland_pacing.h"

#include "viewporter-client-protocol.h"

#include <QChildEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <wayland-client.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace varno::platform {

struct WaylandGlobals {
    wl_display* display = nullptr;
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wl_shm* shm = nullptr;
    wp_viewporter* viewporter = nullptr;

    bool complete() const { return compositor && subcompositor && shm && viewporter; }

    ~WaylandGlobals()
    {
        if (viewporter)
            wp_viewporter_destroy(viewporter);
        if (subcompositor)
            wl_subcompositor_destroy(subcompositor);
        if (shm)
            wl_shm_destroy(shm);
        if (compositor)
            wl_compositor_destroy(compositor);
    }
};

// Two pixels in one shared-memory pool, each a 1 × 1 buffer.
//
// Each buffer also stays attached to a surface of its own that is never
// shown, so the compositor never hands either back while the tiles swap
// between them: a release per flip would wake Qt's two Wayland threads and
// then its main thread, which costs more than the flip itself. A compositor
// that copies a buffer at once and hands it back anyway loses nothing by it.
struct WaylandBuffers {
    static constexpr int kCount = 2;
    wl_shm_pool* pool = nullptr;
    wl_buffer* buffer[kCount] = {};
    wl_surface* keeper[kCount] = {};
    std::uint32_t* pixels = nullptr;

    ~WaylandBuffers()
    {
        for (wl_surface* s : keeper) {
            if (s)
                wl_surface_destroy(s);
        }
        for (wl_buffer* b : buffer) {
            if (b)
                wl_buffer_destroy(b);
        }
        if (pool)
            wl_shm_pool_destroy(pool);
        if (pixels)
            munmap(pixels, sizeof(std::uint32_t) * kCount);
    }
};

// One rectangle of the filled area.
struct WaylandTile {
    wl_surface* surface = nullptr;
    wl_subsurface* subsurface = nullptr;
    wp_viewport* viewport = nullptr;

    ~WaylandTile()
    {
        if (viewport)
            wp_viewport_destroy(viewport);
        if (subsurface)
            wl_subsurface_destroy(subsurface);
        if (surface)
            wl_surface_destroy(surface);
    }
};

namespace {

void* nativeResource(const char* name, QWindow* window = nullptr)
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native)
        return nullptr;
    return window ? native->nativeResourceForWindow(name, window) : native->nativeResourceForIntegration(name);
}

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface, std::uint32_t offered,
        std::uint32_t wanted)
{
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    auto* g = static_cast<WaylandGlobals*>(data);
    const auto is = [&](const wl_interface& i) { return std::strcmp(interface, i.name) == 0; };
    if (is(wl_compositor_interface) && !g->compositor)
        g->compositor = bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
    else if (is(wl_subcompositor_interface) && !g->subcompositor)
        g->subcompositor = bind<wl_subcompositor>(registry, name, &wl_subcompositor_interface, version, 1);
    else if (is(wl_shm_interface) && !g->shm)
        g->shm = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
    else if (is(wp_viewporter_interface) && !g->viewporter)
        g->viewporter = bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
}

void onGlobalRemoved(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener{onGlobal, onGlobalRemoved};

// The globals are bound on a queue of our own, so that the round trip
// dispatches nothing of Qt's; then they move to the default queue, where Qt
// dispatches their few events (buffer releases, presentation times) as it
// does its own.
std::unique_ptr<WaylandGlobals> bindGlobals(wl_display* display)
{
    auto globals = std::make_unique<WaylandGlobals>();
    globals->display = display;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &kRegistryListener, globals.get());
    wl_display_roundtrip_queue(display, queue);
    wl_registry_destroy(registry);
    for (void* proxy : {static_cast<void*>(globals->compositor), static_cast<void*>(globals->subcompositor),
                        static_cast<void*>(globals->shm), static_cast<void*>(globals->viewporter)}) {
        if (proxy)
            wl_proxy_set_queue(static_cast<wl_proxy*>(proxy), nullptr);
    }
    wl_event_queue_destroy(queue);
    return globals;
}

std::unique_ptr<WaylandBuffers> createBuffers(wl_shm* shm, wl_compositor* compositor)
{
    constexpr int kBytes = sizeof(std::uint32_t) * WaylandBuffers::kCount;
    const int fd = memfd_create("varno-fill", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return nullptr;
    auto buffers = std::make_unique<WaylandBuffers>();
    if (ftruncate(fd, kBytes) == 0) {
        // The compositor maps the same memory: it must never shrink under it.
        fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL);
        void* memory = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory != MAP_FAILED) {
            buffers->pixels = static_cast<std::uint32_t*>(memory);
            buffers->pool = wl_shm_create_pool(shm, fd, kBytes);
            for (int i = 0; i < WaylandBuffers::kCount; ++i) {
                buffers->pixels[i] = 0;
                buffers->buffer[i] = wl_shm_pool_create_buffer(buffers->pool, i * 4, 1, 1, 4, WL_SHM_FORMAT_XRGB8888);
                buffers->keeper[i] = wl_compositor_create_surface(compositor);
                wl_surface_attach(buffers->keeper[i], buffers->buffer[i], 0, 0);
                wl_surface_commit(buffers->keeper[i]);
            }
        }
    }
    close(fd);
    return buffers->pool ? std::move(buffers) : nullptr;
}

QRect inWindow(const QWidget* widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint()), widget->size());
}

PixelRect toPixelRect(const QRect& r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

// Where the tiles go for the widget as it now lies in `window`: the widget
// clipped by every ancestor, its visible child widgets left out.
FillTiles tilesFor(const QWidget* widget, QWindow* window)
{
    const QWidget* top = widget->window();
    QRect area = inWindow(widget) & top->rect();
    for (const QWidget* w = widget->parentWidget(); w && w != top; w = w->parentWidget())
        area &= inWindow(w);
    std::vector<PixelRect> controls;
    for (const QObject* child : widget->children()) {
        if (child->isWidgetType() && static_cast<const QWidget*>(child)->isVisible())
            controls.push_back(toPixelRect(inWindow(static_cast<const QWidget*>(child))));
    }
    // The frame Qt draws, and the content's size, as the compositor has
    // them: in surface units, which Qt's own scale factor does not touch.
    const QPlatformWindow* handle = window->handle();
    const QMargins frame = handle->frameMargins();
    const QSize content = handle->geometry().size();
    const SurfaceScale scale{window->devicePixelRatio(), qRound(handle->devicePixelRatio())};
    return fillTiles(toPixelRect(area), controls, {frame.left(), frame.top(), content.width(), content.height()},
                     scale);
}

}  // namespace

bool WaylandSurface::wanted()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

std::unique_ptr<WaylandSurface> WaylandSurface::follow(QWidget* widget)
{
    auto* display = static_cast<wl_display*>(nativeResource("wl_display"));
    if (!display || !widget)
        return nullptr;
    // Where the window leaves the widget transparent (around the controls'
    // rounded corners) the tile beneath it shows: the window needs an alpha
    // channel, which Qt chooses once, when it creates the window.
    QWidget* window = widget->window();
    if (!window->testAttribute(Qt::WA_TranslucentBackground)) {
        if (window->testAttribute(Qt::WA_WState_Created))
            return nullptr;
        window->setAttribute(Qt::WA_TranslucentBackground);
    }
    auto globals = bindGlobals(display);
    if (!globals->complete())
        return nullptr;
    auto buffers = createBuffers(globals->shm, globals->compositor);
    if (!buffers)
        return nullptr;
    std::unique_ptr<WaylandSurface> surface(new WaylandSurface(widget, std::move(globals), std::move(buffers)));
    surface->pacing_ = WaylandPacing::create(display);
    return surface;
}

WaylandSurface::WaylandSurface(QWidget* widget, std::unique_ptr<WaylandGlobals> globals,
                               std::unique_ptr<WaylandBuffers> buffers)
    : widget_(widget), globals_(std::move(globals)), buffers_(std::move(buffers))
{
    widget->installEventFilter(this);
    for (QObject* child : widget->children()) {
        if (child->isWidgetType())
            child->installEventFilter(this);
    }
    watchAncestors();
    if (widget->isVisible())
        watchWindow();
}

WaylandSurface::~WaylandSurface()
{
    detach();
    pacing_.reset();
    buffers_.reset();
    globals_.reset();
}

void WaylandSurface::watchAncestors()
{
    for (const QPointer<QWidget>& ancestor : std::as_const(ancestors_)) {
        if (ancestor)
            ancestor->removeEventFilter(this);
    }
    ancestors_.clear();
    if (!widget_)
        return;
    for (QWidget* w = widget_->parentWidget(); w && !w->isWindow(); w = w->parentWidget()) {
        w->installEventFilter(this);
        ancestors_.append(w);
    }
}

void WaylandSurface::watchWindow()
{
    QWindow* window = widget_ ? widget_->window()->windowHandle() : nullptr;
    if (window == window_)
        return;
    if (window_)
        window_->removeEventFilter(this);
    detach();
    window_ = window;
    if (!window_)
        return;
    window_->installEventFilter(this);
    if (window_->isExposed())
        place();
}

bool WaylandSurface::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Expose:
        // The window's surface exists once it is exposed; the frame Qt
        // draws on some compositors may have changed size since.
        if (watched == window_ && window_->isExposed())
            place();
        break;
    case QEvent::PlatformSurface:
        if (watched == window_ && static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                                      QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            detach();
        break;
    case QEvent::Show:
        if (watched == widget_)
            watchWindow();
        place();
        break;
    case QEvent::Hide:
        // Hidden with its window, whose surface is gone already.
        if (watched == widget_)
            detach();
        else
            place();
        break;
    case QEvent::ParentChange:
        if (watched == widget_) {
            watchAncestors();
            watchWindow();
        }
        break;
    case QEvent::ChildPolished:
        // The controls: the tiles leave them out and follow them.
        if (watched == widget_) {
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        break;
    case QEvent::ChildRemoved:
    case QEvent::Move:
    case QEvent::Resize:
        place();
        break;
    default:
        break;
    }
    return false;
}

void WaylandSurface::detach()
{
    if (!parent_)
        return;
    if (pacing_)
        pacing_->setSurface(nullptr, window_);
    tiles_.clear();
    placed_ = {};
    parent_ = nullptr;
    shown_ = -1;
    wl_display_flush(globals_->display);
}

void WaylandSurface::place()
{
    if (!widget_ || !window_ || !widget_->isVisible() || !window_->isExposed())
        return;
    auto* parent = static_cast<wl_surface*>(nativeResource("surface", window_));
    if (parent != parent_) {
        detach();
        parent_ = parent;
    }
    if (!parent)
        return;
    FillTiles placing = tilesFor(widget_, window_);
    if (placing == placed_)
        return;
    // The tiles above, then the one beneath; each flip commits the one
    // beneath first and the first tile above last.
    std::vector<PixelRect> areas = placing.above;
    const bool beneath = placing.beneath.width > 0 && placing.beneath.height > 0;
    if (beneath)
        areas.push_back(placing.beneath);
    const std::size_t above = placing.above.size();
    const bool hadBeneath = placed_.beneath.width > 0 && placed_.beneath.height > 0;
    if (areas.size() != tiles_.size() || above != placed_.above.size() || beneath != hadBeneath) {
        tiles_.clear();
        shown_ = -1;
        wl_region* nothing = wl_compositor_create_region(globals_->compositor);
        for (std::size_t i = 0; i < areas.size(); ++i) {
            auto tile = std::make_unique<WaylandTile>();
            tile->surface = wl_compositor_create_surface(globals_->compositor);
            // The first tile above hangs from the window, right above its
            // own content; it shows its flips without waiting for the
            // window to commit. The others above hang from the first in
            // step with it, so every flip reaches all of them at once. The
            // one beneath hangs from the window too, right below it.
            const bool root = i == 0 || i == above;
            wl_surface* tileParent = root ? parent : tiles_.front()->surface;
            tile->subsurface = wl_subcompositor_get_subsurface(globals_->subcompositor, tile->surface, tileParent);
            if (i == above)
                wl_subsurface_place_below(tile->subsurface, parent);
            else if (i == 0)
                wl_subsurface_place_above(tile->subsurface, parent);
            if (root)
                wl_subsurface_set_desync(tile->subsurface);
            tile->viewport = wp_viewporter_get_viewport(globals_->viewporter, tile->surface);
            wl_surface_set_input_region(tile->surface, nothing);
            tiles_.push_back(std::move(tile));
        }
        wl_region_destroy(nothing);
    }
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const PixelRect& area = areas[i];
        WaylandTile& tile = *tiles_[i];
        // A tile hanging from the window takes its position when the window
        // next commits, which whatever moved the widget always brings.
        const bool root = i == 0 || i == above;
        const QPoint at = root ? QPoint(area.x, area.y) : QPoint(area.x - areas[0].x, area.y - areas[0].y);
        wl_subsurface_set_position(tile.subsurface, at.x(), at.y());
        wp_viewport_set_destination(tile.viewport, area.width, area.height);
        // Nothing beneath needs drawing while it shows.
        wl_region* opaque = wl_compositor_create_region(globals_->compositor);
        wl_region_add(opaque, 0, 0, area.width, area.height);
        wl_surface_set_opaque_region(tile.surface, opaque);
        wl_region_destroy(opaque);
    }
    placed_ = std::move(placing);
    show(rgb_);
}

void WaylandSurface::fill(QRgb rgb) noexcept
{
    rgb_ = rgb;
    if (!tiles_.empty())
        show(rgb);
}

RefreshPacing* WaylandSurface::pacing() noexcept
{
    return pacing_.get();
}

void WaylandSurface::show(QRgb rgb) noexcept
{
    if (tiles_.empty())
        return;
    // The first tile carries each change; after a new placement it may be another.
    if (pacing_)
        pacing_->setSurface(tiles_.front()->surface, window_);
    // The other buffer; it is written only when the colour itself changes,
    // so a steady blink between two colours writes nothing at all. The
    // compositor may be holding it (see WaylandBuffers), but one aligned
    // pixel can never be read half written.
    const int next = shown_ == 0 ? 1 : 0;
    const std::uint32_t pixel = 0xFF000000u | (rgb & 0x00FFFFFFu);
    if (buffers_->pixels[next] != pixel)
        buffers_->pixels[next] = pixel;
    // The first tile last: its commit brings the others' with it.
    for (auto tile = tiles_.rbegin(); tile != tiles_.rend(); ++tile) {
        wl_surface* surface = (*tile)->surface;
        wl_surface_attach(surface, buffers_->buffer[next], 0, 0);
        wl_surface_damage(surface, 0, 0, INT32_MAX, INT32_MAX);
        if (tile + 1 == tiles_.rend() && pacing_)
            pacing_->aboutToCommit(surface);
        wl_surface_commit(surface);
    }
    wl_display_flush(globals_->display);
    shown_ = next;
}

}  // namespace varno::platform
