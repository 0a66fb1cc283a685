#pragma once
#include <QString>

#include <functional>

#include <string>

class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;
class QVBoxLayout;

namespace tw {

struct GeneratorTarget;

// The generator dialogs open where the last one of the target's composer was closed.
void PlaceGeneratorDialog(QDialog& dialog, const GeneratorTarget& target);
void RememberGeneratorDialogPlace(const QDialog& dialog, const GeneratorTarget& target);

// The generator dialogs' button row: Preview, Default, OK (the default button) and Cancel.
// Returns the Preview button.
QPushButton* AddGeneratorButtons(QDialog& dialog, QVBoxLayout& layout,
                                 std::function<void()> preview, std::function<void()> defaults);

// Focuses a refused field with its text selected, as after every refusal.
void SelectField(QLineEdit* edit);

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string S(const QString& text) {
    return text.toStdString();
}

} // namespace tw
