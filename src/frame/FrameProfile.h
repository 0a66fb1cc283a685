#pragma once
#include <string>

namespace tw {

// What the frame does differently for each composer: its parameter bar, instrument buttons,
// window placement, recent files and generator commands. One per run, built by
// ComposerFactory beside the composer; this class is the standard composer's.
class FrameProfile {
  public:
    FrameProfile() = default;
    FrameProfile(const FrameProfile&) = delete;
    FrameProfile& operator=(const FrameProfile&) = delete;
    virtual ~FrameProfile() = default;

    virtual int parameterTemplate() const { return 1340; } // the wave parameter bar's form
    virtual int instrumentButtons(double channels) const;  // Download, Clear memory, channels
    virtual std::string placementKey() const { return "Rect"; }
    // Pixels the default window position moves right when no placement is stored.
    virtual int placementShift() const { return 0; }
    // The application profile's section of the File menu's recent files.
    virtual std::string recentFilesSection() const { return "RecentFiles"; }
    // The cardiac and pulse-width generators.
    virtual bool cardiacAndPwm() const { return true; }
    // The FM markers command and its bar.
    virtual bool fmMarkers() const { return false; }
};

class FmFrameProfile : public FrameProfile {
  public:
    explicit FmFrameProfile(bool fpSegMode) : fpSegMode_(fpSegMode) {}
    int parameterTemplate() const override { return fpSegMode_ ? 1343 : 1341; }
    int instrumentButtons(double /*channels*/) const override { return 1; }
    std::string placementKey() const override { return "FmRect"; }
    int placementShift() const override { return 100; }
    std::string recentFilesSection() const override { return "FmRecentFiles"; }
    bool cardiacAndPwm() const override { return false; }
    bool fmMarkers() const override { return true; }

  private:
    bool fpSegMode_;
};

class PulseFrameProfile : public FrameProfile {
  public:
    int parameterTemplate() const override { return 1342; }
    std::string placementKey() const override { return "FmRect"; }
    int placementShift() const override { return 100; }
    std::string recentFilesSection() const override { return "PulseRecentFiles"; }
};

} // namespace tw
