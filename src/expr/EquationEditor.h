#pragma once
#include "expr/AliasTable.h"
#include "expr/ExprParser.h"
#include "generators/GeneratorSettings.h"
#include "generators/GeneratorTarget.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// The "Equation Editor" without its window: the five fields and their limits, the formula and
// its history, the aliases, the level mode, and the Preview/OK/Cancel steps over the document.
class EquationEditor {
  public:
    enum Field { kStart, kEnd, kMin, kMax, kCycles, kFieldCount };
    static constexpr const char* kDefaultFormula = "amp*sin(1.5*omg*(p+500))";
    static constexpr std::size_t kFormulaLength = 256;

    explicit EquationEditor(GeneratorTarget& target);

    // Reads the fields, button states and the state file, and backs the wave up.
    void Open();

    std::array<double, kFieldCount> fields{};
    std::string formula;
    std::vector<std::string> history;
    int historyIndex = -1;
    AliasTable aliases;
    bool aliasesShown = false;
    DialogPosition position;

    double lowerLimit(Field f) const;
    double upperLimit(Field f) const;

    // Level mode: the radio pair Original/Scale and the Auto_Scaling box.
    void SelectOriginal();
    void SelectScale();
    void SetAutoScaling(bool ticked);
    bool scaleSelected() const { return scaleRadio_; }
    bool autoScalingTicked() const { return autoTicked_; }
    bool scaledPass() const { return scaleFlag_ || autoFlag_; }

    // Evaluates into the document; true when the confirm bar is to be shown.
    bool Preview();
    // After the confirm bar: saves as OK does; Accept also keeps the previewed wave.
    void Confirm(bool accept);
    // True when the editor closes.
    bool Ok();
    void Cancel();
    void Default();

    void InsertWave(const std::string& path);
    void InsertAliasWave(std::size_t row, const std::string& path);
    // The filter of the Insert Wave file dialogs, and the folder they open in.
    std::string WaveFilter() const;
    const std::string& waveFolder() const { return parser_.waveFolder; }
    static constexpr const char* kEquationFilter = "Binary (*.equ) |*.equ||";

    void ClearHistory();
    void PickHistory(int index);
    bool SaveEquationFile(const std::string& path);
    bool OpenEquationFile(const std::string& path);

    const GeneratorTarget& target() const { return target_; }

  private:
    GeneratorTarget& target_;
    ExprParser parser_;
    std::vector<std::vector<double>> aliasValues_;
    std::array<double, kFieldCount> previous_{};
    bool scaleRadio_ = false;
    bool scaleFlag_ = false;
    bool autoFlag_ = false;
    bool autoTicked_ = false;

    bool Validate();
    bool Evaluate(bool forOk);
    bool EvaluateAliases(const std::string& substituted, long& shortest);
    bool AcceptShortest(long shortest);
    void SaveSettings(bool keepWave);
    void LoadState();
    void ReadSettings();
    std::string NameInWaveFolder(const std::string& path) const;
    long Wavelength() const { return static_cast<long>(target_.samples().size()); }
};

} // namespace tw
