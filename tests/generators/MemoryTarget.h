#pragma once
#include "app/LaunchState.h"
#include "document/Composer.h"
#include "document/WaveFormats.h"
#include "fm/FmComposer.h"
#include "generators/GeneratorTarget.h"
#include "support/SampleValues.h"

#include <vector>

namespace tw::test {

// A wave in memory standing in for the document; 32-bit points hold both composers' values.
struct MemoryTarget : GeneratorTarget {
    Samples stored{SampleWidth::Int32};
    double lower = 0, upper = 16383;
    bool fm = false, abstract = false;
    int commits = 0, redraws = 0, lengthChanges = 0;
    double anchorStart = -1, anchorEnd = -1;

    Composer standardComposer;
    FmComposer fmComposer;
    FmComposer abstractComposer;

    Prompter& asked; // the test's scripted answers

    // The composers read the test's session: its folders and the application name of captions.
    MemoryTarget(const LaunchState& session, Prompter& asked, size_t n = 1000,
                 std::int32_t fill = 0)
        : standardComposer(session), fmComposer(session, false), abstractComposer(session, true),
          asked(asked) {
        stored.Assign(n, fill);
    }
    Prompter& prompts() override { return asked; }
    Samples& samples() override { return stored; }
    std::vector<std::int32_t> wave() const { return Values(stored); }
    double lowerLevel() const override { return lower; }
    double upperLevel() const override { return upper; }
    const Composer& composer() const override {
        return abstract ? static_cast<const Composer&>(abstractComposer)
               : fm     ? static_cast<const Composer&>(fmComposer)
                        : standardComposer;
    }
    std::string undoFile() const override {
        return standardComposer.session().tmpFolder + "UndoTD.wav";
    }
    std::string waves; // the wave folder
    std::string waveFolder() const override { return waves; }
    bool commitPoints(Progress&) override {
        ++commits;
        return true;
    }
    void redraw() override { ++redraws; }
    void markAnchors(double s, double e) override {
        anchorStart = s;
        anchorEnd = e;
    }
    void wavelengthChanged() override { ++lengthChanges; }
};

// A wave of 16-bit points recorded in tests/data/generators.
inline std::vector<std::int32_t> Recorded(const std::string& name) {
    return ReadNativeFile(std::string(TW_SOURCE_DIR "/tests/data/generators/") + name,
                          PointLayout::Int16)
        .points;
}

} // namespace tw::test
