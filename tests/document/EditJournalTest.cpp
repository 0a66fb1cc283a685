// Small edits of a large wave are written into the working file where they lie, with a journal:
// a process killed at any moment leaves the file wholly before or after an edit, and Undo after a
// restart still gives back the wave from before the last edit.
#include "DocFixture.h"

#include "support/FileSizeLimit.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw {
namespace {

using test::ReadInt16File;
using Wave = std::vector<std::int16_t>;

constexpr std::size_t kPoints = 1 << 20;
constexpr std::size_t kWidePoints = kPoints * 3 / 10; // written as a whole new file

// Edit k of a chain: every fifth one a wavelength change of 32 points, every third of the others
// 30% of the points set to k (a whole new file), the rest 1,000 points set to k.
std::size_t EditPoints(int k) {
    return k % 3 == 0 ? kWidePoints : 1000;
}

std::size_t EditStart(int k, std::size_t size) {
    return (static_cast<std::size_t>(k) * 104729u) % (size - EditPoints(k));
}

void Apply(Wave& wave, int k) {
    if (k % 5 == 0) {
        wave.resize(wave.size() == kPoints ? kPoints - 32 : kPoints, 0);
        return;
    }
    const std::size_t at = EditStart(k, wave.size());
    std::fill_n(wave.begin() + static_cast<long>(at), EditPoints(k), static_cast<std::int16_t>(k));
}

bool Apply(WeDoc& doc, int k) {
    const std::size_t size = doc.samples().size();
    if (k % 5 == 0)
        return doc.SetWavelength(static_cast<long>(size == kPoints ? kPoints - 32 : kPoints));
    if (!doc.SnapshotForUndo())
        return false;
    test::Put(doc.samples(), EditStart(k, size), std::vector<std::int32_t>(EditPoints(k), k));
    return doc.CommitEdit();
}

std::vector<std::int32_t> Widened(const Wave& wave) {
    return {wave.begin(), wave.end()};
}

class EditJournalTest : public test::DocFixture {
  protected:
    void startLarge() {
        start();
        ASSERT_TRUE(doc->SetWavelength(static_cast<long>(kPoints)));
        working = doc->pathName();
    }
    // A document started anew on the files as they are: what a restart finds.
    void restart() {
        doc.reset();
        start();
    }
    std::string journal(const char* kind) const { return doc->undoFile() + kind; }
    std::string working;
};

TEST_F(EditJournalTest, KilledEditsLeaveTheFileBeforeOrAfterAndUndoGoesBack) {
    startLarge();
    Wave previous, current = ReadInt16File(working);
    int done = 0; // the working file holds edit `done` of the chain
    int cutOff = 0;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int k = done + 1;; ++k)
                if (!Apply(*doc, k))
                    _exit(1);
        }
        ::usleep(static_cast<useconds_t>(round * 7919 % 25000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the editing child failed";
        cutOff += FileExists(journal(".pending")) || FileExists(journal(".undoing")) ||
                  FileExists(journal(".replacing"));

        restart();
        const Wave file = ReadInt16File(working);
        for (int k = done + 1; file != current && k < done + 10000; ++k) {
            previous = current;
            Apply(current, k);
            done = k;
        }
        ASSERT_EQ(file, current) << "the working file is no state of the chain";
        EXPECT_EQ(test::Values(doc->samples()), Widened(current));
        EXPECT_FALSE(FileExists(journal(".pending")));
        EXPECT_FALSE(FileExists(journal(".replacing")));
        if (done == 0)
            continue;
        ASSERT_TRUE(doc->Undo());
        EXPECT_EQ(test::Values(doc->samples()), Widened(previous));
        EXPECT_EQ(ReadInt16File(working), previous);
        ASSERT_TRUE(Apply(*doc, done)); // back on the chain, with the same undo point
    }
    RecordProperty("kills during a write", cutOff);
}

// After Open of a file outside the tmp folder the working file is copied meanwhile, so that the
// first edit is written into it where it lies, also after a Save As made while it was copied; the
// opened file is left alone.
TEST_F(EditJournalTest, TheFirstEditAfterOpenGoesIntoACopyMadeMeanwhile) {
    startLarge();
    const Wave wave(kPoints, 7);
    const std::string opened = box.write("opened.wav", test::Int16Bytes(wave));
    for (const bool savedAs : {false, true}) {
        SCOPED_TRACE(savedAs ? "saved as before the edit" : "edited first");
        ASSERT_TRUE(doc->Open({opened, 0}));
        if (savedAs) {
            ASSERT_TRUE(doc->SaveAs(box.root() + "/saved.wav", kNativeCode));
        }
        RemoveFile(journal(".delta"));
        ASSERT_TRUE(Apply(*doc, 1));
        EXPECT_TRUE(FileExists(journal(".delta"))) << "the edit was written in place";
        Wave edited = wave;
        Apply(edited, 1);
        EXPECT_EQ(ReadInt16File(working), edited);
        EXPECT_EQ(ReadInt16File(opened), wave);
        ASSERT_TRUE(doc->Undo());
        EXPECT_EQ(ReadInt16File(working), wave);
    }
}

