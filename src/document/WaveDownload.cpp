#include "document/WaveDownload.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"
#include "document/SegmentTables.h"
#include "document/WeDoc.h"
#include "host/ExchangeFile.h"
#include "host/HostLink.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace tw {

namespace {
std::string DescrValue(const LaunchState& session, const char* section, const char* key, int size) {
    std::string v;
    ProfileRecord(session, section, key, v, size, session.descrFile, true);
    return v;
}

void CopyAdditionalBits(const WeDoc& doc) {
    const int s = ExchangeFile::Active(doc.session()).Segment(0, false, 1).value_or(1);
    for (const auto& stored :
         ExchangeFile::MarkerBits(doc.session()).ForDownload(doc.segTableSection(), s))
        WriteGeneralSetting(doc.session(), strprintf(stored.invert ? "%dInv" : "%dBit", stored.bit),
                            stored.value, "DwnStr");
}

std::string SegmentPath(const LaunchState& session, const std::string& table, int segment,
                        bool quiet) {
    return ExchangeFile::Segments(session).File(table, segment, !quiet).value_or("");
}
} // namespace

std::string FormatCommandTemplate(std::string_view templ, const std::vector<long>& numbers) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < templ.size(); ++i) {
        char c = templ[i];
        if (c == '%' && i + 1 < templ.size()) {
            char conv = templ[i + 1];
            if (conv == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (conv == 'd' || conv == 'i') {
                out += next < numbers.size() ? std::to_string(numbers[next]) : std::string();
                ++next;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool CombinedDownloadMode(const LaunchState& session) {
    const std::optional<double> stored = ExchangeFile::Settings(session).DownloadMode();
    if (!stored || *stored < 0)
        return false;
    const double mode = *stored;
    std::istringstream names(DescrValue(session, "ParmPnlName", "DwnMode", 80));
    std::string name;
    for (int i = 0; names >> name; ++i)
        if (i == static_cast<int>(mode))
            return StartsWithNoCase(name, "COMb");
    return false;
}

std::string TraceTypePrefix(WeDoc& doc) {
    int type = 0;
    if (std::optional<int> stored = ExchangeFile::Settings(doc.session()).TraceType()) {
        type = *stored;
    } else if (std::optional<int> chosen = doc.listener().askTraceType()) {
        type = *chosen;
        ExchangeFile::Settings(doc.session()).StoreTraceType(type);
    }
    if (type < 0 || type > 2)
        type = 0;
    std::string prefix;
    std::string iface;
    if (ProfileRecord(doc.session(), "Interface", "TracType", iface, 100, doc.session().descrFile,
                      true) &&
        !EqualsNoCase(iface, "stuB"))
        prefix = strprintf(":TRAC:TYPE %s;", kTraceTypeNames[type]);
    if (type != 0)
        CopyAdditionalBits(doc);
    return prefix;
}

std::string StandardDownloadText(WeDoc& doc) {
    const int segment = doc.activeSegment();
    const int channel = doc.activeChannel();
    const long length = static_cast<long>(doc.wavelength());
    const LaunchState& session = doc.session();
    const bool combined = CombinedDownloadMode(session);
    std::string text;
    if (session.family == "K2290") {
        text = strprintf("%d %ld", segment, length);
    } else {
        std::string templ;
        if (!ProfileRecord(session, "WaveDown", "tmplDefSel", templ, 80, session.descrFile, true))
            templ = ":TRAC:DEF %d,%d;:TRAC:SEL %d";
        text = FormatCommandTemplate(templ, {segment, combined ? 2 * length : length, segment});
    }
    text += "\n";
    std::string prefix = doc.limits().hasTraceTypes ? TraceTypePrefix(doc) : std::string();
    if (combined) {
        int low = channel & ~1;
        text += "Wav=" +
                SegmentPath(session, ExchangeFile::Segments::ChannelTable(low), segment, true) +
                "&" +
                SegmentPath(session, ExchangeFile::Segments::ChannelTable(low + 1), segment, true);
    } else {
        text += "Wav=" + SegmentPath(session, doc.segTableSection(), segment, false);
    }
    const bool pilot = StartsWithNoCase(DescrValue(session, "Instrument", "Pilot", 260), "ye");
    if (!pilot && !prefix.empty())
        text = prefix + text;
    return "Cmd=" + text;
}

std::string FmDownloadText(const WeDoc& doc) {
    const bool fp = doc.session().fpSegMode;
    const int segment = fp ? doc.activeSegment() : -1;
    std::string path;
    RecordSegment(doc.session(), segment, 0, path, fp);
    std::string text = "FMwav=" + path + "\n";
    if (fp)
        text += strprintf("Cmd=:FM:SEGM:DEF %d, %lld\n", segment,
                          static_cast<long long>(std::max<std::int64_t>(FileSize(path), 0) / 6));
    return text;
}

int DownloadWaveform(WeDoc& doc) {
    doc.RereadActiveChannel();
    return doc.composer().Download(doc);
}

int SendTraceDownload(WeDoc& doc) {
    std::string text = StandardDownloadText(doc);
    bool sent = Show(doc.prompts(), SendToExchangeHost(doc.session(), text));
    ExchangeFile::Segments(doc.session()).MarkLoaded(doc.activeChannel(), doc.activeSegment());
    return sent ? 1 : 0;
}

int SendFmDownload(WeDoc& doc) {
    std::string text = FmDownloadText(doc);
    doc.RefreshFmMarkers();
    WriteFmMarkerFile(doc.tmpFolder(), doc.composer().fmMarkerPoints());
    return Show(doc.prompts(), SendToExchangeHost(doc.session(), text)) ? 1 : 0;
}

std::string FmMarkerFileText(std::span<const std::int32_t> indices) {
    std::string bytes;
    bytes.reserve(indices.size() * 4);
    for (std::int32_t i : indices) {
        auto u = static_cast<std::uint32_t>(i);
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<char>((u >> (8 * b)) & 0xff));
    }
    return bytes;
}

bool WriteFmMarkerFile(const std::string& tmpFolder, std::span<const std::int32_t> indices) {
    return WriteFileAtomically(tmpFolder + "$xMark", FmMarkerFileText(indices)).ok();
}

} // namespace tw
