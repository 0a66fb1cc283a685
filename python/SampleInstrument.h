#pragma once

namespace tw::python {

// The sample instrument's description file: the generators' titles, parameter keys and
// defaults, and the pulse-train limits, when a call names no instrument of its own.
const char* SampleInstrumentText();

} // namespace tw::python
