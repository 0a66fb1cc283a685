#include "app/MenuLayout.h"

#include "app/Commands.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/Startup.h"
#include "app/StringTable.h"

namespace tw {

namespace {

const MenuItem kSeparator{0, ""};

MenuDef FileMenu(bool pulse) {
    MenuDef m{"&File", {}};
    if (!pulse)
        m.items.push_back({kCmdNew, "&New"});
    m.items.insert(m.items.end(), {{kCmdOpen, "&Open..."},
                                   {kCmdSave, "&Save"},
                                   {kCmdSaveAs, "Save &As..."},
                                   kSeparator,
                                   {kCmdPrint, "&Print..."},
                                   {kCmdPrintPreview, "Print Pre&view"},
                                   {kCmdPrintSetup, "P&rint Setup..."},
                                   kSeparator});
    for (int id = kCmdRecentFile1; id <= kCmdRecentFile4; ++id)
        m.items.push_back({id, "Recent File"});
    m.items.insert(m.items.end(), {kSeparator, {kCmdExit, "E&xit"}});
    return m;
}

MenuDef EditMenu() {
    return {"&Edit",
            {{kCmdUndo, "&Undo"},
             kSeparator,
             {kCmdAutoline, "&Autoline"},
             {kCmdSketch, "S&ketch"},
             {kCmdUnmark, "U&nmark"},
             kSeparator,
             {kCmdFilter, "&Filter..."},
             {kCmdSmooth, "&Smooth"},
             {kCmdInvert, "&Invert"},
             kSeparator,
             {kCmdTrimLeft, "Trim &Left"},
             {kCmdTrimRight, "Trim &Right"},
             kSeparator,
             {kCmdZoomIn, "&Zoom In"},
             {kCmdZoomOut, "Zoom &Out"}}};
}

MenuDef WaveMenu(int resourceSet) {
    MenuDef m{"&Wave",
              {{kCmdSine, "&Sine..."},
               {kCmdTriangle, "&Triangle..."},
               {kCmdSquare, "S&quare..."},
               {kCmdSinc, "Si&nc..."},
               {kCmdGaussian, "&Gaussian..."},
               {kCmdExponent, "&Exponent..."},
               {kCmdPulse, "&Pulse..."},
               {kCmdNoise, "N&oise..."}}};
    if (resourceSet != kFmResources)
        m.items.insert(m.items.end(), {{kCmdDcWave, "&DC..."},
                                       {kCmdCardiac, "&Cardiac_ECG..."},
                                       {kCmdPwm, "Pulse &Width Modulation..."}});
    m.items.push_back(kSeparator);
    m.items.push_back({kCmdEquation, "E&quation..."});
    if (resourceSet == kMarkerBitResources)
        m.items.push_back({kCmdAdditionalBits, "Additional Bits Editor ..."});
    if (resourceSet == kFmResources)
        m.items.push_back({kCmdFmMarkers, "FM &Markers..."});
    return m;
}

MenuDef ViewMenu(int resourceSet) {
    MenuDef m{"&View",
              {{kCmdFileBar, "&File Operation Bar"},
               {kCmdWaveEditBar, "Wave Edit Bar"},
               {kCmdParameterBar, "&Wave Parameter Bar"},
               {kCmdInstrumentBar, "&Instrument Control Bar"}}};
    if (resourceSet == kFmResources)
        m.items.push_back({kCmdMarkerBar, "&Marker Bar"});
    m.items.insert(m.items.end(), {{kCmdStatusBar, "&Status Bar"},
                                   kSeparator,
                                   {kCmdCoarseFine, "Toggle coarse/fine waveform display"},
                                   {kCmdShowPeaks, "Show &Peaks"}});
    return m;
}

MenuDef ToolsMenu(int resourceSet) {
    MenuDef m{"&Tools",
              {{kCmdDownload, "&Download"},
               {kCmdClearMemory, "&Clear Memory"},
               kSeparator,
               {kCmdChannel1, "Channel &1"},
               {kCmdChannel1 + 1, "Channel &2"}}};
    if (resourceSet != kFmResources)
        m.items.insert(m.items.end(), {kSeparator, {kCmdPreDistortion, "&Pre-Distortion..."}});
    return m;
}

MenuDef HelpMenu(const std::string& appName) {
    return {"&Help",
            {{kCmdUserGuide, "&User Guide"}, kSeparator, {kCmdAbout, "&About " + appName + "..."}}};
}

std::vector<MenuDef> PulseMenus(const std::string& appName) {
    MenuDef train{"Edit &Train",
                  {{kCmdAppendSection, "&Append Section"},
                   {kCmdInsertSection, "&Insert Section"},
                   {kCmdDeleteSection, "&Delete Section"},
                   {kCmdRemoveAllSections, "&Remove All Sections"},
                   kSeparator,
                   {kCmdUndoTrain, "&Undo"}}};
    MenuDef view{"&View", {{kCmdFullTrain, "&Full Train"}}};
    for (int i = 0; i < 10; ++i)
        view.items.push_back({kCmdSection1 + i, strprintf("Section %d", i + 1)});
    view.items.insert(view.items.end(), {kSeparator,
                                         {kCmdPulseEditor, "&Pulse Editor..."},
                                         {kCmdShowPulseSummary, "Show Pulse Summary"},
                                         {kCmdOptions, "&Options..."},
                                         kSeparator,
                                         {kCmdFileBar, "&File Operation Bar"},
                                         {kCmdParameterBar, "&Pulse Parameter Bar"},
                                         {kCmdInstrumentBar, "&Instrument Control Bar"},
                                         {kCmdStatusBar, "&Status Bar"}});
    MenuDef tools{"&Tools", {{kCmdDownload, "&Download Pulse Train"}}};
    return {FileMenu(true), train, view, tools, HelpMenu(appName)};
}

std::string TextPart(int id, bool second) {
    std::string text = StringText(id);
    std::size_t cut = text.find('\n');
    if (cut == std::string::npos)
        return second ? std::string() : text;
    return second ? text.substr(cut + 1) : text.substr(0, cut);
}

} // namespace

std::vector<MenuDef> MenuLayout(int resourceSet, const std::string& appName) {
    if (resourceSet == kPulseResources)
        return PulseMenus(appName);
    return {FileMenu(false),        EditMenu(),       WaveMenu(resourceSet), ViewMenu(resourceSet),
            ToolsMenu(resourceSet), HelpMenu(appName)};
}

std::string CommandStatusText(int id) {
    return TextPart(id, false);
}

std::string CommandToolTip(int id) {
    return TextPart(id, true);
}

} // namespace tw
