// The command-line program run as a child process on the sample and the malformed files.
#include "app/FileUtil.h"
#include "document/WaveFormats.h"
#include "support/HostileFiles.h"
#include "support/ResourceProbe.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <matio.h>
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tw {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exit = -1;
    std::string out, err;
    double peakMiB = -1; // the program's peak resident memory, its readers' children included
};

std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class CliTest : public ::testing::Test {
  protected:
    std::string folder = test::MakeTempFolder("tw-cli");
    std::string waves = std::string(TW_SOURCE_DIR) + "/data/waves/";

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    std::string at(const std::string& name) const { return folder + "/" + name; }

    static std::string command(const std::vector<std::string>& args) {
        std::string line = Quoted(TW_CLI_PROGRAM);
        for (const auto& a : args)
            line += " " + Quoted(a);
        return line;
    }
    CliRun cli(const std::vector<std::string>& args) const {
        CliRun r;
        const test::ChildRun run = test::RunMeasured(command(args) + " >" + Quoted(at("stdout")) +
                                                     " 2>" + Quoted(at("stderr")));
        r.exit = run.exit;
        r.peakMiB = static_cast<double>(run.peakBytes) / (1 << 20);
        r.out = ReadWholeFile(at("stdout")).value_or("");
        r.err = ReadWholeFile(at("stderr")).value_or("");
        return r;
    }
    std::vector<std::int32_t> wav(const std::string& path) const {
        NativeReadResult r = ReadNativeFile(path, PointLayout::Int16);
        EXPECT_TRUE(r.ok) << path;
        return r.points;
    }
};

std::vector<std::int32_t> Numbers(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::int32_t> values;
    for (std::int32_t v; in >> v;)
        values.push_back(v);
    return values;
}

// A file of head, then block count times.
void WriteRepeated(const std::string& path, const std::string& head, const std::string& block,
                   int count) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    for (int n = 0; n < count; ++n)
        out << block;
}

