// MATLAB files crafted as an attacker would: whatever the reader is led to, no other file is
// read, the program lives on, and Open says why with the document and the folder untouched. The
// look at a file's sizes before the library is given it refuses claims the file cannot hold and
// compressed data past its cap, and passes files the library writes.
#include "DocFixture.h"

#include "document/MatFormat.h"
#include "document/MatScreen.h"
#include "support/HostileFiles.h"
#include "support/ResourceProbe.h"

#include <matio.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

std::string Words(std::initializer_list<std::uint32_t> words) {
    std::string bytes;
    for (std::uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(w >> (8 * i) & 0xff);
    return bytes;
}

// A double vector "x" of `rows` whose data element holds `stored` doubles of zero.
std::string Matrix(std::uint32_t rows, std::uint32_t stored) {
    std::string m = Words({6, 8, 6, 0, 5, 8, rows, 1, 0x00010001u, 'x', 9, stored * 8});
    m.append(stored * 8, '\0');
    return Words({14, static_cast<std::uint32_t>(m.size())}) + m;
}

std::string Header() {
    std::string h(116, ' ');
    h.append(8, '\0');
    return h + std::string("\x00\x01IM", 4);
}

std::string Compressed(const std::string& inner) {
    uLongf size = compressBound(inner.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(inner.data()), inner.size());
    out.resize(size);
    return Words({15, static_cast<std::uint32_t>(out.size())}) + out;
}

// What the library writes, read back as bytes.
std::string WrittenByMatio(mat_ft version, matio_compression compression) {
    const std::string path = ::testing::TempDir() + "/screen.mat";
    std::remove(path.c_str());
    mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, version);
    double values[5] = {1, -2, 3.5, 0, 7};
    size_t dims[2] = {5, 1};
    matvar_t* var = Mat_VarCreate("x", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, values, 0);
    Mat_VarWrite(mat, var, compression);
    Mat_VarFree(var);
    Mat_Close(mat);
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;)
            bytes += static_cast<char>(c);
        std::fclose(f);
    }
    return bytes;
}

TEST(MatScreenTest, ClaimsPastTheFileAndCompressedDataPastItsCapAreRefused) {
    const std::string claims = "it claims more data than it holds";
    const std::string damaged = "damaged";
    std::string longer = Header() + Matrix(3, 3);
    longer[128 + 4] += 8; // the variable's size past the end of the file
    std::string cut = Compressed(Matrix(1000, 1000)).substr(0, 24);
    cut[4] = 16; // the stream's first 16 bytes, with no end
    std::string overrun = Matrix(10, 10);
    overrun.append(8000, '\0'); // a stream that goes on past the variable it declares
    const struct {
        const char* name;
        std::string bytes;
        std::string why; // "" for a file that passes
    } cases[] = {
        {"version 5 by the library", WrittenByMatio(MAT_FT_MAT5, MAT_COMPRESSION_NONE), ""},
        {"compressed by the library", WrittenByMatio(MAT_FT_MAT5, MAT_COMPRESSION_ZLIB), ""},
        {"version 4 by the library", WrittenByMatio(MAT_FT_MAT4, MAT_COMPRESSION_NONE), ""},
        {"a vector as stored", Header() + Matrix(3, 3), ""},
        {"a variable past the end", longer, claims},
        {"dimensions past the data", Header() + Matrix(0x7fffffff, 3), claims},
        {"compressed dimensions past the data", Header() + Compressed(Matrix(300000000, 2)),
         claims},
        {"a compressed stream that ends short of its variable",
         Header() + Compressed(Words({14, 848}) + Matrix(10, 10).substr(8)), claims},
        {"a compressed stream cut short", Header() + cut, claims},
        {"a compressed stream past its variable", Header() + Compressed(overrun),
         "it expands to more than the size it claims"},
        {"a compressed claim past what its stream can expand to",
         Header() + Compressed(Words({14, 0x3ff00000u}) + Matrix(3, 3).substr(8)), claims},
        {"a compressed variable past the cap",
         Header() + Compressed(Words({14, 0x80000030u}) + Matrix(3, 3).substr(8)),
         "it expands to more than 1 GiB when decompressed"},
        {"a compressed stream that is none", Header() + Words({15, 16}) + std::string(16, 'z'),
         damaged},
        {"a version 4 name of 2 GB", Words({0, 1, 1, 0, 0x7fffffff}) + std::string(40, 'x'),
         claims},
        {"version 4 rows past the data", Words({0, 100000000, 1, 0, 2}) + "x" + std::string(80, 0),
         claims},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GE(c.bytes.size(), 20u);
        const std::string why = WhyMatIsRefused(c.bytes);
        if (c.why.empty())
            EXPECT_EQ(why, "");
        else
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
}

} // namespace
} // namespace tw
