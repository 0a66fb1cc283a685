// The exchange file against other processes: a writer killed at random moments, two writers at
// once, and a reader whose file another process rewrites behind it.
#include "GenerationLines.h"

#include "app/FileUtil.h"
#include "app/ProfileFile.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace tw {
namespace {

namespace fs = std::filesystem;

pid_t Spawn(std::vector<std::string> args) {
    args.insert(args.begin(), TW_PROFILE_WRITER_CHILD);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

int WaitExit(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ProfileProcessTest : public ::testing::Test {
  protected:
    std::string folder = test::MakeTempFolder("tw-profile-process");
    std::string file = folder + "/TempOndex.ondex";

    void SetUp() override {
        WriteFileAtomically(file, "; written by the host\n[Instrument]\nModel=TW2014\n"
                                  "[Settings]\nActiveCh=0\nAcSeg=1 1 \n");
        profile::ClearCache();
    }
    void TearDown() override {
        profile::ClearCache();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

TEST_F(ProfileProcessTest, WriterKilledAtRandomMomentsLeavesOldOrNewFileNeverAMix) {
    ASSERT_TRUE(profile::WriteSection(file, "Gen", test::GenerationLines(0)));
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, 5000);
    const int kills = 200;
    int changed = 0;
    long generation = 0;
    for (int i = 0; i < kills; ++i) {
        pid_t child = Spawn({"rewrite", file});
        ASSERT_GT(child, 0);
        // A random moment once the child is busy rewriting (its start-up takes a while).
        const std::string seen = ReadWholeFile(file).value_or("");
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (ReadWholeFile(file).value_or("") == seen &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        kill(child, SIGKILL);
        WaitExit(child);

        profile::ClearCache();
        profile::Snapshot snap(file);
        long now = std::atol(snap.get("Gen", "n").value_or("-1").c_str());
        std::vector<std::string> expected = test::GenerationLines(now);
        auto entries = snap.entries("Gen");
        bool whole = now >= generation && entries.size() == expected.size() &&
                     snap.get("Instrument", "Model") == "TW2014" &&
                     snap.get("Settings", "AcSeg") == "1 1";
        for (size_t k = 0; whole && k < entries.size(); ++k)
            whole = entries[k].first + "=" + entries[k].second == expected[k];
        EXPECT_TRUE(whole) << "kill " << i << " (seed " << seed << ") left generation " << now
                           << " after " << generation;
        changed += now != generation;
        generation = now;
    }
    // The lock of the last killed writer does not hold up the next one.
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(profile::WriteValue(file, "Settings", "ActiveCh", "1"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    profile::ClearCache(); // what is on disk now, not what this process remembers
    EXPECT_EQ(profile::GetValue(file, "Gen", "n"), std::to_string(generation));
    EXPECT_GT(changed, kills / 2) << "the kills should land while the child writes";
}

TEST_F(ProfileProcessTest, ComposerAndHostWritingAtOnceLoseNoWrite) {
    const std::string ms = "3000";
    pid_t composer = Spawn({"keys", file, "c", ms});
    pid_t host = Spawn({"keys", file, "h", ms});
    ASSERT_GT(composer, 0);
    ASSERT_GT(host, 0);
    ASSERT_EQ(WaitExit(composer), 0);
    ASSERT_EQ(WaitExit(host), 0);

    profile::ClearCache();
    profile::Snapshot snap(file);
    for (const std::string side : {"c", "h"}) {
        long written = std::atol(ReadWholeFile(file + "." + side + ".count").value_or("0").c_str());
        long lost = 0;
        for (long n = 0; n < written; ++n)
            lost += snap.get("Shared", side + std::to_string(n)) != std::to_string(n);
        lost += snap.get("Shared", side + "Last") != std::to_string(written - 1);
        EXPECT_GT(written, 10);
        EXPECT_EQ(lost, 0) << side << " side: " << written << " keys and as many updates written";
    }
    EXPECT_EQ(snap.get("Instrument", "Model"), "TW2014");
    EXPECT_FALSE(FileExists(file + ".lock"));
}

TEST_F(ProfileProcessTest, RewriteByAnotherProcessIsSeenEvenWhenSizeAndTimeMatch) {
    // The host rewrites the file within one tick of the file system's clock, with a value of
    // the same length: neither size nor modification time tells the two files apart.
    ASSERT_TRUE(profile::WriteValue(file, "Settings", "ActiveSeg", "12"));
    ASSERT_EQ(profile::GetValue(file, "Settings", "ActiveSeg"), "12");
    auto time = fs::last_write_time(file);
    std::string theirs = ReadWholeFile(file).value();
    theirs.replace(theirs.find("ActiveSeg=12"), 12, "ActiveSeg=13");
    ASSERT_TRUE(WriteFileAtomically(file, theirs));
    fs::last_write_time(file, time);
    EXPECT_EQ(profile::GetValue(file, "Settings", "ActiveSeg"), "13");
    profile::Snapshot snap(file);
    EXPECT_EQ(snap.get("Settings", "ActiveSeg"), "13");
}

} // namespace
} // namespace tw
