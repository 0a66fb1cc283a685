#pragma once
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>

namespace tw::python {

// generate: a new wave of `points` points filled by a generator dialog's Preview with the given
// parameters over the dialog's defaults.
pybind11::array Generate(const std::string& shape, long points, const pybind11::object& range,
                         const pybind11::object& instrument, const pybind11::kwargs& parameters);

} // namespace tw::python
