#include "core/line_format.h"

#include <gtest/gtest.h>

namespace tavlo {
namespace {

TEST(LineFormat, MixedLinesAndRawBlocksRoundTrip) {
    LineWriter w;
    w.putInt(866);
    w.putFloat(0.1);
    w.putString("a path/with spaces");
    w.putU32(0xA1B2C3D4);
    w.putInt(-7);
    EXPECT_EQ(w.bytes().substr(0, 13), "866\n0.100000\n");

    LineReader r(w.bytes());
    int v = 0;
    double f = 0;
    std::string s;
    std::uint32_t u = 0;
    int neg = 0;
    ASSERT_TRUE(r.getInt(v));
    ASSERT_TRUE(r.getFloat(f));
    ASSERT_TRUE(r.getString(s));
    ASSERT_TRUE(r.getU32(u));
    ASSERT_TRUE(r.getInt(neg));
    EXPECT_EQ(v, 866);
    EXPECT_DOUBLE_EQ(f, 0.1);
    EXPECT_EQ(s, "a path/with spaces");
    EXPECT_EQ(u, 0xA1B2C3D4u);
    EXPECT_EQ(neg, -7);
    EXPECT_TRUE(r.atEnd());
}

TEST(LineFormat, DamagedInputFailsWithoutTouchingTargets) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {{"not a number", "abc\n"},
                 {"number with tail", "12x\n"},
                 {"empty", ""},
                 {"overflow", "99999999999\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LineReader r(c.bytes);
        int v = 42;
        EXPECT_FALSE(r.getInt(v));
        EXPECT_EQ(v, 42);
        EXPECT_TRUE(r.failed());
        // Once failed, a reader stays failed: later items keep their defaults.
        std::string s = "kept";
        EXPECT_FALSE(r.getString(s));
        EXPECT_EQ(s, "kept");
    }
    LineReader raw("ab");
    char buf[3];
    EXPECT_FALSE(raw.getRaw(buf, 3));
}

TEST(LineFormat, VersionedItemsKeepDefaultsWhenTheFileIsOlder) {
    LineReader lines("5\n6\n");
    VersionedReader r(lines, 700);
    int a = 0, b = 0, c = 99;
    r.item(600, a);
    r.item(748, c); // introduced after the file was written: not in it
    r.item(700, b);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 6);
    EXPECT_EQ(c, 99);
}

} // namespace
} // namespace tavlo
