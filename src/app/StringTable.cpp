#include "app/StringTable.h"

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
    {980, "Link: %d\nInvalid time sequence: %s.\nPrevious value will be restored."},
    {981, "Link: %d\nImplementation restriction.\nTime: %s exceeds Instrument resolution.\n"
          "Previous value will be restored."},
    {983, "Link: %d\nTime interval %s is not positive.\nPrevious value will be restored."},
    {984, "Link: %d\nLevel %s  out of range.\nPrevious value will be restored."},
    {985, "Loops number: %d out of range.\nPrevious value will be restored."},
    {991, "Link: %d\nNon numeric value %s is not allowed.\nPrevious value will be restored."},
    {992, "Do not edit this field for Index = %d  and Design Format = \"Points\" .\n[ Value %s ]"},
    {993, "Link: %d\nTime interval %s is negative.\nPrevious value will be restored."},
    {994, "Section %d incomplete.\nUnable to perform operation."},
    {3000, "FM Sample clock has reached its limit.\nCarrier freq = %g\nAvailable range [%g  %g]\n\n"
           "Modify the sample clock setting and restart the FM Tidewright."},
    {3001, "Wavelength = %d\ndoes not divide by the incremental resolution = %d\nas specified for "
           "this instrument.\nPress:\n\t'Yes' - to truncate wavelength,\n\t'No' - to round off "
           "wavelength."},
    {3002, "Value is out of range. Previous value will be restored."},
    {3004, "Expression is empty."},
    {3006, "Domain error.Divide by zero."},
    {3007, "Waveform file is missing."},
    {3008, "Unknown equation expression."},
    {3009, "Illegal file name extension."},
    {3010, "Storing in Temporary folder is not recommended.\nSave ?"},
    {3011, "Deviation range exceeds the limit.\nPrevious value will be restored."},
    {3014, "Cannot convert the format to binary format \nor invalid file path"},
    {3015, "Tidewright cannot run as a standalone application"},
    {3016, "The FM marker value will be added but note that it is out of the current range."},
    {3022, "Pulse train format can be changed for an empty section only.\nUse \"Edit\" commands to "
           "add a new pulse train section."},
    {3023, "Unable to download using the selected download option.\nSelect Download Option throgh "
           "View>>Options menu."},
    {3024, "Can not comply with requested resolution/accuracy,\ndue Sampling clock implementation "
           "restriction.\n(SClK max = %g required = %g).\n\nYou may continue with lower "
           "resolution."},
    {3026, "The forced SCLK settings does not allow sufficient resolution\nto build the required "
           "Pulse shape.(Max deviation is %s sec.)\nEither:\n\n1.Press Cancel and change the "
           "forced SCLK setting in the View>>Option menu, or\n2.Press OK to let the Trainsmith "
           "figure the SCLK automatically."},
    {3027, "The forced SCLK brings with it wavelength = %g\nshorter min segment length.\nPress OK "
           "to let the Trainsmith figure the SCLK automatically."},
    {3028, "The forced SCLK  brings with it  wavelength = %g not match to Instrument resolution "
           ".\nPress OK to let the Trainsmith figure the SCLK automatically."},
    {3029, "The train may be implemented with \"Continuous\" mode only.\nContinue ?"},
    {3031, "Segment number %d will be replaced with\nthe nearest free segment number %d."},
    {61446, "Invalid Log (Ln) Value"},
    {61447, "Invalid Tan Value"},
    {61448, "Invalid Ctn Value"},
    {61451, "Function %s takes one argument"},
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
