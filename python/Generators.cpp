#include "Generators.h"

#include "Arguments.h"
#include "CoreCall.h"
#include "PrivateFolder.h"

#include "app/FileUtil.h"
#include "app/ProfileFile.h"
#include "document/Composer.h"
#include "generators/CardiacEcg.h"
#include "generators/DcWaveModel.h"
#include "generators/GeneratorSettings.h"
#include "generators/WaveParamModel.h"

#include <array>
#include <optional>
#include <utility>
#include <variant>

namespace py = pybind11;

namespace tw::python {

namespace {

// A fresh standard-composer document of the call's length and levels, as a generator sees it.
class ArrayTarget : public GeneratorTarget {
  public:
    ArrayTarget(const LaunchState& session, long points, const LevelRange& levels,
                Prompter& prompts)
        : composer_(session), prompts_(prompts), lower_(levels.low), upper_(levels.high) {
        stored_.Assign(static_cast<std::size_t>(points), 0);
    }
    Samples& samples() override { return stored_; }
    double lowerLevel() const override { return lower_; }
    double upperLevel() const override { return upper_; }
    const Composer& composer() const override { return composer_; }
    std::string undoFile() const override {
        return composer_.session().tmpFolder + composer_.undoFileName();
    }
    bool commitPoints(Progress&) override { return true; }
    Prompter& prompts() override { return prompts_; }

    std::vector<std::int16_t> values() const {
        const auto points = std::get<std::span<const std::int16_t>>(stored_.view());
        return {points.begin(), points.end()};
    }

  private:
    Samples stored_{SampleWidth::Int16};
    Composer composer_;
    Prompter& prompts_; // the call's recorder
    double lower_, upper_;
};

enum class Kind { Standard, Dc, Ecg };

struct ShapeChoice {
    const char* name;
    Kind kind;
    Shape shape;
};

constexpr std::array kShapes = {
    ShapeChoice{"sine", Kind::Standard, Shape::Sine},
    ShapeChoice{"triangle", Kind::Standard, Shape::Triangle},
    ShapeChoice{"square", Kind::Standard, Shape::Square},
    ShapeChoice{"sinc", Kind::Standard, Shape::Sinc},
    ShapeChoice{"gaussian", Kind::Standard, Shape::Gaussian},
    ShapeChoice{"exponent", Kind::Standard, Shape::Exponent},
    ShapeChoice{"pulse", Kind::Standard, Shape::Pulse},
    ShapeChoice{"noise", Kind::Standard, Shape::Noise},
    ShapeChoice{"dc", Kind::Dc, Shape::Sine},
    ShapeChoice{"ecg", Kind::Ecg, Shape::Sine},
    ShapeChoice{"cardiac", Kind::Ecg, Shape::Sine},
};

// The ECG dialog's fields in their order.
constexpr std::array<const char*, CardiacEcgModel::kFieldCount> kEcgNames = {
    "h1", "h2", "h3", "h4", "w1", "w2", "w3", "t0", "t1", "t2", "rate"};
// The standard dialogs' four common fields, then the shape's keys.
constexpr std::array<const char*, 4> kCommonNames = {"start", "end", "min", "max"};
constexpr std::array<const char*, 3> kDcNames = {"start", "end", "level"};

using Parameters = std::vector<std::pair<std::string, std::string>>; // lower-case name, text

// A parameter as the user would type it into the dialog's field.
std::string FieldText(const py::handle& value) {
    if (py::isinstance<py::bool_>(value))
        return value.cast<bool>() ? "1" : "0";
    if (py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value))
        return py::repr(value).cast<std::string>();
    if (py::isinstance<py::str>(value))
        return value.cast<std::string>();
    throw py::type_error("generator parameters must be numbers or str");
}

// Puts each parameter into the field of its name; TypeError, naming the ones there are, for a
// name the dialog has not.
template <class Fields, class NameOf, class TextOf>
void FillFields(Fields& fields, const Parameters& parameters, const char* shape, NameOf nameOf,
                TextOf textOf) {
    for (const auto& [name, text] : parameters) {
        bool found = false;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (nameOf(i) == name) {
                textOf(i) = text;
                found = true;
            }
        if (!found) {
            std::string names;
            for (std::size_t i = 0; i < fields.size(); ++i)
                names += (i == 0 ? "" : ", ") + std::string(nameOf(i));
            throw py::type_error("generate('" + std::string(shape) + "') has no parameter '" +
                                 name + "'; its parameters are " + names);
        }
    }
}

std::vector<std::int16_t> GenerateOnCore(const ShapeChoice& choice, long points,
                                         const LevelRange& levels, const std::string& instrument,
                                         const Parameters& parameters) {
    PrivateFolder folder(kStandardComposer, instrument);
    // The document's levels are the instrument's code range.
    profile::WriteValue(folder.state(), folder.state().descrFile, "Axis", "Vpts",
                        SettingNumber(levels.low) + " " + SettingNumber(levels.high));
    ProfileCacheScope scope;
    ArrayTarget target(folder.state(), points, levels, CallPrompter());
    bool done = false;
    switch (choice.kind) {
    case Kind::Standard: {
        WaveParamModel model(choice.shape, target);
        model.Open();
        auto& fields = model.fields();
        FillFields(
            fields, parameters, choice.name,
            [&](std::size_t i) { return i < 4 ? kCommonNames[i] : ToLower(fields[i].key); },
            [&](std::size_t i) -> std::string& { return fields[i].text; });
        done = model.Preview();
        break;
    }
    case Kind::Dc: {
        DcWaveModel model(target);
        model.Open();
        auto& fields = model.fields();
        FillFields(
            fields, parameters, choice.name, [&](std::size_t i) { return kDcNames[i]; },
            [&](std::size_t i) -> std::string& { return fields[i].text; });
        done = model.Preview();
        break;
    }
    case Kind::Ecg: {
        CardiacEcgModel model(target);
        model.Open();
        auto& texts = model.texts();
        FillFields(
            texts, parameters, choice.name, [&](std::size_t i) { return kEcgNames[i]; },
            [&](std::size_t i) -> std::string& { return texts[i]; });
        done = model.Preview() == CardiacEcgModel::Outcome::Done;
        break;
    }
    }
    if (!done)
        Fail("generate('" + std::string(choice.name) + "') refused its parameters");
    return target.values();
}

} // namespace

py::array Generate(const std::string& shape, long points, const py::object& rangeArgument,
                   const py::object& instrumentArgument, const py::kwargs& parameterArguments) {
    const ShapeChoice* choice = nullptr;
    for (const ShapeChoice& c : kShapes)
        if (EqualsNoCase(shape, c.name))
            choice = &c;
    if (!choice) {
        std::string names;
        for (const ShapeChoice& c : kShapes)
            names += (names.empty() ? "" : ", ") + std::string(c.name);
        throw py::value_error("unknown shape '" + shape + "'; the shapes are " + names);
    }
    PointCount(points);
    const LevelRange levels = RangeArgument(rangeArgument);
    const std::string instrument =
        instrumentArgument.is_none() ? std::string() : PathArgument(instrumentArgument);
    Parameters parameters;
    for (const auto& [name, value] : parameterArguments)
        parameters.emplace_back(ToLower(name.cast<std::string>()), FieldText(value));
    std::vector<std::int16_t> values =
        CallCore([&] { return GenerateOnCore(*choice, points, levels, instrument, parameters); });
    return ToArray(std::move(values));
}

} // namespace tw::python
