#include "Trains.h"

#include "Arguments.h"
#include "CoreCall.h"
#include "PrivateFolder.h"

#include "app/FileUtil.h"
#include "app/MessageIds.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StringTable.h"
#include "document/WaveFormats.h"
#include "host/ExchangeFile.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseFiles.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseOptions.h"
#include "pulse/PulseViewState.h"
#include "pulse/TrainModel.h"
#include "pulse/TrainSegmenter.h"

#include <pybind11/stl.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

namespace py = pybind11;
using namespace pybind11::literals;

namespace tw::python {

namespace {

constexpr std::array<const char*, 3> kFormatNames = {"intervals", "points", "template"};
constexpr std::array<const char*, 4> kColumnNames = {"index", "level", "interval", "cumulative"};

// The view around the editor: the whole train is always shown.
struct ScriptHost : PulseEditorHost {};

// The download summary: accepted when it reaches no limit of the instrument, as the dialog
// allows; the attention line is kept for the refusal.
struct SummaryRecorder : SummaryAsker {
    std::string attention;
    SummaryChoice askSummary(const DownloadSummary&, const std::string& line) override {
        attention = line;
        return {line.empty(), false};
    }
};

int FormatArgument(const py::handle& format) {
    if (py::isinstance<py::str>(format)) {
        const std::string name = ToLower(format.cast<std::string>());
        for (int i = 0; i < 2; ++i)
            if (name == kFormatNames[static_cast<std::size_t>(i)])
                return i;
    } else if (py::isinstance<py::int_>(format)) {
        const int value = format.cast<int>();
        if (value == 0 || value == 1)
            return value;
    }
    throw py::value_error("format must be 'intervals' (0) or 'points' (1)");
}

int ColumnArgument(const py::handle& column) {
    if (py::isinstance<py::str>(column)) {
        const std::string name = ToLower(column.cast<std::string>());
        for (int i = 1; i < 4; ++i)
            if (name == kColumnNames[static_cast<std::size_t>(i)])
                return i;
    } else if (py::isinstance<py::int_>(column)) {
        const int value = column.cast<int>();
        if (value >= 1 && value <= 3)
            return value;
    }
    throw py::value_error("column must be 'level' (1), 'interval' (2) or 'cumulative' (3)");
}

// A cell as typed into the editor, in the train's design units.
std::string CellText(const py::handle& value) {
    if (py::isinstance<py::str>(value))
        return value.cast<std::string>();
    if (py::isinstance<py::bool_>(value) ||
        !(py::isinstance<py::int_>(value) || py::isinstance<py::float_>(value)))
        throw py::type_error("cell values must be numbers or str");
    return py::repr(value).cast<std::string>();
}

std::string ReadableFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail(FileResult::FromErrno(FileResult::Action::Read, path, errno).message());
    return path;
}

py::object Optional(const std::optional<double>& v) {
    return v ? py::object(py::float_(*v)) : py::object(py::none());
}

// The segment number of a "Seg-<n>.wav" path, 0 when it is none.
int SegmentNumber(const std::string& path) {
    int n = 0;
    char tail = 0;
    return std::sscanf(FileNameOf(path).c_str(), "Seg-%d.wa%c", &n, &tail) == 2 ? n : 0;
}

void RemoveWaveFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> doomed;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && EqualsNoCase(ExtensionOf(entry.path().string()), "wav"))
            doomed.push_back(entry.path());
    for (const auto& p : doomed)
        RemoveFile(p.string());
}

struct Step {
    int segment;
    long long repeat;
};

} // namespace

struct Train::State {
    PrivateFolder folder;
    PulseLimits limits;
    ScriptHost host;
    std::unique_ptr<PulseEditor> editor;
    explicit State(const std::string& instrument) : folder(kPulseComposer, instrument) {}
};

Train::Train(const std::string& path, const std::string& instrument) {
    CallCore([&] {
        state_ = std::make_unique<State>(instrument);
        ProfileCacheScope scope;
        state_->limits = LoadPulseLimits(state_->folder.state());
        PulseViewState view;
        view.Load(state_->folder.state(), 0); // a fresh one-section train, as the composer starts
        state_->editor = std::make_unique<PulseEditor>(state_->limits, state_->host,
                                                       state_->folder.state(), CallPrompter());
        state_->editor->OpenSection();
        if (!path.empty() && !state_->editor->LoadTrain(ReadableFile(path)))
            Fail(path + " holds no pulse train (no \"qPls\" in section \"PulseRoot\")");
    });
}

