#pragma once
#include "app/LaunchState.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// Bounds on the channel and segment numbers taken from the exchange file: they become ints in
// file names, section names, keys and sums, and no instrument has more.
inline constexpr int kMaxChannels = 64;
inline constexpr int kMaxSegmentNumber = 1 << 24;

// Where the user works: the active channel (0-based) and the active segment.
struct ChannelSegment {
    int channel = 0;
    int segment = 1;
};

// The host's exchange file, "TempOndex.ondex" in the tmp folder: written by the host before the
// launch and kept up to date by both programs. Every section and key of it that the program
// reads or writes is named here and in FmExchange.h (the FM composer's); only the pulse train's
// own sections belong to the train model (pulse/TrainModel.h). Each accessor is one read or one
// rewrite of the file through the profile store, with the buffer sizes and the absence messages
// the host's programs rely on; the rest of the program names no key. Each part is built from the
// session whose exchange file it reads (`ExchangeFile::Segments(session).File(...)`); the names
// of sections and keys are static.
class ExchangeFile {
    // Reads the file of the session it is built from; the session outlives it.
    class Part {
      public:
        explicit Part(const LaunchState& session) : session_(session) {}

      protected:
        const std::string& file() const { return session_.exchangeFile; }
        const LaunchState& session_;
    };

  public:
    // "Instrument": what the host drives.
    struct Instrument : Part {
        using Part::Part;
        // "DescrFile": the description file; "Record not found" when absent.
        std::string DescrFile() const;
        // "Family"; nothing when absent (the program refuses to run).
        std::optional<std::string> Family() const;
        // "Channels": 1 when absent; reported and 1 outside 1..kMaxChannels.
        int Channels() const;
        // The same number as stored, 1 when absent, unchecked: the channel buttons and the pulse
        // title only compare it.
        double ChannelsAsStored() const;
        // "Model"; "" when absent, reported when asked to.
        std::string Model(bool reportAbsence = false) const;
    };

    // "Settings" "ActiveCh" and the per-channel list "AcSeg" ("FPSeg" in FP-segment mode): where
    // the host left the user. The document, and the pulse composer for its channel, own the
    // values in between.
    struct Active : Part {
        using Part::Part;
        // 0 when absent; reported and `fallback` when not one of the instrument's `channels`.
        int Channel(int channels, int fallback) const;
        void WriteChannel(int channel) const;
        // The entry of `channel` (the first in FP-segment mode). Nothing when absent; reported
        // and `fallback` outside 1..kMaxSegmentNumber.
        std::optional<int> Segment(int channel, bool fpSegMode, int fallback) const;
        // Replaces the entry of the stored active channel: every number followed by one blank,
        // at most 39 characters; a list without that entry is written back as it was, and a
        // missing list is reported and left missing.
        void StoreSegment(int segment, bool fpSegMode) const;
        // Host event 4: both again; numbers out of range keep those of `now`.
        ChannelSegment Reread(ChannelSegment now, bool fpSegMode) const;
    };

    // "Settings": the instrument's modes as the host set them.
    struct Settings : Part {
        using Part::Part;
        // "Rsclk": the suffix of the wavelength-increment key; "" when absent.
        std::string Rsclk() const;
        // "Wfmt": the code-range key, or the suffix of "Vpts" in the pulse composer.
        std::optional<std::string> Wfmt() const;
        // "TracType": the trace type index.
        std::optional<int> TraceType() const;
        void StoreTraceType(int type) const;
        // "DwnMode": the index of the download mode.
        std::optional<double> DownloadMode() const;
        // "Sclk": the sample clock at `index` of its per-channel list; `absent` when missing.
        double SampleClock(int index, double absent) const;
        // The pulse download's values for the host: "Ampl", "Offs", "Sclk" and the waveform
        // mode ("WformMode" for the family "K4412", else "WfMode"; "1" USER, "2" SEQ), each the
        // channel's item of its per-channel text (ChannelSettingText).
        bool StorePulseDownload(int channel, const std::string& amplitude,
                                const std::string& offset, const std::string& sampleClock,
                                bool userMode) const;
    };

    // "AppTits": the windows' titles, by which the two programs find each other.
    struct Titles : Part {
        using Part::Part;
        // "AC": the host's title; "" when absent.
        std::string Host() const;
        // The composer's own title under "TD", "FMC" or "PLS", rewritten only when it changed.
        // False, and nothing written, for an unknown composer id.
        bool Publish(int composerId, const std::string& title) const;
    };

