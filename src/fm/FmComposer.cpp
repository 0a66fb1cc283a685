#include "fm/FmComposer.h"

#include "app/Printf.h"
#include "document/WaveDownload.h"
#include "document/WeDoc.h"
#include "fm/FmMarkers.h"
#include "fm/FmNumberText.h"
#include "host/ExchangeFile.h"

#include <cmath>

namespace tw {

FmComposer::FmComposer(const LaunchState& session)
    : FmComposer(session, DecideFmAbstractMode(session)) {}

FmComposer::FmComposer(const LaunchState& session, bool abstractMode)
    : Composer(session), abstract_(abstractMode) {}

void FmComposer::showRange(WeDoc& doc) const {
    doc.FrameValues(fm_.vMin, fm_.vMax);
}

void FmComposer::showDeviation(WeDoc& doc, std::string text) {
    deviationBox_ = std::move(text);
    doc.listener().deviationShown();
}

bool FmComposer::SetUpChannel(WeDoc& doc) {
    failed_ = !LoadFmLimits(session(), doc.prompts(), fm_, doc.activeSegment());
    showRange(doc);
    initialPoint_ = abstract_ ? 500000000 : static_cast<std::int32_t>(fm_.base);
    showDeviation(doc, FmGeneralText(fm_.deviation));
    return !failed_;
}

bool FmComposer::RereadSettings(WeDoc& doc) {
    const FmSettings before = fm_;
    SetUpChannel(doc);
    const bool changed = fm_.base != before.base || fm_.vMin != before.vMin ||
                         fm_.vMax != before.vMax || fm_.fmFuncMode != before.fmFuncMode;
    if (changed)
        doc.RefreshFmMarkers();
    return changed;
}

void FmComposer::ComputeMarkers(WeDoc& doc) {
    std::vector<double> values = ReadFmMarkerValues(session(), fm_.fmFuncMode);
    markers_ =
        ComputeFmMarkerPoints(doc.samples().int32(), values, doc.vMin(), doc.vMax(), abstract_);
}

void FmComposer::LoadSegmentRange(WeDoc& doc) {
    if (!session().fpSegMode)
        return;
    LoadSegmentDeviation(session(), fm_, doc.activeSegment());
    showRange(doc);
    showDeviation(doc, FmGeneralText(fm_.deviation));
}

DeviationChange FmComposer::ApplyDeviation(WeDoc& doc, std::string_view boxText) {
    DeviationChange change =
        tw::ApplyDeviation(session(), doc.prompts(), fm_, boxText, doc.activeSegment());
    showDeviation(doc, change.boxText); // a refused value gives way to the previous one
    if (!change.accepted)
        return change;
    showRange(doc);
    doc.RefreshFmMarkers();
    doc.listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
    return change;
}

void FmComposer::WaveOpened(WeDoc& doc) {
    if (!abstract_ && !session().fpSegMode)
        RangeFromLoadedWave(doc);
}

std::string FmComposer::RangeFromLoadedWave(WeDoc& doc) {
    std::string text = FmRangeFromLoadedWave(session(), fm_, doc.samples().int32());
    showRange(doc);
    doc.RefreshFmMarkers();
    showDeviation(doc, text);
    return text;
}

int FmComposer::Download(WeDoc& doc) {
    return SendFmDownload(doc);
}

PointLayout FmComposer::layout() const {
    return session().fpSegMode ? PointLayout::Record6 : PointLayout::Int32;
}

std::string FmComposer::workingFileName(int segment, int /*channel*/) const {
    if (session().fpSegMode)
        return strprintf("TemS%d.wfp", segment);
    return segment == -2 ? "FmDef.wfm" : "FmDef.wvf";
}

bool FmComposer::segmented() const {
    return session().fpSegMode;
}

std::string FmComposer::segTableSection(int /*channel*/) const {
    return ExchangeFile::Segments::FmTable();
}

std::string FmComposer::modifKey(int segment, int /*channel*/) const {
    return ExchangeFile::Segments::SavedKey(segment);
}

bool FmComposer::followsHostSettings() const {
    return !session().fpSegMode;
}

} // namespace tw
