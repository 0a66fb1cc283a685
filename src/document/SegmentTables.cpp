#include "document/SegmentTables.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/StringTable.h"
#include "document/WaveFormats.h"
#include "document/WeDoc.h"
#include "host/HostLink.h"

#include <set>
#include <string>
#include <vector>

namespace tw {

namespace {
// A new segment file: kNewSegmentPoints points of the document's initial value.
bool CreateSegmentFile(const WeDoc& doc, const std::string& path) {
    std::vector<std::int32_t> fresh(kNewSegmentPoints, doc.composer().initialPoint());
    return WriteNativeFile(path, fresh, doc.composer().layout()).ok();
}
} // namespace

bool RecordSegment(const LaunchState& session, int segment, int channel, std::string& path,
                   bool fpSegMode) {
    const std::string table = ExchangeFile::Segments::Table(segment, channel, fpSegMode);
    if (!path.empty())
        return ExchangeFile::Segments(session).Record(table, segment, path);
    auto stored = ExchangeFile::Segments(session).File(table, segment);
    path = stored.value_or("");
    return stored.has_value();
}

void RecordSegmentFile(const LaunchState& session, int segment, int channel,
                       const std::string& path) {
    if (path.empty())
        return;
    std::string p = path;
    RecordSegment(session, segment, channel, p, session.fpSegMode);
}

std::string CommandStem(std::string_view value) {
    std::size_t blank = value.size() > 1 ? value.find(' ', 1) : std::string_view::npos;
    if (blank == std::string_view::npos)
        return std::string(value);
    return std::string(value.substr(0, blank + 1));
}

void SelectSegmentOnHost(const LaunchState& session, Prompter& prompts, int segment) {
    std::string stem;
    const char* key = session.fpSegMode ? "FPSeg" : "AcSeg"; // of the description file
    if (!ProfileRecord(session, "Interface", key, stem, 40, session.descrFile, true))
        stem = ":SEL ";
    Show(prompts,
         SendToExchangeHost(session, "Cmd=" + CommandStem(stem) + std::to_string(segment)));
}

bool CheckSegmentNumber(WeDoc& doc, int& segment) {
    const bool fp = doc.session().fpSegMode;
    const double maximum = fp ? doc.composer().fmLimits().fpSegMax : doc.limits().segmentMax;
    if (segment < 1 || segment > maximum) {
        segment = doc.activeSegment();
        doc.listener().segmentShown();
        ask(doc.prompts(), doc.session().appName, StringText(kMsgValueOutOfRange), Buttons::Ok,
            Icon::Exclamation);
        return false;
    }
    // One read of the table instead of one lookup per lower segment number.
    const std::set<long> used =
        ExchangeFile::Segments(doc.session()).Numbers(doc.segTableSection());
    int below = 0;
    auto it = used.lower_bound(segment);
    if (it != used.begin())
        below = static_cast<int>(*std::prev(it));
    if (below < 1)
        below = 0;
    if (below + 1 < segment) {
        ask(doc.prompts(), doc.session().appName,
            vformat(StringText(kMsgSegmentReplaced), segment, below + 1), Buttons::Ok,
            Icon::Exclamation);
        segment = below + 1;
        doc.listener().segmentShown();
    }
    if (segment != doc.activeSegment()) {
        ExchangeFile::WaveParameters(doc.session()).Forget(ExchangeFile::WaveParameters::kStandard);
        doc.SelectSegment(segment);
        SelectSegmentOnHost(doc.session(), doc.prompts(), segment);
    }
    LoadChannelSegment(doc);
    if (doc.limits().pattSyncTable)
        UpdatePatternTable(doc, "", doc.activeSegment(), doc.activeChannel());
    return true;
}

void LoadChannelSegment(WeDoc& doc) {
    const bool fp = doc.session().fpSegMode;
    const int channel = doc.activeChannel();
    ExchangeFile::Segments(doc.session()).MarkSwitched();
    const int previous = doc.activeSegment();
    doc.TakeActive(
        {channel,
         ExchangeFile::Active(doc.session()).Segment(channel, fp, previous).value_or(previous)});
    const int segment = doc.ActiveTableSegment();
    std::string path;
    if (!RecordSegment(doc.session(), segment, channel, path, fp))
        path = doc.WorkingFile(segment, channel);
    doc.SetPathName(path, false);
    if (FileExists(path)) {
        // A cancelled increment question leaves the file as it is and shows it unchanged.
        doc.LoadWaveFile(path, true, true);
    } else {
        doc.LoadFpSegmentRange();
        doc.Allocate(kNewSegmentPoints);
        doc.RefreshFmMarkers();
        doc.WriteWorkingFile(path);
        doc.listener().wavelengthShown();
    }
    RecordSegmentFile(doc.session(), segment, channel, path);
    doc.listener().segmentShown();
    doc.SetFileNameFrom(path);
    doc.listener().rangeReset();
    doc.DropUndo();
    doc.listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
}

void LoadActiveSegment(WeDoc& doc) {
    const bool fp = doc.session().fpSegMode;
    std::string path;
    int segment = -1;
    int channel = 0;
    if (!doc.composer().segmented()) {
        if (!RecordSegment(doc.session(), segment, channel, path, false))
            path = doc.WorkingFile(segment, channel);
    } else {
        // The channel and segment are the ones the description load or the host's re-read
        // event has just read and checked.
        channel = fp ? 0 : doc.activeChannel();
        segment = doc.activeSegment();
        doc.TakeActive({channel, segment});
        if (!RecordSegment(doc.session(), segment, channel, path, fp))
            path = doc.WorkingFile(segment, channel);
        if (doc.limits().pattSyncTable)
            UpdatePatternTable(doc, path, segment, channel);
    }
    if (!FileExists(path)) {
        doc.LoadFpSegmentRange();
        doc.Allocate(kNewSegmentPoints);
        doc.RefreshFmMarkers();
        doc.WriteWorkingFile(path);
        RecordSegmentFile(doc.session(), segment, channel, path);
        doc.SetPathName(path, false);
        doc.listener().wavelengthShown();
    } else {
        std::string converted = doc.ConvertToNative({path, kCodeFromName});
        if (!converted.empty()) {
            doc.LoadWaveFile(converted, true, true);
        } else {
            // A file that cannot be read starts the segment over with a new waveform.
            doc.Allocate(1000);
            doc.New();
        }
    }
    doc.listener().segmentShown();
    doc.SetFileNameFrom(doc.pathName());
}

void UpdatePatternTable(WeDoc& doc, std::string path, int segment, int channel) {
    if (path.empty())
        path = ExchangeFile::Segments(doc.session())
                   .File(ExchangeFile::Segments::ChannelTable(channel), segment)
                   .value_or("");
    if (path.empty())
        path = doc.WorkingFile(segment, channel);
    if (!FileExists(path))
        CreateSegmentFile(doc, path);
    std::int64_t target = FileSize(path) / doc.limits().patSyncFactor;
    if (target < 0)
        return;
    const std::optional<std::string> stored =
        ExchangeFile::Segments(doc.session()).PatternFile(channel, segment);
    std::string pattern = stored.value_or("");
    if (stored && FileExists(pattern) && FileSize(pattern) == target)
        return;
    if (pattern.empty()) {
        pattern = FolderOf(path) + strprintf("TemS%d.wpt%d", segment, channel);
        ExchangeFile::Segments(doc.session()).RecordPatternFile(channel, segment, pattern);
    }
    std::string bytes = ReadWholeFile(pattern).value_or(std::string());
    bytes.resize(static_cast<std::size_t>(target), '\0');
    WriteFileAtomically(pattern, bytes);
}

void SyncPartnerChannelSegment(WeDoc& doc) {
    const bool fp = doc.session().fpSegMode;
    const int partner = doc.activeChannel() ^ 1;
    const int segment = doc.ActiveTableSegment();
    std::string path;
    if (!RecordSegment(doc.session(), segment, partner, path, fp)) {
        path = doc.WorkingFile(segment, partner);
        RecordSegmentFile(doc.session(), segment, partner, path);
    }
    ResizeNativeFile(path, doc.samples().size(), doc.composer().layout());
}

} // namespace tw
