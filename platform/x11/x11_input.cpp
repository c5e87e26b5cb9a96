#include "platform/x11/x11_input.h"

#include "platform/x11/x11_connection.h"

#include <atomic>
#include <mutex>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

namespace tavlo::platform::x11 {

namespace {

class X11InputEvents : public InputEvents {
public:
    X11InputEvents(Connection c, xcb_screen_t* screen, std::uint8_t opcode)
        : c_(std::move(c)), screen_(screen), opcode_(opcode) {}
    ~X11InputEvents() override { stop(); }

    bool start() override {
        if (thread_.running()) return true;
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t mask;
        } m{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
            XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
                XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE};
        xcb_void_cookie_t ck = xcb_input_xi_select_events_checked(c_.get(), screen_->root, 1, &m.head);
        if (xcb_generic_error_t* e = xcb_request_check(c_.get(), ck)) {
            free(e);
            return false;
        }
        takeClickDown(), takeClickUp(), takeKeyDown(), takeKeyUp();
        thread_.start(c_.get(), [this](xcb_generic_event_t* e) { onEvent(e); });
        return true;
    }

    void stop() override { thread_.stop(); }
    bool takeClickDown() override { return clickDown_.exchange(false); }
    bool takeClickUp() override { return clickUp_.exchange(false); }
    bool takeKeyDown() override { return keyDown_.exchange(false); }
    bool takeKeyUp() override { return keyUp_.exchange(false); }

private:
    void onEvent(xcb_generic_event_t* e) {
        if ((e->response_type & 0x7F) != XCB_GE_GENERIC) return;
        auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(e);
        if (ge->extension != opcode_) return;
        auto* raw = reinterpret_cast<xcb_input_raw_button_press_event_t*>(e);
        // Buttons 1 to 3 are clicks; 4 to 7 are the wheel and do not count.
        const bool click = raw->detail >= 1 && raw->detail <= 3;
        switch (ge->event_type) {
        case XCB_INPUT_RAW_BUTTON_PRESS:
            if (click) clickDown_ = true;
            break;
        case XCB_INPUT_RAW_BUTTON_RELEASE:
            if (click) clickUp_ = true;
            break;
        case XCB_INPUT_RAW_KEY_PRESS:
            keyDown_ = true;
            break;
        case XCB_INPUT_RAW_KEY_RELEASE:
            keyUp_ = true;
            break;
        default:
            break;
        }
    }

    Connection c_;
    xcb_screen_t* screen_;
    std::uint8_t opcode_;
    EventThread thread_;
    std::atomic<bool> clickDown_{false}, clickUp_{false}, keyDown_{false}, keyUp_{false};
};

class X11HotKeys : public HotKeys {
public:
    X11HotKeys(Connection c, xcb_screen_t* screen) : c_(std::move(c)), screen_(screen) {
        symbols_ = xcb_key_symbols_alloc(c_.get());
    }
    ~X11HotKeys() override {
        thread_.stop();
        unregisterAll();
        if (symbols_) xcb_key_symbols_free(symbols_);
    }