Train::~Train() = default;

const LaunchState& Train::launchState() const {
    return state_->folder.state();
}

PulseEditor& Train::editor() {
    return *state_->editor;
}

void Train::Select(int section) {
    PulseEditor& e = editor();
    if (section == e.activeSection())
        return;
    if (!e.CheckComplete())
        Fail("");
    WriteTrainRoot(e.session(), e.channel(), "activePls", std::to_string(section));
    e.selectedRow = 0;
    e.OpenSection();
}

template <class F> decltype(auto) Train::OnSection(int section, F&& f) {
    return CallCore([&] {
        ProfileCacheScope scope;
        const int count =
            StoredCount(ReadTrainRootNumber(launchState(), editor().channel(), "qPls", 0));
        if (section < 0 || section >= count)
            throw py::index_error("no section " + std::to_string(section) + " in a train of " +
                                  std::to_string(count));
        Select(section);
        return f(editor());
    });
}

template <class F> decltype(auto) Train::OnTrain(F&& f) {
    return CallCore([&] {
        ProfileCacheScope scope;
        return f(editor());
    });
}

py::list Train::Sections() {
    const TrainData train =
        OnTrain([](PulseEditor& e) { return ReadTrain(e.session(), e.channel()); });
    py::list sections;
    for (const TrainSectionData& s : train.sections) {
        py::list rows;
        for (const TrainRow& r : s.rows)
            rows.append(py::dict("level"_a = Optional(r.level), "interval"_a = Optional(r.interval),
                                 "cumulative"_a = Optional(r.cumulative)));
        sections.append(py::dict("format"_a = kFormatNames[static_cast<std::size_t>(s.format)],
                                 "start"_a = s.start, "duration"_a = s.localDuration,
                                 "repeat"_a = s.repeat, "rows"_a = rows));
    }
    return sections;
}

py::dict Train::Summary() {
    const TrainData t = OnTrain([](PulseEditor& e) { return ReadTrain(e.session(), e.channel()); });
    return py::dict("sections"_a = t.sectionCount, "active_section"_a = t.activeSection,
                    "duration"_a = t.duration, "level_low"_a = t.levelLow,
                    "level_high"_a = t.levelHigh, "time_unit"_a = TimeUnitLabel(t.timeUnit),
                    "level_unit"_a = LevelUnitLabel(t.levelUnit));
}

py::list Train::Table(int section) {
    const auto rows = OnSection(section, [](PulseEditor& e) {
        std::vector<std::vector<std::string>> texts;
        for (int r = 0; r < e.rowCount(); ++r) {
            texts.emplace_back();
            for (int c = 1; c < e.columnCount(); ++c)
                texts.back().push_back(e.text(r, c));
        }
        return texts;
    });
    return py::cast(rows);
}

void Train::Edit(int section, int row, const py::object& column, const py::object& value) {
    const int c = ColumnArgument(column);
    const std::string text = CellText(value);
    OnSection(section, [&](PulseEditor& e) {
        if (row < 0 || row >= e.rowCount())
            throw py::index_error("no row " + std::to_string(row) + " in a section of " +
                                  std::to_string(e.rowCount()));
        if (c >= e.columnCount() || !e.isEditable(row, c))
            throw py::value_error("this cell cannot be edited");
        if (text.find_first_not_of(" \t") == std::string::npos)
            throw py::value_error("an empty cell is not stored");
        if (!e.EditCell(row, c, text))
            Fail("");
    });
}

void Train::SetRepeat(int section, const py::object& repeat) {
    const std::string text = CellText(repeat);
    OnSection(section, [&](PulseEditor& e) {
        if (!e.ApplyRepeat(text))
            Fail("");
    });
}

void Train::SetFormat(int section, const py::object& format) {
    const int f = FormatArgument(format);
    OnSection(section, [&](PulseEditor& e) {
        if (!e.SetFormat(f))
            Fail("");
    });
}

void Train::AppendRow(int section) {
    OnSection(section, [](PulseEditor& e) { e.AppendRow(); });
}

void Train::InsertRow(int section, int row) {
    OnSection(section, [&](PulseEditor& e) {
        if (row < 0 || row >= e.rowCount())
            throw py::index_error("no row " + std::to_string(row));
        e.selectedRow = row;
        if (!e.InsertRow())
            Fail("");
    });
}

void Train::DeleteRow(int section, int row) {
    OnSection(section, [&](PulseEditor& e) {
        if (row < 0 || row >= e.rowCount())
            throw py::index_error("no row " + std::to_string(row));
        e.selectedRow = row;
        if (!e.DeleteRow())
            Fail("");
    });
}

