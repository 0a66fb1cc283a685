#include "ExprTestSupport.h"

#include "expr/ExprParser.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tw {
namespace {

using test::Postfix;
using test::Value;

class ExprParserTest : public ::testing::Test {
  protected:
    test::ExprSandbox box;
    ExprParser parser;
    void SetUp() override {
        parser.amp = 8191;
        parser.per = 1000;
        parser.waveFolder = box.waves;
        parser.caption = box.session().appName;
    }
    std::vector<std::string> Tokens(const std::string& text) {
        std::vector<std::string> out;
        parser.Start(text);
        int more = 1;
        while (more) {
            more = parser.GetToken();
            out.push_back(parser.token());
        }
        return out;
    }
};

TEST_F(ExprParserTest, UnaryMinusForms) {
    EXPECT_EQ(Postfix(parser, "-p"), "p - ");
    EXPECT_EQ(Value(parser, "-p", 7), -7);
    EXPECT_EQ(Value(parser, "(2-p)", 7), -5); // the bracket mark is gone after the number
    EXPECT_EQ(Value(parser, "-sin(p)", 1), -std::sin(1.0));
    EXPECT_TRUE(box.prompts.asked.empty());
    for (const char* refused : {"2*-p", "(+p)", "(/p)", "p++1", "p*", "*p", "(p*)", "p{1}"}) {
        box.prompts.clear();
        EXPECT_EQ(Postfix(parser, refused), "Error") << refused;
        EXPECT_EQ(box.prompts.lastText(), std::string("Expression:\n") + refused + "\nincorrect");
        EXPECT_EQ(box.prompts.asked.back().caption, "Error");
    }
}

TEST_F(ExprParserTest, SyntaxMessagesAndMarkersForMainFormulaAndAliases) {
    EXPECT_EQ(Postfix(parser, "((p)"), "Error");
    EXPECT_EQ(box.prompts.lastText(), "Too much '(' or ')'  in Expression:\n((p)");
    EXPECT_EQ(Postfix(parser, "((p)", 3), "Error(");
    EXPECT_EQ(box.prompts.lastText(),
              "Too much '(' or ')' in Expression:\n((p),\nIndex of Alias 3");

    box.prompts.clear();
    EXPECT_EQ(Postfix(parser, "p++1", 2), "Error");
    EXPECT_TRUE(box.prompts.asked.empty()); // an alias's rule breach is silent

    EXPECT_EQ(Postfix(parser, "p p"), "Error2"); // one word "pp", which is no keyword
    EXPECT_EQ(Postfix(parser, "p+x"), "Error2");
    EXPECT_EQ(box.prompts.lastText(), "Expression:\np+x\nincorrect");
    EXPECT_EQ(Postfix(parser, "p+x", 4), "Error2");
    EXPECT_EQ(box.prompts.lastText(), "Expression:\n p+x, Incorrect,\nIndex of Alias  4");

    parser.shownFormula = "P + X";
    EXPECT_EQ(Postfix(parser, "p+x"), "Error2");
    EXPECT_EQ(box.prompts.lastText(), "Expression:\nP + X\nincorrect");
    parser.shownFormula.clear();

    // Characters that belong to no token are refused, never looped over.
    EXPECT_EQ(Postfix(parser, "p+#"), "Error");
    EXPECT_EQ(Postfix(parser, "#"), "Error");
    EXPECT_EQ(Postfix(parser, "{1x}"), "Error2");
    EXPECT_EQ(Postfix(parser, "2+{p}"), "Error");
}

// A function must have its own bracket: the conversion refuses it, with these texts.
TEST_F(ExprParserTest, FunctionWithoutBracketIsRefusedByTheConversion) {
    for (auto [formula, text] :
         {std::pair{"sin p", "Expression:\nsin p, Incorrect.\nExample sin(p*org)"},
          {"cos sin(p)", "Expression incorrect.\nFunction sin takes one argument"},
          {"p+abs", "Expression incorrect.\nFunction abs takes one argument"}}) {
        EXPECT_EQ(Postfix(parser, formula), "Error") << formula;
        EXPECT_EQ(box.prompts.lastText(), text);
    }
}

TEST_F(ExprParserTest, DomainErrorsShowTheirTextAndMarkTheBuffer) {
    EXPECT_EQ(Value(parser, "tan(0)"), 0);
    EXPECT_DOUBLE_EQ(Value(parser, "ctn(1)"), std::tan(1.5707963267948966 - 1));
    EXPECT_DOUBLE_EQ(Value(parser, "log(1000)"), 3);
    EXPECT_TRUE(box.prompts.asked.empty());
    for (auto [formula, text] : {std::pair{"tan(pi/2)", "Invalid Tan Value"},
                                 {"tan(pi)", "Invalid Tan Value"},
                                 {"ctn(0)", "Invalid Ctn Value"},
                                 {"ctn(pi)", "Invalid Ctn Value"},
                                 {"ln(0)", "Invalid Log (Ln) Value"},
                                 {"log(0-1)", "Invalid Log (Ln) Value"},
                                 {"1/(p-p)", "Domain error.Divide by zero."},
                                 {"1%(p-p)", "Domain error.Divide by zero."}}) {
        box.prompts.clear();
        std::string program = Postfix(parser, formula);
        Result failure;
        EXPECT_EQ(parser.EvalPostfix(program, 5, &failure), 1.11e9) << formula;
        Show(box.prompts, failure);
        EXPECT_EQ(program, "ErrorDomain");
        ASSERT_EQ(box.prompts.asked.size(), 1u) << formula;
        EXPECT_EQ(box.prompts.asked[0].text, text);
        EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
        EXPECT_EQ(box.prompts.asked[0].icon, Icon::Exclamation);
    }
}

TEST_F(ExprParserTest, StackFailuresMarkErrorWithoutMessage) {
    for (const char* program : {"2 p ", "", "+ ", "sin ", "p q ", "p ( ", "p xyz "}) {
        std::string buffer = program;
        EXPECT_EQ(parser.EvalPostfix(buffer, 1), 1.11e9) << program;
        EXPECT_EQ(buffer, "Error");
    }
    EXPECT_EQ(Value(parser, "2(p)"), 1.11e9); // two values left on the stack
    EXPECT_TRUE(box.prompts.asked.empty());
    // A binary operator with nothing on its left takes 0.
    std::string lone = "p - ";
    EXPECT_EQ(parser.EvalPostfix(lone, 4), -4);
}

TEST_F(ExprParserTest, TokensAndTheTextsOfTheConstants) {
    const std::string pi = "3.14159265358979323846", e = "2.718281828";
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"PI", {pi}},
        {"omg", {"0.00628319"}},
        {"f", {"0.001"}},
        {"amp*per", {"8191", "*", "1000"}},
        {"a m p", {"8191"}}, // blanks inside a word are dropped
        // Signs at the cursor are tokens of their own; a number never carries a sign.
        {"-2.5e3", {"-", "2.5e3"}},
        {"2 -1", {"2", "-", "1"}},
        {"1e", {"1", e}},
        {"2.5e-3*p", {"2.5e-3", "*", "p"}},
        {".5+SIN(p)", {".5", "+", "sin", "(", "p", ")"}},
    };
    for (const auto& [text, tokens] : cases)
        EXPECT_EQ(Tokens(text), tokens) << text;
    parser.per = 3;
    EXPECT_EQ(Tokens("omg*f"), (std::vector<std::string>{"2.0944", "*", "0.333333"}));
    parser.Start("p");
    parser.GetToken();
    EXPECT_EQ(parser.kind(), ExprParser::kPoint);
    // A word that begins with a function name is split there.
    parser.Start("sinx");
    EXPECT_EQ(parser.GetToken(), 1);
    EXPECT_EQ(parser.token(), "sin");
    EXPECT_ANY_THROW(parser.GetToken());
    parser.Start("omega");
    EXPECT_ANY_THROW(parser.GetToken());
    parser.Start("ab:\\w.wav");
    EXPECT_ANY_THROW(parser.GetToken()); // a drive is one letter
}

