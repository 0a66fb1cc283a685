#pragma once
#include "app/FileUtil.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tw {

// What one in-place change of a file replaced: the file's length before, and its bytes from
// offset on (up to the old length after a length change, else as many as the change wrote).
// Applied to the file as the change left it, it gives back the file from before.
struct FilePatch {
    std::string target;
    std::uint64_t device = 0, inode = 0; // which file, so that a replaced one is never patched
    std::uint64_t oldLength = 0, newLength = 0;
    std::uint64_t offset = 0;
    std::string before;
};

// In-place writes of a working file, each kept whole by a journal beside the undo file:
//   "<undo>.pending"  the patch of a write under way: at the next open the file is rolled back;
//   "<undo>.delta"    the patch of the last write: the undo point, held as the change's old bytes
//                     instead of a copy of the whole file;
//   "<undo>.undoing"  the patch of an Undo under way: at the next open the Undo is finished;
//   "<undo>.replacing" a whole new file under way, renamed over target and its old bytes over
//                     the undo file: at the next open both renames are made, or neither.
// A journal is flushed to the disk before the working file is touched, and each step from one
// state to the next is one rename, so a process killed at any moment leaves the file wholly
// before or wholly after the change, and the undo point as it belongs to that state.
class EditJournal {
  public:
    explicit EditJournal(std::string undoFile);

    // Rolls back a write cut off midway and finishes an Undo cut off midway.
    void Recover() const;
    // Writes bytes at offset into target and sets its length to newLength; journaled. With
    // keepAsUndo the old bytes become the undo point and the undo file, now outdated, is
    // removed; otherwise the undo point is left as it was (a patch of target is first made
    // into the undo file). On a failure target is as it was.
    FileResult Write(const std::string& target, std::uint64_t offset, std::span<const char> bytes,
                     std::uint64_t newLength, bool keepAsUndo) const;
    // Renames next over its target and undo (a second name of the target's old bytes) over the
    // undo file, so that a kill between the two leaves neither or both. The result is the
    // target's; undoKept tells whether the undo file could be replaced (else it is removed).
    FileResult Replace(StagedFile& next, StagedFile& undo, FileResult& undoKept) const;
    // Whether target can take an in-place write: a file of length bytes with no other name
    // than alsoNamed (the staged undo snapshot, dropped before the write), which would change
    // with it.
    static bool CanWriteInPlace(const std::string& target, std::uint64_t length,
                                const std::string& alsoNamed);
    // Whether the undo point of target is a patch of it as it is now.
    bool HoldsUndoOf(const std::string& target) const;
    // Undoes the last write of target in the file and returns the patch it applied.
    std::optional<FilePatch> Undo(const std::string& target, FileResult& result) const;
    // The undo point as a file of its own (undoFile), for changes that replace target whole.
    FileResult MakeUndoFile(const std::string& target) const;
    // Forgets the undo point held as a patch.
    void DropUndo() const;

  private:
    std::string undoFile_, pending_, delta_, undoing_, replacing_;
    void FinishReplace() const;
};

} // namespace tw
