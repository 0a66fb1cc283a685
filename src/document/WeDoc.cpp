#include "document/WeDoc.h"

#include "app/FileReport.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/StringTable.h"
#include "document/FormatRegistry.h"
#include "document/PointMapping.h"
#include "document/SegmentTables.h"
#include "document/WaveFormats.h"
#include "host/HostLink.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <variant>

namespace tw {

WeDoc::WeDoc(Composer& composer, Prompter& prompts)
    : composer_(composer), prompts_(prompts),
      samples_(composer.layout() == PointLayout::Int16 ? SampleWidth::Int16 : SampleWidth::Int32) {
    limits_ = LoadInstrumentDescription(session(), samples_.width() == SampleWidth::Int32 ? 4 : 2);
    limits_.hasTraceTypes = composer_.tracesAndPatterns() && limits_.hasTraceTypes;
    limits_.pattSyncTable = composer_.tracesAndPatterns() && limits_.pattSyncTable;
    if (limits_.patSyncFactor <= 0)
        limits_.patSyncFactor = 2;
    active_ = limits_.active;
    tmpFolder_ = session().tmpFolder;
    undoFile_ = tmpFolder_ + composer_.undoFileName();
    journal_ = EditJournal(undoFile_);
    journal_.Recover(); // before anything reads a working file
    vMin_ = limits_.vMin;
    vMax_ = limits_.vMax;
    Allocate(limits_.initialWavelength > 0 ? static_cast<std::size_t>(limits_.initialWavelength)
                                           : 0);
    SetUpFmChannel();
}

bool WeDoc::SetUpFmChannel() {
    return composer_.SetUpChannel(*this);
}

WeDoc::~WeDoc() {
    ExchangeFile::WaveParameters(session()).Forget(waveParSection());
    RemoveFile(tmpFolder_ + "^^Dwn.wav");
    PostComposerClosed(composer_.closedCode(), 0);
}

void WeDoc::FrameValues(double vMin, double vMax) {
    vMin_ = vMin;
    vMax_ = vMax;
}

void WeDoc::Allocate(std::size_t n) {
    samples_.Assign(n, composer_.initialPoint());
    AdoptPointsFile({}); // no file holds the new points yet
}

void WeDoc::AdoptPointsFile(const std::string& path) {
    workingCopy_.Cancel(); // of the points from before
    pointsFile_ = path;
    savedFrom_.clear();
    ++pointsVersion_;
    // Whoever made the file or the new points shows them whole: nothing is left to commit.
    samples_.TakePending();
}

std::string WeDoc::WorkingFile(int segment, int channel) const {
    return tmpFolder_ + composer_.workingFileName(segment, channel);
}

int WeDoc::ActiveTableSegment() const {
    return composer_.segmented() ? active_.segment : -1;
}

std::string WeDoc::ActiveWorkingFile() const {
    return WorkingFile(ActiveTableSegment(), active_.channel);
}

void WeDoc::TakeActive(ChannelSegment place) {
    if (place.channel == active_.channel && place.segment == active_.segment)
        return;
    active_ = place;
    listener().activeChanged();
}

void WeDoc::SelectSegment(int segment) {
    TakeActive({active_.channel, segment});
    ExchangeFile::Active(session()).StoreSegment(segment, session().fpSegMode);
}

void WeDoc::RereadActive() {
    TakeActive(ExchangeFile::Active(session()).Reread(active_, session().fpSegMode));
}

void WeDoc::RereadActiveChannel() {
    TakeActive({ExchangeFile::Active(session()).Channel(
                    ExchangeFile::Instrument(session()).Channels(), active_.channel),
                active_.segment});
}

void WeDoc::SetPathName(const std::string& path, bool addRecent) {
    pathName_ = path;
    listener().pathNameChanged(path, addRecent);
}

bool WeDoc::InTmpFolder(const std::string& path) const {
    return !tmpFolder_.empty() && path.size() >= tmpFolder_.size() &&
           EqualsNoCase(std::string_view(path).substr(0, tmpFolder_.size()), tmpFolder_);
}

void WeDoc::SetFileNameFrom(const std::string& path) {
    fileName_ = InTmpFolder(path) ? std::string() : path;
}

void WeDoc::TakeWorkingCopy() {
    const std::string working = ActiveWorkingFile();
    if (workingCopy_.Take(working, pointsVersion_))
        savedFrom_ = working;
}

FileResult WeDoc::SnapshotForUndo(const std::string& path) {
    TakeWorkingCopy();
    const std::string& target = path.empty() ? undoFile_ : path;
    if (pointsFile_.empty()) {
        // No file holds the points: there is nothing to go back to.
        pendingUndo_.discard();
        RemoveFile(target);
        if (path.empty())
            journal_.DropUndo();
        return {};
    }
    FileResult taken;
    // The working file when it holds the same points: a second name in the same folder.
    const std::string from = HoldsPoints(ActiveWorkingFile()) ? ActiveWorkingFile() : pointsFile_;
    if (path.empty()) {
        pendingUndo_ = StagedFile(undoFile_);
        taken = pendingUndo_.linkTo(from);
        pendingVersion_ = pointsVersion_;
    } else {
        taken = SnapshotFile(from, path);
    }
    ReportFailure(taken);
    return taken;
}

bool WeDoc::UndoStagedForThisChange() const {
    // Anything that rewrote or replaced the points file since the snapshot makes it stale.
    return pendingUndo_.staged() && pendingVersion_ == pointsVersion_;
}

void WeDoc::SettleUndo(bool keep) {
    if (!keep) {
        pendingUndo_.discard();
        return;
    }
    if (FileResult kept = pendingUndo_.commit(); !kept) {
        // An older undo file would give back the wrong points.
        RemoveFile(undoFile_);
        ReportFailure(kept);
    }
    journal_.DropUndo(); // older than the undo file, or wrong with it gone
}

bool WeDoc::HoldsPoints(const std::string& file) const {
    return !file.empty() && (file == pointsFile_ || file == savedFrom_);
}

FileResult WeDoc::WriteWorkingFile(const std::string& path, Progress& progress) {
    const std::string target = path.empty() ? pathName_ : path;
    // A Save leaves the working file as it is, so the next edit is still written into it; a copy
    // of the opened file under way is waited for and taken, not dropped with the points' file.
    TakeWorkingCopy();
    const std::string working = ActiveWorkingFile();
    const bool workingKept = target != working && HoldsPoints(working) && !samples_.pending();
    FileResult written = samples_.WriteFile(target, composer_.layout(), progress);
    if (written) {
        AdoptPointsFile(target);
        if (workingKept)
            savedFrom_ = working;
    }
    return written;
}

void WeDoc::RestorePoints() {
    if (pointsFile_.empty())
        return;
    if (FileResult read = samples_.ReadFile(pointsFile_, composer_.layout()); !read) {
        ReportFailure(read);
        return;
    }
    samples_.TakePending(); // they are the file's, shown in full below
    RefreshFmMarkers();
    listener().wavelengthShown();
    listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
}

bool WeDoc::WritesInPlace(const std::string& working, const PointChange& c) const {
    if (composer_.layout() == PointLayout::Record6 || !HoldsPoints(working))
        return false;
    const auto bpp = static_cast<std::uint64_t>(bytesPerPoint());
    const std::uint64_t count = samples_.size();
    const std::uint64_t newEnd = c.length ? count : c.last + 1;
    const std::uint64_t oldEnd = c.length ? c.oldCount : c.last + 1;
    const std::uint64_t moved =
        (newEnd - std::min(c.first, newEnd)) + (oldEnd - std::min(c.first, oldEnd));
    // Beyond a quarter of the file, a new file costs little more and leaves the old one whole
    // as the undo file.
    return moved * 4 <= std::max(count, c.oldCount) &&
           EditJournal::CanWriteInPlace(working, c.oldCount * bpp,
                                        UndoStagedForThisChange() ? pendingUndo_.temporary()
                                                                  : std::string());
}

FileResult WeDoc::WriteInPlace(const std::string& working, const PointChange& c, bool keepUndo) {
    if (keepUndo)
        pendingUndo_.discard(); // a second name of the working file, which changes where it lies
    const std::size_t count = samples_.size();
    const std::size_t end = c.length ? count : std::min(c.last + 1, count);
    const std::size_t first = std::min(c.first, end);
    const auto bpp = static_cast<std::size_t>(bytesPerPoint());
    const auto bytes = std::visit(
        [&](auto all) {
            return std::span<const char>(reinterpret_cast<const char*>(all.data() + first),
                                         (end - first) * bpp);
        },
        samples_.view());
    FileResult written = journal_.Write(working, first * bpp, bytes, count * bpp, keepUndo);
    if (written)
        AdoptPointsFile(working);
    return written;
}

bool WeDoc::WriteChange(const std::string& working, bool keepUndo,
                        std::optional<PointChange> change, Progress& progress) {
    TakeWorkingCopy();
    const bool inPlace = change && WritesInPlace(working, *change);
    FileResult written;
    if (inPlace)
        written = WriteInPlace(working, *change, keepUndo);
    else if (!keepUndo && journal_.HoldsUndoOf(working))
        written = journal_.MakeUndoFile(working); // the patch would not outlive its file
    if (written && !inPlace)
        written =
            keepUndo ? ReplaceWorkingFile(working, progress) : WriteWorkingFile(working, progress);
    if (!written) {
        pendingUndo_.discard();
        ReportFailure(written);
        RestorePoints();
        return false;
    }
    pendingUndo_.discard(); // committed, or not this change's
    return true;
}

FileResult WeDoc::ReplaceWorkingFile(const std::string& working, Progress& progress) {
    StagedFile next(working);
    FileResult written = samples_.WriteFile(next, composer_.layout(), progress);
    FileResult undoKept;
    if (written)
        written = journal_.Replace(next, pendingUndo_, undoKept);
    if (written)
        AdoptPointsFile(working);
    ReportFailure(undoKept);
    return written;
}

void WeDoc::RefreshFmMarkers() {
    composer_.ComputeMarkers(*this);
}

void WeDoc::LoadFpSegmentRange() {
    composer_.LoadSegmentRange(*this);
}

WavelengthCheck WeDoc::CheckWavelengthIncrement(long& n) {
    const int resFactor = limits_.resFactor;
    if (!composer_.wavelengthIncrements() || resFactor <= 1 || n % resFactor == 0)
        return WavelengthCheck::Kept;
    Answer a = ask(prompts_, session().appName,
                   vformat(StringText(kMsgWavelengthIncrement), static_cast<int>(n), resFactor),
                   Buttons::YesNoCancel, Icon::Exclamation);
    if (a == Answer::Cancel)
        return WavelengthCheck::Cancelled;
    if (a == Answer::Yes)
        n = n / resFactor * resFactor;
    else // rounded as the host rounds it (n is positive)
        // NOLINTNEXTLINE(bugprone-incorrect-roundings)
        n = static_cast<long>(static_cast<double>(n) / resFactor + 0.5) * resFactor;
    return WavelengthCheck::Corrected;
}

bool WeDoc::ReadForLoad(const std::string& file, bool adopt, bool asIsOnCancel,
                        Progress& progress) {
    const std::int64_t size = FileSize(file);
    if (size < 0) {
        ReportFailure(samples_.ReadFile(file, composer_.layout()));
        return false;
    }
    LoadFpSegmentRange();
    long count = static_cast<long>(size / bytesPerPoint());
    bool cut = false;
    if (adopt && composer_.wavelengthIncrements() && limits_.resFactor > 1) {
        busy_ = true;
        long n = count;
        WavelengthCheck check = CheckWavelengthIncrement(n);
        busy_ = false;
        if (check == WavelengthCheck::Cancelled && !asIsOnCancel)
            return false;
        cut = check == WavelengthCheck::Corrected;
        count = n;
    }
    // The file is read into the points' own storage, so a load never holds two waves; on a
    // failure the points come back from the file that holds them.
    const std::size_t before = samples_.size();
    if (FileResult read = samples_.ReadFile(file, composer_.layout(), progress); !read) {
        ReportFailure(read);
        if (samples_.size() != before) // the read broke off midway
            PutPointsBack(before);
        return false;
    }
    if (samples_.size() != static_cast<std::size_t>(count))
        samples_.Resize(static_cast<std::size_t>(count), composer_.initialPoint());
    if (cut) {
        if (FileResult written = samples_.WriteFile(file, composer_.layout()); !written) {
            ReportFailure(written);
            PutPointsBack(before);
            return false;
        }
    }
    return true;
}

void WeDoc::PutPointsBack(std::size_t count) {
    if (!pointsFile_.empty()) {
        RestorePoints();
        return;
    }
    // No file holds them: they were a new wave's.
    samples_.Assign(count, composer_.initialPoint());
    samples_.TakePending();
    RefreshFmMarkers();
    listener().wavelengthShown();
    listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
}

void WeDoc::AdoptPoints(const std::string& file, bool adopt) {
    AdoptPointsFile(file);
    listener().wavelengthShown();
    RefreshFmMarkers();
    if (adopt)
        SetPathName(file, false);
}

bool WeDoc::LoadWaveFile(const std::string& path, bool adopt, bool asIsOnCancel) {
    if (busy_)
        return false;
    std::string file = path;
    if (file.find(".w") == std::string::npos && file.find(".W") == std::string::npos) {
        file = ConvertToNative({file, kCodeFromName});
        if (file.empty())
            return false;
    }
    if (!ReadForLoad(file, adopt, asIsOnCancel))
        return false;
    AdoptPoints(file, adopt);
    return true;
}

void WeDoc::AfterLengthChange() {
    ExchangeFile::WaveParameters(session()).ForgetRange(waveParSection());
    listener().rangeReset();
    listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
}

bool WeDoc::SetWavelength(long n, Progress& progress) {
    return ChangeLength(n, 0, progress);
}

bool WeDoc::ChangeLength(long n, long from, Progress& progress) {
    if (static_cast<double>(n) == wavelength()) {
        listener().wavelengthShown();
        return false;
    }
    if (n < limits_.wavelengthMin || n > limits_.wavelengthMax) {
        ask(prompts_, session().appName, StringText(kMsgValueOutOfRange), Buttons::Ok,
            Icon::Exclamation);
        listener().wavelengthShown();
        return false;
    }
    if (CheckWavelengthIncrement(n) == WavelengthCheck::Cancelled || !SnapshotForUndo()) {
        listener().wavelengthShown();
        return false;
    }
    const bool keepUndo = UndoStagedForThisChange();
    const auto size = static_cast<long>(samples_.size());
    if (from > 0 && from < size)
        samples_.Write(0, static_cast<std::size_t>(size - from - 1), [from](SampleSpan points) {
            std::visit([from](auto all) { std::copy(all.begin() + from, all.end(), all.begin()); },
                       points);
        });
    // The points in memory are the undo copy's content (moved to the start by Trim Left), so
    // they are cut or extended in place.
    samples_.Resize(static_cast<std::size_t>(n), composer_.initialPoint());
    const int segment = ActiveTableSegment();
    const int channel = active_.channel;
    std::optional<PointChange> tail; // only the points past the shorter length changed
    if (from == 0)
        tail = PointChange{static_cast<std::size_t>(std::min(n, size)),
                           static_cast<std::size_t>(n) - 1, static_cast<std::size_t>(size), true};
    if (!WriteChange(ActiveWorkingFile(), keepUndo, tail, progress))
        return false;
    SetPathName(ActiveWorkingFile(), true);
    RecordSegmentFile(session(), segment, channel, pathName_);
    if (limits_.pattSyncTable)
        UpdatePatternTable(*this, "", segment, channel);
    AppendLog(session(), "SetWlen = " + std::to_string(FileSize(pathName_) / 2));
    RefreshFmMarkers();
    listener().wavelengthShown();
    if (limits_.commonSegmForAllChan || limits_.moduleChans)
        SyncPartnerChannelSegment(*this);
    AfterLengthChange();
    return true;
}

bool WeDoc::CommitEdit(Progress& progress) {
    const std::optional<Samples::Change> change = samples_.TakePending();
    const bool keepUndo = UndoStagedForThisChange();
    const std::string working = ActiveWorkingFile();
    RefreshFmMarkers();
    std::optional<PointChange> values;
    if (change && !change->length)
        values = PointChange{change->first, change->last, samples_.size(), false};
    if (!WriteChange(working, keepUndo, values, progress))
        return false;
    SetPathName(working, true);
    RecordSegmentFile(session(), ActiveTableSegment(), active_.channel, working);
    if (change && !change->length)
        listener().repaint(change->first, change->last);
    else
        listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
    return true;
}

bool WeDoc::New() {
    if (!SnapshotForUndo())
        return false;
    const bool keepUndo = UndoStagedForThisChange();
    const std::string working = ActiveWorkingFile();
    // Allocate with the current wavelength, keeping the file that still holds the old points
    // for the case that the new ones cannot be written.
    samples_.Assign(samples_.size(), composer_.initialPoint());
    if (!WriteChange(working, keepUndo))
        return false;
    SetPathName(working, false);
    RecordSegmentFile(session(), ActiveTableSegment(), active_.channel, working);
    RefreshFmMarkers();
    listener().wavelengthShown();
    AfterLengthChange();
    return true;
}

bool WeDoc::Open(const OpenRequest& request, Progress& progress) {
    ImportContext ctx = OpenContext(request);
    ctx.progress = &progress;
    ConvertResult converted = ConvertToBinary(request.path, request.code, ctx);
    if (!converted.ok) {
        if (!converted.failure)
            ReportFailure(converted.failure);
        else
            ask(prompts_, session().appName,
                converted.error.empty() ? StringText(kMsgCannotConvert) : converted.error,
                Buttons::Ok, Icon::Exclamation);
        return false;
    }
    const std::string& file = converted.path;
    workingCopy_.Cancel(); // of the wave that is being replaced
    if (!SnapshotForUndo())
        return false;
    const bool keepUndo = UndoStagedForThisChange();
    const std::size_t before = samples_.size();
    if (!ReadForLoad(file, true, false, progress)) {
        pendingUndo_.discard();
        return false;
    }
    // A stray partial point at the end is dropped from the file too, so that the segment's file
    // holds exactly the points.
    const auto exact = static_cast<std::int64_t>(samples_.size()) * bytesPerPoint();
    if (FileSize(file) != exact) {
        if (FileResult written = samples_.WriteFile(file, composer_.layout()); !written) {
            pendingUndo_.discard();
            ReportFailure(written);
            PutPointsBack(before);
            return false;
        }
    }
    AdoptPoints(file, false);
    SettleUndo(keepUndo);
    SetFileNameFrom(file);
    SetPathName(request.path, true);
    RecordSegmentFile(session(), ActiveTableSegment(), active_.channel, file);
    composer_.WaveOpened(*this);
    // The first edit is then written into the working file where it lies.
    if (const std::string working = ActiveWorkingFile();
        file != working && composer_.layout() != PointLayout::Record6)
        workingCopy_.Start(file, working, pointsVersion_);
    AfterLengthChange();
    if (converted.clipped > 0)
        ask(prompts_, session().appName, ClippedMessage(converted.clipped), Buttons::Ok,
            Icon::Information);
    return true;
}

void WeDoc::RemoveModifMark() {
    ExchangeFile::Segments(session()).RemoveModified(
        composer_.modifKey(ActiveTableSegment(), active_.channel));
}

SaveResult WeDoc::Save(Progress& progress) {
    if (fileName_.empty() || ToUpper(FileNameOf(fileName_)).find("UNTIT") != std::string::npos)
        return SaveResult::NeedsSaveAs;
    if (!SavesAsBinary(fileName_)) {
        fileName_.clear();
        return SaveResult::NeedsSaveAs;
    }
    if (FileResult written = WriteWorkingFile(fileName_, progress); !written) {
        ReportFailure(written);
        return SaveResult::Saved;
    }
    RecordSegmentFile(session(), ActiveTableSegment(), active_.channel, fileName_);
    SetPathName(fileName_, false);
    listener().titleSet(session().appName + " -> " + fileName_);
    RemoveModifMark();
    return SaveResult::Saved;
}

bool WeDoc::SaveAs(const std::string& path, int code, Progress& progress) {
    if (path.empty())
        return false;
    if (InTmpFolder(path) && ask(prompts_, session().appName, StringText(kMsgSaveInTemporaryFolder),
                                 Buttons::YesNo, Icon::Exclamation) == Answer::No)
        return false;
    const FileFormat* format = FindFileFormat(composer_.layout(), code);
    const SaveRole role = format ? format->writing.save : SaveRole::None;
    if (role == SaveRole::Passed)
        return true;
    FileResult written;
    if (role == SaveRole::Document)
        written = WriteWorkingFile(path, progress);
    else if (role == SaveRole::Export || role == SaveRole::NamedExport)
        written = ExportPoints(path, code, progress);
    if (!written) {
        ReportFailure(written);
        return false;
    }
    if (role == SaveRole::Document) {
        fileName_ = path;
        RemoveModifMark();
    }
    if (role == SaveRole::NamedExport)
        fileName_ = path;
    if (role == SaveRole::Document || (role == SaveRole::None && !fileName_.empty())) {
        RecordSegmentFile(session(), ActiveTableSegment(), active_.channel, fileName_);
        SetPathName(fileName_, false);
        listener().titleSet(session().appName + " -> " + fileName_);
    }
    return true;
}

ImportContext WeDoc::OpenContext(const OpenRequest& request) const {
    ImportContext ctx = ImportContextForLaunch(session(), composer_.layout(), vMin_, vMax_,
                                               request.dimension, prompts_);
    ctx.channel = request.audioChannel;
    ctx.variable = request.matVariable;
    return ctx;
}

std::string WeDoc::ConvertToNative(const OpenRequest& request) {
    ConvertResult converted = ConvertToBinary(request.path, request.code, OpenContext(request));
    ReportFailure(converted.failure);
    return converted.ok ? converted.path : std::string();
}

FileResult WeDoc::ExportPoints(const std::string& path, int code, Progress& progress) const {
    return ExportWaveFile(path, code, samples_.view(),
                          ExportContext{composer_.layout(), vMin_, vMax_, {}}, progress);
}

bool WeDoc::CanUndo() const {
    return FileExists(undoFile_) || journal_.HoldsUndoOf(ActiveWorkingFile());
}

void WeDoc::DropUndo() {
    RemoveFile(undoFile_);
    journal_.DropUndo();
}

std::optional<bool> WeDoc::UndoInPlace(const std::string& working) {
    if (!journal_.HoldsUndoOf(working))
        return std::nullopt;
    // The patch gives back the points only where they are the file's.
    if (!HoldsPoints(working) || samples_.pending()) {
        if (FileResult made = journal_.MakeUndoFile(working); !made) {
            ReportFailure(made);
            return false;
        }
        return std::nullopt;
    }
    FileResult undone;
    const std::optional<FilePatch> p = journal_.Undo(working, undone);
    if (!p) {
        ReportFailure(undone);
        return undone ? std::nullopt : std::optional<bool>(false);
    }
    const auto bpp = static_cast<std::size_t>(bytesPerPoint());
    samples_.Resize(p->oldLength / bpp, composer_.initialPoint());
    const std::size_t first = p->offset / bpp, count = p->before.size() / bpp;
    if (count > 0)
        samples_.Write(first, first + count - 1, [&](SampleSpan points) {
            std::visit(
                [&](auto all) {
                    std::memcpy(reinterpret_cast<char*>(all.data()) + p->offset, p->before.data(),
                                p->before.size());
                },
                points);
        });
    RemoveFile(undoFile_); // older than the patch
    return true;
}

bool WeDoc::Undo() {
    if (!CanUndo())
        return false;
    pendingUndo_.discard();
    const std::string working = ActiveWorkingFile();
    if (const std::optional<bool> patched = UndoInPlace(working)) {
        if (!*patched)
            return false;
    } else {
        // Moving the copy over the working file replaces it in one step, so the host never
        // reads half a file, and leaves no undo behind. The points are read from there only
        // afterwards, into their own storage, so that a refused move leaves them alone.
        if (FileResult moved = MoveFileOver(undoFile_, working); !moved) {
            ReportFailure(moved);
            return false;
        }
        const std::size_t before = samples_.size();
        if (!ReadForLoad(working, true, true)) {
            PutPointsBack(before); // what the points' file holds now
            return false;
        }
    }
    AdoptPoints(working, true);
    fileName_.clear();
    // The segment's file is the working file again, so a download sends what is shown.
    RecordSegmentFile(session(), ActiveTableSegment(), active_.channel, working);
    listener().rangeReset();
    listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
    return true;
}

bool WeDoc::ClearMemory() {
    std::string text =
        strprintf("Confirm clear the entire memory for channel %d", active_.channel + 1);
    if (ask(prompts_, session().appName, text, Buttons::OkCancel, Icon::Question) != Answer::Ok)
        return false;
    Show(prompts_, SendToExchangeHost(session(), "Cmd=:TRAC:DEL:ALL"));
    return true;
}

void WeDoc::SelectChannel(int index) {
    if (index == active_.channel)
        return;
    if (composer_.channelTables())
        ExchangeFile::WaveParameters(session()).Forget(waveParSection());
    ExchangeFile::Active(session()).WriteChannel(index);
    TakeActive({index, active_.segment});
    std::string stem;
    if (!ProfileRecord(session(), "Interface", "ActiveCh", stem, 40, session().descrFile, true))
        stem = ":INST ";
    Show(prompts_,
         SendToExchangeHost(session(), "Cmd=" + CommandStem(stem) + std::to_string(index + 1)));
    SetUpFmChannel();
    LoadChannelSegment(*this);
    if (limits_.pattSyncTable)
        UpdatePatternTable(*this, "", active_.segment, index);
}

bool WeDoc::TrimLeft(long L) {
    long n = static_cast<long>(wavelength()) - L;
    if (CheckWavelengthIncrement(n) == WavelengthCheck::Cancelled)
        return false;
    return ChangeLength(n, static_cast<long>(wavelength()) - n);
}

bool WeDoc::TrimRight(long R) {
    return SetWavelength(R + 1);
}

void WeDoc::ReportFailure(const FileResult& result) const {
    ReportFileFailure(prompts_, session().appName, result);
}

} // namespace tw
