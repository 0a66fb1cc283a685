#pragma once
#include "app/FileUtil.h"
#include "app/Prompter.h"
#include "document/Composer.h"
#include "document/EditJournal.h"
#include "document/Samples.h"
#include "document/WaveFormats.h"
#include "document/WorkingCopy.h"
#include "host/InstrumentDescription.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tw {

class WeDoc;

// What the document asks of the windows around it. Every method has a do-nothing default so a
// test or a headless caller installs only what it watches.
struct WeDocListener {
    static constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
    // Points [first, last] changed (kAll, kAll: everything) and the view draws them again.
    virtual void repaint(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void rangeReset() {}      // the view's horizontal range goes back to the whole wave
    virtual void wavelengthShown() {} // the frame's wavelength field shows `wavelength` again
    virtual void segmentShown() {}    // the frame's segment field shows the active segment
    // The active channel or segment changed (a switch, the host's re-read event).
    virtual void activeChanged() {}
    virtual void deviationShown() {} // the FM composer's deviation field shows its text again
    virtual void titleSet(const std::string& /*title*/) {} // the main window's title text
    // The framework's path name changed; addRecent: also put it on the recent-file list.
    virtual void pathNameChanged(const std::string& /*path*/, bool /*addRecent*/) {}
    // The download's trace-type question ("Download Options"): 0 "arb", 1 "dig", 2 "alL", or
    // nothing when the user cancels. Without windows the answer is "Wave Only".
    virtual std::optional<int> askTraceType() { return 0; }
    virtual ~WeDocListener() = default;
};

// Result of the wavelength increment question.
enum class WavelengthCheck { Kept, Corrected, Cancelled };

enum class SaveResult { Saved, NeedsSaveAs };

// What Open reads: the file, its form and the answers to that form's questions, which the caller
// asks before through AnswerOpenQuestions (OpenQuestions.h).
struct OpenRequest {
    OpenRequest(std::string file, int formatCode) : path(std::move(file)), code(formatCode) {}
    std::string path;
    int code = kNativeCode;  // from the open dialog; kCodeFromName: from the name
    int dimension = 0;       // a column file's dimension answer
    int audioChannel = 0;    // the channel taken from a multi-channel audio file, 0-based
    std::string matVariable; // the variable taken from a MATLAB file; empty: the first
};

// The waveform of the active segment of the active channel: the one owner of the points. Every
// change is written to the segment's working file at once, so nothing is ever unsaved. What the
// standard and FM composers do differently, the document asks its composer.
class WeDoc {
  public:
    // Loads the instrument description; the document's questions and failures go to prompts.
    WeDoc(Composer& composer, Prompter& prompts);
    ~WeDoc(); // deletes the wave-parameter section and posts the composer-closed notice
    WeDoc(const WeDoc&) = delete;
    WeDoc& operator=(const WeDoc&) = delete;

    void setListener(WeDocListener* listener) { listener_ = listener; }
    WeDocListener& listener() { return listener_ ? *listener_ : silent_; }
    Composer& composer() const { return composer_; }
    Prompter& prompts() const { return prompts_; }

    // Where the user works: the active channel (0-based) and segment. The document holds them
    // from the description load on; a change the user makes is published to the exchange file
    // for the host, and every change is told to the listener.
    const ChannelSegment& active() const { return active_; }
    int activeChannel() const { return active_.channel; }
    int activeSegment() const { return active_.segment; }
    // The user's segment: stored as the channel's entry of "AcSeg" ("FPSeg").
    void SelectSegment(int segment);
    // A channel and segment the exchange file already holds (the segment stored for a channel,
    // the one channel of FP-segment mode); nothing is written.
    void TakeActive(ChannelSegment place);
    // Host event 4: both as the host left them, numbers out of range keeping the present ones.
    void RereadActive();
    // The download's re-read of the channel alone.
    void RereadActiveChannel();

