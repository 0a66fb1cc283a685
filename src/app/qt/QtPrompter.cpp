#include "app/qt/QtPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdlib>
#include <cstring>

namespace tw {

namespace {

QMessageBox::StandardButtons ButtonsFor(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoDefaultNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconFor(Icon icon) {
    switch (icon) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton DefaultButton(Buttons buttons) {
    switch (defaultAnswer(buttons)) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

Answer AnswerFor(int button, Buttons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        // Closed with the title-bar button: the box's way out.
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoDefaultNo ? Answer::No
               : buttons == Buttons::Ok                                        ? Answer::Ok
                                                                               : Answer::Cancel;
    }
}

bool NonInteractive() {
    const char* value = std::getenv("TIDEWRIGHT_NONINTERACTIVE");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

} // namespace

Answer QtPrompter::ask(std::string_view caption, std::string_view text, Buttons buttons,
                       Icon icon) {
    QMessageBox box(IconFor(icon), QString::fromUtf8(caption.data(), qsizetype(caption.size())),
                    QString::fromUtf8(text.data(), qsizetype(text.size())), ButtonsFor(buttons),
                    QApplication::activeWindow());
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setDefaultButton(DefaultButton(buttons));
    return AnswerFor(box.exec(), buttons);
}

void InstallGuiPrompter() {
    static QtPrompter gui;
    setPrompter(NonInteractive() ? nullptr : &gui);
}

} // namespace tw
