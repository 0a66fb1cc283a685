#include "document/ColumnImport.h"

#include "app/LaunchState.h"
#include "document/PointMapping.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tw {
namespace {

ImportContext Unstretched(int askDim) {
    ImportContext ctx;
    ctx.stretch = false;
    ctx.askDim = askDim;
    return ctx;
}

TEST(ColumnImportTest,
     StretchMapsTheLargerFiniteMagnitudeAndFullScaleTheFractionsOntoTheCodeRange) {
    ImportContext ctx;
    ctx.vMin = 0;
    ctx.vMax = 16383;
    ctx.askDim = 0;
    // -0.5 is the larger magnitude: -0.5 goes to vMin and +0.5 (not 0.25) to vMax.
    auto r = ImportColumns("-0.5 0 0.25 0.5", ctx);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.points, (std::vector<std::int32_t>{0, 8192, 12287, 16383}));
    // Read as fractions of full scale, a wave that peaks at 0.5 stays at half scale; values beyond
    // full scale end there and are counted.
    ctx.fullScale = true;
    r = ImportColumns("0\n0.5\n-0.5\n1\n-1\n1.25\n", ctx);
    EXPECT_EQ(r.points, (std::vector<std::int32_t>{8192, 12287, 4096, 16383, 0, 16383}));
    EXPECT_EQ(r.clipped, 1u);
    ctx.fullScale = false;
    // Rounding adds 0.5 and cuts toward zero, so below zero it lands one code higher.
    ctx.vMin = -8192;
    ctx.vMax = 8191;
    EXPECT_EQ(ImportColumns("-1 1", ctx).points, (std::vector<std::int32_t>{-8191, 8191}));
    auto zeros = ImportColumns("0\n0\n0\n", ctx);
    EXPECT_EQ(zeros.points, (std::vector<std::int32_t>(3, -8191))); // whole part of vMin + 0.5

    // One huge value (2A overflows beyond 8.9e307) or an infinity must not flatten the wave: the
    // stretch spans the finite values, and each infinity is clipped at its own end and counted.
    ctx = ImportContext{};
    ctx.vMin = 0;
    ctx.vMax = 16383;
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::vector<double> values;
        std::vector<std::int32_t> points;
        std::size_t clipped;
    };
    for (const Case& c : {Case{{1e308, -1e308, 5e307, 0}, {16383, 0, 12287, 8192}, 0},
                          Case{{inf, 0.5, -0.5, -inf}, {16383, 16383, 0, 0}, 2},
                          Case{{inf, -inf}, {16383, 0}, 2}}) {
        ImportResult r = MapIntoRange(c.values, ColumnValueMap(c.values, ctx), ctx);
        EXPECT_EQ(r.points, c.points);
        EXPECT_EQ(r.clipped, c.clipped);
    }
    EXPECT_EQ(ImportColumns("Time\n0 1e308\n1 -1e308\n", ctx).points,
              (std::vector<std::int32_t>{16383, 0}));
    EXPECT_FALSE(MapIntoRange(std::vector<double>{0, std::nan("")}, {}, ctx).ok);
}

TEST(ColumnImportTest, WithoutStretchValuesAreOnlyRoundedAndMustFit) {
    auto r = ImportColumns("2.4 2.6 -2.6 32767", Unstretched(0));
    EXPECT_EQ(r.points, (std::vector<std::int32_t>{2, 3, -2, 32767}));
    for (const char* bad : {"40000", "", "no numbers here", "Time\n"}) {
        auto f = ImportColumns(bad, Unstretched(0));
        EXPECT_FALSE(f.ok) << bad;
        EXPECT_TRUE(f.points.empty());
        EXPECT_FALSE(f.error.empty());
    }
    ImportContext fm = Unstretched(0);
    fm.layout = PointLayout::Int32;
    EXPECT_EQ(ImportColumns("40000", fm).points, std::vector<std::int32_t>{40000});
}

TEST(ColumnImportTest, AutoStretchOptionIsPerModel) {
    test::Sandbox box;
    EXPECT_TRUE(AutoStretchEnabled(box.session()));
    box.set(box.session().generalIni, "Option", "autoStretchTW2014", "YES");
    EXPECT_TRUE(AutoStretchEnabled(box.session()));
    box.set(box.session().generalIni, "Option", "autoStretchTW2014", "no");
    EXPECT_FALSE(AutoStretchEnabled(box.session()));
    EXPECT_FALSE(
        ImportContextForLaunch(box.session(), PointLayout::Int16, -8192, 8191, 1, box.prompts)
            .stretch);
    box.set(box.session().generalIni, "Option", "autoStretchTW2014", "");
    box.set(box.session().generalIni, "Option", "autoStretchOther", "no");
    EXPECT_TRUE(AutoStretchEnabled(box.session()));
}

} // namespace
} // namespace tw
