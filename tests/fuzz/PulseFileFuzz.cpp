// Arbitrary bytes as a pulse master file opened by the pulse-train composer: loading, the
// editor's table, the view's trace, the section list and the compilation must all cope.
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "pulse/PulseComposer.h"
#include "pulse/TrainCompiler.h"
#include "pulse/TrainModel.h"
#include "support/FuzzSupport.h"

#include <cstdint>
#include <string>

namespace {

using namespace tw;

// The fuzzer's own session: handed to the composer, and installed for the accessors.
LaunchState& Session() {
    static LaunchState session;
    return session;
}

const std::string& Root() {
    static const std::string root = [] {
        std::string folder = fuzz::ScratchFolder("tw-pulse-fuzz");
        LaunchState& s = Session();
        DeriveLaunchPaths(s, folder);
        s.composerId = 2;
        s.appName = "Trainsmith";
        s.descrFile = folder + "TW2014.ini";
        s.family = "TW2000";
        s.reports = &fuzz::InstallSilentPrompter();
        CreateFolder(s.tmpFolder);
        CreateFolder(s.generalFolder);
        CopyFileOver(std::string(TW_SOURCE_DIR) + "/data/instrument/TW2014.ini", s.descrFile);
        return folder;
    }();
    return root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& root = Root();
    fuzz::WriteBytes(Session().exchangeFile, "[Instrument]\nDescrFile=" + Session().descrFile +
                                                 "\nFamily=TW2000\nModel=TW2014\nChannels=2\n"
                                                 "[Settings]\nActiveCh=0\nAcSeg=1 1 \n");
    const std::string pls = root + "in.pls";
    fuzz::WriteBytes(pls, fuzz::AsText(data, size));
    profile::ClearCache();

    PulseComposer composer{Session(), prompter()};
    composer.Open(pls);
    composer.Trace();
    composer.SectionList();
    for (int r = 0; r < composer.editor.rowCount(); ++r)
        for (int c = 0; c < composer.editor.columnCount(); ++c)
            composer.editor.text(r, c);
    TrainCompiler compiler(composer.limits, composer.activeChannel(), Session(), prompter());
    compiler.Compile(ReadTrain(Session(), composer.activeChannel()), 0);
    return 0;
}
