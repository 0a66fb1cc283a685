// Random formulas through the whole engine: check, conversion, both range passes, the compiled
// program against the text evaluation, and its block run against its point-by-point one. Over
// ranges longer than the wave files, so that a read outside a file shows under the address
// sanitizer.
#include "app/FileUtil.h"
#include "expr/ExprParser.h"
#include "expr/ExprRange.h"
#include "expr/ProgramRun.h"
#include "expr/support/PostfixReference.h"
#include "support/FuzzSupport.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace tw;

// Where the operands live: one wave of whole samples, one without a whole sample.
const std::string& WaveFolder() {
    static const std::string folder = [] {
        fuzz::InstallSilentPrompter();
        const std::string& f = fuzz::ScratchFolder("tw-expr-fuzz");
        fuzz::WriteBytes(f + "a.wav", std::string_view("\x01\x00\xff\x7f\x00\x80", 6));
        fuzz::WriteBytes(f + "b.wav", "\x05");
        return f;
    }();
    return folder;
}

void Same(const EvalResult& a, const EvalResult& b) {
    const bool sameValue = std::memcmp(&a.value, &b.value, sizeof a.value) == 0 ||
                           (std::isnan(a.value) && std::isnan(b.value));
    fuzz::Check(a.error == b.error && sameValue);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& waveFolder = WaveFolder();
    if (size < 1)
        return 0;
    const std::uint8_t options = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), std::min<std::size_t>(size - 1, 300));
    text = ToLower(text);

    std::vector<std::vector<double>> aliases = {{}, {1, -2, 3}, {0.5}};
    ExprParser parser;
    parser.waveFolder = waveFolder;
    parser.SetAliases(&aliases, options & 3);
    parser.ShortestWave(text, 100);

    ExprRange range{.start = 1,
                    .end = 1 + (options >> 4),
                    .lo = -50,
                    .hi = 50.0 + (options & 8),
                    .cycles = 1 + ((options >> 2) & 3),
                    .scaled = (options & 4) != 0,
                    .lowest = -32768,
                    .highest = 32767};
    std::vector<std::int32_t> points(20);
    static_cast<void>(EvaluateOverRange(parser, text, text, range, points));

    // The conversion's program, and the raw text taken as a program.
    std::string program = text;
    static_cast<void>(parser.CheckSyntax(program, options & 3));
    if (!program.starts_with("Err"))
        static_cast<void>(parser.ToPostfix(program));
    for (const std::string& p : {program, text}) {
        const PostfixProgram& compiled = parser.Compiled(p);
        for (long point : {0L, 2L, 5L, 40L})
            Same(compiled.Run(point, parser.operands()),
                 EvalPostfixText(p, point, parser.operands()));
        // In blocks the same values up to the same first failure.
        std::vector<double> values(50, 0.5);
        const RunFailure failure = RunProgram(
            compiled, parser.operands(), std::span<double>(values),
            [](std::size_t i) { return static_cast<long>(i); }, [](double v) { return v; }, nullptr,
            RunSharing{.threads = 1});
        long failedAt = -1;
        for (long i = 0; i < 50 && failedAt < 0; ++i) {
            const EvalResult r = compiled.Run(i, parser.operands());
            if (r.error) {
                failedAt = i;
                Same({expr::kFailValue, failure.error}, r);
            } else {
                Same({values[i], 0}, r);
            }
        }
        fuzz::Check(failedAt == failure.at);
        std::string buffer = p;
        parser.EvalPostfix(buffer, 1);
    }
    return 0;
}
