// A 256M-point sine generated as the Sine dialog's OK does, offscreen: once with the progress
// dialog left to run (its total time beside the same generation told to nobody: the ratio is
// what the reporting costs), once cancelled a second after the dialog showed. Prints the time
// until the dialog shows, the total time, and the time from Cancel until the event loop answers
// again, the wave then as before. Needs about 1.5 GiB of free memory.
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/qt/ProgressDialog.h"
#include "document/WeDoc.h"
#include "generators/DocGeneratorTarget.h"
#include "generators/WaveParamModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPoints = std::size_t(1) << 28;

struct Run {
    double shownMs = -1;     // from OK until the dialog stood
    double totalMs = 0;      // from OK until the model returned
    double cancelledMs = -1; // when Cancel was pressed
    double answerMs = -1;    // when the event loop next ran a timer
    bool accepted = false;
};

// One OK of the Sine dialog; cancelAfterMs >= 0 presses Cancel that long after the dialog shows.
Run Generate(tw::WeDoc& doc, bool withDialog, double cancelAfterMs) {
    tw::DocGeneratorTarget::Hooks hooks;
    if (withDialog)
        hooks.startProgress = []() -> std::unique_ptr<tw::Progress> {
            return std::make_unique<tw::ProgressDialog>(nullptr, "Computing the wave...");
        };
    tw::DocGeneratorTarget target(doc, tw::prompter(), hooks);
    tw::WaveParamModel model(tw::Shape::Sine, target);
    model.Open();
    Run run;
    QElapsedTimer clock;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<QProgressDialog*>(w);
            if (!d || !d->isVisible())
                continue;
            const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            if (run.shownMs < 0)
                run.shownMs = now;
            if (cancelAfterMs >= 0 && run.cancelledMs < 0 && now - run.shownMs >= cancelAfterMs) {
                run.cancelledMs = now;
                d->cancel();
            }
        }
    });
    watch.start();
    clock.start();
    run.accepted = model.Accept();
    run.totalMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    watch.stop();
    QTimer::singleShot(0, [&] { run.answerMs = static_cast<double>(clock.nsecsElapsed()) / 1e6; });
    while (run.answerMs < 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return run;
}

tw::LaunchState SetUp(const std::string& root) {
    fs::remove_all(root);
    tw::LaunchState s;
    tw::DeriveLaunchPaths(s, root);
    tw::CreateFolder(s.tmpFolder);
    tw::CreateFolder(s.generalFolder);
    s.descrFile = root + "/TW2014.ini";
    fs::copy_file(std::string(TW_SOURCE_DIR) + "/data/instrument/TW2014.ini", s.descrFile);
    std::ofstream(s.exchangeFile)
        << "[Instrument]\nDescrFile=" << s.descrFile
        << "\nFamily=TW2000\nModel=TW2014\nChannels=2\n[Settings]\nActiveCh=0\nAcSeg=1 1 \n";
    s.family = "TW2000";
    return s;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TIDEWRIGHT_NONINTERACTIVE", "1");
    QApplication app(argc, argv);
    const std::string root = (fs::temp_directory_path() / "tw-progressbench").string();
    const tw::LaunchState session = SetUp(root);
    {
        tw::Composer composer{session};
        tw::WeDoc doc(composer, tw::prompter());
        doc.samples().Assign(kPoints, 0);
        if (!doc.CommitEdit())
            return 1;
        const Run plain = Generate(doc, false, -1);
        const Run shown = Generate(doc, true, -1);
        const std::vector<std::int32_t> first = {doc.samples().at(1),
                                                 doc.samples().at(kPoints / 2)};
        const Run cancelled = Generate(doc, true, 1000);
        const bool kept =
            first == std::vector<std::int32_t>{doc.samples().at(1), doc.samples().at(kPoints / 2)};
        std::printf("256M-point sine, Sine dialog OK (generation, commit of the working file)\n");
        std::printf("  told to nobody:       total %8.0f ms\n", plain.totalMs);
        std::printf("  with the dialog:      total %8.0f ms (ratio %.2f), dialog shown after "
                    "%.0f ms\n",
                    shown.totalMs, shown.totalMs / plain.totalMs, shown.shownMs);
        std::printf("  cancelled 1 s after it showed: shown after %.0f ms, Cancel at %.0f ms, "
                    "returned at %.0f ms, event loop answered %.0f ms after Cancel; wave %s\n",
                    cancelled.shownMs, cancelled.cancelledMs, cancelled.totalMs,
                    cancelled.answerMs - cancelled.cancelledMs,
                    cancelled.accepted ? "generated (Cancel came too late)"
                    : kept             ? "as before"
                                       : "CHANGED");
    }
    fs::remove_all(root);
    return 0;
}
