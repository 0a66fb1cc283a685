#include "frame/GeneratorCommands.h"

#include "FrameTestSupport.h"

#include "app/Commands.h"
#include "app/FileUtil.h"
#include "app/ProfileFile.h"
#include "frame/QtWaveFrame.h"
#include "generators/WaveBackup.h"
#include "generators/qt/WaveParamDialog.h"
#include "support/Sandbox.h"
#include "support/gui/Widgets.h"
#include "view/qt/WeditVw.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace tw {
namespace {

using Span = std::pair<long, long>;

// The frame with its document and commands, as the application builds them.
class GeneratorAnchorsTest : public ::testing::Test {
  protected:
    explicit GeneratorAnchorsTest(int composer = kStandardComposer) : box(composer) {}
    test::Sandbox box;
    std::unique_ptr<MainFrame> frame;
    std::unique_ptr<QtWaveFrame> wave;

    void SetUp() override {
        const bool fm = box.session().composerId == kFmComposer;
        frame = std::make_unique<MainFrame>(box.session(), fm ? kFmResources : kStandardResources);
        wave = std::make_unique<QtWaveFrame>(*frame, frame->composer());
        ASSERT_TRUE(test::ShowFrame(*frame, 1000, 700));
        ASSERT_EQ(wave->document().samples().size(), 1024u);
        view().resetRange();
        section = fm ? "FmcWav_Par" : "TdWav_Par";
    }
    std::string section; // the generators' settings
    WeditVw& view() { return *frame->view(); }
    Span anchors() { return {view().anchors().L(), view().anchors().R()}; }
    void setAnchors(long left, long right) {
        ASSERT_TRUE(view().enterAnchorValue(1, QString::number(right)));
        ASSERT_TRUE(view().enterAnchorValue(0, QString::number(left)));
        ASSERT_EQ(anchors(), Span(left, right));
    }
    void generatorRange(long start, long end) {
        box.set(box.exchange(), section, "Prv_bgn", std::to_string(start));
        box.set(box.exchange(), section, "Prv_end", std::to_string(end));
        box.set(box.exchange(), section, "Cycl", "1");
        box.set(box.exchange(), section, "Duty", "50");
    }
    void run(int command, const std::function<void(QDialog&)>& drive) {
        EXPECT_TRUE(test::WhileModal([&] { frame->action(command)->trigger(); }, drive));
    }
    void runSquare(const std::function<void(WaveParamDlg&)>& drive) {
        run(kCmdSquare, [&](QDialog& d) {
            auto* dialog = qobject_cast<WaveParamDlg*>(&d);
            ASSERT_NE(dialog, nullptr);
            drive(*dialog);
        });
    }
};

// Cancel puts back the anchors from before the dialog, not those of its first mark or its
// preview. OK leaves them on the generated range and forgets the mark: the next Cancel returns
// to the anchors of OK.
TEST_F(GeneratorAnchorsTest, CancelRestoresTheEarlierAnchorsAndOkLeavesTheGeneratedRange) {
    EXPECT_FALSE(RunGeneratorCommand(wave->document(), kCmdEquation, nullptr));
    setAnchors(200, 800);
    generatorRange(100, 299);
    Span opened, previewed;
    runSquare([&](WaveParamDlg& dialog) {
        opened = anchors();
        dialog.edit(0)->setText("150");
        dialog.edit(1)->setText("600");
        test::Button(dialog, "Preview")->click();
        previewed = anchors();
        test::Button(dialog, "Cancel")->click();
    });
    EXPECT_EQ(opened, Span(100, 299));
    EXPECT_EQ(previewed, Span(150, 600));
    EXPECT_EQ(anchors(), Span(200, 800));
    EXPECT_FALSE(FileExists(WaveBackupPath(box.session().tmpFolder)));

    for (int command : {kCmdSquare, kCmdEquation}) {
        SCOPED_TRACE(command);
        setAnchors(200, 800);
        generatorRange(100, 299);
        run(command, [](QDialog& dialog) { test::Button(dialog, "OK")->click(); });
        EXPECT_EQ(anchors(), Span(100, 299));
        runSquare([&](WaveParamDlg& dialog) {
            opened = anchors();
            test::Button(dialog, "Cancel")->click();
        });
        EXPECT_EQ(opened, Span(300, 1023)) << "the next call goes on";
        EXPECT_EQ(anchors(), Span(100, 299));
    }
}

// An instrument whose FM composer works on the abstract 0..10^9 scale.
class FmAbstractGeneratorTest : public GeneratorAnchorsTest {
  protected:
    FmAbstractGeneratorTest() : GeneratorAnchorsTest(kFmComposer) {
        profile::DeleteKey(box.descr(), "FmComposer", "IsAbstr");
        profile::DeleteKey(box.descr(), "FmComposer", "PtSize");
    }
};

// A new wave holds mid-scale points (PlotPixelsTest draws them through the second mapping);
// the shapes' Max and Min are the document's levels, and the points span the scale instead.
TEST_F(FmAbstractGeneratorTest, NewWaveIsMidScaleAndShapesSpanTheAbstractScale) {
    ASSERT_TRUE(frame->composer().abstractMode());
    WeDoc& doc = wave->document();
    ASSERT_TRUE(doc.New());
    EXPECT_EQ(doc.samples().at(0), 500000000);
    generatorRange(0, 1023);
    runSquare([](WaveParamDlg& dialog) { test::Button(dialog, "OK")->click(); });
    EXPECT_GT(doc.samples().at(0), 999000000);
    EXPECT_EQ(doc.samples().at(doc.samples().size() - 1), 0);
}

} // namespace
} // namespace tw
