// The imports read their input a piece at a time; cut into pieces at every place by small reads,
// inputs of every form make exactly the points and messages recorded of them read whole
// (tests/data/streaming: generated inputs of the four forms, many of them refused).
#include "document/ImportStream.h"
#include "document/WaveFormats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tw {
namespace {

// Each read hands out at most this many bytes: every cut a piece can have.
constexpr std::size_t kReadSizes[] = {1, 2, 3, 7, 64, ImportSource::kAnyRead};

// The recorded bytes outside '!' ... '~', and '%', stand as %XX.
std::string Unescape(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return bytes;
}

// Two lines a case: "code bits stretch askDim vMin vMax input", then "ok point..." or
// "fail message".
TEST(StreamingImport, InputsReadInPiecesMakeWhatTheWholeInputMade) {
    int accepted = 0, refused = 0;
    for (const char* name : {"ascii.txt", "columns.txt", "lecroy.txt", "native.txt"}) {
        std::ifstream file(std::string(TW_TEST_DATA_DIR) + "/streaming/" + name, std::ios::binary);
        ASSERT_TRUE(file) << name;
        for (std::string setup, outcome;
             std::getline(file, setup) && std::getline(file, outcome);) {
            SCOPED_TRACE(setup);
            std::istringstream in(setup);
            int code = 0, bits = 0;
            ImportContext ctx;
            std::string input;
            in >> code >> bits >> ctx.stretch >> ctx.askDim >> ctx.vMin >> ctx.vMax >> input;
            ctx.layout = bits == 32 ? PointLayout::Int32 : PointLayout::Int16;
            input = Unescape(input);
            std::istringstream out(outcome);
            std::string verdict;
            out >> verdict;
            const bool ok = verdict == "ok";
            std::vector<std::int32_t> points;
            for (std::int32_t p; ok && out >> p;)
                points.push_back(p);
            const std::string error = ok ? "" : Unescape(outcome.substr(verdict.size() + 1));
            (ok ? accepted : refused) += 1;
            for (std::size_t most : kReadSizes) {
                ImportSource source(input, most);
                const ImportResult got = ImportWave(source, code, ctx);
                ASSERT_EQ(got.ok, ok) << "reads of " << most << " bytes";
                ASSERT_EQ(got.points, points) << "reads of " << most << " bytes";
                ASSERT_EQ(got.error, error) << "reads of " << most << " bytes";
            }
        }
    }
    EXPECT_EQ(accepted, 96);
    EXPECT_EQ(refused, 54);
}

// Past a million rows the values wait in a temporary file rather than in memory.
TEST(StreamingImport, LongColumnFilesMakeWhatTheWholeTextMade) {
    std::string text = "Scope\r\nTime,Volt\r\n";
    std::mt19937 random(5);
    for (int row = 0; row < 1'300'000; ++row)
        text += std::to_string(row) + "e-9," +
                std::to_string(static_cast<int>(random() % 20001) - 10000) + "e-4\r\n";
    ImportSource in(text, 1 << 16);
    const ImportResult got = ImportWave(in, kCsvCode, ImportContext{});
    ASSERT_TRUE(got.ok);
    ASSERT_EQ(got.points.size(), 1'300'000u);
    // FNV-1a of the points' bytes, low byte first, as the whole text made them.
    std::uint64_t hash = 14695981039346656037u;
    for (std::int32_t p : got.points)
        for (int i = 0; i < 4; ++i)
            hash = (hash ^ (static_cast<std::uint32_t>(p) >> (8 * i) & 0xFF)) * 1099511628211u;
    EXPECT_EQ(hash, 6253282552750382062u);
    EXPECT_EQ(got.points.front(), -3488);
    EXPECT_EQ(got.points.back(), 5625);
}

} // namespace
} // namespace tw
