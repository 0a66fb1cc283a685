#pragma once
#include "generators/GeneratorTarget.h"
#include "generators/PwmTrain.h"

#include <map>
#include <string>

namespace tw {

// Edge alignment of the downloaded file.
enum class PwmAlign { Leading = 0, Trailing = 1, Centered = 2 };

// The model behind the "Pulse Parameter Modulation" dialog. Fields are kept as texts by key, as
// the exchange file stores them.
class PwmModel {
  public:
    explicit PwmModel(GeneratorTarget& target);

    void Open(); // backs the wave up and reads the fields
    std::string& field(const std::string& key) { return fields_[key]; }
    const std::map<std::string, std::string>& fields() const { return fields_; }

    bool periodUnits() const { return field("Units") == "1"; }
    bool byDelay = false; // "Modulation by": "Pulse Delay" instead of "Pulse Width"
    // The labels that change with the units and the modulation kind.
    std::string Label(const std::string& key) const;

    // Checks, works out, replaces the wave and stores the fields. Returns Ok, Refused (the
    // message has been shown; focus() names the field) or Stopped (the user said No).
    PwmStatus Calculate();
    // Calculate, then hands the segment and the instrument settings to the host.
    PwmStatus CalculateAndDownload();
    // Close: back to the wave from before the dialog, unless a Calculate has committed a train.
    void Cancel();
    const std::string& focus() const { return focus_; }
    const PwmPlan& plan() const { return plan_; }
    const PwmWave& wave() const { return wave_; }

    static PwmInstrument LoadInstrument(const std::string& descr);

    const GeneratorTarget& target() const { return target_; }

  private:
    std::string field(const std::string& key) const;
    bool CheckInputs(PwmInput& in);
    bool Refuse(const std::string& key, const std::string& text);
    void Store();

    GeneratorTarget& target_;
    std::map<std::string, std::string> fields_;
    std::string focus_;
    PwmPlan plan_;
    PwmWave wave_;
    bool committed_ = false;
};

} // namespace tw
