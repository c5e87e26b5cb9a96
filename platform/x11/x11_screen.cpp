#include "platform/x11/x11_screen.h"

#include "platform/x11/x11_connection.h"

#include <algorithm>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/randr.h>
#include <xcb/shm.h>

namespace tavlo::platform::x11 {

namespace {

class X11Screen : public ScreenSource {
public:
    X11Screen(Connection c, xcb_screen_t* screen) : c_(std::move(c)), screen_(screen) {
        Reply<xcb_shm_query_version_reply_t> shm(
            xcb_shm_query_version_reply(c_.get(), xcb_shm_query_version(c_.get()), nullptr));
        shmAvailable_ = static_cast<bool>(shm);
    }
    ~X11Screen() override { releaseSegment(); }

    Rect desktop() const override { return Rect{0, 0, screen_->width_in_pixels, screen_->height_in_pixels}; }

    std::vector<Rect> monitors() const override {
        std::vector<Rect> out;
        Reply<xcb_randr_get_monitors_reply_t> r(xcb_randr_get_monitors_reply(
            c_.get(), xcb_randr_get_monitors(c_.get(), screen_->root, 1), nullptr));
        if (r) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(r.p); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                Rect m{it.data->x, it.data->y, it.data->x + it.data->width, it.data->y + it.data->height};
                m = clampToDesktop(m, desktop());
                if (m.empty()) continue;
                if (it.data->primary)
                    out.insert(out.begin(), m);
                else
                    out.push_back(m);
            }
        }
        if (out.empty()) out.push_back(desktop());
        return out;
    }

    std::optional<Rect> activeWindow() const override {
        xcb_connection_t* c = c_.get();
        xcb_atom_t active = internAtom(c, "_NET_ACTIVE_WINDOW");
        Reply<xcb_get_property_reply_t> p(xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen_->root, active, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (!p || xcb_get_property_value_length(p.p) < 4) return std::nullopt;
        xcb_window_t w = *static_cast<xcb_window_t*>(xcb_get_property_value(p.p));
        if (w == XCB_NONE) return std::nullopt;
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
        if (!g) return std::nullopt;
        Reply<xcb_translate_coordinates_reply_t> t(xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, w, screen_->root, 0, 0), nullptr));
        if (!t) return std::nullopt;
        Rect r{t->dst_x, t->dst_y, t->dst_x + g->width, t->dst_y + g->height};
        // Decorations drawn by the window manager belong to what the user sees as the window.
        xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
        Reply<xcb_get_property_reply_t> e(
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
        if (e && xcb_get_property_value_length(e.p) >= 16) {
            const std::uint32_t* v = static_cast<const std::uint32_t*>(xcb_get_property_value(e.p));
            r.left -= static_cast<int>(v[0]);
            r.right += static_cast<int>(v[1]);
            r.top -= static_cast<int>(v[2]);
            r.bottom += static_cast<int>(v[3]);
        }
        r = clampToDesktop(r, desktop());
        if (r.empty()) return std::nullopt;
        return r;
    }

    bool grab(const Rect& area, std::uint32_t* out) override {
        if (area.empty() || clampToDesktop(area, desktop()) != area) return false;
        const std::size_t pixels = static_cast<std::size_t>(area.width()) * area.height();
        if (shmAvailable_ && ensureSegment(pixels * 4)) {
            xcb_shm_get_image_cookie_t ck = xcb_shm_get_image(
                c_.get(), screen_->root, static_cast<std::int16_t>(area.left),
                static_cast<std::int16_t>(area.top), static_cast<std::uint16_t>(area.width()),
                static_cast<std::uint16_t>(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, seg_, 0);
            Reply<xcb_shm_get_image_reply_t> r(xcb_shm_get_image_reply(c_.get(), ck, nullptr));
            if (r && r->depth >= 24) {
                copyClearingFourthByte(static_cast<const std::uint32_t*>(shmAddr_), out, pixels);
                return true;
            }
            // The server refused shared memory (another host, a sandbox): use plain requests.
            shmAvailable_ = false;
            releaseSegment();
        }
        return grabPlain(area, out);
    }

    bool sharedMemory() const override { return shmAvailable_; }

private:
    static void copyClearingFourthByte(const std::uint32_t* in, std::uint32_t* out, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) out[i] = in[i] & 0x00FFFFFFu;
    }