    // The instrument as the description load found it, with what this composer takes of it
    // (trace types and pattern tables only where it has them). Its `active` and
    // `segTableSection` are the load's; the document's own follow below and above.
    const InstrumentLimits& limits() const { return limits_; }
    int bytesPerPoint() const { return BytesPerPoint(composer_.layout()); } // in files
    const LaunchState& session() const { return composer_.session(); }
    const std::string& tmpFolder() const { return tmpFolder_; }
    const std::string& undoFile() const { return undoFile_; }
    // The active channel's segment table.
    std::string segTableSection() const { return composer_.segTableSection(active_.channel); }
    std::string waveParSection() const { return composer_.waveParSection(); }
    // The points, each change marked for the commit (Samples.h).
    Samples& samples() { return samples_; }
    const Samples& samples() const { return samples_; }
    double wavelength() const { return static_cast<double>(samples_.size()); }
    // The vertical range the points are drawn and converted in: the instrument's code range, or
    // the range the FM composer frames them in.
    double vMin() const { return vMin_; }
    double vMax() const { return vMax_; }
    void FrameValues(double vMin, double vMax);
    // The user's file; empty while the wave lives only in the tmp folder.
    const std::string& fileName() const { return fileName_; }
    // The framework's name of the active segment's file, shown in the title: the working file
    // after New, a wavelength change and every edit, the user's file after Save and a binary
    // Save As, the chosen file (of any form) after Open.
    const std::string& pathName() const { return pathName_; }

    // The native file that holds exactly the points in memory (the converted file after an Open
    // of another form): undo snapshots are taken of it, and a change that cannot be written is
    // undone by reading the points back from it. Empty while no file holds them.
    const std::string& pointsFile() const { return pointsFile_; }

    // Whether the working file is still being copied from an opened file (see document.md).
    bool CopyingWorkingFile() const { return workingCopy_.busy(); }

    void Allocate(std::size_t n);
    // Takes the undo copy of pointsFile() before a change: with path empty, for undoFile, where
    // it lands only when the change is written (CommitEdit, SetWavelength, New, Open), so that a
    // change that fails or never comes leaves the undo file as it was; to path at once otherwise.
    // A failure is shown to the user; the caller then leaves the points alone.
    FileResult SnapshotForUndo(const std::string& path = {});
    // Writes all points to path (the path name when empty); the file then holds the points.
    FileResult WriteWorkingFile(const std::string& path = {}, Progress& progress = NoProgress());
    // asIsOnCancel: a cancelled increment question still loads the file unchanged (segment
    // switches); otherwise the document stays as it was. Read and write failures are shown.
    bool LoadWaveFile(const std::string& path, bool adopt, bool asIsOnCancel = false);
    // The increment question (kMsgWavelengthIncrement); n is corrected in place.
    WavelengthCheck CheckWavelengthIncrement(long& n);
    // The user's wavelength change; false when refused or cancelled (the field is restored).
    bool SetWavelength(long n, Progress& progress = NoProgress());
    // After generators and tools changed points: writes them once and repaints the range the
    // changes named (all of it after a length change or when none was named). False when the
    // working file could not be written (the user is told) or the write was cancelled: the
    // points are back as they were before the change.
    bool CommitEdit(Progress& progress = NoProgress());
    void RefreshFmMarkers();
    // FP-segment mode: the active segment's own deviation and range, before its wave is read
    // or, for a segment without a file yet, made.
    void LoadFpSegmentRange();
    // The FM composer's part of the channel set-up; false when the application must close.
    bool SetUpFmChannel();

    // The one place that hands other file forms to the format converters: the native binary
    // file holding the points of the request's file, or "" when it cannot be converted.
    std::string ConvertToNative(const OpenRequest& request);
    // What Open's conversion takes from the launch, the limits and the user's answers.
    ImportContext OpenContext(const OpenRequest& request) const;
    // Save As exports: the formats of the composer that have a writer.
    FileResult ExportPoints(const std::string& path, int code,
                            Progress& progress = NoProgress()) const;

    // The working file of a segment and channel in the tmp folder.
    std::string WorkingFile(int segment, int channel) const;
    std::string ActiveWorkingFile() const;
    // The segment number the tables use for the active segment (-1 for FM outside FP mode).
    int ActiveTableSegment() const;
    // Makes path the path name and tells the framework.
    void SetPathName(const std::string& path, bool addRecent);
    // fileName follows path: empty when it lies in the tmp folder.
    void SetFileNameFrom(const std::string& path);
    bool InTmpFolder(const std::string& path) const;

