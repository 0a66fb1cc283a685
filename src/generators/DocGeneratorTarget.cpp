#include "generators/DocGeneratorTarget.h"

#include "document/WeDoc.h"

namespace tw {

DocGeneratorTarget::DocGeneratorTarget(WeDoc& doc, Prompter& prompts, Hooks hooks)
    : doc_(doc), prompts_(prompts), hooks_(std::move(hooks)) {}

Samples& DocGeneratorTarget::samples() {
    return doc_.samples();
}

double DocGeneratorTarget::lowerLevel() const {
    return doc_.vMin();
}

double DocGeneratorTarget::upperLevel() const {
    return doc_.vMax();
}

const Composer& DocGeneratorTarget::composer() const {
    return doc_.composer();
}

std::string DocGeneratorTarget::undoFile() const {
    return doc_.undoFile();
}

std::string DocGeneratorTarget::waveFolder() const {
    return doc_.limits().waveFolder;
}

bool DocGeneratorTarget::commitPoints(Progress& progress) {
    return doc_.CommitEdit(progress);
}

std::string DocGeneratorTarget::pointsHeldBy() const {
    // Six-byte records are not the stored points' bytes.
    return doc_.composer().layout() == PointLayout::Record6 ? std::string() : doc_.pointsFile();
}

bool DocGeneratorTarget::snapshotForUndo() {
    return doc_.SnapshotForUndo().ok();
}

void DocGeneratorTarget::redraw() {
    doc_.listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
}

std::unique_ptr<Progress> DocGeneratorTarget::startProgress() {
    return hooks_.startProgress ? hooks_.startProgress() : nullptr;
}

void DocGeneratorTarget::markAnchors(double start, double end) {
    if (hooks_.markAnchors)
        hooks_.markAnchors(start, end);
}

void DocGeneratorTarget::restoreAnchors() {
    if (hooks_.restoreAnchors)
        hooks_.restoreAnchors();
}

void DocGeneratorTarget::wavelengthChanged() {
    doc_.listener().wavelengthShown();
    doc_.listener().rangeReset();
}

void DocGeneratorTarget::pointsReloaded() {
    doc_.RefreshFmMarkers();
}

void DocGeneratorTarget::pointsLost(std::size_t count) {
    doc_.PutPointsBack(count);
}

} // namespace tw