    bool grabPlain(const Rect& area, std::uint32_t* out) {
        // The request size is bounded by the server, so large areas go in bands of rows.
        const std::size_t maxBytes =
            std::max<std::size_t>(xcb_get_maximum_request_length(c_.get()) * 4u, 65536u) / 2;
        int rowsPerBand = static_cast<int>(
            std::max<std::size_t>(1, maxBytes / (static_cast<std::size_t>(area.width()) * 4)));
        for (int y = area.top; y < area.bottom; y += rowsPerBand) {
            int rows = std::min(rowsPerBand, area.bottom - y);
            Reply<xcb_get_image_reply_t> r(xcb_get_image_reply(
                c_.get(),
                xcb_get_image(c_.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root,
                              static_cast<std::int16_t>(area.left), static_cast<std::int16_t>(y),
                              static_cast<std::uint16_t>(area.width()), static_cast<std::uint16_t>(rows),
                              ~0u),
                nullptr));
            const std::size_t n = static_cast<std::size_t>(area.width()) * rows;
            if (!r || r->depth < 24 || static_cast<std::size_t>(xcb_get_image_data_length(r.p)) < n * 4)
                return false;
            copyClearingFourthByte(reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(r.p)),
                                   out + static_cast<std::size_t>(y - area.top) * area.width(), n);
        }
        return true;
    }

    bool ensureSegment(std::size_t bytes) {
        if (shmAddr_ && segBytes_ >= bytes) return true;
        releaseSegment();
        int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0) return false;
        void* addr = shmat(id, nullptr, 0);
        // Marked for removal at once: the segment then goes away with the last detach, even if
        // the program dies.
        shmctl(id, IPC_RMID, nullptr);
        if (addr == reinterpret_cast<void*>(-1)) return false;
        seg_ = xcb_generate_id(c_.get());
        xcb_void_cookie_t ck = xcb_shm_attach_checked(c_.get(), seg_, static_cast<std::uint32_t>(id), 0);
        if (xcb_generic_error_t* err = xcb_request_check(c_.get(), ck)) {
            free(err);
            shmdt(addr);
            shmAvailable_ = false;
            return false;
        }
        shmAddr_ = addr;
        segBytes_ = bytes;
        return true;
    }

    void releaseSegment() {
        if (!shmAddr_) return;
        xcb_shm_detach(c_.get(), seg_);
        xcb_flush(c_.get());
        shmdt(shmAddr_);
        shmAddr_ = nullptr;
        segBytes_ = 0;
    }

    Connection c_;
    xcb_screen_t* screen_;
    bool shmAvailable_ = false;
    xcb_shm_seg_t seg_ = 0;
    void* shmAddr_ = nullptr;
    std::size_t segBytes_ = 0;
};

} // namespace

std::unique_ptr<ScreenSource> openScreen(std::string& error) {
    xcb_screen_t* screen = nullptr;
    Connection c = connectDisplay(error, &screen);
    if (!c) return nullptr;
    if (screen->root_depth != 24 && screen->root_depth != 32) {
        error = "Tavlo records screens of 24-bit colour; this display has " +
                std::to_string(screen->root_depth) + " bits.";
        return nullptr;
    }
    const xcb_setup_t* setup = xcb_get_setup(c.get());
    bool fourBytes = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == screen->root_depth && it.data->bits_per_pixel == 32) fourBytes = true;
    if (!fourBytes || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
        error = "This X11 display stores pixels in a form Tavlo cannot record (it needs 32 bits a pixel, "
                "least significant byte first).";
        return nullptr;
    }
    return std::make_unique<X11Screen>(std::move(c), screen);
}

} // namespace tavlo::platform::x11
