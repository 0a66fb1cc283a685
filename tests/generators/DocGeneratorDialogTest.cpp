#include "../document/DocFixture.h"

#include "app/Startup.h"
#include "generators/DocGeneratorTarget.h"
#include "generators/qt/CardiacEcgDialog.h"
#include "generators/qt/PwmDialog.h"
#include "generators/qt/WaveParamDialog.h"
#include "support/gui/Widgets.h"

#include <QPushButton>

#include <numeric>

namespace tw {
namespace {

class DocGeneratorDialogTest : public test::DocFixture {
  protected:
    std::string before; // the working file's bytes before the dialog

    void SetUp() override {
        DocFixture::SetUp();
        start();
        test::Iota(doc->samples(), -512);
        doc->CommitEdit();
        before = ReadWholeFile(doc->pathName()).value_or("");
        ASSERT_EQ(before.size(), 2048u);
    }
    std::string working() const { return ReadWholeFile(doc->pathName()).value_or(""); }
};

TEST_F(DocGeneratorDialogTest, CancelRestoresTheDocumentByteForByte) {
    const auto points = test::Values(doc->samples());
    {
        DocGeneratorTarget target(*doc, box.prompts);
        WaveParamDlg dialog(Shape::Noise, target);
        test::Button(dialog, "Preview")->click();
        EXPECT_NE(test::Values(doc->samples()), points);
        test::Button(dialog, "Cancel")->click();
    }
    EXPECT_EQ(test::Values(doc->samples()), points);
    EXPECT_EQ(working(), before);

    // The heartbeat's preview commits; its Cancel commits the restored wave again.
    DocGeneratorTarget target(*doc, box.prompts);
    CardiacEcgDialog ecg(target);
    test::Button(ecg, "Preview")->click();
    EXPECT_NE(working(), before);
    test::Button(ecg, "Cancel")->click();
    EXPECT_EQ(working(), before);
    EXPECT_EQ(test::Values(doc->samples()), points);
}

TEST_F(DocGeneratorDialogTest, OkLeavesOneUndoBackToTheWaveBeforeTheDialog) {
    DocGeneratorTarget target(*doc, box.prompts);
    {
        PwmDialog dialog(target);
        test::Button(dialog, "Calculate")->click();
        EXPECT_EQ(doc->wavelength(), 10000);
        EXPECT_EQ(working().size(), 20000u);
        test::Button(dialog, "Close")->click();
    }
    EXPECT_EQ(doc->samples().size(), 10000u);
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(doc->wavelength(), 1024);
    EXPECT_EQ(working(), before);
}

} // namespace
} // namespace tw
