#pragma once

namespace tw {

// The numbers of the string table's messages, named for what each says. The numbers are the
// program's own and never change.
enum MessageId {
    // The pulse editor's refusals of a cell or field.
    kMsgLinkTimeSequence = 980,   // a link's time breaks the sequence
    kMsgLinkTimeResolution = 981, // a link's time is finer than the instrument resolves
    kMsgLinkIntervalNotPositive = 983,
    kMsgLinkLevelOutOfRange = 984,
    kMsgLoopsOutOfRange = 985,
    kMsgLinkNotNumeric = 991,
    kMsgPointsFieldNotEditable = 992, // a field the "Points" design format computes itself
    kMsgLinkIntervalNegative = 993,
    kMsgSectionIncomplete = 994,

    kMsgFmClockLimit = 3000,        // the FM carrier needs a sample clock out of range
    kMsgWavelengthIncrement = 3001, // truncate or round a wavelength to the increment?
    kMsgValueOutOfRange = 3002,
    kMsgExpressionEmpty = 3004,
    kMsgDivideByZero = 3006,
    kMsgWaveformFileMissing = 3007,
    kMsgUnknownEquation = 3008,
    kMsgIllegalExtension = 3009,
    kMsgSaveInTemporaryFolder = 3010,
    kMsgDeviationRangeExceeded = 3011,
    kMsgCannotConvert = 3014, // a file that cannot be read as a waveform
    kMsgStandaloneRefused = 3015,
    kMsgFmMarkerOutOfRange = 3016,
    kMsgTrainFormatEmptyOnly = 3022, // the design format of a section that has links
    kMsgDownloadOptionUnusable = 3023,
    kMsgClockResolutionShort = 3024, // the sample clock cannot reach the asked resolution
    kMsgForcedClockResolution = 3026,
    kMsgForcedClockTooShort = 3027,
    kMsgForcedClockIncrement = 3028,
    kMsgContinuousOnly = 3029,
    kMsgSegmentReplaced = 3031, // the segment number moved to the nearest free one

    // The expression engine's function errors.
    kMsgInvalidLog = 61446,
    kMsgInvalidTan = 61447,
    kMsgInvalidCtn = 61448,
    kMsgOneArgument = 61451,
};

} // namespace tw
