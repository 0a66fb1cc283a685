#pragma once
#include "app/LaunchState.h"
#include "app/Prompter.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The marker values stored for a function mode in the session's exchange file, as numbers.
std::vector<double> ReadFmMarkerValues(const LaunchState& session, int fmFuncMode);

struct FmMarkerPoints {
    std::vector<std::int32_t> indices; // never empty: {0} when no value lies in the range
    int valuesInRange = 0;
};

// Where the waveform crosses the marker values inside [vMin, vMax]: per point at most one
// index, that of the neighbour nearer the crossing. In abstract mode the values are first
// mapped from the range onto the 0..1e9 scale of the samples.
FmMarkerPoints ComputeFmMarkerPoints(std::span<const std::int32_t> points,
                                     std::span<const double> values, double vMin, double vMax,
                                     bool abstract);

// The marker table being edited: values ascending without duplicates, a display order and a
// modified flag. The session's exchange file is the store; the dialog is a thin view over this.
class FmMarkerTable {
  public:
    enum class AddResult { Ignored, Duplicate, Added };

    // The range warning and the save question go through `prompts`.
    FmMarkerTable(const LaunchState& session, Prompter& prompts)
        : session_(session), prompts_(prompts) {}

    // Reads the table of the function mode and clears the modified flag.
    void load(int fmFuncMode);
    // Replaces the stored section with this table and clears the modified flag.
    void store(int fmFuncMode);

    // The list in display order: its length and the text at a position ("1.50000000e6").
    int size() const { return static_cast<int>(values_.size()); }
    std::string displayText(int listPosition) const;

    // Adds trunc(text); warns (and still adds) when the value is outside [vMin, vMax].
    AddResult add(std::string_view text, double vMin, double vMax);
    // Removes the entry at a position of the displayed list; -1 (no selection) does nothing.
    void removeAt(int listPosition);
    // Empties the table without marking it modified.
    void removeAll() { values_.clear(); }
    void setAscending(bool ascending) { ascending_ = ascending; }

    // Closing: asks whether to save a modified table and stores it on Yes.
    void close(int fmFuncMode);

    const std::vector<std::int32_t>& values() const { return values_; }
    bool ascending() const { return ascending_; }
    bool modified() const { return modified_; }

  private:
    std::size_t valueIndex(int listPosition) const;

    const LaunchState& session_;
    Prompter& prompts_;
    std::vector<std::int32_t> values_;
    bool ascending_ = true;
    bool modified_ = false;
};

} // namespace tw