    // The segment tables: per channel "SegmTbl-ch%d" (0-based), "FmSegmTbl" for the FM
    // composer; key the segment number, value the file that holds it. Beside them the marks
    // the host reads: "Modif", "SegmStt-Ch%d", the pattern tables "PattTbl-ch%d" and the marker
    // bits' "%dBit%d"/"%dInv%d" keys in a segment table.
    struct Segments : Part {
        using Part::Part;
        static std::string ChannelTable(int channel);
        static std::string FmTable();
        // The table of a segment: the channel's, or "FmSegmTbl" in FP-segment mode and for the
        // FM composer's one wave (segment -1).
        static std::string Table(int segment, int channel, bool fpSegMode);
        // The key of a segment: its number, "1" for the FM composer's one wave.
        static std::string Key(int segment);
        // The segment's file; nothing when the table has none ("Record not found" when asked).
        std::optional<std::string> File(const std::string& table, int segment,
                                        bool reportAbsence = false) const;
        // Records path as the segment's file and marks the segment modified, in one rewrite.
        bool Record(const std::string& table, int segment, const std::string& path) const;
        // The segment numbers the table has files for.
        std::set<long> Numbers(const std::string& table) const;
        // "Modif" "Common": a channel or segment switch happened.
        void MarkSwitched() const;
        // The key Save removes from "Modif": "Segm%d-%d" (segment, channel), or "Segm%d" for the
        // FM composer's one table.
        static std::string SavedKey(int segment, int channel);
        static std::string SavedKey(int segment);
        void RemoveModified(const std::string& savedKey) const;
        // "SegmStt-Ch%d": the host loaded the segment.
        void MarkLoaded(int channel, int segment) const;
        // "PattTbl-ch%d": the segment's pattern file.
        std::optional<std::string> PatternFile(int channel, int segment) const;
        void RecordPatternFile(int channel, int segment, const std::string& path) const;
    };

    // The two marker bits' settings of a segment, kept in the segment's table.
    struct MarkerBits : Part {
        using Part::Part;
        static std::string ListKey(int bit, int segment);   // "%dBit%d"
        static std::string InvertKey(int bit, int segment); // "%dInv%d"
        struct Setting {
            std::string list;   // the rise and fall points
            std::string invert; // "1" when inverted
        };
        // As the editor reads them (quiet, "" when absent).
        Setting Read(const std::string& table, int bit, int segment) const;
        // Both bits, starting at bit0, in one rewrite.
        bool Store(const std::string& table, int bit0, int segment, const Setting (&bits)[2]) const;
        // The settings bits 13 and 14 have for the segment, as the download copies them.
        struct Stored {
            int bit = 13;
            bool invert = false;
            std::string value;
        };
        std::vector<Stored> ForDownload(const std::string& table, int segment) const;
    };

    // The generators' last values: "TdWav_Par" in the standard composer, "FmcWav_Par" in the FM
    // composer. Beside the fixed keys, a shape stores its parameters under the keys the
    // description file lists for it.
    struct WaveParameters : Part {
        using Part::Part;
        static constexpr const char* kStandard = "TdWav_Par";
        static constexpr const char* kFm = "FmcWav_Par";
        enum Key { Start, End, Min, Max, DcLevel, LowLevel, HighLevel, Cycles };
        static const char* KeyText(Key key); // "Prv_bgn", "Prv_end", "Wavmin", "Wavmax", ...

        std::optional<std::string> Text(const std::string& section, Key key) const;
        std::optional<std::string> Text(const std::string& section, std::string_view key) const;
        // The number at the start of the value (an 80-character read); nothing when absent.
        std::optional<double> Number(const std::string& section, Key key) const;
        std::size_t Count(const std::string& section) const;
        // Writes the values in one rewrite.
        bool Store(const std::string& section,
                   const std::vector<std::pair<Key, std::string>>& values,
                   const std::vector<std::pair<std::string, std::string>>& shapeValues = {}) const;
        // The anchors the user set: "Prv_bgn" and "Prv_end".
        bool StoreRange(const std::string& section, long start, long end) const;
        // Forgets "Prv_bgn" and "Prv_end" (a new wave or length), or the whole section (another
        // channel or segment, the end of the run).
        bool ForgetRange(const std::string& section) const;
        bool Forget(const std::string& section) const;
    };

    // Where the generator dialogs stood and how the equation editor was left.
    struct Dialogs : Part {
        using Part::Part;
        static constexpr const char* kStandard = "TdOrg";
        static constexpr const char* kFm = "FmcOrg";
        // "DrawRect": left and top, separated by a blank.
        std::optional<std::pair<int, int>> Position(const std::string& section) const;
        bool StorePosition(const std::string& section, int left, int top) const;
        // "Equ_Buttons": the equation editor's buttons.
        enum Button { Original, Scale, AutoButton, CheckBox, ButtonAliases };
        std::optional<bool> EquationButton(Button button) const;
        // The equation editor's OK: its buttons and its range, levels and cycles (keys
        // Start, End, LowLevel, HighLevel, Cycles of the wave parameters) in one rewrite.
        bool
        StoreEquation(const std::string& waveParameters,
                      const std::vector<std::pair<Button, bool>>& buttons,
                      const std::vector<std::pair<WaveParameters::Key, std::string>>& values) const;
        // "PWM": the pulse-width modulation dialog's fields by key.
        std::optional<std::string> PwmField(std::string_view key) const;
        bool StorePwmFields(const std::vector<std::pair<std::string, std::string>>& fields) const;
    };

    // "PulsSeq": the sequence table of the last pulse download, steps counted from 1: "Stp%d" the
    // segment file, "Rpt%d" its repeat count.
    struct PulseSequence : Part {
        using Part::Part;
        struct Step {
            std::string path;
            std::string repeat;
        };
        std::vector<Step> Read() const;
        // The same from another exchange file: a host carrying out the pulse download.
        static std::vector<Step> ReadFrom(const std::string& exchangeFile);
        // Replaces the table by the steps.
        bool Write(const std::vector<Step>& steps) const;
    };
};

// A "Settings" value that holds one text or one per channel: the channel's item (or the only
// one) replaced by text, every item followed by a blank.
std::string ChannelSettingText(const std::string& stored, int channel, const std::string& text);

} // namespace tw
