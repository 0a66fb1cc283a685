#include "pulse/PulseDownload.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/NumberText.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StringTable.h"
#include "document/WaveFormats.h"
#include "host/HostLink.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainCompiler.h"
#include "pulse/TrainSegmenter.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

namespace tw {

namespace {

bool reaches(const std::string& value, double limit) {
    return !value.empty() && std::atof(value.c_str()) >= limit;
}

void deleteTmpWaveFiles(const std::string& tmpFolder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> doomed;
    for (const auto& entry : fs::directory_iterator(tmpFolder, ec))
        if (entry.is_regular_file(ec) && EqualsNoCase(ExtensionOf(entry.path().string()), "wav"))
            doomed.push_back(entry.path());
    for (const auto& p : doomed)
        RemoveFile(p.string());
}

} // namespace

std::string SummaryAttention(const DownloadSummary& s, const PulseLimits& limits) {
    std::string names;
    auto name = [&](const char* n) { names += (names.empty() ? "" : ", ") + std::string(n); };
    if (reaches(s.segments, limits.maxLinkNo))
        name("segment table");
    if (reaches(s.memoryUsage, limits.memorySize))
        name("memory");
    if (reaches(s.steps, limits.maxSequStp))
        name("sequence table");
    return names.empty() ? std::string() : "Attention: exceeds " + names + " resource(s)";
}

std::string PulseCommand(int mode, const DownloadSummary& s, const std::string& segmentPath,
                         long long sampleCount) {
    const char* word = StartsWithNoCase(s.waveformsMode, "Arb") ? "USER" : "SEQ";
    std::string cmd =
        strprintf("Cmd=:FREQ:RAST %s;:VOLT %s;:VOLT:OFFS 0;:FUNC:MODE %s;:TRAC:DEL:ALL",
                  s.sampleClock.c_str(), s.amplitude.c_str(), word);
    if (mode == kContinuousMode)
        cmd += ";:INIT:CONT  ON";
    if (mode == kSingleSegmentMode || mode == kContinuousMode)
        cmd +=
            strprintf("\ncmd=:TRAC:DEF 1, %lld;:TRAC:SEL 1", sampleCount) + "\nwav=" + segmentPath;
    else
        cmd += "\nPLS_SEQ="; // the host takes the steps from the sequence table
    return cmd;
}

int DownloadTrain(const PulseEditor& editor, SummaryAsker& asker, int modeOverride, bool noSend,
                  DownloadReport* report) {
    DownloadReport local;
    DownloadReport& out = report ? *report : local;
    if (!editor.CheckComplete())
        return kDownloadImpossible;
    const PulseLimits& limits = editor.limits();
    const LaunchState& session = editor.session();
    TrainCompiler compiler(limits, editor.channel(), session, editor.prompts());
    compiler.mode = ReadOperationMode(session);
    int compiled = compiler.RunClockLoop(editor.localDuration());
    if (compiled == TrainCompiler::kClockFailed)
        return kDownloadStopped;
    if (compiled != TrainCompiler::kCompiled)
        return kDownloadImpossible;

    int mode = modeOverride >= 0 ? modeOverride : compiler.mode;
    TrainSegmenter segmenter(compiler, mode);
    bool built = true;
    switch (mode) {
    case kSequencedMode:
        built = segmenter.BuildSequenced() == 1;
        break;
    case kSingleSegmentMode:
    case kSectionPerSegmentMode:
        segmenter.BuildPerSection();
        break;
    case kContinuousMode:
        segmenter.BuildContinuous();
        break;
    default:
        built = false;
    }
    if (segmenter.tooLong) {
        segmenter.steps.clear();
        ask(editor.prompts(), session.appName,
            strprintf("The pulse train needs more than %lld samples of segments; it cannot be "
                      "built.",
                      kMaxTrainSamples),
            Buttons::Ok, Icon::Exclamation);
    }
    built = built && !segmenter.steps.empty();
    segmenter.WriteSequenceTable();
    out.mode = mode;
    out.sclk = compiler.sclk;
    if (built && noSend && mode == kSingleSegmentMode)
        return kDownloadDone;
    if (!built)
        return kDownloadImpossible;

    bool sequenced = mode == kSequencedMode || mode == kSectionPerSegmentMode;
    DownloadSummary& s = out.summary;
    s.amplitude = strprintf("%.3f", compiler.vppTrain);
    s.offset = strprintf("%.3f", 0.0);
    s.sampleClock = EngNumberText(compiler.sclk, 9);
    s.memoryUsage = EngNumberText(segmenter.memoryUsed, 9);
    s.segments = strprintf("%d", segmenter.segmentCount);
    s.steps = sequenced ? strprintf("%zu", segmenter.steps.size()) : std::string();
    s.waveformsMode = sequenced ? "Sequenced" : "Arbitrary";

    if (!SummaryHidden(session)) {
        SummaryChoice choice = asker.askSummary(s, SummaryAttention(s, limits));
        if (!choice.accepted)
            return kDownloadStopped;
        WriteGeneralSetting(session, "hideSumm", choice.dontShowAgain ? "Hide" : "Show",
                            kPulseSettings);
    }

    const std::string& first = segmenter.steps.front().path;
    out.command = PulseCommand(mode, s, first, FileSize(first) / 2);
    Show(editor.prompts(), SendToExchangeHost(session, out.command));
    ExchangeFile::Settings(session).StorePulseDownload(editor.channel(), s.amplitude, s.offset,
                                                       s.sampleClock, !sequenced);
    return kDownloadDone;
}

int DownloadPulseTrainCommand(const PulseEditor& editor, SummaryAsker& asker,
                              DownloadReport* report) {
    const LaunchState& session = editor.session();
    deleteTmpWaveFiles(session.tmpFolder);
    int code = DownloadTrain(editor, asker, -1, false, report);
    if (code == kDownloadImpossible)
        ask(editor.prompts(), session.appName, StringText(kMsgDownloadOptionUnusable), Buttons::Ok,
            Icon::Exclamation);
    else if (code == kDownloadDone && ReadOperationMode(session) == kSingleSegmentMode)
        PostComposerClosed(18, 1);
    return code;
}

bool SaveTrainSamples(const PulseEditor& editor, const std::string& path) {
    // A single segment that is not sent shows no summary.
    SummaryAsker unasked;
    if (DownloadTrain(editor, unasked, kSingleSegmentMode, true) != kDownloadDone)
        return false;
    return CopyFileOver(TrainSegmenter::SegmentPath(editor.session().tmpFolder, 1), path).ok();
}

} // namespace tw
