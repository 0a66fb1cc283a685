#pragma once
#include "document/SampleSpan.h"
#include "generators/GeneratorTarget.h"

#include <array>
#include <cstdint>
#include <string>

namespace tw {

// The stylised heartbeat: heights as fractions of the half range, widths and starts in
// percent of the wavelength.
struct EcgShape {
    double h1 = 0.1, h2 = -0.1, h3 = -0.25, h4 = 0.2;
    double w1 = 15, w2 = 15, w3 = 25;
    double t0 = 15, t1 = 40, t2 = 60;
};

// Replaces the whole wave with one period: P wave, QRS complex and T wave; h is the half
// range of the instrument's codes. False when cancelled through progress (the wave half made).
bool GenerateEcg(SampleSpan wave, const EcgShape& s, double h, Progress& progress = NoProgress());

// The sample clock at which a wave of n points repeats at rate beats per minute.
double EcgSampleClock(double points, double rate);

// The model behind the "Cardiac_ECG Wave" dialog.
class CardiacEcgModel {
  public:
    enum Field { kH1, kH2, kH3, kH4, kW1, kW2, kW3, kT0, kT1, kT2, kRate, kFieldCount };
    enum class Outcome { Done, Refused, Close };

    explicit CardiacEcgModel(GeneratorTarget& target);
    void Open(); // backs the wave up and reads the fields from the description file
    Outcome Preview();
    Outcome Accept();
    void Cancel();
    void Default();

    std::array<std::string, kFieldCount>& texts() { return texts_; }
    bool forceRate = false;
    int focus() const { return focus_; } // the field to select after a refusal, else -1
    double sampleClock() const { return clock_; }

    const GeneratorTarget& target() const { return target_; }

  private:
    Outcome Validate();
    bool Generate(); // false: cancelled, the points as before

    GeneratorTarget& target_;
    std::array<std::string, kFieldCount> texts_;
    std::array<double, kFieldCount> values_{};
    int focus_ = -1;
    double clock_ = 0;
};

} // namespace tw
