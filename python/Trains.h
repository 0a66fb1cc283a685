#pragma once
#include "app/LaunchState.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <string>

namespace tw {
class PulseEditor;
}

namespace tw::python {

// What a download of the train writes: the clock, the mode it was built in, the segment files
// "Seg-<n>.wav" and the sequence table "PulsSeq".
struct CompiledTrain {
    double sclk = 0;
    int mode = 0;
    pybind11::list segments; // int16 arrays, segments[n - 1] holds "Seg-<n>.wav"
    pybind11::list sequence; // (index into segments, repeat) per step
    pybind11::dict summary;  // the download summary's texts
};

// A pulse train with the pulse-train composer's editor over it. The train lives in an exchange
// file of its own in a private folder, with the instrument's description beside it; every edit
// goes through the editor's rules.
class Train {
  public:
    // path: a pulse master file to load, or "" for the fresh train the composer starts with.
    // instrument: a description file, or "" for the sample instrument.
    Train(const std::string& path, const std::string& instrument);
    ~Train();

    pybind11::list Sections();
    pybind11::dict Summary();
    pybind11::list Table(int section);

    void Edit(int section, int row, const pybind11::object& column, const pybind11::object& value);
    void SetRepeat(int section, const pybind11::object& repeat);
    void SetFormat(int section, const pybind11::object& format);
    void AppendRow(int section);
    void InsertRow(int section, int row);
    void DeleteRow(int section, int row);
    void ClearSection(int section);
    void AppendSection();
    void InsertSection(int index);
    void DeleteSection(int index);
    void RemoveAllSections();
    void Save(const pybind11::object& path);
    CompiledTrain Compile(const pybind11::object& instrument, const pybind11::object& sclk,
                          const pybind11::object& mode);

  private:
    struct State;
    std::unique_ptr<State> state_;

    const LaunchState& launchState() const;
    PulseEditor& editor();
    // Opens a section as choosing it in the view does: the open one must be complete.
    void Select(int section);
    template <class F> decltype(auto) OnSection(int section, F&& f);
    template <class F> decltype(auto) OnTrain(F&& f);
};

void RegisterTrains(pybind11::module_& m);

} // namespace tw::python
