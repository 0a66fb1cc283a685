// MATLAB files as libmatio writes them (versions 5 and 7.3): vectors of every numeric class
// read like column values, compressed or not, the variable chosen by name, complex values and
// matrices refused; the int16 export read back by the library.
#include "document/MatFormat.h"
#include "app/FileUtil.h"
#include "app/StringTable.h"
#include "document/OpenQuestions.h"
#include "document/WeDoc.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <matio.h>

#include <algorithm>
#include <map>

namespace tw {
namespace {

using Points = std::vector<std::int32_t>;

constexpr std::size_t kLongColumn = 2'500'000;

// Files libmatio wrote (tests/data/document/mat), in versions 5 and 7.3: a: double column, b: int16
// row, u: uint32 column, s: single, c: complex, m: 2x3, t: text; the compressed one also l, a long
// int16 column of i % 7 read in several slabs.
std::string Recorded(const std::string& name) {
    return TW_TEST_DATA_DIR "/document/mat/" + name;
}

class MatFormatTest : public ::testing::TestWithParam<const char*> {
  protected:
    ImportResult Read(const std::string& variable, bool stretch = true) {
        ImportContext ctx;
        ctx.vMin = 0;
        ctx.vMax = 16383;
        ctx.stretch = stretch;
        ctx.variable = variable;
        return ImportMat(bytes, ctx);
    }
    const bool compressed = std::string(GetParam()) == "v5-compressed.mat";
    const std::string bytes = ReadWholeFile(Recorded(GetParam())).value_or("");
};

TEST_P(MatFormatTest, VectorsOfEveryNumericClassReadLikeColumnValues) {
    // Version 7.3 lists them by name.
    std::vector<std::string> names = MatVariables(bytes);
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"a", "b", "c", "m", "s", "t", "u"};
    if (compressed)
        expected.insert(expected.begin() + 3, "l");
    EXPECT_EQ(names, expected);
    std::map<std::string, std::vector<std::uint64_t>> dims;
    for (const MatVariable& v : MatVariableShapes(bytes))
        dims[v.name] = v.dims;
    EXPECT_EQ(dims["a"], (std::vector<std::uint64_t>{3, 1}));
    EXPECT_EQ(dims["m"], (std::vector<std::uint64_t>{2, 3}));
    // Stretched: +-0.5 onto 0 ... 16383, rounded to nearest.
    for (const char* first : {"", "a"}) {
        ImportResult r = Read(first);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.points, (Points{8192, 16383, 4096}));
    }
    ImportResult b = Read("b", false);
    ASSERT_TRUE(b.ok) << b.error;
    EXPECT_EQ(b.points, (Points{7, 0, 12}));
    EXPECT_EQ(b.clipped, 1u) << "-300 lies below the code range";
    ImportResult u = Read("u", false);
    EXPECT_EQ(u.points, (Points{1, 16383}));
    ImportResult s = Read("s");
    EXPECT_EQ(s.points, (Points{10239, 0})) << "stretched: -1 ... 1 onto the range";
    if (!compressed)
        return;
    ImportResult l = Read("l", false);
    ASSERT_EQ(l.points.size(), kLongColumn);
    for (std::size_t i = 0; i < kLongColumn; ++i)
        ASSERT_EQ(l.points[i], static_cast<std::int32_t>(i % 7)) << "point " << i;
}

TEST_P(MatFormatTest, ComplexValuesMatricesAndOtherClassesAreRefusedWithWhy) {
    for (auto [variable, why] :
         {std::pair{"c", "is complex."}, std::pair{"m", "is a matrix"},
          std::pair{"t", "is not numeric."}, std::pair{"z", "no variable z"}}) {
        SCOPED_TRACE(variable);
        ImportResult r = Read(variable);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.points.empty());
        EXPECT_EQ(r.error.rfind(StringText(3014), 0), 0u);
        EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, MatFormatTest,
                         ::testing::Values("v5.mat", "v5-compressed.mat", "v73.mat"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name == "v5.mat"    ? "V5"
                                    : name == "v73.mat" ? "V73"
                                                        : "V5Compressed";
                         });

TEST(MatExportTest, OneInt16VectorNamedAfterTheFile) {
    test::Sandbox box;
    const std::string path = box.root() + "/my wave-1.mat";
    const Points points{-8192, 0, 8191, 5};
    ASSERT_TRUE(ExportWaveFile(path, kMatCode, points, {}));
    mat_t* mat = Mat_Open(path.c_str(), MAT_ACC_RDONLY);
    ASSERT_NE(mat, nullptr);
    matvar_t* var = Mat_VarRead(mat, "my_wave_1");
    ASSERT_NE(var, nullptr);
    EXPECT_EQ(var->class_type, MAT_C_INT16);
    EXPECT_EQ(var->rank, 2);
    EXPECT_EQ(var->dims[0] * var->dims[1], points.size());
    const auto* data = static_cast<const std::int16_t*>(var->data);
    EXPECT_EQ(Points(data, data + points.size()), points);
    Mat_VarFree(var);
    Mat_Close(mat);
    EXPECT_EQ(MatVariableName("9lives"), "w9lives");
    EXPECT_EQ(MatVariableName(std::string(80, 'x')).size(), 63u);
}

// A file of several variables asks which to take: the answer goes into the request and a cancel
// abandons the Open.
TEST(MatOpenQuestion, SeveralVariablesAskWhichToTake) {
    test::Sandbox box;
    std::vector<std::string> offered;
    std::optional<std::string> answer = "b";
    OpenQuestions questions;
    questions.variable = [&](const std::vector<std::string>& names) {
        offered = names;
        return answer;
    };
    OpenRequest request{Recorded("v5.mat"), kMatCode};
    EXPECT_TRUE(AnswerOpenQuestions(box.session(), PointLayout::Int16, request, questions));
    EXPECT_EQ(request.matVariable, "b");
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(offered.front(), "a");
    answer.reset();
    EXPECT_FALSE(AnswerOpenQuestions(box.session(), PointLayout::Int16, request, questions));
}

} // namespace
} // namespace tw
