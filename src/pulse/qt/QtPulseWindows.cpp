#include "pulse/qt/QtPulseWindows.h"

#include "pulse/qt/PulseOptionsDialog.h"

#include <QFileDialog>
#include <QTimer>

namespace tw {

QtPulseWindows::QtPulseWindows(PulseComposer& composer, QWidget* frame, FrameHooks hooks)
    : composer_(composer), hooks_(std::move(hooks)),
      editor_(new PulseEditorDialog(composer, frame)) {
    summary_.parent = frame;
    composer_.setListener(this);
    // Shown once the event loop runs, when the main window stands where it will be: the editor
    // places itself beside it.
    QTimer::singleShot(0, editor_, [this] { editor_->setVisible(composer_.editorVisible); });
}

QtPulseWindows::~QtPulseWindows() {
    composer_.setListener(nullptr);
    delete editor_.data();
}

SummaryChoice QtPulseWindows::askSummary(const DownloadSummary& summary,
                                         const std::string& attention) {
    return summary_.askSummary(summary, attention);
}

void QtPulseWindows::repaint() {
    if (hooks_.repaint)
        hooks_.repaint();
}
void QtPulseWindows::sectionListChanged() {
    if (hooks_.sectionListChanged)
        hooks_.sectionListChanged();
}
void QtPulseWindows::editorChanged() {
    if (editor_)
        editor_->reload();
}
void QtPulseWindows::editorShown(bool shown) {
    if (!editor_)
        return;
    editor_->setVisible(shown);
    if (shown)
        editor_->raise();
}
void QtPulseWindows::titleChanged() {
    if (hooks_.titleChanged)
        hooks_.titleChanged();
}
void QtPulseWindows::trainOpened(const std::string& path) {
    if (hooks_.trainOpened)
        hooks_.trainOpened(path);
}
void QtPulseWindows::editorOpening(int rowsRead, int rows) {
    if (editor_)
        editor_->showOpening(rowsRead, rows);
}

namespace {

void saveAs(PulseComposer& composer, QWidget* frame) {
    QString name = QFileDialog::getSaveFileName(
        frame, "Save As", QString(),
        "Pulse files (*.pls);;Single segment (*.wav);;Segment and sequence tables (*.tss)");
    if (!name.isEmpty())
        composer.SaveAs(name.toStdString());
}

} // namespace

bool RunPulseCommand(PulseComposer& composer, int id, QWidget* frame) {
    switch (id) {
    case kCmdOpen: {
        QString name =
            QFileDialog::getOpenFileName(frame, "Open", QString(), "Pulse files (*.pls)");
        if (!name.isEmpty())
            composer.Open(name.toStdString());
        return true;
    }
    case kCmdSave:
        if (!composer.Save())
            saveAs(composer, frame);
        return true;
    case kCmdSaveAs:
        saveAs(composer, frame);
        return true;
    case kCmdOptions: {
        PulseOptionsDialog dialog(composer.session(), composer.limits, composer.activeChannel(),
                                  frame);
        if (dialog.exec() == QDialog::Accepted)
            composer.OptionsChanged();
        return true;
    }
    default:
        return composer.Execute(id);
    }
}

} // namespace tw
