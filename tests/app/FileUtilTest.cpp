#include "app/FileUtil.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace tw {
namespace {

namespace fs = std::filesystem;

TEST(AtomicWrite, RemovesOnlyStaleTemporariesOfItsOwnTarget) {
    const std::string folder = test::MakeTempFolder("tw-file-util");
    const std::string target = folder + "/TempOndex.ondex";
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    auto make = [&](const std::string& name, bool stale) {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << "x";
        if (stale)
            fs::last_write_time(path, old);
        return path;
    };
    const std::string dead = make("TempOndex.ondex.~tw123-4", true);
    const std::string live = make("TempOndex.ondex.~tw456-7", false); // another writer, mid-write
    const std::string otherTarget = make("TempOndex.ondex2.~tw123-4", true);
    const std::string notOurs = make("TempOndex.ondex.~twbackup", true);
    const std::string longer = make("TempOndex.ondex.~tw1-2.bak", true);

    ASSERT_TRUE(WriteFileAtomically(target, "new"));
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_FALSE(FileExists(dead));
    EXPECT_TRUE(FileExists(live));
    EXPECT_TRUE(FileExists(otherTarget));
    EXPECT_TRUE(FileExists(notOurs));
    EXPECT_TRUE(FileExists(longer));
    std::error_code ec;
    fs::remove_all(folder, ec);
}

} // namespace
} // namespace tw