void Train::ClearSection(int section) {
    OnSection(section, [](PulseEditor& e) { e.DeleteAll(); });
}

void Train::AppendSection() {
    OnTrain([](PulseEditor& e) {
        e.OpenSection();
        if (!e.AppendSection())
            Fail("");
    });
}

void Train::InsertSection(int index) {
    OnSection(index, [](PulseEditor& e) {
        if (!e.InsertSection())
            Fail("");
    });
}

void Train::DeleteSection(int index) {
    OnSection(index, [](PulseEditor& e) {
        if (!e.DeleteSection())
            Fail("");
    });
}

void Train::RemoveAllSections() {
    MessageRecorder recorder;
    RunOnCore(recorder, [&] {
        ProfileCacheScope scope;
        editor().OpenSection();
        if (!editor().RemoveAllSections())
            Fail("");
    });
    // The call is the answer to the editor's question whether to go on.
    std::erase_if(recorder.messages, [](const Message& m) { return m.buttons != Buttons::Ok; });
    WarnAbout(recorder.messages);
}

void Train::Save(const py::object& pathArgument) {
    const std::string path = PathArgument(pathArgument);
    OnTrain([&](PulseEditor& e) {
        if (!SaveTrainAs(e, path))
            Fail("cannot save the train to " + path);
    });
}

CompiledTrain Train::Compile(const py::object& instrumentArgument, const py::object& sclkArgument,
                             const py::object& modeArgument) {
    const std::string instrument =
        instrumentArgument.is_none() ? std::string() : PathArgument(instrumentArgument);
    std::optional<std::string> forcedClock;
    if (!sclkArgument.is_none())
        forcedClock = CellText(sclkArgument);
    std::optional<int> mode;
    if (!modeArgument.is_none()) {
        mode = modeArgument.cast<int>();
        if (*mode < 0 || *mode > 2)
            throw py::value_error("mode must be 0 (sequenced), 1 (single segment) or 2 (section "
                                  "per segment)");
    }

    struct Built {
        DownloadReport report;
        std::vector<std::vector<std::int16_t>> segments;
        std::vector<Step> steps;
    };
    Built built = CallCore([&] {
        LaunchState state = launchState();
        if (!instrument.empty())
            state.descrFile = state_->folder.CopyDescription(instrument, "compile.ini");
        ProfileCacheScope scope;
        const PulseLimits limits = instrument.empty() ? state_->limits : LoadPulseLimits(state);

        // The forced clock the Options dialog would store, for this compilation only.
        struct RestoreForcedClock {
            const LaunchState& session;
            bool armed = false;
            std::optional<std::string> forced, clock;
            ~RestoreForcedClock() {
                if (!armed)
                    return;
                profile::Transaction t(session, session.exchangeFile);
                auto put = [&](const char* key, const std::optional<std::string>& v) {
                    if (v)
                        t.write(kForcedClockSection, key, *v);
                    else
                        t.deleteKey(kForcedClockSection, key);
                };
                put("frcSclk_toVal", forced);
                put("forceSclk", clock);
                t.commit();
            }
        } restore{state, false, {}, {}};
        if (forcedClock) {
            restore.forced =
                profile::GetValue(state.exchangeFile, kForcedClockSection, "frcSclk_toVal");
            restore.clock = profile::GetValue(state.exchangeFile, kForcedClockSection, "forceSclk");
            restore.armed = true;
            PulseOptions options = LoadPulseOptions(state, limits, 0);
            options.forceClock = true;
            options.forcedClock = *forcedClock;
            FailUnless(StorePulseOptions(state, options, limits, 0), "");
        }
        // The mode of operation is the general settings' "forceSingSeg", 1 when absent.
        if (mode)
            WriteGeneralSetting(state, "forceSingSeg", std::to_string(*mode), kPulseSettings);
        else
            profile::DeleteKey(state, state.generalIni, kPulseSettings, "forceSingSeg");

        RemoveWaveFiles(state.tmpFolder);
        ScriptHost host;
        PulseEditor editor(limits, host, state, CallPrompter());
        editor.OpenSection();
        SummaryRecorder summary;
        Built out;
        const int code = DownloadTrain(editor, summary, -1, false, &out.report);
        if (code == kDownloadImpossible) {
            CallPrompter().ask(state.appName, StringText(kMsgDownloadOptionUnusable), Buttons::Ok,
                               Icon::Exclamation);
            Fail("");
        }
        if (code != kDownloadDone)
            Fail(summary.attention.empty() ? "the download was stopped" : summary.attention);

        int segments = 0;
        int k = 0;
        for (const auto& step : ExchangeFile::PulseSequence(state).Read()) {
            ++k;
            const int n = SegmentNumber(step.path);
            if (n < 1)
                Fail("step " + std::to_string(k) + " names no segment file: " + step.path);
            out.steps.push_back({n, step.repeat.empty() ? 1 : std::atoll(step.repeat.c_str())});
            segments = std::max(segments, n);
        }
        for (int n = 1; n <= segments; ++n) {
            std::vector<std::int16_t> samples;
            if (FileResult read = ReadNativeFile(TrainSegmenter::SegmentPath(state.tmpFolder, n),
                                                 PointLayout::Int16, samples);
                !read)
                Fail(read.message());
            out.segments.push_back(std::move(samples));
        }
        return out;
    });

    CompiledTrain result;
    result.sclk = built.report.sclk;
    result.mode = built.report.mode;
    for (auto& samples : built.segments)
        result.segments.append(ToArray(std::move(samples)));
    for (const Step& s : built.steps)
        result.sequence.append(py::make_tuple(s.segment - 1, s.repeat));
    const DownloadSummary& s = built.report.summary;
    result.summary = py::dict("amplitude"_a = s.amplitude, "offset"_a = s.offset,
                              "sample_clock"_a = s.sampleClock, "memory_usage"_a = s.memoryUsage,
                              "segments"_a = s.segments, "steps"_a = s.steps,
                              "waveforms_mode"_a = s.waveformsMode);
    return result;
}

} // namespace tw::python

