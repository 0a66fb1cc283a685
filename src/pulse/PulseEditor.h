#pragma once
#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "pulse/PulseLimits.h"

#include <optional>
#include <string>
#include <vector>

namespace tw {

class TrainEdit;

// What the editor needs from the view around it.
struct PulseEditorHost {
    // The channel whose train is edited (0-based).
    virtual int activeChannel() const { return 0; }
    // Section commands are available only while the whole train is shown.
    virtual bool fullTrainView() const { return true; }
    // The stored train changed: reload the view's train state, redraw, rebuild the section list.
    virtual void trainChanged() {}
    // Opening a section reads its rows one by one; rowsRead == rows when done.
    virtual void sectionReading(int /*rowsRead*/, int /*rows*/) {}
    virtual ~PulseEditorHost() = default;
};

inline constexpr int kLevelColumn = 1;
inline constexpr int kIntervalColumn = 2;
inline constexpr int kCumulativeColumn = 3;

// The pulse editor without its widgets: one section of the train as a table of display texts
// (design units), the rules every edit must keep, and the section and train commands. Every
// accepted change is written to the exchange file at once, derived values included, in one
// rewrite of the file.
class PulseEditor {
  public:
    // Its refusals and questions go to prompts.
    PulseEditor(const PulseLimits& limits, PulseEditorHost& host, const LaunchState& session,
                Prompter& prompts);

    // Reads the active section ("activePls") and fills the table.
    void OpenSection();

    // The table: rows of columnCount() texts, column 0 the 1-based index.
    int rowCount() const { return static_cast<int>(rows_.size()); }
    int columnCount() const;
    const std::string& text(int row, int column) const { return rows_[row][column]; }
    std::vector<std::string> columnTitles() const;
    bool isEditable(int row, int column) const;

    int selectedRow = -1;

    // Cell editing: the edited text is validated, stored with its partner column and the
    // repaired rows below. Returns false when refused (message shown, nothing stored); the table
    // then holds the previous text again.
    bool EditCell(int row, int column, const std::string& text);

    bool SetFormat(int format); // false: refused with kMsgTrainFormatEmptyOnly, the format stays
    void AppendRow();
    bool InsertRow(); // before selectedRow
    bool DeleteRow(); // selectedRow
    void DeleteAll();
    bool Undo();
    bool ApplyRepeat(const std::string& text); // false: refused with kMsgLoopsOutOfRange
    bool CanUndo() const;

    // Train commands of the "Edit Train" menu.
    bool AppendSection();
    bool InsertSection();
    bool DeleteSection();
    bool RemoveAllSections();
    bool UndoTrain();
    bool CanUndoTrain() const;
    // Replaces the train by the one in a pulse master file (also the train undo).
    bool LoadTrain(const std::string& path);

    // The open section has no empty cell but in a blank last row; else kMsgSectionIncomplete is
    // shown.
    bool CheckComplete() const;
    bool IsComplete() const;
    // 0 <= p <= "qPls": the sections around a new one at p are not empty; else the message.
    bool CheckNewSectionPosition(int p) const;

    std::string Title() const;
    std::string DesignUnitsText() const;
    std::string SectionStartText() const;
    std::string DurationText() const;
    std::string RepeatText() const;
    static std::string StatusText(int column); // column 0 stands for the repeat box

    int activeSection() const { return activeSection_; }
    int format() const { return format_; }
    int sectionCount() const { return sectionCount_; }
    double timeFactor() const { return timeFactor_; }
    double levelFactor() const;
    double localDuration() const { return localDuration_; }
    int repeat() const { return repeat_; }
    const PulseLimits& limits() const { return limits_; }
    int channel() const { return host_.activeChannel(); } // whose train
    const LaunchState& session() const { return session_; }
    Prompter& prompts() const { return prompts_; }
    std::string sectionUndoFile() const;
    std::string trainUndoFile() const;

  private:
    using Row = std::vector<std::string>;

    Row emptyRow(int index) const;
    void renumber(int from);
    std::optional<double> value(int row, int column) const;
    bool validate(int row, int column, const std::string& text, double v) const;
    void say(const std::string& text) const;
    bool refuse(int id, int row, const std::string& text) const;
    void storeRow(TrainEdit& e, int row) const;
    void storeDerived(TrainEdit& e);
    void commitAndNotify(TrainEdit& e);
    void commitAndReopen(TrainEdit& e); // for changes that move sections or rows around
    void saveSection() const;
    void saveTrain() const;
    bool sectionCommandAllowed(const char* message) const;
    std::vector<std::string> freshSection(double start) const;

    const PulseLimits& limits_;
    PulseEditorHost& host_;
    const LaunchState& session_;
    Prompter& prompts_;
    std::vector<Row> rows_;
    int activeSection_ = 0;
    int sectionCount_ = 1;
    int format_ = 1;
    std::string rowName_ = "Node";
    int timeUnit_ = 1;
    double timeFactor_ = 1e3;
    int levelUnit_ = 0;
    double sectionStart_ = 0;
    double localDuration_ = 0;
    int repeat_ = 1;
    int storedRows_ = 0; // "qItm"
};

} // namespace tw
