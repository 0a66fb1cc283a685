#pragma once
#include "generators/GeneratorTarget.h"
#include "generators/ShapeFormulas.h"

#include <string>
#include <vector>

namespace tw {

// One edit field of a generator dialog.
struct GeneratorField {
    std::string key;
    std::string label;
    std::string text; // as typed
    double lower = 0;
    double upper = 0;
    bool checkBox = false; // "Inv": 0 or 1
};

// The section name of a shape in the description file ("ArbSine" ...).
const char* ShapeSectionName(Shape shape);

// The model behind the standard shape dialogs: fields 0..3 are start, end, Min and Max, the
// shape's parameters follow in the order of its "Keys". The dialog shows the fields, copies
// the user's texts back into them and calls the steps below.
class WaveParamModel {
  public:
    WaveParamModel(Shape shape, GeneratorTarget& target);

    // Resets missing settings to the defaults, backs the wave up and fills the fields.
    void Open();
    void Initialise();
    // Checks every field; on a refusal the message has been shown and the field holds the
    // violated limit.
    bool Validate();
    bool Preview();
    // Generates, stores the settings and hands the change to the document with one undo step.
    // False, with the wave from before the dialog, when a field is refused or the user cancels
    // the generation midway.
    bool Accept();
    void Cancel();
    // Writes the description file's defaults into the settings and fills the fields again.
    void Default();

    Shape shape() const { return shape_; }
    const std::string& title() const { return title_; }
    std::vector<GeneratorField>& fields() { return fields_; }
    const std::vector<GeneratorField>& fields() const { return fields_; }
    double value(size_t i) const { return values_.at(i); }

    const GeneratorTarget& target() const { return target_; }

  private:
    bool Generate(); // false when cancelled midway (the wave put back)
    double Wavelength() const;

    Shape shape_;
    GeneratorTarget& target_;
    std::string title_;
    std::vector<GeneratorField> fields_;
    std::vector<double> values_;
};

} // namespace tw
