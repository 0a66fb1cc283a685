// The imports read their input a piece at a time; on many generated inputs, cut into pieces at
// every place by small reads, they make exactly what they made of the whole text.
#include "document/ImportStream.h"
#include "document/WaveFormats.h"
#include "support/WholeTextImport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tw {
namespace {

using Reference = ImportResult (*)(std::string_view, const ImportContext&);

// Each read hands out at most this many bytes: every cut a piece can have.
constexpr std::size_t kReadSizes[] = {1, 2, 3, 7, 64, ImportSource::kAnyRead};

struct Generator {
    std::mt19937 random;
    explicit Generator(unsigned seed) : random(seed) {}

    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    }
    template <std::size_t N> const char* pick(const char* const (&words)[N]) {
        return words[below(N)];
    }

    std::string number() {
        static const char* const kShapes[] = {
            "0",          "7",           "-3",
            "+12",        "2.5",         "-0.4",
            ".5",         "5.",          "1e3",
            "-2E-2",      "1e",          "1e+",
            "32767",      "-32768",      "40000",
            "-40000",     "5e9",         "1e999",
            "1e-999",     "+-1",         "++2",
            "-",          "+",           "inf",
            "-inf",       "nan",         "+nan(x)",
            "0x1F",       "1.2.3",       "00012",
            "3e-400",     "-0",          "123456789012345678901234567890",
            "2147483647", "-2147483649", "1_2"};
        std::string n = pick(kShapes);
        if (below(4) == 0)
            n += std::to_string(below(100000));
        return n;
    }
    std::string blank() {
        static const char* const kBlanks[] = {" ", "  ", "\t", "\n", "\r\n", "\v", "\f", " \n "};
        return pick(kBlanks);
    }
    std::string ascii() {
        std::string text;
        const std::size_t n = below(40);
        if (below(3) == 0)
            text += blank();
        // Half the texts hold only numbers that fit, so that many are accepted.
        const bool fitting = below(2) == 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (fitting)
                text += std::to_string(static_cast<int>(below(65536)) - 32768) +
                        pick({"", ".25", "e0", ".", "E-1"});
            else
                text += below(25) == 0 ? std::string(pick({"x", "1,2", "a1", "#"})) : number();
            if (i + 1 < n || below(2) == 0)
                text += blank();
        }
        return text;
    }
    std::string separator() {
        static const char* const kSeparators[] = {",", ", ", ";", "\t", " ", " , ", "|", "\"", "x"};
        return pick(kSeparators);
    }
    std::string header() {
        static const char* const kHeaders[] = {
            "time,value", "TIME,V", "Time",  "\"Time\",\"Ampl\"", "timestamp 1 2", "\"time\"",
            "x time",     "tim",    "\"Tim", "Scope 3",           "time"};
        return pick(kHeaders);
    }
    std::string columns() {
        std::string text;
        const std::size_t rows = below(30);
        const std::size_t headerAt = below(3) == 0 ? below(rows + 2) : rows + 5;
        const char* eol = below(2) ? "\r\n" : "\n";
        for (std::size_t r = 0; r <= rows + 1; ++r) {
            if (r == headerAt)
                text += header() + (below(4) ? eol : "");
            if (r >= rows)
                continue;
            const std::size_t perRow = 1 + below(3);
            for (std::size_t c = 0; c < perRow; ++c) {
                if (c > 0)
                    text += separator();
                text += number();
            }
            if (r + 1 < rows || below(2))
                text += eol;
        }
        return text;
    }
    std::string lecroy() {
        std::string prefix(below(60), 'p');
        std::string desc(48 + below(20), '\0');
        desc.replace(0, 8, below(2) ? "WAVEDESC" : "wavedesc");
        auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i)
                desc[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
        };
        put(32, static_cast<std::uint32_t>(below(2)), 2);
        put(34, static_cast<std::uint32_t>(below(2)), 2);
        put(36, static_cast<std::uint32_t>(desc.size() + (below(8) == 0 ? 1000 : 0)), 4);
        put(40, static_cast<std::uint32_t>(below(3)), 4);
        put(44, 0, 4);
        std::string data(below(300), '\0');
        for (char& c : data)
            c = static_cast<char>(below(4) == 0 ? 0x11 : below(256));
        return prefix + desc + std::string(3, 'u') + data;
    }
    std::string native() {
        std::string bytes = below(2) ? "RIFF" + std::string(40, 'h') : std::string();
        bytes += std::string(below(2) ? 0 : below(50), 'r');
        for (std::size_t i = below(200); i > 0; --i)
            bytes += static_cast<char>(below(256));
        return bytes;
    }
    ImportContext context(bool wide) {
        static constexpr double kRanges[][2] = {{-8192, 8191}, {0, 16383}, {-32768, 32767}, {7, 7}};
        ImportContext ctx;
        ctx.layout = wide && below(2) ? PointLayout::Int32 : PointLayout::Int16;
        ctx.stretch = below(2) != 0;
        ctx.askDim = static_cast<int>(below(2));
        const auto& range = kRanges[below(4)];
        ctx.vMin = range[0];
        ctx.vMax = range[1];
        return ctx;
    }
};

