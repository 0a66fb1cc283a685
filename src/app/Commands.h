#pragma once

namespace tw {

// Menu and bar command ids, shared by every composer. Each id has "status\ntool tip" in the
// string table under the same number.
enum CommandId {
    kCmdDownload = 32701, // "&Download" / "&Download Pulse Train"

    // File
    kCmdNew = 32771,
    kCmdOpen = 32772,
    kCmdSave = 32773,
    kCmdSaveAs = 32774,
    kCmdPrint = 32775,

    // Drawing tools and marked-area operations
    kCmdAutoline = 32777,
    kCmdSketch = 32778,
    kCmdFilter = 32780,
    kCmdSmooth = 32781,
    kCmdInvert = 32782,
    kCmdUnmark = 32783,

    // Bar toggles
    kCmdFileBar = 32786,
    kCmdParameterBar = 32788,
    kCmdWaveEditBar = 32789,
    kCmdInstrumentBar = 32816,
    kCmdMarkerBar = 32826,

    // Standard shapes
    kCmdSine = 32790,
    kCmdTriangle = 32791,
    kCmdSquare = 32792,
    kCmdSinc = 32793,
    kCmdGaussian = 32794,
    kCmdExponent = 32795,
    kCmdPulse = 32796,
    kCmdNoise = 32797,
    kCmdEquation = 32798,

    kCmdUndo = 32799,
    kCmdZoomIn = 32801,
    kCmdZoomOut = 32802,
    kCmdTrimLeft = 32807,
    kCmdTrimRight = 32808,
    kCmdFmMarkers = 32809,

    // Instrument control
    kCmdClearMemory = 32810,
    kCmdChannel1 = 32811, // .. 32814 for channel 4
    kCmdChannel4 = 32814,

    // Pulse-train composer
    kCmdPulseEditor = 32821,
    kCmdAppendSection = 32827,
    kCmdInsertSection = 32828,
    kCmdOptions = 32829,
    kCmdDeleteSection = 32830,
    kCmdRemoveAllSections = 32831,
    kCmdFullTrain = 30834,
    kCmdSection1 = 30836, // .. 30845 for "Section 10"
    kCmdSection10 = 30845,
    kCmdUndoTrain = 32846,
    kCmdShowPulseSummary = 32848,

    kCmdAdditionalBits = 32849,
    kCmdCardiac = 32857,
    kCmdDcWave = 32858,
    kCmdPwm = 32860,

    // Frame commands of our own numbering
    kCmdPrintPreview = 33001,
    kCmdPrintSetup = 33002,
    kCmdStatusBar = 33003,
    kCmdCoarseFine = 33004,
    kCmdPreDistortion = 33005,
    kCmdExit = 33006,
    kCmdAbout = 33007,
    kCmdShowPeaks = 33008,
    kCmdRecentFile1 = 33011, // .. 33014: the four recent files
    kCmdRecentFile4 = 33014,
    kCmdUserGuide = 33009,
};

} // namespace tw
