#pragma once
#include "generators/GeneratorTarget.h"

#include <array>
#include <string>

namespace tw {

// The model behind the "DC Wave" dialog: fields start, end and level.
class DcWaveModel {
  public:
    enum FieldIndex { kStart, kEnd, kLevel };
    struct Field {
        const char* name; // the title of its range message
        std::string text;
        double lower, upper;
    };

    explicit DcWaveModel(GeneratorTarget& target);
    void Open(); // backs the wave up and fills the fields from the settings
    // On a refusal the message has been shown; focus() names the field to select.
    bool Validate();
    bool Preview();
    bool Accept();
    void Cancel();
    void Default();

    std::array<Field, 3>& fields() { return fields_; }
    int focus() const { return focus_; }

    const GeneratorTarget& target() const { return target_; }

  private:
    bool Fill(); // false: cancelled, the points as before
    double DefaultOf(int i) const;

    GeneratorTarget& target_;
    std::array<Field, 3> fields_;
    std::array<double, 3> values_{};
    int focus_ = -1;
};

} // namespace tw
