#include "MemoryTarget.h"
#include "support/HostRecorder.h"

#include "generators/qt/CardiacEcgDialog.h"
#include "generators/qt/DcWaveDialog.h"
#include "generators/qt/PwmDialog.h"
#include "generators/qt/PwmPreviewWidget.h"
#include "generators/qt/WaveParamDialog.h"
#include "support/Sandbox.h"
#include "support/gui/Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <numeric>

namespace tw {
namespace {

class GeneratorDialogTest : public ::testing::Test {
  protected:
    test::Sandbox box;
    test::MemoryTarget doc{box.session(), box.prompts, 1000};
    void SetUp() override { test::Iota(doc.stored, 100); }
};

// A refused value keeps the dialog open with the field put back within its range.
TEST_F(GeneratorDialogTest, OkKeepsTheShapeAndTheDialogPlace) {
    box.set(box.exchange(), "TdOrg", "DrawRect", "120 80");
    WaveParamDlg dialog(Shape::Exponent, doc);
    EXPECT_EQ(dialog.pos(), QPoint(120, 80));
    dialog.edit(0)->setText("-5");
    test::Button(dialog, "OK")->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.edit(0)->text(), "0");
    ASSERT_NE(dialog.checkBox(6), nullptr); // "Inv" is a check box
    dialog.checkBox(6)->setChecked(true);
    dialog.edit(1)->setText("499");
    dialog.move(1500, 30);
    test::Button(dialog, "OK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(doc.commits, 1);
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Inv"), "1");
    EXPECT_EQ(box.get(box.exchange(), "TdOrg", "DrawRect"), "1000 30");
}

TEST_F(GeneratorDialogTest, DcAndEcgDialogsSelectTheRefusedField) {
    const auto before = doc.wave();
    DcWaveDialog dc(doc);
    dc.show();
    dc.edit(DcWaveModel::kStart)->setText("600");
    dc.edit(DcWaveModel::kEnd)->setText("500");
    test::Button(dc, "OK")->click();
    EXPECT_TRUE(dc.edit(DcWaveModel::kEnd)->hasSelectedText());
    test::Button(dc, "Cancel")->click();
    EXPECT_EQ(doc.wave(), before);

    CardiacEcgDialog ecg(doc);
    EXPECT_EQ(ecg.windowTitle(), "Cardiac_ECG Wave");
    ecg.show();
    ecg.edit(CardiacEcgModel::kW1)->setText("30");
    test::Button(ecg, "OK")->click();
    EXPECT_EQ(box.prompts.lastText(), "Cardiac component T0+W1 overlaps other fields");
    test::Button(ecg, "Default")->click();
    EXPECT_EQ(ecg.edit(CardiacEcgModel::kW1)->text(), "15");
    test::Button(ecg, "OK")->click();
    EXPECT_EQ(ecg.result(), QDialog::Accepted);
    EXPECT_EQ(doc.wave()[468], 8191);
}

TEST_F(GeneratorDialogTest, PwmDialogRelabelsCalculatesAndRunsThePreview) {
    test::HostRecorder link;
    PwmDialog dialog(doc);
    EXPECT_EQ(dialog.label("Pulse_Period")->text(), "Period (s)");
    dialog.frequencyUnits()->setChecked(true);
    EXPECT_EQ(dialog.label("Pulse_Width")->text(), "Pulse Width (Hz)");
    EXPECT_EQ(dialog.edit("Pulse_Period")->text(), "10000"); // 1e-4 s as a frequency
    dialog.periodUnits()->setChecked(true);
    EXPECT_EQ(dialog.edit("Pulse_Period")->text(), "0.0001");
    dialog.modulationBy()->setCurrentIndex(1);
    EXPECT_EQ(dialog.label("Mod_Index")->text(), "Start area (%)");
    dialog.modulationBy()->setCurrentIndex(0);
    EXPECT_EQ(dialog.label("Mod_Offset")->text(), "Offset (%)");

    test::Button(dialog, "Calculate")->click();
    EXPECT_EQ(dialog.edit("SCLK")->text(), "10000000");

    dialog.previewButton()->click();
    EXPECT_EQ(dialog.previewButton()->text(), "Reduce <<");
    dialog.runButton()->click();
    EXPECT_TRUE(dialog.preview()->running());
    EXPECT_EQ(dialog.runButton()->text(), "Stop");
    QTest::qWait(120);
    EXPECT_GT(dialog.preview()->position(), 0);
    dialog.runButton()->click();
    EXPECT_FALSE(dialog.preview()->running());
    EXPECT_EQ(dialog.runButton()->text(), "Run");

    dialog.edit("Mod_Index")->setText("0");
    test::Button(dialog, "Calculate && Download")->click();
    EXPECT_TRUE(dialog.edit("Mod_Index")->hasSelectedText());
    EXPECT_TRUE(link.sent.empty());
}

} // namespace
} // namespace tw
