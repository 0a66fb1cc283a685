#include "host/LinkFolder.h"

#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class LinkFolderTest : public ::testing::Test {
  protected:
    std::string root = test::MakeTempFolder("tw-linkdir");

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string folder(const std::string& name, mode_t mode) const {
        std::string path = root + "/" + name;
        fs::create_directory(path);
        ::chmod(path.c_str(), mode);
        return path;
    }
    static mode_t modeOf(const std::string& path) {
        struct stat st;
        ::lstat(path.c_str(), &st);
        return st.st_mode & 07777;
    }
};

// Every refusal names the folder, the reason, and the way out.
void ExpectRefused(const std::string& message, const std::string& folder,
                   const std::string& reason) {
    EXPECT_TRUE(message.starts_with("Host link folder " + folder + ": ")) << message;
    EXPECT_NE(message.find(reason), std::string::npos) << message;
    EXPECT_NE(message.find("Set TIDEWRIGHT_LINK_DIR"), std::string::npos) << message;
}

TEST_F(LinkFolderTest, MissingFolderIsMadeForTheUserAlone) {
    const mode_t old = ::umask(0);
    const std::string made = root + "/a/b/link";
    EXPECT_EQ(PrepareLinkFolder(made + "/"), "");
    ::umask(old);
    EXPECT_EQ(modeOf(made), 0700u);
    EXPECT_EQ(modeOf(root + "/a/b"), 0700u);
    // Made before, by this user: used again as it is.
    EXPECT_EQ(PrepareLinkFolder(made), "");
}

TEST_F(LinkFolderTest, FolderOthersCouldReachIsRefusedAndLeftAlone) {
    for (mode_t mode : {0777, 0755, 0750, 01777}) {
        char octal[8];
        std::snprintf(octal, sizeof octal, "%04o", unsigned(mode));
        SCOPED_TRACE(octal);
        const std::string open = folder(std::string("open") + octal, mode);
        ExpectRefused(PrepareLinkFolder(open), open, std::string("its mode is ") + octal);
        EXPECT_EQ(modeOf(open), mode);
    }
    // A holder others can write must be sticky.
    const std::string shared = folder("shared", 0777);
    const std::string inside = folder("shared/link", 0700);
    ExpectRefused(PrepareLinkFolder(inside), inside,
                  "can be changed by other accounts (mode 0777)");
    ::chmod(shared.c_str(), 01777); // as /tmp
    EXPECT_EQ(PrepareLinkFolder(inside), "");
}

TEST_F(LinkFolderTest, PlantedLinkOrFileIsRefused) {
    const std::string good = folder("good", 0700);
    const std::string planted = root + "/planted";
    fs::create_directory_symlink(good, planted);
    ExpectRefused(PrepareLinkFolder(planted), planted, "symbolic link");
    ExpectRefused(PrepareLinkFolder(planted + "/"), planted, "symbolic link");

    const std::string file = root + "/file";
    std::ofstream(file) << "x";
    ExpectRefused(PrepareLinkFolder(file), file, "not a folder");
}

TEST_F(LinkFolderTest, FolderOfAnotherAccountIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand a folder to another account";
    const std::string taken = folder("taken", 0700);
    ASSERT_EQ(::chown(taken.c_str(), kNobody, kNobody), 0);
    ExpectRefused(PrepareLinkFolder(taken), taken, "belongs to user id 65534");

    // A holder another account owns could swap the link folder for its own.
    const std::string holder = folder("holder", 0755);
    const std::string inside = folder("holder/link", 0700);
    ASSERT_EQ(::chown(holder.c_str(), kNobody, kNobody), 0);
    ExpectRefused(PrepareLinkFolder(inside), inside, holder + ", which holds it, belongs to");
}

TEST_F(LinkFolderTest, DefaultFolderIsPerUserWithoutRuntimeFolder) {
    const char* keep[] = {"TIDEWRIGHT_LINK_DIR", "XDG_RUNTIME_DIR", "TMPDIR"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* v = std::getenv(keep[i]);
        had[i] = v != nullptr;
        saved[i] = v ? v : "";
    }
    ::unsetenv("TIDEWRIGHT_LINK_DIR");
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", (root + "/").c_str(), 1);
    const std::string uid = std::to_string(::geteuid());
    EXPECT_EQ(DefaultLinkFolder(), root + "/tidewright-link-" + uid);
    ::unsetenv("TMPDIR");
    EXPECT_EQ(DefaultLinkFolder(), "/tmp/tidewright-link-" + uid);
    ::setenv("XDG_RUNTIME_DIR", "/run/user/7/", 1);
    EXPECT_EQ(DefaultLinkFolder(), "/run/user/7/tidewright-link");
    ::setenv("TIDEWRIGHT_LINK_DIR", "/somewhere/link", 1);
    EXPECT_EQ(DefaultLinkFolder(), "/somewhere/link");
    for (int i = 0; i < 3; ++i)
        had[i] ? ::setenv(keep[i], saved[i].c_str(), 1) : ::unsetenv(keep[i]);
}

} // namespace
} // namespace tw
