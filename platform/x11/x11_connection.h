#pragma once
// One xcb connection with the facts every X11 source needs.
#include <memory>
#include <string>
#include <xcb/xcb.h>

namespace tavlo::platform::x11 {

struct ConnectionDeleter {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

// Connects to $DISPLAY. On failure `error` says why in words for the user (a Wayland session
// without X11 is named as such).
Connection connectDisplay(std::string& error, xcb_screen_t** screen = nullptr);

// Frees xcb replies.
template <typename T> struct Reply {
    T* p = nullptr;
    explicit Reply(T* r) : p(r) {}
    ~Reply() { free(p); }
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

xcb_atom_t internAtom(xcb_connection_t* c, const char* name);

} // namespace tavlo::platform::x11

#include <functional>
#include <thread>

namespace tavlo::platform::x11 {

// Reads the events of one connection on a thread of its own until stopped.
class EventThread {
public:
    EventThread() = default;
    ~EventThread() { stop(); }
    void start(xcb_connection_t* c, std::function<void(xcb_generic_event_t*)> handler);
    void stop();
    bool running() const { return thread_.joinable(); }

private:
    std::thread thread_;
    int wake_[2] = {-1, -1};
};

} // namespace tavlo::platform::x11
