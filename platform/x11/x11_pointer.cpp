#include "platform/x11/x11_pointer.h"

#include "platform/x11/x11_connection.h"

#include <map>
#include <mutex>
#include <xcb/xfixes.h>

namespace tavlo::platform::x11 {

namespace {

class X11Pointer : public PointerSource {
public:
    X11Pointer(Connection c, xcb_screen_t* screen) : c_(std::move(c)), screen_(screen) {}

    bool read(PointerState& state) override {
        std::lock_guard lock(mutex_);
        Reply<xcb_query_pointer_reply_t> p(
            xcb_query_pointer_reply(c_.get(), xcb_query_pointer(c_.get(), screen_->root), nullptr));
        if (!p || !p->same_screen) return false;
        // The serial comes with the cursor image; a shape is fetched once per serial and kept.
        Reply<xcb_xfixes_get_cursor_image_reply_t> img(
            xcb_xfixes_get_cursor_image_reply(c_.get(), xcb_xfixes_get_cursor_image(c_.get()), nullptr));
        if (!img) return false;
        const std::uint32_t serial = img->cursor_serial ? img->cursor_serial : 1;
        auto found = shapes_.find(serial);
        if (found == shapes_.end()) {
            const int n = xcb_xfixes_get_cursor_image_cursor_image_length(img.p);
            if (n < img->width * img->height) return false;
            PointerShape s = pointerShapeFromArgb(serial, img->width, img->height, img->xhot, img->yhot,
                                                  xcb_xfixes_get_cursor_image_cursor_image(img.p));
            if (shapes_.size() > 4096) shapes_.clear(); // bounded: applications can make shapes without end
            found = shapes_.emplace(serial, std::move(s)).first;
        }
        state.x = p->root_x;
        state.y = p->root_y;
        state.handle = serial;
        // An application that hides the pointer shows a wholly transparent one.
        bool anyVisible = false;
        for (std::uint32_t px : found->second.pixels)
            if (px != kPointerTransparent) {
                anyVisible = true;
                break;
            }
        state.hidden = !anyVisible;
        return true;
    }

    bool shape(std::uint32_t handle, PointerShape& out) override {
        std::lock_guard lock(mutex_);
        auto it = shapes_.find(handle);
        if (it == shapes_.end()) return false;
        out = it->second;
        return true;
    }

private:
    std::mutex mutex_;
    Connection c_;
    xcb_screen_t* screen_;
    std::map<std::uint32_t, PointerShape> shapes_;
};

} // namespace

std::unique_ptr<PointerSource> openPointer(std::string& error) {
    xcb_screen_t* screen = nullptr;
    Connection c = connectDisplay(error, &screen);
    if (!c) return nullptr;
    Reply<xcb_xfixes_query_version_reply_t> v(
        xcb_xfixes_query_version_reply(c.get(), xcb_xfixes_query_version(c.get(), 4, 0), nullptr));
    if (!v || v->major_version < 2) {
        error = "The X11 display lacks the XFixes extension, so the pointer cannot be recorded.";
        return nullptr;
    }
    return std::make_unique<X11Pointer>(std::move(c), screen);
}

} // namespace tavlo::platform::x11
