#pragma once
#include <QString>

#include <string>

class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tw {

// The generator dialogs open where the last one was closed ("DrawRect").
void PlaceGeneratorDialog(QDialog& dialog);
void RememberGeneratorDialogPlace(const QDialog& dialog);

// Focuses a refused field with its text selected, as after every refusal.
void SelectField(QLineEdit* edit);

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string S(const QString& text) {
    return text.toStdString();
}

} // namespace tw
