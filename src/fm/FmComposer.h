#pragma once
#include "document/Composer.h"
#include "fm/FmMarkers.h"
#include "fm/FmSettings.h"

#include <string>
#include <string_view>

namespace tw {

class WeDoc;

// The FM composer: the shared document over 32-bit points, with the FM settings that frame
// them. Owns the FM settings, abstract mode, the new-point value and the marker points, and keeps
// the document's vertical range in step with them.
class FmComposer : public Composer {
  public:
    // Decides abstract mode from the description file.
    explicit FmComposer(const LaunchState& session);
    FmComposer(const LaunchState& session, bool abstractMode);

    // LoadFmLimits for the active channel; false when the application must close.
    bool SetUpChannel(WeDoc& doc) override;
    // Host event 4 with the parameter bar showing (outside FP-segment mode): LoadFmLimits again.
    // True when the carrier, the deviation range or the modulation mode changed; the markers
    // then follow.
    bool RereadSettings(WeDoc& doc) override;
    // The marker points of the current wave from the stored table of the function mode.
    void ComputeMarkers(WeDoc& doc) override;
    // FP-segment mode: the active segment's deviation and range before its file is read.
    void LoadSegmentRange(WeDoc& doc) override;
    // The parameter bar's deviation box; on acceptance the markers and the view follow.
    DeviationChange ApplyDeviation(WeDoc& doc, std::string_view boxText);
    void TakeDeviation(WeDoc& doc, std::string_view text) override { ApplyDeviation(doc, text); }
    // A wave of absolute frequencies (outside abstract and FP-segment mode) that the user
    // opened sets the range and deviation from its own values.
    void WaveOpened(WeDoc& doc) override;
    std::string RangeFromLoadedWave(WeDoc& doc);
    // The text of the parameter bar's deviation box.
    std::string DeviationText() const override { return deviationBox_; }
    // The FM download: the FM waveform file, and the marker file beside it.
    int Download(WeDoc& doc) override;

    const FmSettings& settings() const { return fm_; }
    const FmLimits& fmLimits() const override { return fm_; }
    bool setUpFailed() const override { return failed_; }
    const ValueScale& valueScale() const override { return scale_; }

    long closedCode() const override { return 12; }
    HostEventCodes hostEvents() const override { return {10, 13}; }
    PointLayout layout() const override;
    std::string undoFileName() const override { return "UndoFC.wvf"; }
    std::string waveParSection() const override { return ExchangeFile::WaveParameters::kFm; }
    std::string waveDefaultsSection() const override { return "FmcWav_Defpar"; }
    std::string dialogSection() const override { return ExchangeFile::Dialogs::kFm; }
    std::string waveOperandFilter() const override { return "Binary   (*.wvf)|*.wvf||"; }
    std::string workingFileName(int segment, int channel) const override;
    bool segmented() const override;
    bool channelTables() const override { return false; }
    std::string segTableSection(int channel) const override;
    std::string modifKey(int segment, int channel) const override;
    bool wavelengthIncrements() const override { return false; }
    bool tracesAndPatterns() const override { return false; }
    // Mid-scale until the channel set-up puts the carrier there (or keeps it in abstract mode).
    std::int32_t initialPoint() const override { return initialPoint_; }
    std::string verticalUnit() const override { return "Hz"; }
    int fmFuncMode() const override { return fm_.fmFuncMode; }
    std::span<const std::int32_t> fmMarkerPoints() const override { return markers_.indices; }
    int fmMarkersInRange() const override { return markers_.valuesInRange; }
    bool followsHostSettings() const override;

  protected:
    FmMarkerPoints markers_;

  private:
    void showRange(WeDoc& doc) const;
    void showDeviation(WeDoc& doc, std::string text);
    FmSettings fm_;
    std::string deviationBox_;
    bool failed_ = false;
    bool abstract_ = false;
    ValueScale scale_{abstract_ ? ValueScale::Unit::Scale : ValueScale::Unit::Hertz};
    std::int32_t initialPoint_ = 500000000;
};

} // namespace tw
