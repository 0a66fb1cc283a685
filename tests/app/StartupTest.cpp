#include "app/Startup.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(Startup, ComposerChoiceSearchesTheWholeCommandLine) {
    EXPECT_EQ(ComposerFromCommandLine("/opt/tw/tidewright"), 0);
    EXPECT_EQ(ComposerFromCommandLine("/opt/tw/tidewright fmc"), 1);
    EXPECT_EQ(ComposerFromCommandLine("/opt/tw/tidewright FMC pls"), 2);
    EXPECT_EQ(ComposerFromCommandLine("/home/u/apls/tidewright"), 2) << "p-l-s inside a path";
}

} // namespace
} // namespace tw
