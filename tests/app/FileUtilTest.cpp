#include "app/FileUtil.h"
#include "support/FileSizeLimit.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace tw {
namespace {

namespace fs = std::filesystem;

// A writer's process id that no process has now.
std::string DeadProcessId() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return std::to_string(child);
}

// Each test writes in a folder of its own.
class AtomicWrite : public ::testing::Test {
  protected:
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    const std::string folder = test::MakeTempFolder("tw-file-util");
};

TEST_F(AtomicWrite, RemovesStaleTemporariesOfItsTargetAndOfDeadWriters) {
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
    const std::string otherTarget = make("TempOndex.ondex2.~tw1-4", true); // its writer lives
    const std::string deadWriters = make("Big.wav.~tw" + DeadProcessId() + "-4", true);
    const std::string notOurs = make("TempOndex.ondex.~twbackup", true);
    const std::string longer = make("TempOndex.ondex.~tw1-2.bak", true);
    // This process's own temporary waits for its commit, however old it looks.
    const std::string own = make("TempOndex.ondex.~tw" + std::to_string(::getpid()) + "-999", true);

    ASSERT_TRUE(WriteFileAtomically(target, "new"));
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_FALSE(FileExists(dead));
    EXPECT_TRUE(FileExists(live));
    EXPECT_TRUE(FileExists(otherTarget));
    EXPECT_FALSE(FileExists(deadWriters)) << "a Save As killed midway, of any target";
    EXPECT_TRUE(FileExists(notOurs));
    EXPECT_TRUE(FileExists(longer));
    EXPECT_TRUE(FileExists(own));
}

// A reader that opened the old file (the host, say) keeps reading the old bytes whole: the copy
// replaces the file instead of writing into it, and leaves no temporary behind. A snapshot keeps
// the bytes of its moment.
TEST_F(AtomicWrite, CopyReplacesTheTargetInsteadOfWritingIntoIt) {
    const std::string from = folder + "/new.wav", to = folder + "/TemS1.wav";
    const std::string undo = folder + "/undo.wav";
    ASSERT_TRUE(WriteFileAtomically(from, "new bytes"));
    ASSERT_TRUE(WriteFileAtomically(to, "old"));
    ASSERT_TRUE(WriteFileAtomically(undo, "older undo"));
    fs::create_hard_link(to, folder + "/reader-view");
    ASSERT_TRUE(SnapshotFile(to, undo));

    ASSERT_TRUE(CopyFileOver(from, to));
    EXPECT_EQ(ReadWholeFile(to), "new bytes");
    EXPECT_EQ(ReadWholeFile(folder + "/reader-view"), "old");
    EXPECT_EQ(ReadWholeFile(undo), "old");
    ASSERT_TRUE(WriteFileAtomically(undo, "a generator's backup"));
    EXPECT_EQ(ReadWholeFile(to), "new bytes") << "writing the snapshot leaves its source";
    EXPECT_TRUE(CopyFileOver(to, to)) << "a file copied onto itself stays";
    EXPECT_FALSE(CopyFileOver(folder + "/missing", to));
    EXPECT_EQ(ReadWholeFile(to), "new bytes");
    int entries = 0;
    for (const auto& e : fs::directory_iterator(folder))
        entries += e.path().filename().string().find(".~tw") == std::string::npos ? 1 : 100;
    EXPECT_EQ(entries, 4);
}

std::vector<std::string> EntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A full disk (a file size limit fails writes with EFBIG the same way, also for root), a folder
// where the file should be and a missing folder: each failure names the file and the system's
// reason, and leaves the target and the folder as they were.
TEST_F(AtomicWrite, FailedWritesNameTheFileAndTheSystemsReason) {
    const std::string target = folder + "/TemS1.wa0", big = folder + "/big.wav";
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    ASSERT_TRUE(WriteFileAtomically(big, std::string(5000, 'b')));
    {
        test::FileSizeLimit full(1000);
        FileResult written = WriteFileAtomically(target, std::string(4000, 'n'));
        ASSERT_FALSE(written);
        EXPECT_EQ(written.path(), target);
        EXPECT_EQ(written.error(), "File too large");
        EXPECT_EQ(written.message(), "Unable to write " + target + "\nFile too large");
        FileResult copied = CopyFileOver(big, target);
        ASSERT_FALSE(copied);
        EXPECT_EQ(copied.message(), "Unable to write " + target + "\nFile too large");
    }
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(EntriesOf(folder), (std::vector<std::string>{"TemS1.wa0", "big.wav"}));

    fs::create_directory(folder + "/taken.wav");
    fs::create_directory(folder + "/taken.wav/inside");
    EXPECT_EQ(WriteFileAtomically(folder + "/taken.wav", "x").error(), "Is a directory");
    EXPECT_EQ(WriteFileAtomically(folder + "/none/x.wav", "x").error(),
              "No such file or directory");
    FileResult snapshot = SnapshotFile(folder + "/missing.wav", folder + "/undo.wav");
    EXPECT_EQ(snapshot.message(),
              "Unable to read " + folder + "/missing.wav\nNo such file or directory");
    EXPECT_EQ(EntriesOf(folder), (std::vector<std::string>{"TemS1.wa0", "big.wav", "taken.wav"}));
}

TEST_F(AtomicWrite, AStagedFileChangesTheTargetOnlyOnCommit) {
    const std::string target = folder + "/undo.wav";
    ASSERT_TRUE(WriteFileAtomically(target, "old"));
    {
        StagedFile staged(target);
        ASSERT_TRUE(staged.write("dropped"));
        EXPECT_TRUE(staged.staged());
        EXPECT_EQ(ReadWholeFile(target), "old");
    }
    EXPECT_EQ(EntriesOf(folder), std::vector<std::string>{"undo.wav"}) << "destroyed uncommitted";
    StagedFile staged(target);
    ASSERT_TRUE(staged.write("new"));
    StagedFile moved = std::move(staged);
    EXPECT_FALSE(staged.staged());
    ASSERT_TRUE(moved.commit());
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_FALSE(moved.commit()) << "a staged file commits once";
    EXPECT_EQ(EntriesOf(folder), std::vector<std::string>{"undo.wav"});
}

} // namespace
} // namespace tw
