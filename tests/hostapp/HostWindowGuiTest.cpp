#include "DriveWindows.h"
#include "app/FileUtil.h"
#include "host/qt/QtHostLink.h"
#include "hostapp/qt/HostWindow.h"
#include "support/Sandbox.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace tw {
namespace {

// An instrument described but without a profile: the host says why it cannot send to it, and
// keeps the composers' messages in Files Only mode all the same.
TEST(HostWindow, AnInstrumentWithoutAProfileWorksInFilesOnlyMode) {
    test::Sandbox box(0, false);
    const std::string instruments = box.root() + "/instruments";
    CreateFolder(instruments);
    WriteFileAtomically(instruments + "/BARE.ini",
                        ReadWholeFile(TW_SOURCE_DIR "/data/instrument/TW2014.ini").value());
    QtHostLink link(box.session());
    HostWindow host(link, {box.root(), instruments, "tidewright", "tidewright-awg-sim"});
    ASSERT_EQ(host.instrumentBox()->currentText(), "BARE");
    const std::string note = "The BARE has no instrument profile (" + instruments + "/BARE.scpi)";
    EXPECT_TRUE(test::Logged(host, HostLog::Kind::Error, note)) << host.log().text();

    EXPECT_FALSE(host.testConnection());
    EXPECT_TRUE(box.prompts.sawText(note)) << box.prompts.lastText();
    EXPECT_TRUE(box.prompts.sawText("Choose Instrument > Files Only")) << box.prompts.lastText();

    box.prompts.clear();
    const std::string kept = box.root() + "/kept";
    CreateFolder(kept);
    host.setFilesOnlyFolder(kept);
    host.carryOut("Cmd=:TRAC:DEF 1,1024");
    EXPECT_EQ(ReadWholeFile(kept + "/0001-message.txt"), "Cmd=:TRAC:DEF 1,1024\n");
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
}

} // namespace
} // namespace tw