void ExpectSame(const std::string& input, int code, const ImportContext& ctx,
                const ImportResult& expected) {
    for (std::size_t most : kReadSizes) {
        ImportSource in(input, most);
        const ImportResult got = ImportWave(in, code, ctx);
        ASSERT_EQ(got.ok, expected.ok) << "reads of " << most << " bytes, input:\n" << input;
        ASSERT_EQ(got.points, expected.points) << "reads of " << most << " bytes, input:\n"
                                               << input;
        // The reader may add why to the reference's text.
        ASSERT_EQ(got.error.substr(0, expected.error.size()), expected.error);
    }
}

TEST(StreamingImport, AsciiAndColumnsReadInPiecesMakeWhatTheWholeTextMade) {
    Generator gen(19);
    int ascii = 0;
    for (int i = 0; i < 3000; ++i) {
        const ImportContext ctx = gen.context(true);
        const std::string text = gen.ascii();
        const ImportResult expected = reference::Ascii(text, ctx.layout);
        ascii += expected.ok;
        ExpectSame(text, kAsciiCode, ctx, expected);
    }
    int columns = 0;
    for (int i = 0; i < 3000; ++i) {
        const ImportContext ctx = gen.context(false);
        const std::string text = gen.columns();
        const ImportResult expected = reference::Columns(text, ctx);
        columns += expected.ok;
        ExpectSame(text, kCsvCode, ctx, expected);
    }
    // Both outcomes of both forms are well represented.
    EXPECT_GT(ascii, 150);
    EXPECT_LT(ascii, 2850);
    EXPECT_GT(columns, 150);
    EXPECT_LT(columns, 2850);
}

TEST(StreamingImport, TracesAndNativeFilesReadInBlocksMakeWhatTheWholeFileMade) {
    Generator gen(2014);
    for (int i = 0; i < 1500; ++i) {
        const ImportContext ctx = gen.context(false);
        const std::string bytes = gen.lecroy();
        ExpectSame(bytes, kTraceCode, ctx, reference::LeCroy(bytes, ctx));
    }
    for (int i = 0; i < 1500; ++i) {
        const ImportContext ctx = gen.context(true);
        const std::string bytes = gen.native();
        ExpectSame(bytes, kNativeCode, ctx, reference::Native(bytes, ctx, true));
        if (ctx.layout == PointLayout::Int16)
            ExpectSame(bytes, kPositiveCode, ctx, reference::Native(bytes, ctx, false));
    }
}

// Past a million rows the values wait in a temporary file rather than in memory.
TEST(StreamingImport, LongColumnFilesMakeWhatTheWholeTextMade) {
    std::string text = "Scope\r\nTime,Volt\r\n";
    std::mt19937 random(5);
    for (int row = 0; row < 1'300'000; ++row)
        text += std::to_string(row) + "e-9," +
                std::to_string(static_cast<int>(random() % 20001) - 10000) + "e-4\r\n";
    ImportContext ctx;
    const ImportResult expected = reference::Columns(text, ctx);
    ASSERT_TRUE(expected.ok);
    ImportSource in(text, 1 << 16);
    const ImportResult got = ImportWave(in, kCsvCode, ctx);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.points, expected.points);
}

} // namespace
} // namespace tw
