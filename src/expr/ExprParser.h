#pragma once
#include "app/Result.h"
#include "expr/ExprOperands.h"
#include "expr/PostfixProgram.h"

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The error markers a stage leaves in the caller's buffer.
inline constexpr const char* kMarkError = "Error";
inline constexpr const char* kMarkBracket = "Error(";
inline constexpr const char* kMarkRaised = "Error2";
inline constexpr const char* kMarkDomain = "ErrorDomain";

// The expression engine: checks a formula of the point number, turns it into a postfix program
// and evaluates that program. Every stage works on the caller's text buffer and leaves its result
// or an error marker there, and returns what the user is to be told; its caller shows it.
class ExprParser {
  public:
    enum TokenKind : unsigned char { kSign = 0, kOperator = 1, kPoint = 2, kNumber = 3, kWave = 4 };

    long amp = 0; // half the peak-to-peak span in sample units
    long per = 0; // number of points of the range
    // The formula as the editor's box shows it, for the messages; "" uses the buffer's text.
    std::string shownFormula;
    // Where a wave named without a folder is found (ends in '/'); "" for none.
    std::string waveFolder;
    // The caption of a domain error: the application's name, from the owner's session.
    std::string caption;

    // The editor's alias value arrays ({N} reads row N) and the number of rows in its list.
    void SetAliases(const std::vector<std::vector<double>>* values, int count);

    // Tokenising over a text: Start sets the cursor, GetToken reads one token and returns 1
    // while text remains after it. May raise kMsgWaveformFileMissing or kMsgUnknownEquation.
    void Start(std::string_view text);
    int GetToken();
    const std::string& token() const { return token_; }
    TokenKind kind() const { return kind_; }
    // The file a wave token names (the token keeps the text as typed, so that a folder's leading
    // '/' never reads as an operator).
    const std::string& wavePath() const { return wavePath_; }

    Result CheckSyntax(std::string& buffer, int aliasIndex);
    Result ToPostfix(std::string& buffer);
    // A failed evaluation leaves its marker and, given failure, what to tell the user there.
    double EvalPostfix(std::string& buffer, long point, Result* failure = nullptr);
    long ShortestWave(const std::string& buffer, long limit);

    // The program of a postfix text, compiled once and kept while the text stays the same.
    const PostfixProgram& Compiled(const std::string& program);
    ExprOperands operands() const { return {&waves_, aliasValues_}; }
    const std::vector<WaveOperand>& waves() const { return waves_; }
    // The wave table lives only for one evaluation.
    void FreeWaves();
    // What EvalPostfix does with a failed evaluation: the marker, and the message of a domain
    // error.
    Result EvalFailure(std::string& buffer, int error);

  private:
    std::string text_;
    std::size_t cursor_ = 0;
    std::string token_;
    TokenKind kind_ = kSign;
    std::string wavePath_;

    std::vector<WaveOperand> waves_;
    const std::vector<std::vector<double>>* aliasValues_ = nullptr;
    int aliasCount_ = 0;

    std::string compiledText_;
    PostfixProgram compiled_;
    bool compiledValid_ = false;

    bool AtTableEntry(std::size_t at, std::size_t* length = nullptr) const;
    void ReadWord();
    bool ReadAbsolutePath();
    bool FirstPassCorrect(bool& bracketsUnbalanced);
    bool SecondPassCorrect();
};

} // namespace tw
