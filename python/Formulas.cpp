#include "Formulas.h"

#include "Arguments.h"
#include "CoreCall.h"
#include "PrivateFolder.h"

#include "app/FileUtil.h"
#include "app/Printf.h"
#include "document/ValueScale.h"
#include "document/WaveFormats.h"
#include "expr/AliasValues.h"
#include "expr/ExprRange.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <variant>

namespace py = pybind11;

namespace tw::python {

namespace {

// The engine answers its own ceiling for formulas without a wave file.
constexpr long kNoWaveLimit = 5000000;

// One alias of the call: a formula, or the points of a wave operand.
struct Operand {
    std::string name; // with its braces
    std::variant<std::string, std::vector<std::int32_t>> value;
};

std::vector<Operand> OperandsArgument(const py::object& operands) {
    std::vector<Operand> out;
    if (operands.is_none())
        return out;
    if (!py::isinstance<py::dict>(operands))
        throw py::type_error("operands must be a dict {name: formula or array}");
    for (const auto& [key, value] : py::reinterpret_borrow<py::dict>(operands)) {
        if (!py::isinstance<py::str>(key))
            throw py::type_error("operand names must be str");
        std::string name = key.cast<std::string>();
        if (!name.starts_with('{'))
            name = "{" + name + "}";
        if (py::isinstance<py::str>(value))
            out.push_back({name, value.cast<std::string>()});
        else
            out.push_back({name, IntegerPoints(value, INT16_MIN, INT16_MAX, "operand " + name)});
    }
    return out;
}

std::string WorkingFolder() {
    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).string();
    return ec ? std::string() : cwd + "/";
}

// The alias table of the call, its names under the editor's rules, its refusals in the session's
// caption; wave operands are written into the private folder and named by their paths.
AliasTable MakeAliases(const LaunchState& session, const std::vector<Operand>& operands,
                       const PrivateFolder* folder) {
    AliasTable table(session.appName);
    for (std::size_t i = 0; i < operands.size(); ++i) {
        const Operand& operand = operands[i];
        std::string formula;
        if (const auto* text = std::get_if<std::string>(&operand.value)) {
            formula = *text;
        } else {
            formula = folder->root() + "/operand" + std::to_string(i + 1) + ".wav";
            const auto& points = std::get<std::vector<std::int32_t>>(operand.value);
            if (FileResult written = WriteNativeFile(formula, points, PointLayout::Int16); !written)
                Fail(written.message());
        }
        // Through the call's recorder: a refusal ends the call, a warning is raised after it.
        Show(CallPrompter(), table.Add());
        if (!Show(CallPrompter(), table.Rename(i, operand.name)))
            Fail("");
        table.SetFormula(i, formula);
    }
    return table;
}

// A wave operand must cover every point; the refusal `tidewright-cli eval` gives.
void CheckShortest(long shortest, long points) {
    if (shortest < points && shortest < kNoWaveLimit)
        Fail("a wave in the formula has only " + std::to_string(shortest) + " points, fewer than " +
             std::to_string(points));
}

std::vector<std::int16_t> EvaluateOnCore(const std::string& typed, long points,
                                         const LevelRange& levels, bool scale, long cycles,
                                         const std::vector<Operand>& operands,
                                         const std::vector<Message>& shown) {
    const bool waveOperands = std::any_of(operands.begin(), operands.end(), [](const Operand& o) {
        return std::holds_alternative<std::vector<std::int32_t>>(o.value);
    });
    std::optional<PrivateFolder> folder;
    LaunchState state;
    if (waveOperands) {
        folder.emplace(kStandardComposer, "");
        state = folder->state();
    }
    state.waveFolder = WorkingFolder();
    state.reports = &CallPrompter();
    ProfileCacheScope scope;

    if (typed.find_first_not_of(" \t") == std::string::npos) {
        FailUnless(Notice{0, "Error", "Expression is empty"}, "");
    }
    ExprParser parser;
    parser.waveFolder = state.waveFolder;
    parser.caption = state.appName;
    ExprRange range;
    range.end = points - 1;
    range.lo = levels.low;
    range.hi = levels.high;
    range.k = ValueScale().equationFactor(levels.low, levels.high); // the standard composer's codes
    range.cycles = cycles;
    range.scaled = scale;
    SetRangeConstants(parser, range);

    const AliasTable aliases = MakeAliases(state, operands, folder ? &*folder : nullptr);
    std::vector<std::vector<double>> aliasValues;
    std::string formula = ToLower(typed);
    if (typed.find('{') != std::string::npos) {
        Result refused;
        const std::string substituted = aliases.Substitute(typed, &refused);
        if (substituted == kMarkError) {
            FailUnless(refused
                           .then(Notice{0, "Error",
                                        strprintf("Expression:\n%s\nIncorrect", typed.c_str())})
                           .fail(),
                       "");
        }
        aliasValues.assign(std::max<std::size_t>(100, aliases.size() + 1), {});
        parser.SetAliases(&aliasValues, static_cast<int>(aliases.size()));
        const std::vector<std::size_t> used = ReferredAliases(aliases, substituted);
        long shortest = parser.per;
        FailUnless(CheckAliases(parser, aliases, used, substituted, shortest), "");
        CheckShortest(shortest, points);
        FailUnless(EvaluateAliases(parser, aliases, used, 0, points - 1, aliasValues), "");
        formula = ToLower(substituted);
    } else {
        const std::size_t before = shown.size();
        const long shortest = parser.ShortestWave(formula, parser.per);
        if (shown.size() != before)
            Fail("");
        CheckShortest(shortest, points);
    }
    std::vector<std::int16_t> values(static_cast<std::size_t>(points));
    FailUnless(EvaluateOverRange(parser, formula, typed, range, std::span<std::int16_t>(values)),
               "cannot evaluate '" + typed + "'");
    return values;
}

} // namespace

py::array Evaluate(const std::string& formula, long points, const py::object& rangeArgument,
                   bool scale, const py::object& operandsArgument, long cycles) {
    PointCount(points);
    const LevelRange range = RangeArgument(rangeArgument);
    if (cycles < 1 || cycles > 10000)
        throw py::value_error("cycles must be from 1 to 10000");
    const std::vector<Operand> operands = OperandsArgument(operandsArgument);
    MessageRecorder recorder;
    std::vector<std::int16_t> values = RunOnCore(recorder, [&] {
        return EvaluateOnCore(formula, points, range, scale, cycles, operands, recorder.messages);
    });
    WarnAbout(recorder.messages);
    return ToArray(std::move(values));
}

} // namespace tw::python
