#pragma once
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace tw::test {

// The push button of `w` showing `text` (with its mnemonic ampersand), or null.
inline QPushButton* Button(QWidget& w, const QString& text) {
    for (auto* b : w.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace tw::test
