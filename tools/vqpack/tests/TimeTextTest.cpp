// MTIME as text: the forms vqpack prints and accepts.
#include <gtest/gtest.h>

#include "tools/vqpack/TimeText.h"

namespace vq::test {
namespace {

TEST(TimeText, KnownInstantsBothWays) {
    const struct { uint32_t Seconds; const char* Text; } cases[] = {
        {0, "1970-01-01T00:00:00Z"},
        {951782400, "2000-02-29T00:00:00Z"},
        {1328604298, "2012-02-07T08:44:58Z"},
        {1337684741, "2012-05-22T11:05:41Z"},
        {4294967295u, "2106-02-07T06:28:15Z"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatUtcTime(c.Seconds), c.Text);
        uint32_t t = 1;
        ASSERT_TRUE(ParseUtcTime(c.Text, t)) << c.Text;
        EXPECT_EQ(t, c.Seconds);
    }
    uint32_t t = 0;
    ASSERT_TRUE(ParseUtcTime("2012-02-07T08:44:58", t));
    EXPECT_EQ(t, 1328604298u);
    ASSERT_TRUE(ParseUtcTime("1328604298", t));
    EXPECT_EQ(t, 1328604298u);
}

TEST(TimeText, RefusesWhatIsNotAnMtime) {
    uint32_t t = 0;
    for (const char* bad : {"", "4294967296", "12345678901", "2012-02-30T00:00:00Z", "2011-02-29T00:00:00",
                            "2012-13-01T00:00:00", "2012-02-07 08:44:58", "2012-02-07T24:00:00",
                            "1969-12-31T23:59:59Z", "2106-02-07T06:28:16Z", "2012-02-07T08:44:58+01",
                            "-5", "12:30"})
        EXPECT_FALSE(ParseUtcTime(bad, t)) << bad;
}

}  // namespace
}  // namespace vq::test
