#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace tw {

class PulseComposer;

// The modeless "Pulse Editor": a table of the open section's rows with in-place editing, over
// the composer's editor model. Every accepted edit is stored by the model at once.
class PulseEditorDialog : public QDialog {
    Q_OBJECT
  public:
    PulseEditorDialog(PulseComposer& composer, QWidget* parent = nullptr);

    // Rebuilds the table and the texts from the model (after any change of the train).
    void reload();

    QTableWidget* table() const { return table_; }

  protected:
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fillRows(int from);
    void refreshTexts();
    void cellEdited(int row, int column);
    void chooseFormat(int format);
    void runRowCommand(bool (*command)(PulseComposer&));
    void applyRepeat();
    void storePlacement() const;
    void restorePlacement();

    PulseComposer& composer_;
    QTableWidget* table_;
    QRadioButton* dcButton_;
    QRadioButton* pointsButton_;
    QPushButton* undoButton_;
    QLabel* unitsLabel_;
    QLabel* startLabel_;
    QLineEdit* repeatEdit_;
    QLabel* durationLabel_;
    QLabel* status_;
    QProgressBar* progress_;
    bool filling_ = false;
    bool editing_ = false;
};

} // namespace tw
