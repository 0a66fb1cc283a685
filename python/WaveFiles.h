#pragma once
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

namespace tw::python {

// The keywords of read_wave and info: how a file's values become points.
struct ReadChoices {
    pybind11::object range;
    bool stretch = true;
    int columns = 2;
    bool fullScale = false;
    int channel = 0;
    pybind11::object variable;
};

// read_wave: the points of a file of any form Open reads, int16 (int32 for the FM composer's
// forms). Nothing is written anywhere.
pybind11::array ReadWave(const pybind11::object& path, const ReadChoices& choices);

// info: what the file is and what read_wave would make of it, as a dict.
pybind11::dict Info(const pybind11::object& path, const ReadChoices& choices);

// write_wave: the form the extension (or format=) names, byte for byte as Save As writes it,
// replacing the file atomically.
void WriteWave(const pybind11::object& path, const pybind11::object& points,
               const pybind11::object& format, const pybind11::object& range);

// Registers read_wave, write_wave and info.
void RegisterWaveFiles(pybind11::module_& m);

} // namespace tw::python
