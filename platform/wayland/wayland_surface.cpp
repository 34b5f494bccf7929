#include "platform/wayland/wayland_surface.h"

#include "platform/wayland/wayland_pacing.h"

#include "viewporter-client-protocol.h"

#include <QChildEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QRegion>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

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

// What shows of the widget around its child widgets, in its window's
// coordinates: clipped by every ancestor, less every visible child.
QRegion areaAroundChildren(const QWidget* widget)
{
    const QWidget* window = widget->window();
    QRect area = inWindow(widget) & window->rect();
    for (const QWidget* w = widget->parentWidget(); w && w != window; w = w->parentWidget())
        area &= inWindow(w);
    QRegion region(area);
    for (const QObject* child : widget->children()) {
        if (child->isWidgetType() && static_cast<const QWidget*>(child)->isVisible())
            region -= inWindow(static_cast<const QWidget*>(child));
    }
    return region;
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
    placed_.clear();
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
    const QMargins frame = window_->frameMargins();
    const QRegion region = areaAroundChildren(widget_).translated(frame.left(), frame.top());
    std::vector<QRect> areas(region.begin(), region.end());
    if (areas == placed_)
        return;
    if (areas.size() != tiles_.size()) {
        tiles_.clear();
        shown_ = -1;
        wl_region* nothing = wl_compositor_create_region(globals_->compositor);
        for (std::size_t i = 0; i < areas.size(); ++i) {
            auto tile = std::make_unique<WaylandTile>();
            tile->surface = wl_compositor_create_surface(globals_->compositor);
            // The first tile hangs from the window, right above its own
            // content; it shows its flips without waiting for the window to
            // commit. The others hang from the first in step with it, so
            // every flip reaches all tiles at once.
            wl_surface* tileParent = i == 0 ? parent : tiles_.front()->surface;
            tile->subsurface = wl_subcompositor_get_subsurface(globals_->subcompositor, tile->surface, tileParent);
            if (i == 0) {
                wl_subsurface_place_above(tile->subsurface, parent);
                wl_subsurface_set_desync(tile->subsurface);
            }
            tile->viewport = wp_viewporter_get_viewport(globals_->viewporter, tile->surface);
            wl_surface_set_input_region(tile->surface, nothing);
            tiles_.push_back(std::move(tile));
        }
        wl_region_destroy(nothing);
    }
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const QRect& area = areas[i];
        WaylandTile& tile = *tiles_[i];
        // The first tile's position takes effect when the window next
        // commits, which whatever moved the widget always brings.
        const QPoint at = i == 0 ? area.topLeft() : area.topLeft() - areas.front().topLeft();
        wl_subsurface_set_position(tile.subsurface, at.x(), at.y());
        wp_viewport_set_destination(tile.viewport, area.width(), area.height());
        // Nothing beneath needs drawing while it shows.
        wl_region* opaque = wl_compositor_create_region(globals_->compositor);
        wl_region_add(opaque, 0, 0, area.width(), area.height());
        wl_surface_set_opaque_region(tile.surface, opaque);
        wl_region_destroy(opaque);
    }
    placed_ = std::move(areas);
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
