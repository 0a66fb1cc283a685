#pragma once
#include "app/LaunchState.h"
#include "document/ValueScale.h"
#include "document/WaveFormats.h"
#include "host/ExchangeFile.h"
#include "host/HostEvents.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tw {

class WeDoc;

// The instrument's FM limits from the description file. The FM composer reads and holds them;
// the other composers have none.
struct FmLimits {
    double fmLenMin = 0, fmLenMax = 0; // FM wavelength range (points)
    double fmMin = 0, fmMax = 0;       // frequency range of the FM output
    double fpSegMin = 0, fpSegMax = 0; // FP-segment numbers (FP-segment mode only)
};

// What differs between the three composers of one program: the standard waveform composer, the
// FM composer and the pulse-train composer. One object per run, built from the launch state when
// the main frame is created; the document, the frame and the view are given it and ask it rather
// than test the composer id. This class is the standard composer: its answers are the standard
// composer's and its document hooks do nothing. The FM composer (fm/) and the pulse-train
// composer (pulse/) override what they change.
class Composer {
  public:
    // The session start-up learned, kept by its owner for the composer's life: the document,
    // the generators and the composer's own parts read it here.
    explicit Composer(const LaunchState& session) : session_(session) {}
    Composer(LaunchState&&) = delete;
    Composer(const Composer&) = delete;
    Composer& operator=(const Composer&) = delete;
    virtual ~Composer() = default;

    const LaunchState& session() const { return session_; }

    // The run.
    virtual long closedCode() const { return 5; } // the ComposerClosed notice at exit
    virtual HostEventCodes hostEvents() const { return {3, 6}; }
    // appName + " -> " + the document's path, shortened.
    virtual std::string windowTitle(const std::string& documentPath) const;
    // False for the pulse-train composer: no waveform document, its own windows.
    virtual bool hasDocument() const { return true; }

    // The document.
    // What the points' values stand for: codes, frequencies or the abstract scale.
    virtual const ValueScale& valueScale() const;
    // FM abstract mode: points are values on that 0..10^9 scale, drawn through the second
    // mapping, mirrored about its middle and started at 500000000.
    bool abstractMode() const { return valueScale().abstractValues(); }
    virtual PointLayout layout() const { return PointLayout::Int16; }
    virtual std::string undoFileName() const { return "UndoTD.wav"; }
    virtual std::string waveParSection() const { return ExchangeFile::WaveParameters::kStandard; }
    // The working file of a segment and channel, without the tmp folder.
    virtual std::string workingFileName(int segment, int channel) const;
    // False where one wave stands for all segments (the FM composer outside FP-segment mode,
    // segment -1 in the tables).
    virtual bool segmented() const { return true; }
    // Each channel has its own segment table and wave parameters.
    virtual bool channelTables() const { return true; }
    // The segment table section of a channel.
    virtual std::string segTableSection(int channel) const;
    // The key Save removes from the segments' modified marks.
    virtual std::string modifKey(int segment, int channel) const;
    // Lengths are held to the instrument's wavelength increment (`resFactor`).
    virtual bool wavelengthIncrements() const { return true; }
    // Trace types and pattern tables, when the description file asks for them.
    virtual bool tracesAndPatterns() const { return true; }
    // The value of a new point (the FM composer's carrier once the channel set-up gives one).
    virtual std::int32_t initialPoint() const { return 0; }
    virtual const FmLimits& fmLimits() const;

    // Hooks the document runs. SetUpChannel: at every channel set-up; false closes the
    // application. ComputeMarkers: after every change of the points and every load.
    // LoadSegmentRange: before a segment's wave is read or made. WaveOpened: after Open.
    virtual bool SetUpChannel(WeDoc& /*doc*/) { return true; }
    virtual void ComputeMarkers(WeDoc& /*doc*/) {}
    virtual void LoadSegmentRange(WeDoc& /*doc*/) {}
    virtual void WaveOpened(WeDoc& /*doc*/) {}
    // Sends the document to the host (the standard composer's trace download); 1 when the
    // host took it.
    virtual int Download(WeDoc& doc);

    // The generators: their defaults (description file) and dialog position (exchange file)
    virtual std::string waveDefaultsSection() const { return "TdWav_Defpar"; }
    virtual std::string dialogSection() const { return ExchangeFile::Dialogs::kStandard; }
    // The file dialog's filter for the waves an equation names.
    virtual std::string waveOperandFilter() const { return "Binary   (*.wav)|*.wav||"; }

    // The view.
    virtual std::string horizontalUnit() const { return "Pts"; }
    virtual std::string verticalUnit() const { return "Pts"; }

    // What the frame's parameter bar and FM markers dialog show and take (the frame's own
    // differences are its FrameProfile). The function mode picks the stored markers table.
    virtual int fmFuncMode() const { return 0; }
    // The points of the current wave the FM markers stand at, and how many of the table's
    // values lie within the range (ComputeMarkers keeps them in step).
    virtual std::span<const std::int32_t> fmMarkerPoints() const { return {}; }
    virtual int fmMarkersInRange() const { return 0; }
    // The parameter bar's deviation box: its text, and a typed value.
    virtual std::string DeviationText() const { return {}; }
    virtual void TakeDeviation(WeDoc& /*doc*/, std::string_view /*text*/) {}
    // Host event 4 with the parameter bar showing: true when the composer follows the host's
    // settings (RereadSettings, true when they changed) instead of the channel and segment.
    virtual bool followsHostSettings() const { return false; }
    virtual bool RereadSettings(WeDoc& /*doc*/) { return false; }
    // The last channel set-up failed: the application closes.
    virtual bool setUpFailed() const { return false; }

  private:
    const LaunchState& session_;
};

} // namespace tw
