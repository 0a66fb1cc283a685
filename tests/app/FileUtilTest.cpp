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

// A reader that opened the old file (the host, say) keeps reading the old bytes whole: the copy
// replaces the file instead of writing into it, and leaves no temporary behind.
TEST(AtomicWrite, CopyReplacesTheTargetInsteadOfWritingIntoIt) {
    const std::string folder = test::MakeTempFolder("tw-file-util");
    const std::string from = folder + "/new.wav", to = folder + "/TemS1.wav";
    ASSERT_TRUE(WriteFileAtomically(from, "new bytes"));
    ASSERT_TRUE(WriteFileAtomically(to, "old"));
    fs::create_hard_link(to, folder + "/reader-view");

    ASSERT_TRUE(CopyFileOver(from, to));
    EXPECT_EQ(ReadWholeFile(to), "new bytes");
    EXPECT_EQ(ReadWholeFile(folder + "/reader-view"), "old");
    EXPECT_TRUE(CopyFileOver(to, to)) << "a file copied onto itself stays";
    EXPECT_FALSE(CopyFileOver(folder + "/missing", to));
    EXPECT_EQ(ReadWholeFile(to), "new bytes");
    int entries = 0;
    for (const auto& e : fs::directory_iterator(folder))
        entries += e.path().filename().string().find(".~tw") == std::string::npos ? 1 : 100;
    EXPECT_EQ(entries, 3);
    std::error_code ec;
    fs::remove_all(folder, ec);
}

TEST(AtomicWrite, SnapshotKeepsTheBytesOfItsMomentThroughLaterWrites) {
    const std::string folder = test::MakeTempFolder("tw-file-util");
    const std::string working = folder + "/TemS1.wav", undo = folder + "/undo.wav";
    ASSERT_TRUE(WriteFileAtomically(working, "before"));
    ASSERT_TRUE(WriteFileAtomically(undo, "older undo"));
    ASSERT_TRUE(SnapshotFile(working, undo));
    EXPECT_EQ(ReadWholeFile(undo), "before");

    ASSERT_TRUE(WriteFileAtomically(working, "after the edit"));
    ASSERT_TRUE(CopyFileOver(folder + "/TemS1.wav", folder + "/copy.wav"));
    EXPECT_EQ(ReadWholeFile(undo), "before");
    ASSERT_TRUE(WriteFileAtomically(undo, "a generator's backup"));
    EXPECT_EQ(ReadWholeFile(working), "after the edit") << "writing the snapshot leaves its source";
    EXPECT_FALSE(SnapshotFile(folder + "/missing", undo));
    EXPECT_EQ(ReadWholeFile(undo), "a generator's backup");
    std::error_code ec;
    fs::remove_all(folder, ec);
}

} // namespace
} // namespace tw
