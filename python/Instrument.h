#pragma once
#include <pybind11/pybind11.h>

namespace tw::python {

// tidewright.Instrument and tidewright.InstrumentError.
void RegisterInstrument(pybind11::module_& m);

} // namespace tw::python
