#pragma once
#include "fm/FmSettings.h"

#include <string>
#include <string_view>

namespace tw {

class WeDoc;

// The FM composer beside the shared document: owns the FM settings and keeps the document's
// limits, vertical range, new-point value and marker points in step with them.
class FmComposer {
  public:
    // LoadFmLimits for the active channel; false when the application must close.
    bool SetUpChannel(WeDoc& doc);
    // Host event 4 with the parameter bar showing (outside FP-segment mode): LoadFmLimits again.
    // True when the carrier, the deviation range or the modulation mode changed; the markers
    // then follow.
    bool RereadSettings(WeDoc& doc);
    // The marker points of the current wave from the stored table of the function mode.
    void ComputeMarkers(WeDoc& doc);
    // FP-segment mode: the active segment's deviation and range before its file is read.
    void LoadSegmentRange(WeDoc& doc);
    // The parameter bar's deviation box; on acceptance the markers and the view follow.
    DeviationChange ApplyDeviation(WeDoc& doc, std::string_view boxText);
    // A wave of absolute frequencies (outside abstract and FP-segment mode) that the user
    // opened sets the range and deviation from its own values.
    void WaveOpened(WeDoc& doc);
    std::string RangeFromLoadedWave(WeDoc& doc);
    // The text of the parameter bar's deviation box.
    const std::string& DeviationText() const { return deviationBox_; }

    const FmSettings& settings() const { return fm_; }
    bool setUpFailed() const { return failed_; }

  private:
    void showRange(WeDoc& doc) const;
    void showDeviation(WeDoc& doc, std::string text);
    FmSettings fm_;
    std::string deviationBox_;
    bool failed_ = false;
};

// The process's FM composer.
FmComposer& TheFmComposer();

// Decides abstract mode and connects the document's FM hooks to TheFmComposer(); the FM
// composer calls it before it creates the document.
void InstallFmComposer();

} // namespace tw
