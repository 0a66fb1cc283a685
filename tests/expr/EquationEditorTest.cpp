#include "ExprTestSupport.h"

#include "app/FileUtil.h"
#include "app/ProfileFile.h"
#include "document/WaveFormats.h"
#include "expr/EquationEditor.h"
#include "expr/EquationState.h"
#include "generators/MemoryTarget.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tw {
namespace {

class EquationEditorTest : public ::testing::Test {
  protected:
    test::ExprSandbox box;
    test::MemoryTarget doc{box.session(), box.prompts, 1000, 7};
    EquationEditor editor{doc};
    EquationEditorTest() { doc.waves = box.waves; }
    std::string stateFile() const { return EquationStateFile(box.session().tmpFolder); }
    void open(double start, double end, double lo, double hi, double cycles = 1) {
        for (auto [key, v] : {std::pair{"Prv_bgn", start},
                              {"Prv_end", end},
                              {"Fmin", lo},
                              {"Fmax", hi},
                              {"Cycl", cycles}})
            box.set(box.exchange(), "TdWav_Par", key, std::to_string(v));
        editor.Open();
    }
};

TEST_F(EquationEditorTest, FieldLimitsRefuseAndRestoreThePreviousValue) {
    open(0, 999, 0, 16383);
    editor.fields[EquationEditor::kMax] = 16384;
    editor.formula = "p";
    test::Put(doc.stored, 0, 42);
    EXPECT_FALSE(editor.Ok());
    EXPECT_EQ(box.prompts.lastText(), "Parameter 4 Value = 16384\nParameter range:1 -> 16383");
    EXPECT_EQ(box.prompts.asked.back().icon, Icon::Exclamation);
    EXPECT_EQ(editor.fields[EquationEditor::kMax], 16383);
    EXPECT_EQ(doc.wave()[0], 42); // nothing evaluated
    editor.fields[EquationEditor::kCycles] = 10001;
    EXPECT_FALSE(editor.Preview());
    EXPECT_EQ(box.prompts.lastText(), "Parameter 5 Value = 10001\nParameter range:1 -> 10000");
    EXPECT_EQ(editor.fields[EquationEditor::kCycles], 1);
    editor.fields[EquationEditor::kStart] = 500;
    editor.fields[EquationEditor::kEnd] = 500;
    EXPECT_FALSE(editor.Preview());
    EXPECT_EQ(box.prompts.lastText(), "min=500  max=500");
    EXPECT_EQ(doc.commits, 0);
}

TEST_F(EquationEditorTest, OkWritesTheRangeKeepsTheUndoAndStoresEverything) {
    open(100, 199, 0, 990);
    editor.formula = "P*2";
    editor.SelectScale();
    EXPECT_TRUE(editor.Ok());
    EXPECT_EQ(doc.wave()[99], 7);
    EXPECT_EQ(doc.wave()[100], 0);
    EXPECT_EQ(doc.wave()[199], 990); // scaled onto the levels
    EXPECT_EQ(doc.wave()[200], 7);
    EXPECT_EQ(doc.commits, 1);
    // One Undo returns to the wave from before the editor.
    EXPECT_EQ(ReadWholeFile(doc.undoFile()),
              EncodeNativePoints(std::vector<std::int32_t>(1000, 7), PointLayout::Int16));
    EXPECT_EQ(doc.anchorStart, 100);
    EXPECT_EQ(doc.anchorEnd, 199);
    // The range moves on for the next call.
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Prv_bgn"), "200");
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Prv_end"), "999");
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Fmax"), "990");
    EXPECT_EQ(box.get(box.exchange(), "Equ_Buttons", "Scale"), "1");
    EXPECT_EQ(box.get(box.exchange(), "Equ_Buttons", "Original"), "0");
    EXPECT_EQ(box.get(stateFile(), "CurrentExpr", "Name"), "P*2");
    EXPECT_EQ(box.get(stateFile(), "P*2", "ExprName"), "P*2");
    EXPECT_EQ(box.get(stateFile(), "ExprInd", "ExprInd"), "0");

    // The same formula again only selects its history entry.
    EquationEditor again(doc);
    again.Open();
    EXPECT_EQ(again.formula, "P*2");
    EXPECT_EQ(again.history, std::vector<std::string>{"P*2"});
    EXPECT_EQ(again.fields[EquationEditor::kStart], 200);
    EXPECT_TRUE(again.scaleSelected());
    again.formula = "p";
    EXPECT_TRUE(again.Ok());
    again.formula = "P*2";
    EXPECT_TRUE(again.Ok());
    EXPECT_EQ(again.history, (std::vector<std::string>{"P*2", "p"}));
    EXPECT_EQ(box.get(stateFile(), "ExprInd", "ExprInd"), "0");
}

TEST_F(EquationEditorTest, StandardPointsStayInTheCodeRangeFmPointsDoNot) {
    open(0, 9, 0, 100);
    editor.formula = "p*3000-5000";
    ASSERT_TRUE(editor.Ok());
    EXPECT_EQ(doc.wave()[0], 0);
    EXPECT_EQ(doc.wave()[9], 16383);
    doc.fm = true;
    EquationEditor fm(doc);
    fm.Open();
    fm.fields = {0, 9, 0, 100, 1};
    fm.formula = "p*3000-5000";
    ASSERT_TRUE(fm.Ok());
    EXPECT_EQ(doc.wave().size(), 1000u);
    EXPECT_EQ(doc.wave()[0], -5000);
    EXPECT_EQ(doc.wave()[9], 22000);
}

TEST_F(EquationEditorTest, OpeningWritesDefaultsAndLevelModeFlags) {
    editor.Open();
    EXPECT_EQ(editor.fields, (std::array<double, 5>{0, 999, 0, 16383, 1}));
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Prv_end"), "999");
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Cycl"), "1");
    EXPECT_EQ(editor.formula, "amp*sin(1.5*omg*(p+500))");
    EXPECT_TRUE(editor.history.empty());
    EXPECT_FALSE(editor.scaledPass());
    editor.SelectScale();
    EXPECT_TRUE(editor.scaledPass());
    editor.SelectOriginal();
    EXPECT_FALSE(editor.scaledPass());
    editor.SetAutoScaling(true);
    EXPECT_TRUE(editor.scaledPass());
    EXPECT_FALSE(editor.scaleSelected());
    editor.SetAutoScaling(false); // back to the radio choice
    EXPECT_FALSE(editor.scaledPass());
    editor.SelectScale();
    editor.SetAutoScaling(false);
    EXPECT_TRUE(editor.scaledPass());
}

// Messages in the application's name take it from the editor's session, not the process's.
TEST_F(EquationEditorTest, FailuresLeaveTheWaveAsItWasAndSpeakInTheSessionsName) {
    open(0, 999, 0, 16383);
    box.session().appName = "FM Tidewright";
    EquationEditor fm{doc};
    fm.Open();
    const std::pair<const char*, const char*> cases[] = {
        {"", nullptr},
        {"   ", nullptr},
        {"p++1", nullptr},
        {"1/(p-500)", "Domain error.Divide by zero."},
        {"2(p)", nullptr},
        {"{nope}*p", "The alias in the expression, doesn't  present in your list of Aliases"}};
    for (auto [formula, text] : cases) {
        box.prompts.clear();
        fm.formula = formula;
        EXPECT_FALSE(fm.Ok()) << formula;
        EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(1000, 7)) << formula;
        ASSERT_FALSE(box.prompts.asked.empty()) << formula;
        if (text) {
            EXPECT_EQ(box.prompts.asked[0].text, text);
            EXPECT_EQ(box.prompts.asked[0].caption, "FM Tidewright") << formula;
        }
    }
    fm.formula = "";
    EXPECT_FALSE(fm.Preview());
    EXPECT_EQ(box.prompts.lastText(), "Expression is empty");
    EXPECT_EQ(box.prompts.asked.back().caption, "Error");
    EXPECT_EQ(doc.commits, 0);
    EXPECT_FALSE(FileExists(stateFile()));
}