namespace tw::python {

namespace {

std::string OptionalPath(const py::object& path) {
    return path.is_none() ? std::string() : PathArgument(path);
}

} // namespace

void RegisterTrains(py::module_& m) {
    py::class_<CompiledTrain>(m, "CompiledTrain", R"(What a download of a pulse train writes.

sclk       the sample clock, samples per second
mode       the mode the segments were built in: 0 sequenced, 1 single
           segment, 2 section per segment, 5 continuous
segments   the segment files as int16 arrays: segments[i] is "Seg-<i+1>.wav"
sequence   the sequence table "PulsSeq": one (segment index, repeat) per step
summary    the download summary's texts (amplitude, offset, sample_clock,
           memory_usage, segments, steps, waveforms_mode))")
        .def_readonly("sclk", &CompiledTrain::sclk)
        .def_readonly("mode", &CompiledTrain::mode)
        .def_readonly("segments", &CompiledTrain::segments)
        .def_readonly("sequence", &CompiledTrain::sequence)
        .def_readonly("summary", &CompiledTrain::summary)
        .def("__repr__", [](const CompiledTrain& c) {
            return "<CompiledTrain sclk=" + py::repr(py::float_(c.sclk)).cast<std::string>() +
                   " mode=" + std::to_string(c.mode) +
                   " segments=" + std::to_string(c.segments.size()) +
                   " steps=" + std::to_string(c.sequence.size()) + ">";
        });

