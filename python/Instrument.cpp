#include "Instrument.h"

#include "Arguments.h"

#include "instrument/InstrumentFolder.h"
#include "instrument/InstrumentSession.h"

#include <cmath>
#include <mutex>

namespace py = pybind11;
using namespace pybind11::literals;

namespace tw::python {

namespace {

// Lives as long as the module, as tidewright.Error does.
PyObject* gInstrumentError = nullptr;

// Raises tidewright.InstrumentError: the message, and `errors` as (number, text, command)
// tuples of what the instrument reported (empty for a transfer failure).
[[noreturn]] void Raise(const Outcome& outcome) {
    py::list errors;
    for (const InstrumentError& e : outcome.errors)
        errors.append(py::make_tuple(e.code, e.text, e.command));
    py::object error = py::handle(gInstrumentError)(outcome.message());
    error.attr("errors") = errors;
    error.attr("cancelled") = outcome.cancelled;
    PyErr_SetObject(gInstrumentError, error.ptr());
    throw py::error_already_set();
}

class Instrument {
  public:
    Instrument(const std::string& resource, const std::string& model, double timeout) {
        if (!std::isfinite(timeout) || timeout <= 0 || timeout > 3600)
            throw py::value_error("timeout must be from 0 to 3600 seconds");
        const int ms = static_cast<int>(timeout * 1000);
        SessionOpen open;
        {
            py::gil_scoped_release release;
            open = OpenInstrumentSession(resource, DefaultInstrumentFolder(), model,
                                         {std::min(ms, 10000), ms, ms}, !model.empty());
        }
        if (!open.session) {
            Outcome failed;
            failed.failure = open.error;
            Raise(failed);
        }
        session_ = std::move(open.session);
    }

    void sendWave(const py::handle& points, int segment, int channel) {
        if (segment < 1 || channel < 0)
            throw py::value_error("segment counts from 1, channel from 1 (0: the selected one)");
        const std::vector<std::int32_t> values = IntegerPoints(points, -32768, 32767, "points");
        std::vector<char> bytes(values.size() * 2);
        for (std::size_t i = 0; i < values.size(); ++i) {
            bytes[2 * i] = static_cast<char>(values[i] & 0xff);
            bytes[2 * i + 1] = static_cast<char>((values[i] >> 8) & 0xff);
        }
        check([&] { return live().sendWave(BlockSource::Memory(bytes), segment, channel); });
    }

    void write(const std::string& text) {
        check([&] { return live().write(text); });
    }

    std::string query(const std::string& text) {
        std::string answer;
        check([&] { return live().query(text, answer); });
        return answer;
    }

    void close() { session_.reset(); }

  private:
    InstrumentSession& live() {
        if (!session_)
            throw py::value_error("the instrument is closed");
        return *session_;
    }
    // Runs a call without the GIL, one call at a time per instrument.
    template <class F> void check(F&& call) {
        live(); // a closed instrument raises before the GIL is let go
        Outcome outcome;
        {
            py::gil_scoped_release release;
            std::lock_guard lock(mutex_);
            outcome = call();
        }
        if (!outcome.ok())
            Raise(outcome);
    }

    std::unique_ptr<InstrumentSession> session_;
    std::mutex mutex_;
};

} // namespace

void RegisterInstrument(py::module_& m) {
    gInstrumentError = PyErr_NewExceptionWithDoc(
        "tidewright.InstrumentError",
        "An instrument refused a command or a transfer failed. `errors` holds the\n"
        "instrument's (number, text, command) tuples; `cancelled` tells a cancel.",
        m.attr("Error").ptr(), nullptr);
    m.attr("InstrumentError") = py::reinterpret_borrow<py::object>(gInstrumentError);

    py::class_<Instrument>(m, "Instrument",
                           R"(Instrument(resource, *, instrument=None, timeout=10.0)

An instrument reached by a resource text: "tcp://HOST[:PORT]" (the raw SCPI
socket, port 5025 by default), "vxi11://HOST[:PORT][/DEVICE]" (VXI-11, the port
from the host's portmapper unless given, device inst0 by default) or
"usbtmc:///dev/usbtmcN". instrument names the profile ("TW2014",
"TW3256" or the path of a ".scpi" file); by default the profile whose
identity begins the instrument's *IDN? answer. timeout is in seconds for
each wait. After any call the instrument's error queue has been read: its
errors raise tidewright.InstrumentError with their numbers and texts. A
failed transfer leaves the instrument usable: the next call reconnects.)")
        .def(py::init<const std::string&, const std::string&, double>(), "resource"_a,
             py::kw_only(), "instrument"_a = "", "timeout"_a = 10.0)
        .def("send_wave", &Instrument::sendWave, "points"_a, py::kw_only(), "segment"_a = 1,
             "channel"_a = 0,
             R"(send_wave(points, *, segment=1, channel=0) -> None

Defines segment (from 1) of channel (from 1; 0 the selected one) with the
length of points (16-bit integers), selects it and sends the points in one
definite-length block. A length that breaks the profile's MinPoints or
Granularity is refused before anything is sent.)")
        .def("write", &Instrument::write, "text"_a, "write(text) -> None\n\nSends one command.")
        .def("query", &Instrument::query, "text"_a,
             "query(text) -> str\n\nSends a query and returns its answer line.")
        .def("close", &Instrument::close, "close() -> None\n\nDrops the connection.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](Instrument& self, const py::args&) { self.close(); });
}

} // namespace tw::python
