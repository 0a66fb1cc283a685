#pragma once
#include "app/LaunchState.h"
#include "app/StoredNumber.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// The FM composer's part of the exchange file (ExchangeFile.h holds the rest): the host's FM
// settings, the deviation the composer keeps there and the FM marker tables; built from the
// session whose exchange file it reads.
class FmExchange {
  public:
    explicit FmExchange(const LaunchState& session)
        : session_(session), file_(session.exchangeFile) {}

    // Numbers the host keeps for the FM composer, each the first of its value.
    enum Number {
        FuncMode,          // "Settings" "FmFuncMode": the host's FM function mode
        ModulationCarrier, // "Settings" "ModCarFrq": the instrument's own carrier
        WaveformMode,      // "Settings" "WformMode"
        SampleClock,       // "Settings" "Sclk"
        StandardBase,      // "FmComposer" "StdFmbase"
        Wavelength,        // "FmComposer" "FmLen"
    };
    // `absent` when the key is missing.
    double Read(Number number, double absent) const;
    // A carrier kept in "Settings" under the key the description file's "FmBase" names.
    double ReadCarrier(const std::string& key, double absent) const;
    // Where a number lives, for the messages that refuse it.
    StoredKey Where(Number number) const;
    StoredKey WhereCarrier(const std::string& key) const;

    // Where a deviation is kept: "FmDev", or "FmDev%d" with a function mode or an FP segment;
    // in "Settings", or in "FmSegmTbl" (FP-segment mode).
    struct DeviationKey {
        bool segmentTable = false;
        int number = -1; // -1: "FmDev" alone
    };
    // The stored deviation text (80 characters, quiet).
    std::optional<std::string> Deviation(DeviationKey key) const;
    // The channel set-up's deviation, and after a settings conflict the new carrier under
    // "FmCarFrq" ("%g"), in one rewrite.
    bool StoreSetUp(DeviationKey key, const std::string& deviation,
                    std::optional<double> carrier) const;
    // The user's deviation in FP-segment mode: the segment's own, with the FM wave parameters
    // dropped, in one rewrite.
    bool StoreSegmentDeviation(int segment, const std::string& deviation) const;
    // The user's deviation otherwise, in one rewrite: under `key` in "Settings", also as
    // "FmSt0" for function mode 0, the range as "FmComposer" "FMax"/"FMin", "Common" "Modif"
    // = "Yes" for the host, and the FM wave parameters dropped.
    bool StoreDeviation(DeviationKey key, const std::string& deviation, bool firstMode,
                        const std::string& highest, const std::string& lowest) const;
    // A wave of frequencies was opened: its deviation as "FmDev0" and its centre as "FmCarFrq".
    bool StoreOpenedRange(const std::string& deviation, const std::string& carrier) const;

    // "FmMark%d" (function mode): the marker table, "FmSort" (1 ascending) and the values
    // "Mrk0", "Mrk1", ... up to the first missing key.
    std::vector<std::string> MarkerTexts(int funcMode) const;
    std::optional<std::string> MarkerSort(int funcMode) const;
    // Replaces the table.
    bool StoreMarkers(int funcMode, bool ascending, const std::vector<std::int32_t>& values) const;

  private:
    const LaunchState& session_;
    const std::string& file_;
};

} // namespace tw