    std::vector<HotKeySpec> registerKeys(const std::vector<HotKeySpec>& keys) override {
        std::vector<HotKeySpec> taken;
        for (const HotKeySpec& k : keys) {
            xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, k.keysym);
            if (!codes || codes[0] == XCB_NO_SYMBOL) {
                free(codes);
                taken.push_back(k); // no key on this keyboard gives that symbol
                continue;
            }
            const xcb_keycode_t code = codes[0];
            free(codes);
            const std::uint16_t mods = xMods(k.modifiers);
            bool ok = true;
            std::vector<xcb_void_cookie_t> cookies;
            for (std::uint16_t lock : kLockCombos)
                cookies.push_back(xcb_grab_key_checked(c_.get(), 1, screen_->root, mods | lock, code,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            for (auto ck : cookies)
                if (xcb_generic_error_t* e = xcb_request_check(c_.get(), ck)) {
                    ok = false;
                    free(e);
                }
            if (!ok) {
                // Another program holds the key: release whatever combinations we did get.
                for (std::uint16_t lock : kLockCombos)
                    xcb_ungrab_key(c_.get(), code, screen_->root, mods | lock);
                xcb_flush(c_.get());
                taken.push_back(k);
                continue;
            }
            std::lock_guard lock(mutex_);
            grabbed_.push_back({k.id, code, mods});
        }
        if (!thread_.running()) thread_.start(c_.get(), [this](xcb_generic_event_t* e) { onEvent(e); });
        return taken;
    }

    void unregisterAll() override {
        std::lock_guard lock(mutex_);
        for (const Grab& g : grabbed_)
            for (std::uint16_t l : kLockCombos) xcb_ungrab_key(c_.get(), g.code, screen_->root, g.mods | l);
        grabbed_.clear();
        xcb_flush(c_.get());
    }

    void setHandler(std::function<void(HotKeyId)> handler) override {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
    }

private:
    struct Grab {
        HotKeyId id;
        xcb_keycode_t code;
        std::uint16_t mods;
    };
    static constexpr std::uint16_t kNumLock = XCB_MOD_MASK_2;
    static constexpr std::uint16_t kLockCombos[4] = {0, XCB_MOD_MASK_LOCK, kNumLock,
                                                     XCB_MOD_MASK_LOCK | kNumLock};

    static std::uint16_t xMods(std::uint16_t m) {
        std::uint16_t x = 0;
        if (m & kShift) x |= XCB_MOD_MASK_SHIFT;
        if (m & kControl) x |= XCB_MOD_MASK_CONTROL;
        if (m & kAlt) x |= XCB_MOD_MASK_1;
        return x;
    }

    void onEvent(xcb_generic_event_t* e) {
        if ((e->response_type & 0x7F) != XCB_KEY_PRESS) return;
        auto* k = reinterpret_cast<xcb_key_press_event_t*>(e);
        const std::uint16_t state = k->state & ~(XCB_MOD_MASK_LOCK | kNumLock) &
                                    (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
        std::function<void(HotKeyId)> h;
        HotKeyId id{};
        {
            std::lock_guard lock(mutex_);
            for (const Grab& g : grabbed_)
                if (g.code == k->detail && g.mods == state) {
                    h = handler_;
                    id = g.id;
                }
        }
        if (h) h(id);
    }

    Connection c_;
    xcb_screen_t* screen_;
    xcb_key_symbols_t* symbols_ = nullptr;
    std::mutex mutex_;
    std::vector<Grab> grabbed_;
    std::function<void(HotKeyId)> handler_;
    EventThread thread_;
};

} // namespace

std::unique_ptr<InputEvents> openInputEvents(std::string& error) {
    xcb_screen_t* screen = nullptr;
    Connection c = connectDisplay(error, &screen);
    if (!c) return nullptr;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c.get(), &xcb_input_id);
    Reply<xcb_input_xi_query_version_reply_t> v(
        ext && ext->present
            ? xcb_input_xi_query_version_reply(c.get(), xcb_input_xi_query_version(c.get(), 2, 2), nullptr)
            : nullptr);
    if (!v || v->major_version < 2 || (v->major_version == 2 && v->minor_version < 2)) {
        error = "The X11 display lacks XInput 2.2, so clicks and key presses cannot be recorded.";
        return nullptr;
    }
    return std::make_unique<X11InputEvents>(std::move(c), screen, ext->major_opcode);
}

std::unique_ptr<HotKeys> openHotKeys(std::string& error) {
    xcb_screen_t* screen = nullptr;
    Connection c = connectDisplay(error, &screen);
    if (!c) return nullptr;
    return std::make_unique<X11HotKeys>(std::move(c), screen);
}

} // namespace tavlo::platform::x11