// The journal's states as a kill leaves them, put in place by hand: a write under way is rolled
// back, an Undo under way finished, a journal cut short (the file not yet touched) dropped.
TEST_F(EditJournalTest, TheNextOpenRollsBackOrFinishesWhatAKillCutOff) {
    startLarge();
    const Wave before = ReadInt16File(working);
    struct Case {
        const char* journal;
        bool torn;
    };
    for (const Case c :
         {Case{".pending", false}, Case{".undoing", false}, Case{".pending", true}}) {
        SCOPED_TRACE(std::string(c.journal) + (c.torn ? " torn" : ""));
        ASSERT_TRUE(Apply(*doc, 1));
        const Wave after = ReadInt16File(working);
        ASSERT_TRUE(FileExists(journal(".delta")));
        std::filesystem::rename(journal(".delta"), journal(c.journal));
        if (c.torn) {
            std::filesystem::resize_file(journal(c.journal), 100);
        } else { // the file half written
            std::fstream half(working, std::ios::in | std::ios::out | std::ios::binary);
            half.seekp(static_cast<std::streamoff>(EditStart(1, kPoints) * 2));
            half.write(reinterpret_cast<const char*>(before.data() + EditStart(1, kPoints)),
                       static_cast<std::streamsize>(EditPoints(1)));
        }
        restart();
        const Wave& expected = c.torn ? after : before;
        EXPECT_EQ(ReadInt16File(working), expected);
        EXPECT_EQ(test::Values(doc->samples()), Widened(expected));
        EXPECT_FALSE(FileExists(journal(c.journal)));
    }

    // A whole new file cut off between its two renames, put in place by hand: once the working
    // file is replaced its old bytes become the undo file; before that the new file is dropped.
    const Wave first = ReadInt16File(working);
    for (const bool renamed : {false, true}) {
        SCOPED_TRACE(renamed ? "working file renamed" : "nothing renamed");
        ASSERT_TRUE(Apply(*doc, 1)); // its undo point: the journal's patch
        const Wave unreplaced = ReadInt16File(working);
        Wave replaced = unreplaced;
        Apply(replaced, 3);
        const std::string next = working + ".~twkilled", undo = doc->undoFile() + ".~twkilled";
        std::ofstream(next, std::ios::binary) << test::Int16Bytes(replaced);
        std::filesystem::create_hard_link(working, undo);
        struct stat st {};
        ASSERT_EQ(::stat(next.c_str(), &st), 0);
        std::ofstream(journal(".replacing")) << "TWREPLACE1\n"
                                             << working << "\n"
                                             << st.st_dev << " " << st.st_ino << "\n"
                                             << next << "\n"
                                             << undo << "\nend\n";
        if (renamed)
            std::filesystem::rename(next, working);
        restart();
        EXPECT_EQ(ReadInt16File(working), renamed ? replaced : unreplaced);
        EXPECT_FALSE(FileExists(next) || FileExists(undo) || FileExists(journal(".replacing")));
        ASSERT_TRUE(doc->Undo());
        EXPECT_EQ(test::Values(doc->samples()), Widened(renamed ? unreplaced : first));
    }
}

// The undo point is a patch only while nothing else changes the file: an edit without an undo
// point of its own makes it a file first; a failed journal leaves everything as it was.
TEST_F(EditJournalTest, TheUndoPointOutlivesOtherWritesAndFailures) {
    startLarge();
    const Wave before = ReadInt16File(working);
    ASSERT_TRUE(Apply(*doc, 1));
    EXPECT_FALSE(FileExists(doc->undoFile())) << "the undo point is the journal's patch";
    ASSERT_TRUE(doc->CanUndo());

    test::Put(doc->samples(), 10, 3);
    ASSERT_TRUE(doc->CommitEdit());
    EXPECT_EQ(ReadInt16File(working)[10], 3);
    ASSERT_TRUE(FileExists(doc->undoFile()));
    EXPECT_EQ(ReadInt16File(doc->undoFile()), before);

    ASSERT_TRUE(Apply(*doc, 2));
    const Wave edited = ReadInt16File(working);
    {
        test::FileSizeLimit diskFull(1000);
        EXPECT_FALSE(Apply(*doc, 3));
        EXPECT_EQ(box.prompts.lastText(), "Unable to write " + working + "\nFile too large");
    }
    EXPECT_EQ(ReadInt16File(working), edited);
    EXPECT_EQ(test::Values(doc->samples()), Widened(edited));
    ASSERT_TRUE(doc->Undo());
    Wave expected = before;
    expected[10] = 3;
    Apply(expected, 1);
    EXPECT_EQ(test::Values(doc->samples()), Widened(expected));
    EXPECT_FALSE(doc->CanUndo());

    // A Save leaves the working file holding the points, so the next edit goes into it.
    const std::string saved = box.root() + "/saved.wav";
    doc->SetFileNameFrom(saved);
    ASSERT_EQ(doc->Save(), SaveResult::Saved);
    ASSERT_TRUE(Apply(*doc, 4));
    EXPECT_TRUE(FileExists(journal(".delta")));
    EXPECT_EQ(ReadInt16File(saved), expected);
}

} // namespace
} // namespace tw
