// WAV files of every encoding, as libsndfile writes them, read into the
// code range; the canonical 16-bit mono file kept as native points; the 16-bit PCM export.
#include "DocFixture.h"

#include "document/ChannelQuestion.h"
#include "document/OpenQuestions.h"
#include "document/RiffWave.h"

#include <sndfile.h>

#include <cmath>

namespace tw {
namespace {

using Points = std::vector<std::int32_t>;

// The integer full scale, -2^(bits-1) ... 2^(bits-1)-1, onto lo ... hi, rounded to nearest.
Points IntegerExpected(const std::vector<std::int64_t>& values, int bits, double lo, double hi) {
    const double fs = std::pow(2.0, bits - 1);
    Points points;
    for (std::int64_t v : values)
        points.push_back(static_cast<std::int32_t>(
            std::floor(lo + (double(v) + fs) * (hi - lo) / (2 * fs - 1) + 0.5)));
    return points;
}

// Writes frames of `channels` interleaved samples with libsndfile (a WAV file unless format names
// another container); integer encodings take the values left-justified in 32 bits.
std::string WriteWithLibsndfile(const std::string& path, int format, int channels,
                                const std::vector<double>& interleaved, int bits) {
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = channels;
    info.format = ((format & SF_FORMAT_TYPEMASK) ? 0 : SF_FORMAT_WAV) | format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (!file)
        return path;
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    if (bits > 0) {
        std::vector<int> ints;
        for (double v : interleaved)
            ints.push_back(static_cast<int>(static_cast<std::int64_t>(v) << (32 - bits)));
        EXPECT_EQ(sf_writef_int(file, ints.data(), frames), frames);
    } else {
        EXPECT_EQ(sf_writef_double(file, interleaved.data(), frames), frames);
    }
    sf_close(file);
    return path;
}

class RiffWaveTest : public test::DocFixture {
  protected:
    ImportContext Context(double lo, double hi, int channel = 0) {
        ImportContext ctx;
        ctx.vMin = lo;
        ctx.vMax = hi;
        ctx.channel = channel;
        return ctx;
    }
};

TEST_F(RiffWaveTest, EveryIntegerEncodingMapsItsFullScaleOntoTheCodeRange) {
    struct Case {
        int format;
        int bits;
    };
    for (Case c : {Case{SF_FORMAT_PCM_U8, 8}, Case{SF_FORMAT_PCM_16, 16},
                   Case{SF_FORMAT_PCM_24, 24}, Case{SF_FORMAT_PCM_32, 32}}) {
        SCOPED_TRACE(c.bits);
        const std::int64_t top = (std::int64_t{1} << (c.bits - 1)) - 1;
        const std::vector<std::int64_t> left{0, 1, -1, top, -top - 1, top / 3};
        const std::vector<std::int64_t> right{5, -top / 2, top, 0, 2, -7};
        std::vector<double> interleaved;
        for (std::size_t i = 0; i < left.size(); ++i)
            interleaved.insert(interleaved.end(), {double(left[i]), double(right[i])});
        const std::string path =
            WriteWithLibsndfile(box.root() + "/s.wav", c.format, 2, interleaved, c.bits);
        for (auto [lo, hi] : {std::pair{0.0, 16383.0}, std::pair{-32768.0, 32767.0}}) {
            ImportResult first = ImportWaveFile(path, kNativeCode, Context(lo, hi));
            ASSERT_TRUE(first.ok) << first.error;
            EXPECT_EQ(first.points, IntegerExpected(left, c.bits, lo, hi));
            EXPECT_EQ(first.clipped, 0u);
            EXPECT_EQ(ImportWaveFile(path, kNativeCode, Context(lo, hi, 1)).points,
                      IntegerExpected(right, c.bits, lo, hi));
            EXPECT_FALSE(ImportWaveFile(path, kNativeCode, Context(lo, hi, 2)).ok);
        }
        // A 16-bit file into a 16-bit range keeps its values.
        if (c.bits == 16) {
            EXPECT_EQ(ImportWaveFile(path, kNativeCode, Context(-32768, 32767)).points,
                      (Points{0, 1, -1, 32767, -32768, 10922}));
        }
    }
}

TEST_F(RiffWaveTest, FloatEncodingsAreFractionsOfFullScaleAndClippingIsCounted) {
    const std::vector<double> values{0, 0.5, -0.5, 1, -1, 1.5, -3};
    for (int format : {SF_FORMAT_FLOAT, SF_FORMAT_DOUBLE}) {
        const std::string path = WriteWithLibsndfile(box.root() + "/f.wav", format, 1, values, 0);
        ImportResult r = ImportWaveFile(path, kNativeCode, Context(0, 16383));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.points, (Points{8192, 12287, 4096, 16383, 0, 16383, 0}));
        EXPECT_EQ(r.clipped, 2u);
    }
}

std::string Le(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i, v >>= 8)
        out += static_cast<char>(v & 0xff);
    return out;
}

