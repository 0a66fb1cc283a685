#include "frame/RecentFileMenu.h"

#include "app/Commands.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Startup.h"
#include "app/qt/AppProfile.h"
#include "document/FileFilters.h"
#include "document/WeDoc.h"
#include "frame/MainFrame.h"
#include "frame/QtPulseFrame.h"
#include "frame/QtWaveFrame.h"
#include "pulse/PulseComposer.h"
#include "pulse/TrainBuilder.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace tw {
namespace {

using Paths = std::vector<std::string>;

std::string CopySine(const test::Sandbox& box, const std::string& name) {
    const std::string path = box.root() + "/" + name;
    EXPECT_TRUE(CopyFileOver(std::string(TW_SOURCE_DIR) + "/data/waves/sine.wav", path));
    return path;
}

bool OpenFile(WeDoc& doc, const std::string& path) {
    return doc.Open({path, ResolveTypedName(doc.session(), path, -1, DialogKind::Open,
                                            CurrentFormatTable(doc.session()))
                               .code});
}

QStringList FileMenuItems(MainFrame& f) {
    QStringList out;
    QMenu* file = f.menuBar()->actions().front()->menu();
    for (QAction* a : file->actions())
        if (!a->isSeparator() && a->isVisible())
            out << a->text();
    return out;
}

TEST(RecentFiles, OpenEditsAndLengthChangesFillTheListAndAnEntryOpensItsFile) {
    test::Sandbox box;
    const std::string a = CopySine(box, "a.wav");
    const std::string b = CopySine(box, "b.wav");
    MainFrame f(box.session(), kStandardResources);
    WeDoc& doc = f.waveFrame()->document();
    const std::string working = box.tmp() + "TemS1.wa0";
    const RecentFileMenu& recent = f.waveFrame()->recentFiles();
    EXPECT_TRUE(recent.files().entries().empty()); // the empty menu is in menus-and-bars.txt

    ASSERT_TRUE(OpenFile(doc, a));
    EXPECT_EQ(recent.files().entries(), (Paths{a}));
    ASSERT_TRUE(doc.SetWavelength(static_cast<long>(doc.wavelength()) + 4));
    EXPECT_EQ(recent.files().entries(), (Paths{working, a}));
    ASSERT_TRUE(OpenFile(doc, b));
    ASSERT_TRUE(doc.CommitEdit());
    EXPECT_EQ(recent.files().entries(), (Paths{working, b, a}));
    const QStringList items = FileMenuItems(f);
    EXPECT_TRUE(items.contains(QString::fromStdString("&3 " + a)));
    EXPECT_FALSE(items.contains("Recent File"));
    // The third entry opens a.wav through Open: it becomes the document's file and moves up.
    // A gone file's entry is the pulse-train test's below.
    f.action(kCmdRecentFile1 + 2)->trigger();
    EXPECT_EQ(doc.fileName(), a);
    EXPECT_EQ(doc.pathName(), a);
    EXPECT_EQ(recent.files().entries(), (Paths{a, working, b}));
    EXPECT_EQ(OpenAppProfile()->value("RecentFiles/File1").toString().toStdString(), a);
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
}

// Each composer keeps its own list in the application profile.
TEST(RecentFiles, TheFmComposerKeepsItsOwnList) {
    test::Sandbox box(kFmComposer);
    OpenAppProfile()->setValue("RecentFiles/File1", "/standard/only.wav");
    MainFrame f(box.session(), kFmResources);
    WeDoc& doc = f.waveFrame()->document();
    EXPECT_TRUE(f.waveFrame()->recentFiles().files().entries().empty());
    ASSERT_TRUE(doc.CommitEdit());
    const std::string working = box.tmp() + doc.composer().workingFileName(-1, 0);
    EXPECT_EQ(f.waveFrame()->recentFiles().files().entries(), (Paths{working}));
    EXPECT_EQ(OpenAppProfile()->value("FmRecentFiles/File1").toString().toStdString(), working);
}

TEST(RecentFiles, ThePulseTrainComposerListsTheTrainsItOpens) {
    test::Sandbox box(kPulseComposer);
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{0, 1e-3}, {0.5, 2e-3}}}}, 1);
    const std::string train = box.root() + "/train.pls";
    {
        MainFrame f(box.session(), kPulseResources);
        auto& c = static_cast<PulseComposer&>(f.composer());
        ASSERT_TRUE(c.SaveAs(train));
        ASSERT_TRUE(c.Open(train));
    }
    MainFrame f(box.session(), kPulseResources);
    EXPECT_TRUE(FileMenuItems(f).contains(QString::fromStdString("&1 " + train)));
    ASSERT_TRUE(RemoveFile(train));
    f.action(kCmdRecentFile1)->trigger();
    EXPECT_TRUE(box.prompts.sawText("Unable to open " + train));
    EXPECT_TRUE(FileMenuItems(f).contains("Recent File"));
}

} // namespace
} // namespace tw
