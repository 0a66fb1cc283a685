#include "app/StringTable.h"

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
    {30834, "Show the whole train\nFull Train"},
    {30836, "Show section 1 alone\nSection 1"},
    {30837, "Show section 2 alone\nSection 2"},
    {30838, "Show section 3 alone\nSection 3"},
    {30839, "Show section 4 alone\nSection 4"},
    {30840, "Show section 5 alone\nSection 5"},
    {30841, "Show section 6 alone\nSection 6"},
    {30842, "Show section 7 alone\nSection 7"},
    {30843, "Show section 8 alone\nSection 8"},
    {30844, "Show section 9 alone\nSection 9"},
    {30845, "Show section 10 alone\nSection 10"},
    {32701, "Download to the instrument\nDownload"},
    {32771, "Create a new waveform\nNew"},
    {32772, "Open an existing file\nOpen"},
    {32773, "Save the active document\nSave"},
    {32774, "Save the active document with a new name\nSave As"},
    {32775, "Print the active document\nPrint"},
    {32777, "Draw stright line sections. Press right button to stop.\nAutoline"},
    {32778, "Draw freehand waveform. Press and hold left button to draw, right to stop.\nSketch"},
    {32780, "Moving average filter.\nFilter"},
    {32781, "Smooth marked area using spline function.\nSmooth"},
    {32782, "Invert waveform between anchors.\nInvert"},
    {32783, "Remove anchors.\nUnmark"},
    {32786, "Show or hide the File bar\nToggle File Bar"},
    {32788, "Show or hide the Parameter bar\nToggle Wave Parameter Bar"},
    {32789, "Show or hide the Wave edit bar\nToggle Wave edit bar"},
    {32790, "Generate a sine wave between the anchors\nSine"},
    {32791, "Generate a triangle wave between the anchors\nTriangle"},
    {32792, "Generate a square wave between the anchors\nSquare"},
    {32793, "Generate a sinc wave between the anchors\nSinc"},
    {32794, "Generate a Gaussian pulse between the anchors\nGaussian"},
    {32795, "Generate an exponential wave between the anchors\nExponent"},
    {32796, "Generate a pulse between the anchors\nPulse"},
    {32797, "Generate noise between the anchors\nNoise"},
    {32798, "Generate a waveform from an equation\nEquation"},
    {32799, "Undo the last change\nUndo"},
    {32801, "Zoom into wave area between anchors.\nZoom in"},
    {32802, "View full wave area\nZoom out"},
    {32807, "Trimwave to the left of the left anchor\nTrim Left"},
    {32808, "Trim to the right of the right anchor\nTrim Right"},
    {32809, "Generate && Edit FM Markers table\nFM Markers"},
    {32810, "Clear the entire memory of the active channel\nClear memory"},
    {32811, "Make channel 1 the active channel\nChannel 1"},
    {32812, "Make channel 2 the active channel\nChannel 2"},
    {32813, "Make channel 3 the active channel\nChannel 3"},
    {32814, "Make channel 4 the active channel\nChannel 4"},
    {32816, "Show or hide the Instrument control bar\nToggle Instrument Control Bar"},
    {32821, "Show the pulse editor\nShow Pulse Editor"},
    {32826, "Show or hide the Marker bar\nToggle Marker Bar"},
    {32827, "Append a section at the end of the train\nAppend Section"},
    {32828, "Insert a section at the active position\nInsert Section"},
    {32829, "Units, sample clock and download options\nOptions"},
    {32830, "Delete the active section\nDelete Section"},
    {32831, "Remove all sections of the train\nRemove All Sections"},
    {32846, "Undo the last change of the train\nUndo"},
    {32848, "Show or hide the summary before each download\nShow Pulse Summary"},
    {32849, "Edit the additional bits of the waveform\nAdditional Bits Editor"},
    {32857, "Generate a cardiac ECG waveform\nCardiac_ECG"},
    {32858, "Generate a DC level between the anchors\nDC"},
    {32860, "Generate a pulse width modulated train\nPulse Width Modulation"},
    {33001, "Display full pages\nPrint Preview"},
    {33002, "Change the printer and printing options\nPrint Setup"},
    {33003, "Show or hide the status bar\nToggle Status Bar"},
    {33004, "Toggle coarse/fine waveform display\nCoarse/Fine"},
    {33005, "SCLK/2 spur pre-distortion\nPre-Distortion"},
    {33006, "Quit the application\nExit"},
    {33007, "Display program information, version number and build\nAbout"},
    {33008, "Show the least and the greatest of all points in each pixel column\nShow Peaks"},
    {33009, "Open the user guide\nUser Guide"},
    {33011, "Open this document\nRecent file 1"},
    {33012, "Open this document\nRecent file 2"},
    {33013, "Open this document\nRecent file 3"},
    {33014, "Open this document\nRecent file 4"},
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