    py::class_<Train>(m, "Train", R"(A pulse train under the pulse editor's rules.

Made by load_train(path) or new_train(). The train lives in a private
exchange file of its own; every change goes through the editor's validation,
and a refusal raises tidewright.Error with the editor's message (the train
stays as it was). Sections and rows are counted from 0. Cell values are
typed in the train's design units (summary["time_unit"], ["level_unit"]),
as in the editor's table; stored values are seconds and volts.

Editing a section opens it, as choosing it in the view does: the section
open before must be complete (else "Section N incomplete. Unable to perform
operation.").)")
        .def_property_readonly("sections", &Train::Sections,
                               R"(The sections as stored: a list of dicts with "format"
("intervals", "points" or "template"), "start" and "duration" (seconds,
one pass), "repeat", and "rows": dicts of "level" (V), "interval" and
"cumulative" (s), None for an empty cell.)")
        .def_property_readonly("summary", &Train::Summary,
                               R"(The train's root: "sections", "active_section", "duration"
(s, all repeats), "level_low", "level_high" (V), "time_unit", "level_unit".)")
        .def("__repr__",
             [](Train& t) {
                 const py::dict s = t.Summary();
                 return "<Train sections=" + py::str(s["sections"]).cast<std::string>() +
                        " duration=" + py::repr(s["duration"]).cast<std::string>() + " s>";
             })
        .def("table", &Train::Table, "section"_a,
             "table(section) -> list\n\nThe editor's table of a section: per row the texts of "
             "level, interval and\n"
             "cumulative time in design units (two columns less for a template section).")
        .def("edit", &Train::Edit, "section"_a, "row"_a, "column"_a, "value"_a,
             "edit(section, row, column, value) -> None\n\n"
             "Types value (a number or its text, in design units) into a cell; column is\n"
             "'level', 'interval' or 'cumulative' (1, 2, 3). The partner time column and the\n"
             "rows below are repaired as in the editor.")
        .def("set_repeat", &Train::SetRepeat, "section"_a, "repeat"_a,
             "set_repeat(section, repeat) -> None\n\n"
             "Sets a section's repeat count (1 to the instrument's \"MaxLoopNo\").")
        .def("set_format", &Train::SetFormat, "section"_a, "format"_a,
             "set_format(section, format) -> None\n\n"
             "Sets an empty section's design format: 'intervals' (0) or 'points' (1).")
        .def("append_row", &Train::AppendRow, "section"_a,
             "append_row(section) -> None\n\nAdds an empty row at the end.")
        .def("insert_row", &Train::InsertRow, "section"_a, "row"_a,
             "insert_row(section, row) -> None\n\n"
             "Inserts an empty row before `row`; the section must be complete.")
        .def("delete_row", &Train::DeleteRow, "section"_a, "row"_a,
             "delete_row(section, row) -> None\n\nRemoves a row and repairs the times after it.")
        .def("clear_section", &Train::ClearSection, "section"_a,
             "clear_section(section) -> None\n\nEmpties a section (the editor's Delete All).")
        .def("append_section", &Train::AppendSection,
             "append_section() -> None\n\n"
             "Appends an empty section; no two empty sections may stand together.")
        .def("insert_section", &Train::InsertSection, "index"_a,
             "insert_section(index) -> None\n\nInserts an empty section before section `index`.")
        .def("delete_section", &Train::DeleteSection, "index"_a,
             "delete_section(index) -> None\n\n"
             "Removes a section (with one section left: Remove All Sections).")
        .def("remove_all_sections", &Train::RemoveAllSections,
             "remove_all_sections() -> None\n\nLeaves one empty section (the question is answered "
             "Yes).")
        .def("save", &Train::Save, "path"_a,
             "save(path) -> None\n\n"
             "Saves as Save As does by the extension: \".pls\" a pulse master file, \".wav\"\n"
             "the train as one segment of samples (and the .pls beside it), \".tss\" the\n"
             "segment and sequence tables of the last compile.")
        .def("compile", &Train::Compile, "instrument"_a = py::none(), py::kw_only(),
             "sclk"_a = py::none(), "mode"_a = py::none(),
             R"(compile(instrument=None, *, sclk=None, mode=None) -> CompiledTrain

Compiles and segments the train as the download does, for the instrument
whose description file is given (None: the train's own instrument):
works out the sample clock, cuts the train into segments and builds the
sequence table.

sclk   force this sample clock, as the Options dialog's "Force SCLK to"
       (checked against the instrument's clock range); None: the train's
       own forced clock, if it carries one, else worked out
mode   0 freely selected (sequenced), 1 force single segment,
       2 section per segment; None: 1, the program's default

The forced clock and mode apply to this compilation only. Raises
tidewright.Error with the program's messages when the train cannot be
built (incomplete train, clock limits, the instrument's resources).)");

    m.def(
        "load_train",
        [](const py::object& path, const py::object& instrument) {
            const std::string file = PathArgument(path);
            if (file.empty())
                throw py::value_error("load_train needs the path of a pulse master file");
            return std::make_unique<Train>(file, OptionalPath(instrument));
        },
        "path"_a, py::kw_only(), "instrument"_a = py::none(),
        R"(load_train(path, *, instrument=None) -> Train

Loads a pulse master file (".pls") as Open does, within the instrument's
limits ("MaxLinkNo", "MaxLoopNo"; what they refuse is left out with a
warning). instrument: the description file whose limits the editor keeps
(None: the sample instrument).)");
    m.def(
        "new_train",
        [](const py::object& instrument) {
            return std::make_unique<Train>(std::string(), OptionalPath(instrument));
        },
        py::kw_only(), "instrument"_a = py::none(),
        R"(new_train(*, instrument=None) -> Train

The fresh train the pulse-train composer starts with: one empty section of
time/level points, time unit ms, level unit V.)");
}

} // namespace tw::python
