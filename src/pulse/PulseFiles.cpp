#include "pulse/PulseFiles.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/Result.h"
#include "app/StringTable.h"
#include "host/ExchangeFile.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseEditor.h"
#include "pulse/TrainModel.h"

#include <vector>

namespace tw {

std::string TrainOrigin(const LaunchState& session, int channel) {
    return ReadTrainRoot(session, channel, "PulseOrg");
}

bool SaveTrain(const LaunchState& session, int channel) {
    std::string name = TrainOrigin(session, channel);
    if (name.empty() || ToUpper(name).find("UNTIT") != std::string::npos)
        return false;
    return CopyTrain(session, channel, name, true).ok();
}

bool SaveTrainAs(const PulseEditor& editor, const std::string& chosen) {
    std::string name = chosen;
    const LaunchState& session = editor.session();
    if (StartsWithNoCase(name, session.tmpFolder) &&
        ask(editor.prompts(), session.appName, StringText(kMsgSaveInTemporaryFolder),
            Buttons::YesNo, Icon::Exclamation) != Answer::Yes)
        return false;
    std::string ext = ExtensionOf(name);
    if (EqualsNoCase(ext, "wav")) {
        if (!SaveTrainSamples(editor, name))
            return false;
        name = name.substr(0, name.size() - 3) + "pls";
    } else if (EqualsNoCase(ext, "tss")) {
        return Show(editor.prompts(), ExportSegmentTables(session, name, editor.limits()));
    }
    WriteTrainRoot(session, editor.channel(), "PulseOrg", name);
    return CopyTrain(session, editor.channel(), name, true).ok();
}

namespace {

Result corrupted(const std::string& path) {
    RemoveFile(path);
    return Notice{0, "Attention", "Segment table corrupted, impossible to export file", Buttons::Ok,
                  Icon::Exclamation};
}

} // namespace

Result ExportSegmentTables(const LaunchState& session, const std::string& path,
                           const PulseLimits& limits) {
    std::string workFolder = session.tmpFolder + "tmmp/";
    CreateFolder(workFolder);
    std::string work = workFolder + "TempPulse.ini";

    // The working tables: distinct segment files numbered from 1, and the steps naming them.
    std::vector<std::string> segments;
    std::vector<std::string> links;
    {
        profile::Transaction t(session, work);
        t.deleteSection("SegmTbl-CH0");
        t.deleteSection("SequTbl-CH0-1");
        int k = 0;
        for (const auto& step : ExchangeFile::PulseSequence(session).Read()) {
            ++k;
            size_t j = 0;
            while (j < segments.size() && segments[j] != step.path)
                ++j;
            if (j == segments.size()) {
                segments.push_back(step.path);
                t.write("SegmTbl-CH0", strprintf("%zu", j + 1), step.path);
            }
            links.push_back(
                strprintf("%zu%s%s%s%s%s%s", j + 1, " ", step.repeat.c_str(), " ", "0", " ", "0"));
            t.write("SequTbl-CH0-1", strprintf("Link%d", k), links.back());
        }
        t.commit();
    }

    RemoveFile(path);
    {
        profile::Transaction t(session, path);
        for (size_t j = 0; j < segments.size(); ++j) {
            std::int64_t size = FileSize(segments[j]);
            if (size < 0)
                return corrupted(path);
            t.write("SegmTbl", strprintf("%zu", j + 1), FileNameOf(segments[j]));
            t.write("SegmTbl", strprintf("FLen%zu", j + 1),
                    strprintf("%lld", static_cast<long long>(size)));
        }
        t.write("Header", "Bit", strprintf("%d", limits.codeBits));
        for (size_t k = 0; k < links.size(); ++k)
            t.write("SequTbl-1", strprintf("Link%zu", k + 1), links[k]);
        t.write("Header", "Length", "0000000000");
        if (!t.commit())
            return corrupted(path);
    }
    // Same width as the placeholder, so the stated length stays true.
    profile::WriteValue(session, path, "Header", "Length",
                        strprintf("%010lld", static_cast<long long>(FileSize(path))));

    std::string content = ReadWholeFile(path).value_or("");
    for (const auto& segment : segments) {
        auto samples = ReadWholeFile(segment);
        if (!samples)
            return corrupted(path);
        content += *samples;
    }
    return WriteFileAtomically(path, content) ? Result() : corrupted(path);
}

} // namespace tw
