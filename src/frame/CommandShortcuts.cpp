#include "frame/CommandShortcuts.h"

#include "app/Commands.h"

namespace tw {

namespace {

// Some platform key schemes leave a standard key unbound (Save As and Quit under the Windows
// scheme); the usual desktop key stands in.
QList<QKeySequence> Standard(QKeySequence::StandardKey key, const char* usual) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty())
        keys << QKeySequence(usual);
    return keys;
}

} // namespace

QList<QKeySequence> CommandShortcuts(int id) {
    switch (id) {
    case kCmdNew:
        return Standard(QKeySequence::New, "Ctrl+N");
    case kCmdOpen:
        return Standard(QKeySequence::Open, "Ctrl+O");
    case kCmdSave:
        return Standard(QKeySequence::Save, "Ctrl+S");
    case kCmdSaveAs:
        return Standard(QKeySequence::SaveAs, "Ctrl+Shift+S");
    case kCmdPrint:
        return Standard(QKeySequence::Print, "Ctrl+P");
    case kCmdUndo:
    case kCmdUndoTrain:
        return Standard(QKeySequence::Undo, "Ctrl+Z");
    case kCmdZoomIn:
        return Standard(QKeySequence::ZoomIn, "Ctrl++");
    case kCmdZoomOut:
        return Standard(QKeySequence::ZoomOut, "Ctrl+-");
    case kCmdExit:
        return Standard(QKeySequence::Quit, "Ctrl+Q");
    case kCmdUserGuide:
        return Standard(QKeySequence::HelpContents, "F1");
    case kCmdDownload:
        return {QKeySequence("Ctrl+D")};
    case kCmdPulseEditor:
        return {QKeySequence("Ctrl+E")};
    case kCmdChannel1:
    case kCmdChannel1 + 1:
    case kCmdChannel1 + 2:
    case kCmdChannel4:
        return {QKeySequence(QString("Ctrl+%1").arg(id - kCmdChannel1 + 1))};
    default:
        return {};
    }
}

} // namespace tw
