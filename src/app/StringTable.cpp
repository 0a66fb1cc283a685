#include "app/StringTable.h"

#include "app/Commands.h"
#include "app/MessageIds.h"

#include <algorithm>
#include <iterator>

namespace tw {

namespace {
struct Entry {
    int id;
    const char* text;
};

// Kept sorted by id.
constexpr Entry kStrings[] = {
    {kMsgLinkTimeSequence,
     "Link: %d\nInvalid time sequence: %s.\nPrevious value will be restored."},
    {kMsgLinkTimeResolution,
     "Link: %d\nImplementation restriction.\nTime: %s exceeds Instrument resolution.\n"
     "Previous value will be restored."},
    {kMsgLinkIntervalNotPositive,
     "Link: %d\nTime interval %s is not positive.\nPrevious value will be restored."},
    {kMsgLinkLevelOutOfRange,
     "Link: %d\nLevel %s  out of range.\nPrevious value will be restored."},
    {kMsgLoopsOutOfRange, "Loops number: %d out of range.\nPrevious value will be restored."},
    {kMsgLinkNotNumeric,
     "Link: %d\nNon numeric value %s is not allowed.\nPrevious value will be restored."},
    {kMsgPointsFieldNotEditable,
     "Do not edit this field for Index = %d  and Design Format = \"Points\" .\n[ Value %s ]"},
    {kMsgLinkIntervalNegative,
     "Link: %d\nTime interval %s is negative.\nPrevious value will be restored."},
    {kMsgSectionIncomplete, "Section %d incomplete.\nUnable to perform operation."},
    {kMsgFmClockLimit,
     "FM Sample clock has reached its limit.\nCarrier freq = %g\nAvailable range [%g  %g]\n\n"
     "Modify the sample clock setting and restart the FM Tidewright."},
    {kMsgWavelengthIncrement,
     "Wavelength = %d\ndoes not divide by the incremental resolution = %d\nas specified for "
     "this instrument.\nPress:\n\t'Yes' - to truncate wavelength,\n\t'No' - to round off "
     "wavelength."},
    {kMsgValueOutOfRange, "Value is out of range. Previous value will be restored."},
    {kMsgExpressionEmpty, "Expression is empty."},
    {kMsgDivideByZero, "Domain error.Divide by zero."},
    {kMsgWaveformFileMissing, "Waveform file is missing."},
    {kMsgUnknownEquation, "Unknown equation expression."},
    {kMsgIllegalExtension, "Illegal file name extension."},
    {kMsgSaveInTemporaryFolder, "Storing in Temporary folder is not recommended.\nSave ?"},
    {kMsgDeviationRangeExceeded,
     "Deviation range exceeds the limit.\nPrevious value will be restored."},
    {kMsgCannotConvert, "Cannot convert the format to binary format \nor invalid file path"},
    {kMsgStandaloneRefused, "Tidewright cannot run as a standalone application"},
    {kMsgFmMarkerOutOfRange,
     "The FM marker value will be added but note that it is out of the current range."},
    {kMsgTrainFormatEmptyOnly,
     "Pulse train format can be changed for an empty section only.\nUse \"Edit\" commands to "
     "add a new pulse train section."},
    {kMsgDownloadOptionUnusable,
     "Unable to download using the selected download option.\nSelect Download Option throgh "
     "View>>Options menu."},
    {kMsgClockResolutionShort,
     "Can not comply with requested resolution/accuracy,\ndue Sampling clock implementation "
     "restriction.\n(SClK max = %g required = %g).\n\nYou may continue with lower "
     "resolution."},
    {kMsgForcedClockResolution,
     "The forced SCLK settings does not allow sufficient resolution\nto build the required "
     "Pulse shape.(Max deviation is %s sec.)\nEither:\n\n1.Press Cancel and change the "
     "forced SCLK setting in the View>>Option menu, or\n2.Press OK to let the Trainsmith "
     "figure the SCLK automatically."},
    {kMsgForcedClockTooShort,
     "The forced SCLK brings with it wavelength = %g\nshorter min segment length.\nPress OK "
     "to let the Trainsmith figure the SCLK automatically."},
    {kMsgForcedClockIncrement,
     "The forced SCLK  brings with it  wavelength = %g not match to Instrument resolution "
     ".\nPress OK to let the Trainsmith figure the SCLK automatically."},
    {kMsgContinuousOnly, "The train may be implemented with \"Continuous\" mode only.\nContinue ?"},
    {kMsgSegmentReplaced,
     "Segment number %d will be replaced with\nthe nearest free segment number %d."},
    {kCmdFullTrain, "Show the whole train\nFull Train"},
    {kCmdSection1, "Show section 1 alone\nSection 1"},
    {kCmdSection1 + 1, "Show section 2 alone\nSection 2"},
    {kCmdSection1 + 2, "Show section 3 alone\nSection 3"},
    {kCmdSection1 + 3, "Show section 4 alone\nSection 4"},
    {kCmdSection1 + 4, "Show section 5 alone\nSection 5"},
    {kCmdSection1 + 5, "Show section 6 alone\nSection 6"},
    {kCmdSection1 + 6, "Show section 7 alone\nSection 7"},
    {kCmdSection1 + 7, "Show section 8 alone\nSection 8"},
    {kCmdSection1 + 8, "Show section 9 alone\nSection 9"},
    {kCmdSection10, "Show section 10 alone\nSection 10"},
    {kCmdDownload, "Download to the instrument\nDownload"},
    {kCmdNew, "Create a new waveform\nNew"},
    {kCmdOpen, "Open an existing file\nOpen"},
    {kCmdSave, "Save the active document\nSave"},
    {kCmdSaveAs, "Save the active document with a new name\nSave As"},
    {kCmdPrint, "Print the active document\nPrint"},
    {kCmdAutoline, "Draw stright line sections. Press right button to stop.\nAutoline"},
    {kCmdSketch,
     "Draw freehand waveform. Press and hold left button to draw, right to stop.\nSketch"},
    {kCmdFilter, "Moving average filter.\nFilter"},
    {kCmdSmooth, "Smooth marked area using spline function.\nSmooth"},
    {kCmdInvert, "Invert waveform between anchors.\nInvert"},
    {kCmdUnmark, "Remove anchors.\nUnmark"},
    {kCmdFileBar, "Show or hide the File bar\nToggle File Bar"},
    {kCmdParameterBar, "Show or hide the Parameter bar\nToggle Wave Parameter Bar"},
    {kCmdWaveEditBar, "Show or hide the Wave edit bar\nToggle Wave edit bar"},
    {kCmdSine, "Generate a sine wave between the anchors\nSine"},
    {kCmdTriangle, "Generate a triangle wave between the anchors\nTriangle"},
    {kCmdSquare, "Generate a square wave between the anchors\nSquare"},
    {kCmdSinc, "Generate a sinc wave between the anchors\nSinc"},
    {kCmdGaussian, "Generate a Gaussian pulse between the anchors\nGaussian"},
    {kCmdExponent, "Generate an exponential wave between the anchors\nExponent"},
    {kCmdPulse, "Generate a pulse between the anchors\nPulse"},
    {kCmdNoise, "Generate noise between the anchors\nNoise"},
    {kCmdEquation, "Generate a waveform from an equation\nEquation"},
    {kCmdUndo, "Undo the last change\nUndo"},
    {kCmdZoomIn, "Zoom into wave area between anchors.\nZoom in"},
    {kCmdZoomOut, "View full wave area\nZoom out"},
    {kCmdTrimLeft, "Trimwave to the left of the left anchor\nTrim Left"},
    {kCmdTrimRight, "Trim to the right of the right anchor\nTrim Right"},
    {kCmdFmMarkers, "Generate && Edit FM Markers table\nFM Markers"},
    {kCmdClearMemory, "Clear the entire memory of the active channel\nClear memory"},
    {kCmdChannel1, "Make channel 1 the active channel\nChannel 1"},
    {kCmdChannel1 + 1, "Make channel 2 the active channel\nChannel 2"},
    {kCmdChannel1 + 2, "Make channel 3 the active channel\nChannel 3"},
    {kCmdChannel4, "Make channel 4 the active channel\nChannel 4"},
    {kCmdInstrumentBar, "Show or hide the Instrument control bar\nToggle Instrument Control Bar"},
    {kCmdPulseEditor, "Show the pulse editor\nShow Pulse Editor"},
    {kCmdMarkerBar, "Show or hide the Marker bar\nToggle Marker Bar"},
    {kCmdAppendSection, "Append a section at the end of the train\nAppend Section"},
    {kCmdInsertSection, "Insert a section at the active position\nInsert Section"},
    {kCmdOptions, "Units, sample clock and download options\nOptions"},
    {kCmdDeleteSection, "Delete the active section\nDelete Section"},
    {kCmdRemoveAllSections, "Remove all sections of the train\nRemove All Sections"},
    {kCmdUndoTrain, "Undo the last change of the train\nUndo"},
    {kCmdShowPulseSummary, "Show or hide the summary before each download\nShow Pulse Summary"},
    {kCmdAdditionalBits, "Edit the additional bits of the waveform\nAdditional Bits Editor"},
    {kCmdCardiac, "Generate a cardiac ECG waveform\nCardiac_ECG"},
    {kCmdDcWave, "Generate a DC level between the anchors\nDC"},
    {kCmdPwm, "Generate a pulse width modulated train\nPulse Width Modulation"},
    {kCmdPrintPreview, "Display full pages\nPrint Preview"},
    {kCmdPrintSetup, "Change the printer and printing options\nPrint Setup"},
    {kCmdStatusBar, "Show or hide the status bar\nToggle Status Bar"},
    {kCmdCoarseFine, "Toggle coarse/fine waveform display\nCoarse/Fine"},
    {kCmdPreDistortion, "SCLK/2 spur pre-distortion\nPre-Distortion"},
    {kCmdExit, "Quit the application\nExit"},
    {kCmdAbout, "Display program information, version number and build\nAbout"},
    {kCmdShowPeaks,
     "Show the least and the greatest of all points in each pixel column\nShow Peaks"},
    {kCmdUserGuide, "Open the user guide\nUser Guide"},
    {kCmdRecentFile1, "Open this document\nRecent file 1"},
    {kCmdRecentFile1 + 1, "Open this document\nRecent file 2"},
    {kCmdRecentFile1 + 2, "Open this document\nRecent file 3"},
    {kCmdRecentFile4, "Open this document\nRecent file 4"},
    {kMsgInvalidLog, "Invalid Log (Ln) Value"},
    {kMsgInvalidTan, "Invalid Tan Value"},
    {kMsgInvalidCtn, "Invalid Ctn Value"},
    {kMsgOneArgument, "Function %s takes one argument"},
};
} // namespace

const char* StringText(int id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const Entry& e, int v) { return e.id < v; });
    if (it == std::end(kStrings) || it->id != id)
        return "";
    return it->text;
}

} // namespace tw