TEST_F(EquationEditorTest, HelpExampleEvaluatesThroughItsAliases) {
    open(0, 999, 0, 2000);
    editor.formula = "amp*({my_sin}>{ref25})*0.75*(p>per/4 & p<per*0.75)";
    editor.aliases.Assign({{"{ref25}", "sin(omg*p)"}, {"{my_sin}", "sin(omg*50*p)*1.15"}});
    ASSERT_TRUE(editor.Ok()) << box.prompts.lastText();
    const double omg = 0.00628319; // six digits over 1000 points
    for (int p : {0, 100, 251, 300, 333, 600, 749, 750, 900}) {
        bool on = std::sin(omg * 50 * p) * 1.15 > std::sin(omg * p) && p > 250 && p < 750;
        EXPECT_EQ(doc.wave()[p], on ? static_cast<std::int32_t>(1000 * 0.75) : 0) << p;
    }
    // The aliases are kept in the formula's section.
    EXPECT_EQ(box.get(stateFile(), editor.formula, "{my_sin}"), "sin(omg*50*p)*1.15");

    // An alias's own error names its row.
    box.prompts.clear();
    editor.aliases.SetFormula(1, "p++1");
    EXPECT_FALSE(editor.Ok());
    EXPECT_EQ(box.prompts.lastText(), "Expression:\np++1, Incorrect,Index of Alias  2");
    editor.aliases.SetFormula(1, "");
    EXPECT_FALSE(editor.Ok());
    EXPECT_EQ(box.prompts.lastText(), "Expression  {2} in column ref is empty");
    editor.aliases.SetFormula(1, "{ref25}*2");
    EXPECT_FALSE(editor.Ok());
    EXPECT_EQ(box.prompts.lastText(), "Expression  in Alias incorrect");
    editor.aliases.SetFormula(1, "ln(p)");
    EXPECT_FALSE(editor.Ok());
    EXPECT_EQ(box.prompts.lastText(), "Expression in Alias incorrect.Index of Alias 2");
    EXPECT_TRUE(box.prompts.sawText("Invalid Log (Ln) Value"));
}

