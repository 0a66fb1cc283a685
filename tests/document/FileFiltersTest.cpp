#include "document/FileFilters.h"

#include "app/LaunchState.h"
#include "document/WaveFormats.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

std::vector<std::string> Patterns(std::string_view filter) {
    std::vector<std::string> out;
    for (const auto& e : ParseFilter(filter))
        out.push_back(e.pattern);
    return out;
}

TEST(FileFiltersTest, FiltersSplitIntoDisplayAndPattern) {
    const FormatTable& standard = FormatTableFor(0, false);
    auto open = ParseFilter(FileFilter(standard, DialogKind::Open));
    ASSERT_EQ(open.size(), DialogFormats(standard, DialogKind::Open).size() + 1);
    EXPECT_EQ(open.back().display, kAllSupportedFiles);
    EXPECT_EQ(open[0].display, "Binary   (*.wav)");
    EXPECT_EQ(open[3].display, "LeCroy  format (*.0* )");
    // The formats added later follow the original entries.
    EXPECT_EQ(Patterns(FileFilter(standard, DialogKind::Open)),
              (std::vector<std::string>{"*.wav", "*.asc", "*.csv", "*.0*", "*.trc", "*.prn",
                                        "*.txt", "*.npy", "*.mat",
                                        "*.wav;*.asc;*.csv;*.0*;*.trc;*.prn;*.txt;*.npy;*.mat"}));
}

TEST(FileFiltersTest, ExtensionsMatchOverTheLengthOfEachEntry) {
    const FormatTable& standard = FormatTableFor(0, false);
    EXPECT_EQ(FormatCodeOfExtension("WAV", standard), kNativeCode);
    EXPECT_EQ(FormatCodeOfExtension("001", standard), kLeCroyCode);
    EXPECT_EQ(FormatCodeOfExtension("pWav", standard), kPositiveCode);
    EXPECT_EQ(FormatCodeOfExtension("trc", standard), kTraceCode);
    EXPECT_EQ(FormatCodeOfExtension("txt", standard), kTxtCode);
    EXPECT_EQ(FormatCodeOfExtension("wave", standard), kNativeCode);
    const int past = static_cast<int>(standard.formats.size());
    EXPECT_EQ(FormatCodeOfExtension("wa", standard), past);
    EXPECT_EQ(FormatCodeOfExtension("", standard), past);
    EXPECT_EQ(FormatCodeOfExtension("afp", FormatTableFor(1, true)), kAsciiCode);
    EXPECT_EQ(FormatCodeOfExtension("asc", FormatTableFor(1, false)),
              static_cast<int>(FormatTableFor(1, false).formats.size()));
}

TEST(FileFiltersTest, TypedNamesAreCompletedOrRefused) {
    test::Sandbox box;
    auto resolve = [&](auto&&... typed) {
        DialogChoice choice = ResolveTypedName(box.session(), typed...);
        Show(box.prompts, choice.refused);
        return choice;
    };
    const FormatTable& standard = FormatTableFor(0, false);
    // A dot in a folder's name is no extension.
    auto lecroy = resolve("/w.d/trace", 3, DialogKind::Open, standard);
    EXPECT_EQ(lecroy.path, "/w.d/trace.0");
    EXPECT_EQ(lecroy.code, kLeCroyCode);
    // A typed extension wins over the chosen filter.
    EXPECT_EQ(resolve("/w/s.ASC", 0, DialogKind::Save, standard).code, kAsciiCode);
    EXPECT_TRUE(box.prompts.asked.empty());

    auto bad = resolve("/w/s.doc", 0, DialogKind::Open, standard);
    EXPECT_EQ(bad.code, static_cast<int>(standard.formats.size()));
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text, "Illegal file name extension.");
    EXPECT_EQ(box.prompts.asked[0].icon, Icon::Exclamation);
    EXPECT_EQ(resolve("/w/s.wav", 0, DialogKind::Save, FormatTableFor(1, false)).code,
              static_cast<int>(FormatTableFor(1, false).formats.size()));
}

} // namespace
} // namespace tw
