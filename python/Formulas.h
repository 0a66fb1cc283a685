#pragma once
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>

namespace tw::python {

// evaluate: the formula's values over `points` points as int16, exactly as `tidewright-cli eval`
// computes them; operands are the equation editor's aliases.
pybind11::array Evaluate(const std::string& formula, long points, const pybind11::object& range,
                         bool scale, const pybind11::object& operands, long cycles);

} // namespace tw::python
