#pragma once
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/Result.h"
#include "host/PulseExchange.h"
#include "pulse/TrainBounds.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The pulse train of a channel lives only in the exchange file: a root section "PulseRoot-ch<N>"
// and sections "Pulse<i>-ch<N>" (N = the 0-based channel + 1). Every operation below takes the
// channel, the pulse composer's active one. Times are stored in seconds, levels in volts.
enum TrainFormat { kLinkFormat = 0, kNodeFormat = 1, kTemplateFormat = 2 };

const char* RowName(int format); // "Link", "Node", "Tmpl"
std::string TrainRootSection(int channel);
std::string TrainSectionName(int channel, int i);
std::string CellKey(std::string_view rowName, int row, int column);
// Reads "<rowName><r>-sub<c>" in any letter case.
bool ParseCellKey(std::string_view key, std::string_view rowName, int& row, int& column);

// The first number of a stored value (the profile store's number rule), or def; a number that
// is not finite counts as none.
double LeadingNumber(const std::optional<std::string>& text, double def);
// Stored whole numbers as ints, clamped to the int range (not a number reads as 0).
int StoredInt(double v);
// Section and row counts: no damaged file may ask for more sections or rows than this.
inline constexpr int kMaxTrainCount = 65536;
int StoredCount(double v);
// A stored "SectFmt"; a value that is none of the formats reads as the default, time/level
// points.
int SectionFormat(double stored);
// A section holds no more rows than it has cell keys of its row name: "qItm" and row numbers
// beyond this are refused, so that what a file claims cannot size more than it holds.
int SectionRowLimit(const std::vector<std::pair<std::string, std::string>>& entries,
                    std::string_view rowName);
// Time cells and derived times: engineering notation with 9 decimals.
std::string TimeText(double seconds);

// A batch of train changes on the session's exchange file: reads see the batch's own writes and
// commit() rewrites the file once and ends the batch. Until then it holds the file's write lock:
// no other write to the exchange file may run while a batch is open.
class TrainEdit {
  public:
    TrainEdit(const LaunchState& session, int channel);

    std::optional<std::string> root(std::string_view key) const;
    double rootNumber(std::string_view key, double def) const;
    void setRoot(std::string_view key, std::string_view text);

    std::optional<std::string> sectionKey(int i, std::string_view key) const;
    double sectionNumber(int i, std::string_view key, double def) const;
    void setSectionKey(int i, std::string_view key, std::string_view text);
    void deleteSectionKey(int i, std::string_view key);

    std::optional<std::string> cell(int i, std::string_view rowName, int r, int c) const;
    // A null text deletes the cell.
    void setCell(int i, std::string_view rowName, int r, int c,
                 const std::optional<std::string>& text);

    // "Start" of every section after k from Start + Repeat x LocDur of the one before.
    void recomputeStarts(int k);
    // "Duration" = sum of Repeat x LocDur, written with "%g"; returns the value.
    double recomputeDuration();
    // "VpMn"/"VpMx" as the lowest "mnV" and highest "mxV" over the sections, with "%g".
    void recomputeLevels();
    // Replaces section `to` by a copy of section `from`.
    void copySection(int from, int to);
    void deleteSection(int i);
    void replaceSection(int i, const std::vector<std::string>& lines);
    std::vector<std::string> sectionLines(int i) const;

    profile::Transaction& raw() { return *t_; }
    bool commit();

  private:
    int channel_;
    std::optional<profile::Transaction> t_;
};

// One-key operations, each a single read or rewrite of the session's exchange file.
std::string ReadTrainRoot(const LaunchState& session, int channel,
                          std::string_view key); // "" when absent
double ReadTrainRootNumber(const LaunchState& session, int channel, std::string_view key,
                           double def);
bool WriteTrainRoot(const LaunchState& session, int channel, std::string_view key,
                    std::string_view text);
double ReadSectionKey(const LaunchState& session, int channel, int i, std::string_view key,
                      double def);
bool WriteSectionKey(const LaunchState& session, int channel, int i, std::string_view key,
                     std::string_view text);

// The whole train as read through one snapshot of the session's exchange file.
struct TrainRow {
    std::optional<double> level, interval, cumulative; // sub1, sub2, sub3
};
struct TrainSectionData {
    int format = kNodeFormat;
    int rowCount = 0; // "qItm"
    double start = 0;
    double localDuration = 0;
    int repeat = 1;
    std::vector<TrainRow> rows; // rowCount rows
};
struct TrainData {
    int sectionCount = 0;
    int activeSection = 0;
    double duration = 0; // sum of Repeat x LocDur over the sections, as "Duration" states it
    double levelLow = 0, levelHigh = 0;
    int timeUnit = 1;
    int levelUnit = 0;
    std::vector<TrainSectionData> sections;
};
TrainData ReadTrain(const LaunchState& session, int channel);

// save = true copies the train from the session's exchange file to the pulse master file `path`
// ("PulseRoot", "Pulse<i>"); save = false copies it from `path` into the exchange file,
// replacing the channel's train, within `bounds`: what they refuse is told to the user in one
// message of the result and left out (BoundTrain). Failed when the source holds no "qPls"
// (nothing copied) or the rewrite failed.
Result CopyTrain(const LaunchState& session, int channel, const std::string& path, bool save,
                 const TrainBounds& bounds = {});

} // namespace tw
