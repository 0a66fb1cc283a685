#include "CoreCall.h"
#include "Formulas.h"
#include "Generators.h"
#include "Instrument.h"
#include "Trains.h"
#include "WaveFiles.h"

#include "app/NumberText.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

const char* const kModuleDoc =
    R"(Tidewright's core for scripts: waveform files, the expression language,
the standard generators and the pulse-train compiler, with numpy arrays in and out.

Every function behaves as the program does, byte for byte, releases the GIL
while the core works and is safe to call from several threads (the core runs
one call at a time). A refusal of the core raises tidewright.Error with the
text the program shows; a message that did not stop the call is issued as a
tidewright.Warning. Calls that need the program's files (the exchange file,
the description file, the general settings) get a private folder of their own
under the system's temporary folder, removed afterwards: the user's
application-data folder is never touched.

Functions: read_wave, write_wave, info, evaluate, generate, load_train,
new_train, eng_number_text, trim_number_text, compact_exponent. Waveform files:
native .wav and any other WAV, .npy, .mat, .csv/.prn/.txt columns, .asc, LeCroy
.0*/.trc, .pwav and the FM composer's .wvf/.asf/.wfp/.afp; help(read_wave)
shows how each one's values become points. Clipped points are reported as a
tidewright.ClipWarning; missing and unreadable files raise
tidewright.MissingFileError (a FileNotFoundError) and tidewright.FileAccessError
(a PermissionError), both tidewright.Error.)";

std::string EngNumberTextOf(double value, int decimals) {
    if (decimals < 0 || decimals > 30)
        throw py::value_error("decimals must be from 0 to 30");
    return tw::EngNumberText(value, decimals);
}

std::string Trimmed(std::string text) {
    tw::TrimNumberText(text);
    return text;
}

std::string Compacted(std::string text) {
    tw::CompactExponent(text);
    return text;
}

} // namespace

PYBIND11_MODULE(_core, m) {
    // Every docstring starts with its own signature, in Python's terms.
    py::options options;
    options.disable_function_signatures();
    m.doc() = kModuleDoc;
    m.attr("__version__") = TW_VERSION;
    tw::python::RegisterErrors(m);

    tw::python::RegisterWaveFiles(m);

    m.def(
        "evaluate", &tw::python::Evaluate, "formula"_a, "points"_a, py::kw_only(),
        "range"_a = py::make_tuple(-8192, 8191), "scale"_a = false, "operands"_a = py::none(),
        "cycles"_a = 1,
        R"(evaluate(formula, points, *, range=(-8192, 8191), scale=False, operands=None, cycles=1) -> numpy.ndarray

Evaluates a formula of the point number p over `points` points, exactly as
`tidewright-cli eval` and the equation editor do: amp and per come from the
range (amp is half its whole span, per the number of points), f = 1/per,
omg = 2*pi/per; values are truncated toward zero into int16 points.

range     the lower and upper level of the equation editor
scale     stretch the values onto the range (the editor's "Scale"); with
          cycles > 1 the first points/cycles values are repeated
operands  aliases of the equation editor: {name: formula or array}; the
          formula refers to them as {name} (at most 6 characters). A formula
          is evaluated over the points like the main one; an integer array is
          a wave operand (its int16 samples, at least `points` of them)
cycles    the editor's Cycles field for the scaled pass

Wave files named in formulas are read relative to the working folder.
Returns int16 points. Raises tidewright.Error with the program's message for
a formula it refuses (syntax, unknown words, missing waves, domain errors).)");

    m.def(
        "generate", &tw::python::Generate, "shape"_a, "points"_a, py::kw_only(),
        "range"_a = py::make_tuple(-8192, 8191), "instrument"_a = py::none(),
        R"(generate(shape, points, *, range=(-8192, 8191), instrument=None, **parameters) -> numpy.ndarray

Fills a new wave of `points` zero points with a shape, as the Waveform menu's
dialogs do with their parameters and defaults (a Preview on a fresh
document). Shapes and their parameter names (any letter case):

sine       start, end, min, max, cycl=1, phase=0, power=1
triangle   start, end, min, max, cycl=1, peak=50, power=1
square     start, end, min, max, cycl=1, duty=50
sinc       start, end, min, max, cycl=1, zeros=10
gaussian   start, end, min, max, cycl=1, width=100
exponent   start, end, min, max, cycl=1, tau=-100, inv=0
pulse      start, end, min, max, cycl=1, delay=10, rise=10, high=30, fall=10
noise      start, end, min, max (seeded from the clock, as the program does)
dc         start, end, level=0
ecg        h1=0.1, h2=-0.1, h3=-0.25, h4=0.2, w1=15, w2=15, w3=25,
           t0=15, t1=40, t2=60, rate=60 (the whole wave; "cardiac" too)

start and end default to the first and last point, min and max to the range.
The parameter keys and defaults above are the sample instrument's; with
instrument=<description file> that file's [Arb...] "Keys" and
[TdWav_Defpar] defaults apply. Values are checked against the dialogs'
limits; a refusal raises tidewright.Error with the dialog's message.)");

    m.def("eng_number_text", &EngNumberTextOf, "value"_a, "decimals"_a,
          R"(eng_number_text(value, decimals) -> str

Engineering notation as the program writes numbers for the host: a mantissa
with `decimals` decimals, trailing zeros trimmed, and an exponent that is a
multiple of 3 ("1.5e3", "250e-6", "0").)");
    m.def("trim_number_text", &Trimmed, "text"_a,
          R"(trim_number_text(text) -> str

The text without trailing zeros after its decimal point and without a
trailing point ("2.500" -> "2.5", "100" stays "100").)");
    m.def("compact_exponent", &Compacted, "text"_a,
          R"(compact_exponent(text) -> str

The text with its first "+00" removed and its first "-00" shortened to "-"
("1.5e+003" -> "1.5e3", "2e-005" -> "2e-5").)");

    tw::python::RegisterTrains(m);
    tw::python::RegisterInstrument(m);
}
