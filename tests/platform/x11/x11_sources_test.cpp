// The X11 sources against a real X server (Xvfb), driven by xdotool as a user would.
#include "platform/x11/x11_input.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/x11_screen.h"

#include "tests/support/xvfb.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace tavlo::platform::x11 {
namespace {

class X11 : public ::testing::Test {
protected:
    void SetUp() override {
        display_ = std::make_unique<test::XvfbDisplay>(1280, 800);
        ASSERT_TRUE(display_->ok()) << "Xvfb did not start";
        c_ = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(c_));
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    }
    void TearDown() override {
        if (c_) xcb_disconnect(c_);
    }

    // A mapped, undecorated window filled with one colour (0x00RRGGBB).
    xcb_window_t window(int x, int y, int w, int h, std::uint32_t colour) {
        xcb_window_t win = xcb_generate_id(c_);
        std::uint32_t values[] = {colour, 1};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, win, screen_->root, std::int16_t(x), std::int16_t(y),
                          std::uint16_t(w), std::uint16_t(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(c_, win);
        xcb_clear_area(c_, 0, win, 0, 0, 0, 0);
        sync();
        return win;
    }
    void sync() { free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    template <typename F> static bool eventually(F condition) {
        for (int i = 0; i < 200; ++i) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    std::unique_ptr<test::XvfbDisplay> display_;
    xcb_connection_t* c_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
};

TEST_F(X11, GrabsThroughSharedMemoryWithTheFourthByteCleared) {
    std::string error;
    auto screen = openScreen(error);
    ASSERT_TRUE(screen) << error;
    EXPECT_EQ(screen->desktop(), (Rect{0, 0, 1280, 800}));
    auto monitors = screen->monitors();
    ASSERT_FALSE(monitors.empty());
    EXPECT_EQ(monitors[0], (Rect{0, 0, 1280, 800}));

    window(100, 50, 40, 30, 0x0012A0F0);
    std::vector<std::uint32_t> px(60 * 40, 0xDEADBEEF);
    ASSERT_TRUE(screen->grab(Rect{90, 40, 150, 80}, px.data()));
    EXPECT_TRUE(screen->sharedMemory());
    EXPECT_EQ(px[std::size_t(15) * 60 + 20], 0x0012A0F0u); // inside the window
    EXPECT_EQ(px[0] & 0xFF000000u, 0u);                    // outside: root background, fourth byte 0
    EXPECT_NE(px[0], 0x0012A0F0u);

    // Areas reaching past the desktop are refused, not grabbed in part.
    EXPECT_FALSE(screen->grab(Rect{1270, 790, 1290, 810}, px.data()));
    EXPECT_EQ(clampToDesktop(Rect{1270, 790, 1290, 810}, screen->desktop()), (Rect{1270, 790, 1280, 800}));
}

TEST_F(X11, FullHdSizedGrabMatchesInBothPaths) {
    std::string error;
    auto screen = openScreen(error);
    ASSERT_TRUE(screen) << error;
    window(0, 0, 1280, 400, 0x00204060);
    window(0, 400, 1280, 400, 0x00A0B0C0);
    std::vector<std::uint32_t> px(std::size_t(1280) * 800);
    ASSERT_TRUE(screen->grab(screen->desktop(), px.data()));
    EXPECT_EQ(px[10], 0x00204060u);
    EXPECT_EQ(px[std::size_t(799) * 1280 + 1279], 0x00A0B0C0u);
}

TEST_F(X11, GrabEqualsWhatFfmpegGrabsOfTheSameArea) {
    std::string error;
    auto screen = openScreen(error);
    ASSERT_TRUE(screen) << error;
    window(0, 0, 200, 100, 0x00C01020);
    window(50, 20, 60, 40, 0x0010E0A0);
    window(120, 60, 3, 3, 0x00FFFFFF);
    const Rect area{30, 10, 190, 90};
    std::vector<std::uint32_t> ours(std::size_t(area.width()) * area.height());
    ASSERT_TRUE(screen->grab(area, ours.data()));

    const std::string raw = "/tmp/tavlo-x11grab-" + std::to_string(getpid()) + ".raw";
    const std::string cmd = "ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size " +
                            std::to_string(area.width()) + "x" + std::to_string(area.height()) + " -i " +
                            display_->display() + "+" + std::to_string(area.left) + "," +
                            std::to_string(area.top) + " -frames:v 1 -f rawvideo -pix_fmt bgr0 " + raw;
    ASSERT_EQ(display_->run(cmd), 0);
    FILE* f = fopen(raw.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<std::uint32_t> theirs(ours.size());
    ASSERT_EQ(fread(theirs.data(), 4, theirs.size(), f), theirs.size());
    fclose(f);
    unlink(raw.c_str());
    for (auto& p : theirs) p &= 0x00FFFFFFu;
    EXPECT_TRUE(ours == theirs);
}

TEST_F(X11, TextCursorWindowReportsItsShapeAndHotSpot) {
    std::string error;
    auto pointer = openPointer(error);
    ASSERT_TRUE(pointer) << error;
    PointerState onRoot;
    ASSERT_EQ(display_->run("xdotool mousemove 600 600"), 0);
    ASSERT_TRUE(eventually([&] { return pointer->read(onRoot) && onRoot.x == 600; }));

    // A window whose pointer is the text cursor (glyph 152 of the standard cursor font).
    xcb_font_t font = xcb_generate_id(c_);
    xcb_open_font(c_, font, 6, "cursor");
    xcb_cursor_t cursor = xcb_generate_id(c_);
    xcb_create_glyph_cursor(c_, cursor, font, font, 152, 153, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    xcb_window_t win = window(100, 100, 200, 200, 0x00FFFFFF);
    xcb_change_window_attributes(c_, win, XCB_CW_CURSOR, &cursor);
    sync();
    ASSERT_EQ(display_->run("xdotool mousemove 150 150"), 0);
    PointerState inText;
    ASSERT_TRUE(eventually(
        [&] { return pointer->read(inText) && inText.x == 150 && inText.handle != onRoot.handle; }));
    PointerShape shape;
    ASSERT_TRUE(pointer->shape(inText.handle, shape));
    EXPECT_FALSE(inText.hidden);
    EXPECT_GT(shape.width, 4);
    EXPECT_GT(shape.height, shape.width); // the I-beam is tall and thin
    EXPECT_GE(shape.hotX, 0);
    EXPECT_LT(shape.hotX, shape.width);
    EXPECT_GT(shape.hotY, 0);
    EXPECT_LT(shape.hotY, shape.height);
    // Black and white pixels only, with transparency around them.
    int transparent = 0;
    for (std::uint32_t p : shape.pixels) {
        if (p == kPointerTransparent)
            ++transparent;
        else
            EXPECT_TRUE(p == 0x00000000u || p == 0x00FFFFFFu) << std::hex << p;
    }
    EXPECT_GT(transparent, 0);
}

TEST_F(X11, ActiveWindowIncludesTheFrameExtents) {
    std::string error;
    auto screen = openScreen(error);
    ASSERT_TRUE(screen) << error;
    EXPECT_FALSE(screen->activeWindow()); // no window manager has named one

    xcb_window_t win = window(200, 100, 300, 200, 0x00FFFFFF);
    auto atom = [&](const char* n) {
        auto* r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::uint16_t(strlen(n)), n), nullptr);
        xcb_atom_t a = r->atom;
        free(r);
        return a;
    };
    std::uint32_t extents[4] = {4, 4, 24, 4}; // left, right, top, bottom
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, win, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 32, 4,
                        extents);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, screen_->root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW,
                        32, 1, &win);
    sync();
    auto active = screen->activeWindow();
    ASSERT_TRUE(active);
    EXPECT_EQ(*active, (Rect{196, 76, 504, 304}));
}

TEST_F(X11, PointerPositionAndShape) {
    std::string error;
    auto pointer = openPointer(error);
    ASSERT_TRUE(pointer) << error;
    ASSERT_EQ(display_->run("xdotool mousemove 321 123"), 0);
    PointerState s;
    ASSERT_TRUE(eventually([&] { return pointer->read(s) && s.x == 321 && s.y == 123; }));
    EXPECT_NE(s.handle, 0u);
    PointerShape shape;
    ASSERT_TRUE(pointer->shape(s.handle, shape));
    EXPECT_GT(shape.width, 0);
    EXPECT_EQ(shape.pixels.size(), std::size_t(shape.width) * shape.height);
    EXPECT_FALSE(pointer->shape(s.handle + 1000, shape));
}

TEST_F(X11, ClicksAndKeysAreFlagsAndTheWheelIsNoClick) {
    std::string error;
    auto input = openInputEvents(error);
    ASSERT_TRUE(input) << error;
    ASSERT_TRUE(input->start());
    ASSERT_EQ(display_->run("xdotool click 1"), 0);
    EXPECT_TRUE(eventually([&] { return input->takeClickDown(); }));
    EXPECT_TRUE(eventually([&] { return input->takeClickUp(); }));
    EXPECT_FALSE(input->takeClickDown()); // a poll resets the flag

    ASSERT_EQ(display_->run("xdotool click 4 click 5"), 0);
    ASSERT_EQ(display_->run("xdotool key a"), 0);
    EXPECT_TRUE(eventually([&] { return input->takeKeyDown(); }));
    EXPECT_TRUE(eventually([&] { return input->takeKeyUp(); }));
    EXPECT_FALSE(input->takeClickDown());
    EXPECT_FALSE(input->takeClickUp());
    input->stop();
}

TEST_F(X11, HotKeysFireWithAnyLockStateAndTakenKeysAreReported) {
    std::string error;
    auto keys = openHotKeys(error);
    ASSERT_TRUE(keys) << error;
    std::atomic<int> stops{0}, chapters{0};
    keys->setHandler([&](HotKeyId id) {
        if (id == HotKeyId::Stop) ++stops;
        if (id == HotKeyId::Chapter) ++chapters;
    });
    auto taken = keys->registerKeys(recorderHotKeys(false));
    EXPECT_TRUE(taken.empty());

    ASSERT_EQ(display_->run("xdotool key ctrl+Delete"), 0);
    EXPECT_TRUE(eventually([&] { return stops == 1; }));
    ASSERT_EQ(display_->run("xdotool key Num_Lock alt+c Num_Lock"), 0);
    EXPECT_TRUE(eventually([&] { return chapters == 1; }));

    // A second program asking for the same keys is told which ones it cannot have.
    auto other = openHotKeys(error);
    ASSERT_TRUE(other);
    auto refused = other->registerKeys(recorderHotKeys(false));
    EXPECT_EQ(refused.size(), 5u);

    keys->unregisterAll();
    EXPECT_TRUE(other->registerKeys({recorderHotKeys(false)[1]}).empty()); // released keys are free again
}

} // namespace
} // namespace tavlo::platform::x11