TEST_F(ExprParserTest, WaveFilesAsOperands) {
    box.wave("ramp.wav", {-3, 300, -32768, 32767}, "x"); // the odd last byte is no sample
    box.wave("two.wav", {7, 8});
    EXPECT_EQ(Postfix(parser, "ramp.wav*2+two.wav"), "wh0 2 * wh1 + ");
    ASSERT_EQ(parser.waves().size(), 2u);
    EXPECT_EQ(parser.waves()[0].bytes, 9);
    EXPECT_EQ(parser.waves()[0].samples.size(), 4u);
    EXPECT_EQ(Value(parser, "ramp.wav", 2), -32768);
    EXPECT_EQ(Value(parser, "ramp.wav", 3), 32767);
    EXPECT_EQ(Value(parser, "(ramp.wav-1)", 1), 299);
    // More than ten files, numbered on past 9.
    std::string many = "two.wav";
    for (int i = 0; i < 11; ++i)
        many += i == 10 ? "+ramp.wav" : "+two.wav";
    std::string manyProgram = Postfix(parser, many);
    EXPECT_NE(manyProgram.find("wh11 + "), std::string::npos) << manyProgram;
    EXPECT_EQ(parser.EvalPostfix(manyProgram, 1), 11 * 8 + 300);
    // The editor lower-cases formulas; the file is found whatever its letter case.
    box.wave("Mixed.WAV", {5});
    EXPECT_EQ(Value(parser, "mixed.wav"), 5);

    // A full path of this system is one operand, not a run of divisions.
    EXPECT_EQ(Postfix(parser, "2*" + box.waves + "two.wav/2"), "2 wh0 * 2 / ");
    EXPECT_EQ(Value(parser, "p/2", 3), 1.5);

    EXPECT_EQ(Postfix(parser, "p+gone.wav"), "Error2");
    EXPECT_EQ(box.prompts.lastText(), "Expression:\np+gone.wav\nincorrect");
}