TEST_F(EquationEditorTest, ShortWaveFileOffersToShortenTheRange) {
    box.wave("w500.wav", std::vector<std::int16_t>(500, 3));
    open(100, 999, 0, 16383);
    editor.formula = "w500.wav*2";
    box.prompts.then(Answer::No);
    EXPECT_FALSE(editor.Ok());
    EXPECT_EQ(box.prompts.asked.back().caption, "Warning");
    EXPECT_EQ(editor.fields[EquationEditor::kEnd], 999);
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(1000, 7));

    editor.fields[EquationEditor::kStart] = 0;
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(editor.Ok());
    EXPECT_EQ(editor.fields[EquationEditor::kEnd], 499);
    EXPECT_EQ(doc.wave()[499], 6);
    EXPECT_EQ(doc.wave()[500], 7);

    // Through an alias the same question is asked.
    editor.fields[EquationEditor::kEnd] = 999;
    editor.formula = "{w}+1";
    editor.aliases.Assign({{"{w}", "w500.wav"}});
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(editor.Ok());
    EXPECT_EQ(editor.fields[EquationEditor::kEnd], 499);
    EXPECT_EQ(doc.wave()[0], 4);
}

TEST_F(EquationEditorTest, HistoryPickClearAndEquationFiles) {
    open(0, 999, 0, 16383);
    editor.formula = "{a}*2";
    editor.aliases.Assign({{"{a}", "p"}});
    ASSERT_TRUE(editor.Ok());
    editor.formula = "sin(p)";
    editor.aliases.Clear();
    ASSERT_TRUE(editor.Ok());
    editor.PickHistory(0);
    EXPECT_EQ(editor.formula, "{a}*2");
    EXPECT_EQ(editor.aliases.rows(), (std::vector<AliasRow>{{"{a}", "p"}}));

    const std::string saved = box.root() + "/mine";
    ASSERT_TRUE(editor.SaveEquationFile(saved));
    EXPECT_TRUE(FileExists(saved + ".equ"));

    box.prompts.then(Answer::No);
    editor.ClearHistory();
    EXPECT_EQ(box.prompts.lastText(),
              "Are you sure you want to delete all expressions from the history?");
    EXPECT_EQ(editor.history.size(), 2u);
    EXPECT_TRUE(FileExists(stateFile()));
    box.prompts.then(Answer::Yes);
    editor.ClearHistory();
    EXPECT_TRUE(editor.history.empty());
    EXPECT_TRUE(editor.formula.empty());
    EXPECT_FALSE(FileExists(stateFile()));

    // A file that is no equation file is refused and the state stays as it was.
    box.write("junk.equ", "just text\n");
    EXPECT_FALSE(editor.OpenEquationFile(box.root() + "/junk.equ"));
    EXPECT_FALSE(FileExists(stateFile()));

    ASSERT_TRUE(editor.OpenEquationFile(saved + ".equ"));
    EXPECT_EQ(editor.history, (std::vector<std::string>{"{a}*2", "sin(p)"}));
    EXPECT_EQ(editor.formula, "{a}*2");
    EXPECT_EQ(editor.aliases.size(), 1u);
}

// A wave-folder file loses its folder: EquationEditorDialogTest.
TEST_F(EquationEditorTest, InsertWaveKeepsTheFolderOfFilesElsewhereAndFiltersByModel) {
    editor.Open();
    editor.formula = "p+";
    editor.InsertWave("/elsewhere/b.wav");
    EXPECT_EQ(editor.formula, "p+/elsewhere/b.wav");
    EXPECT_EQ(editor.WaveFilter(), "Binary   (*.wav)|*.wav||");
    box.set(box.exchange(), "Instrument", "Model", "QM8100");
    EXPECT_EQ(editor.WaveFilter(), "Binary   (*.wav)|*.wav|Binary   (*.wfm)|*.wfm|ASCII -space "
                                   "delimited (*.afm)|*.afm||");
}

} // namespace
} // namespace tw
