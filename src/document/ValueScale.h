#pragma once

namespace tw {

// What a point's number stands for and how the user sees it: a DAC code centred on zero
// (standard composer), a frequency in hertz (FM composer), or a value of the FM composer's
// abstract 0..10^9 scale laid over the document's range. The composer supplies it; the
// generators, the equation editor and the view ask it rather than which composer runs.
class ValueScale {
  public:
    enum class Unit { Code, Hertz, Scale };
    // Frequencies and abstract values run 0 .. 10^9.
    static constexpr double kFullScale = 1.0e9;

    constexpr explicit ValueScale(Unit unit = Unit::Code) : unit_(unit) {}
    // What a point's value reads as.
    Unit unit() const { return unit_; }

    // DAC codes: around zero, the upper level one past the highest code, generated values
    // rounded half up. Otherwise values on 0 .. kFullScale, truncated, kept only within 32 bits.
    bool centredCodes() const { return unit_ == Unit::Code; }
    // Levels a user types are abstract-scale values, converted onto the document's range.
    bool abstractValues() const { return unit_ == Unit::Scale; }

    // The highest level a point may take within the document's range.
    double highestLevel(double upper) const { return centredCodes() ? upper - 1 : upper; }
    // A level box's default: zero for codes, else the middle of the range, truncated.
    double defaultLevel(double lower, double upper) const;
    // The factor from a level typed for the equation editor to a point.
    double equationFactor(double lower, double upper) const;
    // What an equation computes: "Amplitude" or "Frequency".
    const char* quantity() const { return centredCodes() ? "Amplitude" : "Frequency"; }
    // The widest value the vertical scale shows: it sizes the view's left margin.
    const char* widestText() const { return centredCodes() ? "23456" : "2.2345678"; }

  private:
    Unit unit_;
};

} // namespace tw