// A 16-bit mono PCM file with optional chunks before its data.
std::string Pcm16Mono(const std::string& samples, const std::string& extra = "") {
    const std::string fmt = "fmt " + Le(16, 4) + Le(1, 2) + Le(1, 2) + Le(8000, 4) + Le(16000, 4) +
                            Le(2, 2) + Le(16, 2);
    const std::string data = "data" + Le(std::uint32_t(samples.size()), 4) + samples;
    return "RIFF" + Le(std::uint32_t(4 + fmt.size() + extra.size() + data.size()), 4) + "WAVE" +
           fmt + extra + data;
}

TEST_F(RiffWaveTest, TheCanonicalFileStaysNativeAndOtherChunksAreNotPoints) {
    const std::string samples = test::Int16Bytes({100, -200, 300, -400});
    const std::string canonical = Pcm16Mono(samples);
    ASSERT_EQ(canonical.size(), 44 + samples.size());
    EXPECT_TRUE(IsCanonicalPcm16(canonical));
    const std::string path = box.write("c.wav", canonical);
    ConvertResult c = ConvertToBinary(path, kNativeCode, Context(0, 16383));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.path, box.root() + "/c_TBR.wav");
    EXPECT_EQ(ReadWholeFile(c.path), samples) << "the samples as they stand, out of range or not";

    const std::string list = "LIST" + Le(16, 4) + "INFOISFT" + Le(4, 4) + "abc" + '\0';
    const std::string fact = "fact" + Le(4, 4) + Le(4, 4);
    for (const std::string& extra : {list, fact, list + fact}) {
        ImportResult r =
            ImportWaveBytes(Pcm16Mono(samples, extra), kNativeCode, Context(-32768, 32767));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.points, (Points{100, -200, 300, -400}));
    }
}

TEST_F(RiffWaveTest, ThePcmExportIsReadByAudioToolsAndBackExactly) {
    const Points points{0, 1, 8191, 8192, 16383, 12000};
    const std::string path = box.root() + "/e.wav";
    ExportContext ctx{PointLayout::Int16, 0, 16383, {}};
    ASSERT_TRUE(ExportWaveFile(path, kPcmWavCode, points, ctx));
    // The RIFF size counts every chunk; audio tools read past a short one without a word.
    const std::string bytes = ReadWholeFile(path).value_or("");
    EXPECT_EQ(bytes.substr(4, 4), Le(std::uint32_t(bytes.size() - 8), 4)) << "the RIFF size";

    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.channels, 1);
    std::vector<short> read(points.size());
    EXPECT_EQ(sf_readf_short(file, read.data(), sf_count_t(read.size())), sf_count_t(read.size()));
    sf_close(file);
    std::vector<short> expected;
    for (std::int32_t p : points)
        expected.push_back(static_cast<short>(std::floor(p * 65535.0 / 16383 + 0.5) - 32768));
    EXPECT_EQ(read, expected);

    ImportResult back = ImportWaveFile(path, kNativeCode, Context(0, 16383));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.points, points);
}

