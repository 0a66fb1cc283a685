#pragma once
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

namespace tw::python {

// read_wave: the points of a file of any form Open reads, int16 (int32 for the FM composer's
// forms). Nothing is written anywhere.
pybind11::array ReadWave(const pybind11::object& path, const pybind11::object& range, bool stretch,
                         int columns);

// write_wave: the form the extension names, byte for byte as Save As writes it, replacing the
// file atomically.
void WriteWave(const pybind11::object& path, const pybind11::object& points);

} // namespace tw::python
