#pragma once
#include "expr/EquationEditor.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace tw {

class AliasTableModel;

// The "Equation Editor": a window over EquationEditor. OK and Accept keep the evaluated wave;
// Cancel and closing the window put the wave from before the editor back.
class EquationEditorDialog : public QDialog {
    Q_OBJECT
  public:
    explicit EquationEditorDialog(GeneratorTarget& target, QWidget* parent = nullptr);

    EquationEditor& model() { return model_; }

    // The file dialogs (caption, filter in the Qt form, save or open) and the confirm bar
    // (true for Accept); tests replace them.
    std::function<QString(const QString&, const QString&, bool)> chooseFile;
    std::function<bool()> confirmPreview;

    void reject() override;

  private:
    void build();
    void showModel();
    void showFields();
    void showHistory();
    void showAliases();
    void readFields();
    void onPreview();
    void onOk();
    void onAliasClicked(const QModelIndex& index);
    void toggleAliases();
    void addAlias();
    int selectedAlias() const;
    bool confirmBar();
    QString chooseWithDialog(const QString& caption, const QString& filter, bool save);

    EquationEditor model_;
    QComboBox* formula_ = nullptr;
    std::array<QLineEdit*, EquationEditor::kFieldCount> fields_{};
    QRadioButton* original_ = nullptr;
    QRadioButton* scale_ = nullptr;
    QCheckBox* autoScaling_ = nullptr;
    QGroupBox* aliasPanel_ = nullptr;
    QPushButton* aliasToggle_ = nullptr;
    AliasTableModel* aliasRows_ = nullptr;
    QTableView* aliases_ = nullptr;
};

// An MFC-style filter ("Text (*.a)|*.a|Other (*.b)|*.b||") in the form of the Qt file dialogs.
QString QtFileFilter(const std::string& filter);

} // namespace tw
