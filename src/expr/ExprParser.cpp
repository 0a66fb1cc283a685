#include "expr/ExprParser.h"

#include "app/FileUtil.h"
#include "app/MessageIds.h"
#include "app/Printf.h"
#include "app/StringTable.h"
#include "expr/ExprMath.h"
#include "expr/WaveOperandFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace tw {

namespace {

// A numbered failure raised inside the engine and caught at the three places that report it.
struct Raised {
    int id;
};

constexpr std::array<std::array<const char*, 10>, 8> kOperatorTable{{
    {"|"},
    {"&"},
    {"<", ">", "="},
    {"+", "-"},
    {"*", "/", "%"},
    {"^"},
    {"sin", "cos", "tan", "ctn", "ln", "log", "abs", "(", ")", "-"},
    {"{", "}"},
}};

constexpr const char* kBinaryStarts = "+-*/%&|^<>";

bool BeginsWithAny(const std::string& s, const char* set) {
    return !s.empty() && std::strchr(set, s[0]) != nullptr;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsWholeNumber(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Priority(char c) {
    switch (c) {
    case '|':
        return 1;
    case '&':
        return 2;
    case '<':
    case '=':
    case '>':
        return 3;
    case '+':
    case '-':
        return 4;
    case '*':
    case '/':
    case '%':
        return 5;
    case '^':
        return 6;
    default:
        return -1;
    }
}

// Whether the stack entry a goes out before the token b is pushed (0 or more).
int Compare(const std::string& a, const std::string& b) {
    if (a.size() == 1 && b.size() == 1)
        return Priority(a[0]) - Priority(b[0]);
    if (a.size() == 1)
        return -1;
    return b.size() == 1 ? 1 : -1;
}

std::string DefaultDoubleText(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

std::size_t FindNoCase(std::string_view text, std::string_view what) {
    auto it = std::search(text.begin(), text.end(), what.begin(), what.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

void Trim(std::string& s) {
    while (!s.empty() && IsBlank(s.back()))
        s.pop_back();
    std::size_t lead = 0;
    while (lead < s.size() && IsBlank(s[lead]))
        ++lead;
    s.erase(0, lead);
}

// The parser's own refusals of a formula, in the caption they have always had.
Notice ExprError(std::string text, int id = 0) {
    return Notice{id, "Error", std::move(text)};
}

bool IsFunctionWithMessage(const std::string& token) {
    for (const char* f : {"sin", "cos", "ctn", "log", "ln", "abs"})
        if (token == f)
            return true;
    return false;
}

} // namespace

void ExprParser::SetAliases(const std::vector<std::vector<double>>* values, int count) {
    aliasValues_ = values;
    aliasCount_ = count;
}

void ExprParser::Start(std::string_view text) {
    text_.assign(text);
    cursor_ = 0;
}

bool ExprParser::AtTableEntry(std::size_t at, std::size_t* length) const {
    for (const auto& row : kOperatorTable) {
        for (const char* entry : row) {
            if (!entry)
                break;
            std::size_t n = std::strlen(entry);
            if (at + n <= text_.size() &&
                EqualsNoCase(std::string_view(text_).substr(at, n), entry)) {
                if (length)
                    *length = n;
                return true;
            }
        }
    }
    return false;
}

int ExprParser::GetToken() {
    token_.clear();
    kind_ = kSign;
    if (cursor_ < text_.size() && (text_[cursor_] == '-' || text_[cursor_] == '+')) {
        token_ = text_[cursor_++];
        return 1;
    }
    while (cursor_ < text_.size() && IsBlank(text_[cursor_]))
        ++cursor_;
    if (cursor_ >= text_.size())
        return 0;
    std::string_view rest = std::string_view(text_).substr(cursor_);
    std::size_t length = 0;
    if (rest[0] == '/' && ReadAbsolutePath()) {
        // taken whole: an absolute path of this system naming an existing wave file
    } else if ((length = expr::ScanNumber(rest)) > 0) {
        token_.assign(rest.substr(0, length));
        kind_ = kNumber;
        cursor_ += length;
    } else if (AtTableEntry(cursor_, &length)) {
        token_ = ToLower(rest.substr(0, length));
        kind_ = kOperator;
        cursor_ += length;
    } else {
        unsigned char c = static_cast<unsigned char>(rest[0]);
        if (!std::isalpha(c) && !std::isdigit(c) && c != '.')
            return 1; // a character that belongs to no token: the token stays empty
        ReadWord();
    }
    return cursor_ < text_.size() ? 1 : 0;
}

bool ExprParser::ReadAbsolutePath() {
    std::string_view rest = std::string_view(text_).substr(cursor_);
    std::size_t ext = FindNoCase(rest, ".wav");
    if (ext == std::string_view::npos)
        ext = FindNoCase(rest, ".wvf");
    if (ext == std::string_view::npos)
        return false;
    std::string path(rest.substr(0, ext + 4));
    auto found = FindWaveOperandFile(path);
    if (!found)
        return false;
    token_ = FileNameOf(path);
    wavePath_ = *found;
    kind_ = kWave;
    cursor_ += path.size();
    return true;
}

void ExprParser::ReadWord() {
    const std::size_t start = cursor_;
    while (cursor_ < text_.size() && !AtTableEntry(cursor_)) {
        ++cursor_;
        if (text_.compare(cursor_, 2, ":\\") != 0)
            continue;
        std::string_view rest = std::string_view(text_).substr(cursor_);
        std::size_t ext = FindNoCase(rest, ".wav");
        if (ext == std::string_view::npos)
            ext = FindNoCase(rest, ".wvf");
        if (ext == std::string_view::npos)
            continue;
        if (cursor_ - start != 1 || !std::isalpha(static_cast<unsigned char>(text_[start])))
            throw Raised{kMsgUnknownEquation};
        cursor_ += ext + 4;
        token_ = text_.substr(start, cursor_ - start);
        auto found = FindWaveOperandFile(token_);
        if (!found)
            throw Raised{kMsgWaveformFileMissing};
        wavePath_ = *found;
        kind_ = kWave;
        return;
    }
    std::string word = text_.substr(start, cursor_ - start);
    if (word.find('.') != std::string::npos) {
        Trim(word);
        auto found =
            FindWaveOperandFile(word.find(":\\") == std::string::npos ? waveFolder + word : word);
        if (!found)
            throw Raised{kMsgWaveformFileMissing};
        token_ = word;
        wavePath_ = *found;
        kind_ = kWave;
        return;
    }
    word.erase(std::remove_if(word.begin(), word.end(), IsBlank), word.end());
    word = ToLower(word);
    kind_ = kNumber;
    if (word == "p") {
        kind_ = kPoint;
        token_ = "p";
    } else if (word == "pi") {
        token_ = "3.14159265358979323846";
    } else if (word == "e") {
        token_ = "2.718281828";
    } else if (word == "amp") {
        token_ = std::to_string(amp);
    } else if (word == "per") {
        token_ = std::to_string(per);
    } else if (word == "f") {
        token_ = DefaultDoubleText(1.0 / static_cast<double>(per));
    } else if (word == "omg") {
        token_ = DefaultDoubleText(6.283185307179586 / static_cast<double>(per));
    } else {
        throw Raised{kMsgUnknownEquation};
    }
}

bool ExprParser::FirstPassCorrect(bool& bracketsUnbalanced) {
    int brackets = 0;
    auto count = [&](const std::string& t) {
        if (t == "(")
            ++brackets;
        else if (t == ")")
            --brackets;
    };
    int more = GetToken();
    std::string prev = token_;
    if (BeginsWithAny(prev, "*/%&|^<>}"))
        return false;
    count(prev);
    while (more) {
        more = GetToken();
        const std::string& cur = token_;
        count(cur);
        if (cur != "(" && cur != ")" && EqualsNoCase(prev, cur))
            return false;
        if (BeginsWithAny(prev, kBinaryStarts) && BeginsWithAny(cur, kBinaryStarts))
            return false;
        if (prev == "(" && (cur == "+" || cur == "/" || cur == "*"))
            return false;
        if (cur == ")" && (prev == "*" || prev == "/" || prev == "+" || prev == "-" || prev == "%"))
            return false;
        if (prev == "}" && !BeginsWithAny(cur, "+-*/%&|^<>()"))
            return false;
        if (cur == "{" && !BeginsWithAny(prev, "+-*/%&|^<>()"))
            return false;
        prev = cur;
    }
    if (BeginsWithAny(prev, kBinaryStarts))
        return false;
    bracketsUnbalanced = brackets != 0;
    return true;
}

bool ExprParser::SecondPassCorrect() {
    cursor_ = 0;
    std::string last;
    int more = 1;
    while (more) {
        std::size_t before = cursor_;
        more = GetToken();
        if (token_ == "{") {
            if (!more)
                return false;
            more = GetToken();
            if (!IsWholeNumber(token_) || !more)
                return false;
            more = GetToken();
            if (token_ != "}")
                return false;
        } else if (token_.empty() && cursor_ == before) {
            break;
        }
        last = token_;
    }
    return !BeginsWithAny(last, kBinaryStarts);
}

Result ExprParser::CheckSyntax(std::string& buffer, int aliasIndex) {
    const std::string shown = shownFormula.empty() ? buffer : shownFormula;
    bool unbalanced = false;
    bool correct = false;
    try {
        Start(buffer);
        correct = FirstPassCorrect(unbalanced) && (unbalanced || SecondPassCorrect());
    } catch (const Raised&) {
        buffer = kMarkRaised;
        if (aliasIndex == 0)
            return ExprError(vformat("Expression:\n%s\nincorrect", shown.c_str()));
        return ExprError(
            vformat("Expression:\n %s, Incorrect,\nIndex of Alias  %d", shown.c_str(), aliasIndex));
    }
    if (correct && unbalanced) {
        if (aliasIndex == 0) {
            buffer = kMarkError;
            return ExprError(vformat("Too much '(' or ')'  in Expression:\n%s", shown.c_str()));
        }
        buffer = kMarkBracket;
        return ExprError(vformat("Too much '(' or ')' in Expression:\n%s,\nIndex of Alias %d",
                                 shown.c_str(), aliasIndex));
    }
    if (correct)
        return {};
    buffer = kMarkError;
    if (aliasIndex == 0)
        return ExprError(vformat("Expression:\n%s\nincorrect", shown.c_str()));
    return Result::Failed();
}

Result ExprParser::ToPostfix(std::string& buffer) {
    FreeWaves();
    const std::string formula = buffer;
    std::vector<std::string> stack;
    std::string out;
    bool functionPending = false;
    bool openBracket = false;
    int braceDepth = 0;
    auto emit = [&](const std::string& t) {
        out += t;
        out += ' ';
    };
    try {
        Start(formula);
        int more = 1;
        while (more) {
            more = GetToken();
            const std::string tok = token_;
            if (tok.empty())
                throw Raised{kMsgExpressionEmpty};
            if (functionPending && tok != "(")
                throw Raised{kMsgOneArgument};
            if (tok == "}") {
                --braceDepth;
            } else if (tok == "{") {
                ++braceDepth;
                if (!more)
                    break;
                more = GetToken();
                if (IsWholeNumber(token_) && token_.size() < 10) {
                    long n = std::strtol(token_.c_str(), nullptr, 10);
                    if (n <= aliasCount_)
                        emit("r" + std::to_string(n));
                }
                openBracket = false;
            } else if (kind_ == kWave) {
                WaveOperand wave;
                if (!ReadWaveOperand(wavePath_, wave))
                    throw Raised{kMsgWaveformFileMissing};
                emit("wh" + std::to_string(waves_.size()));
                waves_.push_back(std::move(wave));
                openBracket = false;
            } else if ((kind_ == kNumber && tok[0] != '+' && tok[0] != '-') || kind_ == kPoint) {
                emit(tok);
                openBracket = false;
            } else if (tok == "(") {
                stack.push_back(tok);
                functionPending = false;
                openBracket = true;
            } else if (tok == ")") {
                while (!stack.empty()) {
                    std::string top = std::move(stack.back());
                    stack.pop_back();
                    if (top == "(")
                        break;
                    emit(top);
                }
                openBracket = false;
            } else {
                if (openBracket && !stack.empty() && stack.back() == "(" && tok == "-")
                    emit("0");
                while (!stack.empty() && Compare(stack.back(), tok) >= 0) {
                    emit(stack.back());
                    stack.pop_back();
                }
                stack.push_back(tok);
                if (tok.size() >= 2)
                    functionPending = true;
            }
        }
        while (!stack.empty()) {
            emit(stack.back());
            stack.pop_back();
        }
        buffer = out;
        if (functionPending)
            throw Raised{kMsgOneArgument};
        if (braceDepth < 0) {
            buffer = kMarkError;
            return ExprError("Expression incorrect ");
        }
    } catch (const Raised& e) {
        if (e.id != kMsgOneArgument)
            return Result::Failed(); // the conversion ends and the buffer stays as it stood
        buffer = kMarkError;
        if (IsFunctionWithMessage(token_))
            return ExprError("Expression incorrect.\n" +
                                 vformat(StringText(kMsgOneArgument), token_.c_str()),
                             kMsgOneArgument);
        return ExprError(
            vformat("Expression:\n%s, Incorrect.\nExample sin(p*org)", formula.c_str()));
    }
    return {};
}

const PostfixProgram& ExprParser::Compiled(const std::string& program) {
    if (!compiledValid_ || program != compiledText_) {
        compiled_ = PostfixProgram::Compile(program);
        compiledText_ = program;
        compiledValid_ = true;
    }
    return compiled_;
}

Result ExprParser::EvalFailure(std::string& buffer, int error) {
    if (error == expr::kStackFailure) {
        buffer = kMarkError;
        return Result::Failed();
    }
    buffer = kMarkDomain;
    return Notice{error, caption, StringText(error)};
}

double ExprParser::EvalPostfix(std::string& buffer, long point, Result* failure) {
    EvalResult r = Compiled(buffer).Run(point, operands());
    if (r.error) {
        Result failed = EvalFailure(buffer, r.error);
        if (failure)
            *failure = std::move(failed);
        return expr::kFailValue;
    }
    return r.value;
}

long ExprParser::ShortestWave(const std::string& buffer, long limit) {
    std::int64_t smallest = 10000000;
    Start(buffer);
    int more = 1;
    while (more) {
        std::size_t before = cursor_;
        try {
            more = GetToken();
        } catch (const Raised&) {
            more = cursor_ < text_.size();
            continue;
        }
        if (kind_ == kWave && FileSize(wavePath_) >= 0)
            smallest = std::min(smallest, FileSize(wavePath_));
        if (token_.empty() && cursor_ == before) {
            ++cursor_;
            more = cursor_ < text_.size();
        }
    }
    return static_cast<long>(std::min<std::int64_t>(limit, smallest / 2));
}

void ExprParser::FreeWaves() {
    waves_.clear();
    compiledValid_ = false;
}

} // namespace tw