    // Each failure of a menu command is shown and leaves the document and its files as they were;
    // so does a cancel through progress, which is not shown.
    bool New();
    bool Open(const OpenRequest& request, Progress& progress = NoProgress());
    // Save As is needed while the document has no file of its own, or one that is no binary
    // form Save writes (FormatRegistry.h) or is named "Untitled".
    SaveResult Save(Progress& progress = NoProgress());
    // Path and format code from the save dialog; false when the user declined
    // (kMsgSaveInTemporaryFolder).
    bool SaveAs(const std::string& path, int code, Progress& progress = NoProgress());
    bool CanUndo() const;
    bool Undo();
    // Removes the undo point (a segment switch): the undo file and its journal.
    void DropUndo();
    bool ClearMemory();
    // Channel commands 1 to 4 (index 0 to 3): published as "ActiveCh", told to the host.
    void SelectChannel(int index);
    // Trim Left keeps the points from L on, Trim Right those up to R; false when refused,
    // cancelled or not written. One Undo returns to the wave from before.
    bool TrimLeft(long L);
    bool TrimRight(long R);
    // After a read into the points that failed midway: the count points from before it, read
    // back from pointsFile() (a new wave's when no file holds them) and shown.
    void PutPointsBack(std::size_t count);

  private:
    Composer& composer_;
    Prompter& prompts_;
    InstrumentLimits limits_;
    ChannelSegment active_;
    std::string tmpFolder_;
    std::string undoFile_;
    double vMin_ = 0, vMax_ = 0;
    std::string fileName_;
    std::string pathName_;
    bool busy_ = false; // a wavelength correction is applied during a load
    Samples samples_;
    WeDocListener* listener_ = nullptr;
    WeDocListener silent_;
    std::string pointsFile_;
    // The working file while it still holds the points of pointsFile_: after a Save from it, or
    // once the copy of an opened file is taken.
    std::string savedFrom_;
    unsigned pointsVersion_ = 0; // counts the changes of pointsFile_ and of its content
    StagedFile pendingUndo_;     // the undo snapshot of the change under way
    unsigned pendingVersion_ = 0;
    EditJournal journal_{
        std::string()};       // in-place writes of the working file and their undo points
    WorkingCopy workingCopy_; // the working file made from an opened file meanwhile

    // Points from first on changed, through last (the end after a length change), of oldCount.
    struct PointChange {
        std::size_t first = 0, last = 0, oldCount = 0;
        bool length = false;
    };

    void AfterLengthChange();
    // The working file copied from the opened file meanwhile, if it is whole, becomes the file
    // the next change is written into.
    void TakeWorkingCopy();
    // The wavelength change of SetWavelength and the trims: n points, those before from cut off.
    bool ChangeLength(long n, long from, Progress& progress = NoProgress());
    void RemoveModifMark();
    void AdoptPointsFile(const std::string& path);
    // Whether file holds exactly the points in memory.
    bool HoldsPoints(const std::string& file) const;
    // Reads a native file into the points as a load takes them (increment question, file cut
    // or extended to match); false when cancelled or unreadable (shown), the points then as
    // they were.
    bool ReadForLoad(const std::string& file, bool adopt, bool asIsOnCancel,
                     Progress& progress = NoProgress());
    void AdoptPoints(const std::string& file, bool adopt);
    // Whether the staged undo snapshot still shows the points from before the change under way.
    bool UndoStagedForThisChange() const;
    void SettleUndo(bool keep);
    // Writes changed points to the working file; on failure shows it, puts the points back from
    // pointsFile() and leaves the undo file alone.
    bool WriteChange(const std::string& working, bool keepUndo,
                     std::optional<PointChange> change = std::nullopt,
                     Progress& progress = NoProgress());
    // Writes a change of few points into the working file where it lies, journaled; false when
    // the whole file is better written anew (see docs/document.md).
    bool WritesInPlace(const std::string& working, const PointChange& change) const;
    FileResult WriteInPlace(const std::string& working, const PointChange& change, bool keepUndo);
    // The whole working file written anew and renamed over the old one, whose bytes become the
    // undo file through the staged snapshot, journaled.
    FileResult ReplaceWorkingFile(const std::string& working, Progress& progress);
    // Undo from the journal's patch: the file and the points patched where they changed.
    std::optional<bool> UndoInPlace(const std::string& working);
    void RestorePoints();
    // Shows a failed read or write with its path and reason, under the application's name.
    void ReportFailure(const FileResult& result) const;
};

} // namespace tw
