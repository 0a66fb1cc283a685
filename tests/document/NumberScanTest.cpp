// The quick reading of short numbers gives what from_chars gives, bit for bit, on every shape of
// number text and at every cut of it: tests/data/document/number-scan.txt records, for fixed and
// random texts, what the reading made of each cut when it agreed with from_chars alone.
#include "document/TextWave.h"

#include "app/FileUtil.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <sstream>
#include <string>

namespace tw {
namespace {

TEST(NumberScan, QuickReadingEqualsFromCharsBitForBit) {
    std::istringstream lines(
        ReadWholeFile(TW_TEST_DATA_DIR "/document/number-scan.txt").value_or(""));
    int texts = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with('#'))
            continue;
        std::istringstream fields(line);
        std::string text;
        fields >> text;
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            std::string expected;
            ASSERT_TRUE(fields >> expected) << text;
            double value = -1;
            const char* end = ScanNumber(text.data(), text.data() + cut, value);
            std::ostringstream got;
            got << end - text.data();
            if (end != text.data())
                got << ':' << std::hex << std::bit_cast<std::uint64_t>(value);
            EXPECT_EQ(got.str(), expected) << text.substr(0, cut);
        }
        ++texts;
    }
    EXPECT_EQ(texts, 1512);
}

} // namespace
} // namespace tw
