// The scratch folders the Windows tests stand on go whole, also with a link in them whose target
// is gone (Wine can neither list nor delete one), and never through a link.
#include <gtest/gtest.h>

#include "testing/win/tests/DoubleRunner.h"

namespace vq::testing {
namespace {

TEST(ScratchDir, GoesWithItsLinksAndLeavesWhatTheyLeadTo) {
    ScratchDir outside{"outside"};
    WriteBytes(outside / "kept", {7});
    std::string path;
    {
        ScratchDir dir{"links"};
        path = dir.Path();
        ASSERT_TRUE(MakeDirectoryLink(dir / "live", outside.Path()));
        ScratchDir gone{"gone"};  // goes first, leaving the link below dangling
        ASSERT_TRUE(MakeDirectoryLink(dir / "dangling", gone.Path()));
    }
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(ReadBytes(outside / "kept"), std::vector<uint8_t>{7});
}

}  // namespace
}  // namespace vq::testing