TEST_F(ExprParserTest, ShortestWaveIsTheSmallestReferencedFile) {
    box.wave("w500.wav", std::vector<std::int16_t>(500, 1));
    box.wave("w800.wav", std::vector<std::int16_t>(800, 1));
    EXPECT_EQ(parser.ShortestWave("w800.wav+w500.wav*sin(p)", 1000), 500);
    EXPECT_EQ(parser.ShortestWave("w800.wav", 600), 600);
    EXPECT_EQ(parser.ShortestWave("sin(p)", 1000), 1000);
    EXPECT_EQ(parser.ShortestWave("sin(p)", 16777216), 5000000);
    // Bad words and stray characters are passed over, not reported.
    EXPECT_EQ(parser.ShortestWave("x#y+w500.wav+gone.wav", 1000), 500);
    EXPECT_TRUE(box.prompts.asked.empty());
}

TEST_F(ExprParserTest, AliasReferencesReadTheEditorArrays) {
    std::vector<std::vector<double>> values(3);
    values[1] = {0.5};
    parser.SetAliases(&values, 2);
    EXPECT_EQ(Value(parser, "-{1}", 0), -0.5);
    EXPECT_EQ(Value(parser, "({1}-1)", 0), -0.5);
    std::vector<std::vector<double>> twelve(13, std::vector<double>{0.5});
    parser.SetAliases(&twelve, 12);
    EXPECT_EQ(Postfix(parser, "{12}*2"), "r12 2 * ");
    EXPECT_EQ(Value(parser, "{12}*2"), 1);
    parser.SetAliases(&values, 2);
    // A number beyond the list gives no operand.
    EXPECT_EQ(Postfix(parser, "{3}+1"), "1 + ");
    // An unbalanced closing brace is refused after the conversion.
    EXPECT_EQ(Postfix(parser, "p}"), "Error");
}

} // namespace
} // namespace tw
