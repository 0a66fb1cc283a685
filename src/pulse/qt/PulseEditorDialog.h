#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;

namespace tw {

class PulseComposer;
class PulseSectionModel;

// The modeless "Pulse Editor": a table of the open section's rows with in-place editing, over
// the composer's editor model. Every accepted edit is stored by the model at once.
class PulseEditorDialog : public QDialog {
    Q_OBJECT
  public:
    PulseEditorDialog(PulseComposer& composer, QWidget* parent = nullptr);
    ~PulseEditorDialog() override;

    // Shows the table and the texts of the model again (after any change of the train).
    void reload();
    // A section of many rows shows a progress bar while it is read.
    void showOpening(int rowsRead, int rows);

    QTableView* table() const { return table_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refreshTexts();
    void chooseFormat(int format);
    void runRowCommand(bool (*command)(PulseComposer&));
    void applyRepeat();
    void storePlacement() const;
    bool restorePlacement();
    QRect frameBesideMain() const;

    PulseComposer& composer_;
    PulseSectionModel* rows_;
    QTableView* table_;
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
    bool placed_ = false; // placed at its first showing, once the main window has its place
};

} // namespace tw
