#include "platform/x11/x11_connection.h"

#include <cstdlib>
#include <cstring>

namespace tavlo::platform::x11 {

Connection connectDisplay(std::string& error, xcb_screen_t** screenOut) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        error = wayland && *wayland
                    ? "Tavlo records the screen through X11, and this Wayland session offers no X11 display "
                      "(DISPLAY is not set). Log in to an X11 session to record."
                    : "Tavlo needs an X11 display to record the screen, and DISPLAY is not set.";
        return nullptr;
    }
    int screenNumber = 0;
    Connection c(xcb_connect(nullptr, &screenNumber));
    if (!c || xcb_connection_has_error(c.get())) {
        error = std::string("Cannot connect to the X11 display \"") + display + "\".";
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c.get()));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        error = "The X11 display has no screen.";
        return nullptr;
    }
    if (screenOut) *screenOut = it.data;
    return c;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace tavlo::platform::x11

#include <poll.h>
#include <unistd.h>

namespace tavlo::platform::x11 {

void EventThread::start(xcb_connection_t* c, std::function<void(xcb_generic_event_t*)> handler) {
    stop();
    if (pipe(wake_) != 0) return;
    const int wakeFd = wake_[0];
    thread_ = std::thread([c, wakeFd, handler = std::move(handler)] {
        pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {wakeFd, POLLIN, 0}};
        for (;;) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
                handler(e);
                free(e);
            }
            if (xcb_connection_has_error(c)) return;
            if (poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents) return;
        }
    });
}

void EventThread::stop() {
    if (thread_.joinable()) {
        char b = 1;
        if (write(wake_[1], &b, 1) < 0) {
        }
        thread_.join();
    }
    for (int& fd : wake_) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

} // namespace tavlo::platform::x11