// A failure is one line on standard error, with the program's prefix, and nothing on stdout.
void ExpectFailure(const CliRun& r, const std::string& mentions) {
    EXPECT_NE(r.exit, 0);
    EXPECT_TRUE(r.err.starts_with("tidewright-cli: ")) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find(mentions), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(CliTest, EvalWritesOneValuePerPoint) {
    CliRun r = cli({"eval", "P*2-5", "--points", "37", "-o", at("line.wav")});
    ASSERT_EQ(r.exit, 0) << r.err;
    std::vector<std::int32_t> points = wav(at("line.wav"));
    ASSERT_EQ(points.size(), 37u);
    for (int i = 0; i < 37; ++i)
        EXPECT_EQ(points[i], 2 * i - 5) << i;

    // amp is half the level span; a leading '-' is the formula's, not an option.
    ASSERT_EQ(
        cli({"eval", "-amp", "--range", "-100:300", "--points", "4", "-o", at("amp.wav")}).exit, 0);
    EXPECT_EQ(wav(at("amp.wav")), (std::vector<std::int32_t>(4, -200)));

    // --scale stretches the values onto the levels; values past 16 bits are clamped.
    ASSERT_EQ(
        cli({"eval", "p", "--points", "11", "--range", "0:100", "--scale", "-o", at("ramp.wav")})
            .exit,
        0);
    EXPECT_EQ(wav(at("ramp.wav")),
              (std::vector<std::int32_t>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    ASSERT_EQ(cli({"eval", "p*40000-40000", "--points", "3", "-o", at("clamp.wav")}).exit, 0);
    EXPECT_EQ(wav(at("clamp.wav")), (std::vector<std::int32_t>{-32768, 0, 32767}));

    // The output's extension picks the writer.
    ASSERT_EQ(cli({"eval", "p", "--points", "3", "-o", at("ramp.asc")}).exit, 0);
    EXPECT_EQ(Numbers(*ReadWholeFile(at("ramp.asc"))), (std::vector<std::int32_t>{0, 1, 2}));
}

// What the reading options reach: info's report of each form, the audio WAV's channel, the
// MATLAB variable and the column file's units without the stretch.
TEST_F(CliTest, InfoReportsEachFormAndTheReadingOptionsReachTheReaders) {
    const std::string sine = "points: 1000\nmin: -8191\nmax: 8191\nformat: ";
    CliRun r = cli({"info", waves + "sine.wav"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, sine + "native 16-bit\nencoding: headerless native 16-bit points\n");
    // The RIFF header is not taken for points.
    EXPECT_EQ(cli({"info", waves + "sine-riff.wav"}).out,
              sine + "native 16-bit\nencoding: RIFF WAV, 16-bit integer, 1 channel, 1000000 Hz, "
                     "samples taken as points\n");
    EXPECT_EQ(cli({"info", waves + "sine.asc"}).out, sine + "ASCII\nencoding: ASCII\n");
    EXPECT_EQ(cli({"info", waves + "sine.csv"}).out,
              sine + "comma-delimited columns\nencoding: comma-delimited columns\n");

    const std::string audio = at("audio.wav");
    ASSERT_EQ(cli({"convert", waves + "sine.wav", audio, "--format", "16-bit pcm wav"}).exit, 0);
    EXPECT_EQ(cli({"info", audio}).out,
              sine + "native 16-bit\nencoding: RIFF WAV, 16-bit integer, 1 channel, 44100 Hz\n");
    ExpectFailure(cli({"info", audio, "--channel", "2"}), "cannot read");
    ASSERT_EQ(cli({"info", audio, "--variable", "a", "--full-scale"}).exit, 0);

    ASSERT_EQ(cli({"convert", waves + "sine.csv", at("raw.asc"), "--no-stretch"}).exit, 0);
    std::vector<std::int32_t> raw = Numbers(*ReadWholeFile(at("raw.asc")));
    ASSERT_EQ(raw.size(), 1000u);
    EXPECT_EQ(*std::max_element(raw.begin(), raw.end()), 1);
    EXPECT_GE(*std::min_element(raw.begin(), raw.end()), -1);
}

// Inputs stream through: info holds no wave, convert no more than its output (the limits of
// memory; the input sizes are far above what would fit under them if a file were held whole).
TEST_F(CliTest, InfoAndConvertStreamWithinTheirMemory) {
    if (test::kResidentSizesInflated)
        GTEST_SKIP() << "resident memory under AddressSanitizer";
    const std::string csv = at("rows.csv");
    {
        std::ofstream out(csv, std::ios::binary);
        out << "Scope\r\nTime,Volt\r\n";
        std::string rows;
        for (int row = 0; row < 3'000'000; ++row) {
            rows += std::to_string(row) + "e-9," + std::to_string(row % 20001 - 10000) + "e-4\r\n";
            if (rows.size() > (1 << 20)) {
                out << rows;
                rows.clear();
            }
        }
        out << rows;
    }
    // 32 MiB of native points and of 8-bit NumPy elements (these once took 13 bytes each).
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7);
    const std::string wave = at("long.wav");
    WriteRepeated(wave, "", block, 32);
    std::string header = "{'descr': '|i1', 'fortran_order': False, 'shape': (33554432,), }";
    header.resize(117, ' ');
    WriteRepeated(at("bytes.npy"), std::string("\x93NUMPY\x01\x00\x76\x00", 10) + header + '\n',
                  block, 32);
    // What the program takes to start (the audio and MATLAB libraries bring HDF5, curl and the
    // codecs: about 10 MiB) is not the streaming's: the bounds count from it.
    WriteFileAtomically(at("tiny.asc"), "1 2 3\n");
    const double start = cli({"info", at("tiny.asc")}).peakMiB;
    ASSERT_GT(start, 0);
    const auto expectPeakUnder = [this](const std::vector<std::string>& args, double bound) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.exit, 0) << args[0] << ' ' << args[1] << ": " << run.err;
        EXPECT_LT(run.peakMiB, bound) << args[0] << ' ' << args[1];
    };
    const double constant = start + 20;
    expectPeakUnder({"info", csv}, constant);
    expectPeakUnder({"info", wave}, constant);
    expectPeakUnder({"info", at("bytes.npy")}, constant);
    const double outMiB = 3'000'000 * 2.0 / (1 << 20);
    expectPeakUnder({"convert", csv, at("rows.wav")}, 1.2 * outMiB + 50);
    EXPECT_EQ(FileSize(at("rows.wav")), 6'000'000);
    // 3,000,000 rows of text again, written a block at a time.
    expectPeakUnder({"convert", at("rows.wav"), at("again.csv")}, constant);
    EXPECT_EQ(cli({"info", at("again.csv")}).out.substr(0, 16), "points: 3000000\n");
    // And as ASCII there and back.
    EXPECT_EQ(cli({"convert", at("rows.wav"), at("rows.asc")}).exit, 0);
    expectPeakUnder({"convert", at("rows.asc"), at("back.wav")}, 1.2 * outMiB + 50);
    EXPECT_EQ(ReadWholeFile(at("back.wav")), ReadWholeFile(at("rows.wav")));

    // WAV audio through the audio library: 8-bit samples once took 12.8 times their file; now
    // info holds none of them and convert at most twice the points it writes.
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    SNDFILE* audio = sf_open(at("bytes.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(audio, nullptr);
    std::vector<short> samples(1 << 20);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>(i * 256);
    for (int n = 0; n < 24; ++n) // 24 MiB
        ASSERT_EQ(sf_write_short(audio, samples.data(), static_cast<sf_count_t>(samples.size())),
                  static_cast<sf_count_t>(samples.size()));
    sf_close(audio);
    expectPeakUnder({"info", at("bytes.wav")}, start + 24);
    expectPeakUnder({"convert", at("bytes.wav"), at("points.wav")}, start + 2 * 48 + 24);
    EXPECT_EQ(FileSize(at("points.wav")), 48 << 20);
}

// A compressed MATLAB variable's points go to the program as they are mapped: the reader's child
// held the library's values, our doubles and the points (14 bytes a point of int16), the program
// the points again; a variable of doubles came whole from the library, 8 bytes a point.
TEST_F(CliTest, MatVariableStreamsWithinTwiceItsPoints) {
    if (test::kResidentSizesInflated)
        GTEST_SKIP() << "resident memory under AddressSanitizer";
    const std::size_t count = 16 << 20;
    const struct {
        const char* name;
        matio_classes type;
        matio_types stored;
        std::int32_t point12345;
    } variables[] = {{"int16.mat", MAT_C_INT16, MAT_T_INT16, 12345 - 8192},
                     {"double.mat", MAT_C_DOUBLE, MAT_T_DOUBLE, 1000}};
    {
        // Written first and let go: the measured program starts as a copy of this one.
        std::vector<std::int16_t> ramp(count);
        std::vector<double> square(count);
        for (std::size_t i = 0; i < count; ++i) {
            ramp[i] = static_cast<std::int16_t>(i % 16384) - 8192;
            square[i] = (i / 4096) % 2 ? 1000 : -1000;
        }
        for (const auto& v : variables) {
            mat_t* mat = Mat_CreateVer(at(v.name).c_str(), nullptr, MAT_FT_MAT5);
            ASSERT_NE(mat, nullptr);
            std::size_t dims[2] = {count, 1};
            void* values = v.type == MAT_C_INT16 ? static_cast<void*>(ramp.data()) : square.data();
            matvar_t* var =
                Mat_VarCreate("x", v.type, v.stored, 2, dims, values, MAT_F_DONT_COPY_DATA);
            ASSERT_EQ(Mat_VarWrite(mat, var, MAT_COMPRESSION_ZLIB), 0);
            Mat_VarFree(var);
            Mat_Close(mat);
        }
    }
    const double start = cli({"info", waves + "sine.wav"}).peakMiB;
    for (const auto& v : variables) {
        SCOPED_TRACE(v.name);
        const CliRun converted = cli({"convert", at(v.name), at("points.wav"), "--no-stretch"});
        ASSERT_EQ(converted.exit, 0) << converted.err;
        EXPECT_EQ(wav(at("points.wav"))[12345], v.point12345);
        EXPECT_LT(converted.peakMiB, start + 2 * 32 + 24);
    }
}

TEST_F(CliTest, BadOrRefusedFilesFailWithOneLineAndWriteNothing) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(TW_TEST_DATA_DIR "/bad")) {
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        ExpectFailure(cli({"info", path}), "cannot read");
        ExpectFailure(cli({"convert", path, at("out.asc")}), "cannot read");
        EXPECT_FALSE(FileExists(at("out.asc")));
        ++files;
    }
    EXPECT_GT(files, 10);

    const CliRun missing = cli({"info", at("missing.wav")});
    ExpectFailure(missing, "no such file");
    EXPECT_EQ(missing.exit, 1) << "a failed command, not a bad command line";
    WriteFileAtomically(at("data.xyz"), "1 2 3");
    ExpectFailure(cli({"info", at("data.xyz")}), "format");
    ExpectFailure(cli({"convert", waves + "sine.wav", at("sine.trc")}), "cannot write");
    EXPECT_FALSE(FileExists(at("sine.trc")));
    // A file the system refuses is named with the system's reason.
    const std::string folder = at("folder.asc");
    ASSERT_TRUE(CreateFolder(folder));
    ExpectFailure(cli({"info", folder}), "cannot read '" + folder + "': Is a directory");
    ExpectFailure(cli({"convert", waves + "sine.wav", folder}),
                  "cannot write '" + folder + "': Is a directory");
    ExpectFailure(cli({"convert", at("gone.wav"), at("x.asc")}),
                  "cannot read '" + at("gone.wav") + "': no such file");
}

TEST_F(CliTest, BadCommandLinesAndFormulasFailWithOneLine) {
    ExpectFailure(cli({}), "no command");
    ExpectFailure(cli({"frobnicate"}), "unknown command 'frobnicate'");
    ExpectFailure(cli({"eval", "p"}), "-o");
    ExpectFailure(cli({"eval", "p", "-o"}), "-o");
    ExpectFailure(cli({"eval", "p", "--points", "0", "-o", at("x.wav")}), "--points");
    ExpectFailure(cli({"eval", "p", "--points", "12x", "-o", at("x.wav")}), "--points");
    ExpectFailure(cli({"eval", "p", "--range", "5:1", "-o", at("x.wav")}), "--range");
    ExpectFailure(cli({"eval", "p", "--range", "5", "-o", at("x.wav")}), "--range");
    ExpectFailure(cli({"convert", waves + "sine.wav"}), "IN and OUT");
    ExpectFailure(cli({"info", waves + "sine.wav", "--bogus"}), "unknown option");

    // The engine's own message comes through on the same line.
    ExpectFailure(cli({"eval", "p+", "-o", at("x.wav")}), "cannot evaluate 'p+': Expression");
    ExpectFailure(cli({"eval", "log(0-p)", "-o", at("x.wav")}), "Log");
    ExpectFailure(cli({"eval", "  ", "-o", at("x.wav")}), "cannot evaluate");
    EXPECT_FALSE(FileExists(at("x.wav")));
}

// Crafted MATLAB files: refused with why, in one line, nothing written, no other file read,
// before memory grows (what the claims would need: 2 GB and more; the reader that crashes takes
// its stack).
TEST_F(CliTest, HostileMatFilesAreRefusedWithWhy) {
    if (test::kUnderAddressSanitizer)
        GTEST_SKIP() << "the sanitizer catches the crash before the isolation sees it";
    test::HostileFolder files(at("hostile"));
    const double start = cli({"info", waves + "sine.wav"}).peakMiB;
    for (const test::HostileFile& file : test::HostileMatFiles()) {
        SCOPED_TRACE(file.name);
        const CliRun run = cli({"convert", files.at(file.name), at("out.asc")});
        ExpectFailure(run, file.why);
        EXPECT_LT(run.peakMiB, start + 32);
        EXPECT_FALSE(FileExists(at("out.asc")));
    }
}

// What a Unix user takes for granted: the usage by every usual name, its last line ended,
// --version, "-" for standard input and output, bad usage as exit 2 with the choices, and a manual
// page that lists what --help lists.
TEST_F(CliTest, BehavesAsAUnixTool) {
    const std::string help = cli({"--help"}).out;
    for (const char* spelling : {"--help", "-h", "help"}) {
        CliRun r = cli({spelling});
        EXPECT_EQ(r.exit, 0) << spelling;
        EXPECT_EQ(r.out, help) << spelling;
        EXPECT_EQ(r.err, "") << spelling;
    }
    EXPECT_TRUE(help.ends_with("given\n"));
    EXPECT_FALSE(help.ends_with("\n\n"));

    CliRun version = cli({"--version"});
    EXPECT_EQ(version.exit, 0);
    EXPECT_TRUE(version.out.starts_with("tidewright-cli 4.")) << version.out;

    const std::string program = Quoted(TW_CLI_PROGRAM);
    const std::string piped = "cat " + Quoted(waves + "sine.csv") + " | " + program +
                              " convert - - --from csv --format asc >" + Quoted(at("out.asc"));
    ASSERT_EQ(std::system(piped.c_str()), 0);
    ASSERT_EQ(cli({"convert", waves + "sine.csv", at("file.asc")}).exit, 0);
    EXPECT_EQ(ReadWholeFile(at("out.asc")), ReadWholeFile(at("file.asc")));
    const std::string npy = program + " convert " + Quoted(waves + "sine.wav") +
                            " - --format NumPy | " + program +
                            " info - --from .npy --no-stretch >" + Quoted(at("info"));
    ASSERT_EQ(std::system(npy.c_str()), 0);
    EXPECT_TRUE(ReadWholeFile(at("info"))->starts_with("points: 1000\nmin: -8191\nmax: 8191\n"));

    CliRun bad = cli({"convert", waves + "sine.wav", at("x.npy"), "--format", "nothing"});
    ExpectFailure(bad, "'nothing' is no format written here: use \"native 16-bit\", \"ASCII\"");
    EXPECT_EQ(bad.exit, 2);
    EXPECT_NE(bad.err.find("\"16-bit PCM WAV\", \"MATLAB\""), std::string::npos) << bad.err;
    EXPECT_EQ(cli({"info", "-"}).exit, 2) << "standard input needs --from";
    EXPECT_EQ(cli({"convert", waves + "sine.wav", "-"}).exit, 2) << "stdout needs --format";

    // Every option of the usage stands in the manual page, and the page names no other.
    const std::string page =
        ReadWholeFile(std::string(TW_SOURCE_DIR) + "/data/man/tidewright-cli.1").value_or("");
    std::string unescaped;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page.compare(i, 2, "\\f") == 0)
            i += 2; // a font change, \fB or \fR
        else if (page[i] != '\\')
            unescaped += page[i];
    }
    auto options = [](const std::string& text) {
        std::set<std::string> found;
        for (std::size_t at = text.find("--"); at != std::string::npos;
             at = text.find("--", at + 2)) {
            std::size_t end = at + 2;
            while (end < text.size() &&
                   (std::isalpha(static_cast<unsigned char>(text[end])) || text[end] == '-'))
                ++end;
            if (end > at + 2)
                found.insert(text.substr(at, end - at));
        }
        return found;
    };
    EXPECT_EQ(options(help), options(unescaped));
}

} // namespace
} // namespace tw
