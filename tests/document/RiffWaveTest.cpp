// WAV files of every encoding, as libsndfile writes them, read into the
// code range; the canonical 16-bit mono file kept as native points; the 16-bit PCM export.
#include "DocFixture.h"

#include "document/ChannelQuestion.h"
#include "document/OpenQuestions.h"
#include "document/RiffWave.h"

#include <sstream>

namespace tw {
namespace {

using Points = std::vector<std::int32_t>;

// Files libsndfile wrote (tests/data/document/riff).
std::string Recorded(const std::string& name) {
    return TW_TEST_DATA_DIR "/document/riff/" + name;
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

// Two channels of 0, 1, -1, the top, the bottom and a third of the top (left) and of other values
// (right) in each integer encoding, and 0, 0.5, -0.5, 1, -1, 1.5, -3 as floats and doubles
// (fractions of full scale, the last two clipped); points.txt holds the points each reading gives.
TEST_F(RiffWaveTest, EveryEncodingMapsItsFullScaleOntoTheCodeRange) {
    std::istringstream golden(ReadWholeFile(Recorded("points.txt")).value_or(""));
    int readings = 0;
    for (std::string line; std::getline(golden, line);) {
        if (line.starts_with('#'))
            continue;
        SCOPED_TRACE(line);
        std::istringstream fields(line);
        std::string name;
        double lo = 0, hi = 0;
        int channel = 0;
        std::size_t clipped = 0;
        char colon = 0;
        fields >> name >> lo >> hi >> channel >> clipped >> colon;
        Points expected;
        for (std::int32_t p; fields >> p;)
            expected.push_back(p);
        ImportResult r = ImportWaveFile(Recorded(name), kNativeCode, Context(lo, hi, channel));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.points, expected);
        EXPECT_EQ(r.clipped, clipped);
        EXPECT_FALSE(ImportWaveFile(Recorded(name), kNativeCode, Context(lo, hi, 2)).ok);
        ++readings;
    }
    EXPECT_EQ(readings, 18);
}

TEST_F(RiffWaveTest, TheCanonicalFileStaysNativeAndOtherChunksAreNotPoints) {
    // 16-bit mono PCM of 100, -200, 300, -400, alone or after a LIST or fact chunk or both.
    const std::string samples = test::Int16Bytes({100, -200, 300, -400});
    const std::string canonical = ReadWholeFile(Recorded("canonical.wav")).value_or("");
    ASSERT_EQ(canonical.size(), 44 + samples.size());
    EXPECT_TRUE(IsCanonicalPcm16(canonical));
    const std::string path = box.write("c.wav", canonical);
    ConvertResult c = ConvertToBinary(path, kNativeCode, Context(0, 16383));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.path, box.root() + "/c_TBR.wav");
    EXPECT_EQ(ReadWholeFile(c.path), samples) << "the samples as they stand, out of range or not";

    for (const char* name : {"list-chunk.wav", "fact-chunk.wav", "list-and-fact-chunks.wav"}) {
        ImportResult r = ImportWaveFile(Recorded(name), kNativeCode, Context(-32768, 32767));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.points, (Points{100, -200, 300, -400}));
    }
}

// export-pcm16.wav as libsndfile reads it: -32768, -32764, -3, 2, 32767, 15234, its RIFF size
// counting every chunk (audio tools read past a short one without a word).
TEST_F(RiffWaveTest, ThePcmExportHasItsRecordedBytesAndReadsBackExactly) {
    const Points points{0, 1, 8191, 8192, 16383, 12000};
    const std::string path = box.root() + "/e.wav";
    ExportContext ctx{PointLayout::Int16, 0, 16383, {}};
    ASSERT_TRUE(ExportWaveFile(path, kPcmWavCode, points, ctx));
    EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(Recorded("export-pcm16.wav")));
    ImportResult back = ImportWaveFile(path, kNativeCode, Context(0, 16383));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.points, points);
}

// RF64 and Wave64 headers were once taken for points. Bad RIFF files are the bad corpus's
// (WeDocTest).
TEST_F(RiffWaveTest, OpenReadsThroughTheLibraryAndReportsClippingOnce) {
    start();
    Points points; // as recorded
    for (int i = 0; i < 1000; ++i)
        points.push_back(i * 7 - 3000);
    for (const char* name : {"ramp-rf64.wav", "ramp-w64.wav"}) {
        SCOPED_TRACE(name);
        // Open converts beside the file: a copy, not the recorded one.
        const std::string path = box.write("big.wav", ReadWholeFile(Recorded(name)).value_or(""));
        EXPECT_EQ(ImportWaveFile(path, kNativeCode, Context(-32768, 32767)).points, points);
        ASSERT_TRUE(doc->Open({path, kNativeCode}));
        EXPECT_EQ(doc->samples().size(), points.size());
    }

    const std::string loud = // 1000 samples of 2.0
        box.write("loud.wav", ReadWholeFile(Recorded("loud.wav")).value_or(""));
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
    const std::string mono = Recorded("mono.wav"), stereo = Recorded("stereo.wav");
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