// RF64 and Wave64 headers were once taken for points. Bad RIFF files are the bad corpus's
// (WeDocTest).
TEST_F(RiffWaveTest, OpenReadsThroughTheLibraryAndReportsClippingOnce) {
    start();
    std::vector<double> samples;
    Points points;
    for (int i = 0; i < 1000; ++i) {
        samples.push_back(i * 7 - 3000);
        points.push_back(i * 7 - 3000);
    }
    for (int container : {SF_FORMAT_RF64, SF_FORMAT_W64}) {
        SCOPED_TRACE(container);
        const std::string path = WriteWithLibsndfile(box.root() + "/big.wav",
                                                     container | SF_FORMAT_PCM_16, 1, samples, 16);
        EXPECT_EQ(ImportWaveFile(path, kNativeCode, Context(-32768, 32767)).points, points);
        ASSERT_TRUE(doc->Open({path, kNativeCode}));
        EXPECT_EQ(doc->samples().size(), points.size());
    }

    const std::string loud = WriteWithLibsndfile(box.root() + "/loud.wav", SF_FORMAT_FLOAT, 1,
                                                 std::vector<double>(1000, 2.0), 0);
    box.prompts.clear();
    ASSERT_TRUE(doc->Open({loud, kNativeCode}));
    EXPECT_EQ(test::Values(doc->samples()), Points(1000, 16383));
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.lastText(),
              "1000 points lay outside the instrument's code range and were clipped to it.");
}

// Storing and Cancel are the dialog test's; here "Always" and a stored channel the file lacks.
TEST_F(RiffWaveTest, TheChannelQuestionIsRememberedLikeTheDimensionQuestion) {
    int asked = 0;
    ChannelChoice answer{3, true};
    ChannelAsker asker = [&](int, const ChannelChoice&) {
        ++asked;
        return std::optional<ChannelChoice>(answer);
    };
    EXPECT_EQ(AskChannel(box.session(), 4, asker), 3);
    EXPECT_EQ(AskChannel(box.session(), 4, asker), 3) << "Always: no question";
    EXPECT_EQ(asked, 1);
    answer = ChannelChoice{1, true};
    EXPECT_EQ(AskChannel(box.session(), 2,
                         [&](int, const ChannelChoice& initial) {
                             EXPECT_EQ(initial.channel, 0) << "a stored channel the file lacks";
                             return std::optional<ChannelChoice>(answer);
                         }),
              1);
}

// Open asks only what the file's form calls for, and a cancelled channel abandons the Open.
TEST_F(RiffWaveTest, OpenAsksOnlyWhatTheFormCallsFor) {
    const std::string mono =
        WriteWithLibsndfile(box.root() + "/m.wav", SF_FORMAT_PCM_16, 1, {1, 2}, 16);
    const std::string stereo =
        WriteWithLibsndfile(box.root() + "/s.wav", SF_FORMAT_PCM_16, 2, {1, 2, 3, 4}, 16);
    std::vector<std::string> asked;
    std::optional<ChannelChoice> channel;
    const OpenQuestions questions{
        [&](const DimensionChoice&) {
            asked.push_back("dimension");
            return std::optional<DimensionChoice>(DimensionChoice{1, false, false});
        },
        [&](int channels, const ChannelChoice&) {
            asked.push_back("channels " + std::to_string(channels));
            return channel;
        },
        [&](const std::vector<std::string>&) {
            asked.push_back("variable");
            return std::optional<std::string>();
        }};
    const struct {
        std::string path;
        int code;
        std::optional<ChannelChoice> channel;
        bool opens;
        std::vector<std::string> asked;
        int dimension, audioChannel;
    } cases[] = {
        {mono, kNativeCode, {}, true, {}, 0, 0},
        {box.root() + "/c.prn", kPrnCode, {}, true, {"dimension"}, 1, 0},
        {stereo, kNativeCode, ChannelChoice{1, false}, true, {"channels 2"}, 0, 1},
        {stereo, kNativeCode, std::nullopt, false, {"channels 2"}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        asked.clear();
        channel = c.channel;
        OpenRequest request{c.path, c.code};
        EXPECT_EQ(AnswerOpenQuestions(box.session(), PointLayout::Int16, request, questions),
                  c.opens);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(request.dimension, c.dimension);
        EXPECT_EQ(request.audioChannel, c.audioChannel);
    }
}

} // namespace
} // namespace tw
