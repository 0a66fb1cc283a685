#include "fm/FmComposer.h"

#include "app/LaunchState.h"
#include "document/WeDoc.h"
#include "fm/FmMarkers.h"
#include "fm/FmNumberText.h"

#include <cmath>

namespace tw {

FmComposer& TheFmComposer() {
    static FmComposer composer;
    return composer;
}

void InstallFmComposer() {
    SetFmAbstractMode(DecideFmAbstractMode());
    FmComposer& fm = TheFmComposer();
    SetFmDocHooks({[&fm](WeDoc& doc) { fm.ComputeMarkers(doc); },
                   [&fm](WeDoc& doc) { fm.LoadSegmentRange(doc); },
                   [&fm](WeDoc& doc) { return fm.SetUpChannel(doc); },
                   [&fm](WeDoc& doc) { fm.WaveOpened(doc); }});
}

void FmComposer::showRange(WeDoc& doc) const {
    doc.vMin = fm_.vMin;
    doc.vMax = fm_.vMax;
}

void FmComposer::showDeviation(WeDoc& doc, std::string text) {
    deviationBox_ = std::move(text);
    doc.listener().deviationShown();
}

bool FmComposer::SetUpChannel(WeDoc& doc) {
    failed_ = !LoadFmLimits(fm_);
    doc.fmLenMin = fm_.fmLenMin;
    doc.fmLenMax = fm_.fmLenMax;
    doc.fmMin = fm_.fmMin;
    doc.fmMax = fm_.fmMax;
    if (launch().fpSegMode) {
        doc.fpSegMin = fm_.fpSegMin;
        doc.fpSegMax = fm_.fpSegMax;
    }
    showRange(doc);
    doc.initialPoint = FmAbstractMode() ? 500000000 : static_cast<std::int32_t>(fm_.base);
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
    std::vector<double> values = ReadFmMarkerValues(fm_.fmFuncMode);
    FmMarkerPoints marks =
        ComputeFmMarkerPoints(doc.samples().int32(), values, doc.vMin, doc.vMax, FmAbstractMode());
    doc.fmMarkers = std::move(marks.indices);
    doc.fmMarkersInRange = marks.valuesInRange;
}

void FmComposer::LoadSegmentRange(WeDoc& doc) {
    LoadSegmentDeviation(fm_);
    showRange(doc);
    showDeviation(doc, FmGeneralText(fm_.deviation));
}

DeviationChange FmComposer::ApplyDeviation(WeDoc& doc, std::string_view boxText) {
    DeviationChange change = tw::ApplyDeviation(fm_, boxText);
    showDeviation(doc, change.boxText); // a refused value gives way to the previous one
    if (!change.accepted)
        return change;
    showRange(doc);
    doc.RefreshFmMarkers();
    doc.listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
    return change;
}

void FmComposer::WaveOpened(WeDoc& doc) {
    if (!FmAbstractMode() && !launch().fpSegMode)
        RangeFromLoadedWave(doc);
}

std::string FmComposer::RangeFromLoadedWave(WeDoc& doc) {
    std::string text = FmRangeFromLoadedWave(fm_, doc.samples().int32());
    showRange(doc);
    doc.RefreshFmMarkers();
    showDeviation(doc, text);
    return text;
}

} // namespace tw
