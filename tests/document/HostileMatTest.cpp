// MATLAB files crafted as an attacker would: whatever the reader is led to, no other file is
// read, the program lives on, and Open says why with the document and the folder untouched. The
// look at a file's sizes before the library is given it refuses claims the file cannot hold and
// compressed data past its cap, and passes files the library writes.
#include "DocFixture.h"

#include "document/MatFormat.h"
#include "document/MatScreen.h"
#include "support/HostileFiles.h"
#include "support/ResourceProbe.h"

#include <cstdlib>
#include <filesystem>
#include <map>

namespace tw {
namespace {

class HostileMatTest : public test::DocFixture {};

TEST_F(HostileMatTest, FilesPointingElsewhereClaimingTooMuchOrCrashingTheLibraryAreRefused) {
    if (test::kUnderAddressSanitizer)
        GTEST_SKIP() << "the sanitizer catches the crash before the isolation sees it";
    start();
    const std::string folder = box.root() + "/hostile";
    test::HostileFolder files(folder);
    const auto before = test::Values(doc->samples());
    for (const test::HostileFile& file : test::HostileMatFiles()) {
        SCOPED_TRACE(file.name);
        const std::string path = files.at(file.name);
        ImportResult read = ImportWaveFile(path, kMatCode, {});
        EXPECT_FALSE(read.ok);
        EXPECT_NE(read.error.find(file.why), std::string::npos) << read.error;
        EXPECT_LE(MatVariablesOfFile(path).size(), 1u);

        box.prompts.clear();
        // Refused before memory grows: the claims would need gigabytes.
        const bool measured = !test::kResidentSizesInflated && test::ResetPeakResident();
        const std::int64_t start = test::PeakResidentBytes();
        EXPECT_FALSE(doc->Open({path, kMatCode}));
        if (measured) {
            EXPECT_LT(test::PeakResidentBytes() - start, std::int64_t{32} << 20);
        }
        ASSERT_EQ(box.prompts.asked.size(), 1u);
        EXPECT_NE(box.prompts.asked[0].text.find(file.why), std::string::npos);
        EXPECT_EQ(test::Values(doc->samples()), before);
        EXPECT_FALSE(FileExists(ReplaceExtension(path, "wav")));
    }
}

// Inputs the fuzzer found to crash or hang the library (first byte: the fuzz entry's options):
// the reader's child ends and the file is refused with why.
TEST_F(HostileMatTest, InputsThatStopTheLibraryAreContained) {
    if (test::kUnderAddressSanitizer)
        GTEST_SKIP() << "the sanitizer catches the crash before the isolation sees it";
    ::setenv("TIDEWRIGHT_READER_SECONDS", "3", 1);
    int files = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(TW_SOURCE_DIR "/tests/fuzz/mat-contained")) {
        SCOPED_TRACE(entry.path().string());
        const auto bytes = ReadWholeFile(entry.path().string());
        ASSERT_TRUE(bytes && !bytes->empty());
        const ImportResult read = ImportWaveBytes(std::string_view(*bytes).substr(1), kMatCode, {});
        EXPECT_FALSE(read.ok);
        EXPECT_NE(read.error.find("The file could not be read: "), std::string::npos) << read.error;
        ++files;
    }
    ::unsetenv("TIDEWRIGHT_READER_SECONDS");
    EXPECT_GE(files, 2);
}

// Crafted and library-written files (tests/data/document/mat-screen), each named after what the
// look makes of it: "passes-", or the refusal it gives.
TEST(MatScreenTest, ClaimsPastTheFileAndCompressedDataPastItsCapAreRefused) {
    const std::map<std::string, std::string> whys{
        {"passes", ""},
        {"claims", "it claims more data than it holds"},
        {"expands", "it expands to more than the size it claims"},
        {"cap", "it expands to more than 1 GiB when decompressed"},
        {"damaged", "damaged"}};
    int files = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(TW_TEST_DATA_DIR "/document/mat-screen")) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const std::string& expected = whys.at(name.substr(0, name.find('-')));
        const std::string why = WhyMatIsRefused(ReadWholeFile(entry.path().string()).value_or(""));
        if (expected.empty())
            EXPECT_EQ(why, "");
        else
            EXPECT_NE(why.find(expected), std::string::npos) << why;
        ++files;
    }
    EXPECT_EQ(files, 15);
}

} // namespace
} // namespace tw
