#include "frame/DocumentCommands.h"

#include "app/Commands.h"
#include "app/FileUtil.h"
#include "app/qt/ProgressDialog.h"
#include "document/FormatRegistry.h"
#include "document/OpenQuestions.h"
#include "document/WaveDownload.h"
#include "document/WaveFormats.h"
#include "document/WeDoc.h"
#include "document/qt/ChannelDialog.h"
#include "document/qt/DimensionDialog.h"
#include "document/qt/WaveFileDialog.h"
#include "expr/qt/EquationEditorDialog.h"
#include "fm/qt/FmMarkersDialog.h"
#include "frame/GeneratorCommands.h"
#include "frame/MainFrame.h"
#include "generators/DocGeneratorTarget.h"
#include "view/qt/WeditVw.h"

#include <QApplication>
#include <QInputDialog>
#include <QStatusBar>

#include <memory>

namespace tw {

namespace {

constexpr int kStatusMs = 15000;

// What the status bar says after Download: what the host was handed, or that it took nothing.
std::string DownloadStatus(const WeDoc& doc, bool sent) {
    if (!sent)
        return "Download: the host did not answer; nothing was handed to it";
    return "Downloaded to the host: channel " + std::to_string(doc.activeChannel() + 1) +
           ", segment " + std::to_string(doc.activeSegment()) + ", " +
           std::to_string(static_cast<long long>(doc.wavelength())) + " points";
}

// Open's questions as dialogs over parent.
OpenQuestions DialogOpenQuestions(QWidget* parent) {
    OpenQuestions questions{DialogDimensionAsker(parent), DialogChannelAsker(parent), {}};
    questions.variable = [parent](const std::vector<std::string>& names) {
        QStringList items;
        for (const std::string& name : names)
            items << QString::fromStdString(name);
        bool ok = false;
        const QString item =
            QInputDialog::getItem(parent, "MATLAB Variable",
                                  "The file holds several variables. Open:", items, 0, false, &ok);
        return ok ? std::optional<std::string>(item.toStdString()) : std::nullopt;
    };
    return questions;
}

} // namespace

void OpenWaveFile(MainFrame& frame, WeDoc& doc, const DialogChoice& choice) {
    if (choice.path.empty())
        return;
    OpenRequest request{choice.path, choice.code};
    if (!AnswerOpenQuestions(doc.session(), doc.composer().layout(), request,
                             DialogOpenQuestions(&frame)))
        return;
    ProgressDialog progress(&frame,
                            "Opening " + QString::fromStdString(FileNameOf(choice.path)) + "...");
    doc.Open(request, progress);
}

void InstallDocumentCommands(MainFrame& frame, WeDoc& doc) {
    // Shared by Open and Save As, as one dialog that remembers its folder and filter.
    auto memory = std::make_shared<FileDialogMemory>();
    memory->waveFolder = doc.limits().waveFolder;
    MainFrame* f = &frame;
    WeDoc* d = &doc;

    frame.setCommand(kCmdNew, {[d] { d->New(); }, {}, {}});
    frame.setCommand(kCmdOpen, {[f, d, memory] {
                                    OpenWaveFile(*f, *d,
                                                 ChooseWaveFile(f, DialogKind::Open, d->fileName(),
                                                                *memory, d->session()));
                                },
                                {},
                                {}});
    auto saveAs = [f, d, memory] {
        DialogChoice c = ChooseWaveFile(f, DialogKind::Save, d->fileName(), *memory, d->session());
        if (c.path.empty())
            return;
        ProgressDialog progress(f, "Saving " + QString::fromStdString(FileNameOf(c.path)) + "...");
        d->SaveAs(c.path, c.code, progress);
    };
    frame.setCommand(kCmdSaveAs, {saveAs, {}, {}});
    frame.setCommand(kCmdSave, {[f, d, saveAs] {
                                    SaveResult saved;
                                    {
                                        ProgressDialog progress(f, "Saving...");
                                        saved = d->Save(progress);
                                    }
                                    if (saved == SaveResult::NeedsSaveAs)
                                        saveAs();
                                },
                                {},
                                {}});
    frame.setCommand(kCmdDownload, {[&frame, d] {
                                        const bool sent = DownloadWaveform(*d) == 1;
                                        frame.statusBar()->showMessage(
                                            QString::fromStdString(DownloadStatus(*d, sent)),
                                            kStatusMs);
                                    },
                                    {},
                                    {}});

    WeditVw* view = frame.view();
    DocGeneratorTarget::Hooks hooks;
    hooks.markAnchors = [view](double start, double end) {
        view->markAnchors(long(start), long(end));
    };
    hooks.restoreAnchors = [view] { view->restoreAnchors(); };
    hooks.dialogClosed = [view] { view->forgetAnchorMark(); };
    hooks.startProgress = [f]() -> std::unique_ptr<Progress> {
        QWidget* over = QApplication::activeModalWidget(); // the generator's dialog
        return std::make_unique<ProgressDialog>(over ? over : f, "Computing the wave...");
    };
    InstallGeneratorCommands(frame, doc, hooks);
    frame.setCommand(kCmdEquation, {[f, d, hooks] {
                                        DocGeneratorTarget target(*d, prompter(), hooks);
                                        EquationEditorDialog dlg(target, f);
                                        dlg.exec();
                                        hooks.dialogClosed();
                                    },
                                    {},
                                    {}});
    if (frame.profile().fmMarkers())
        frame.setCommand(kCmdFmMarkers,
                         {[f, d] {
                              FmMarkersDialog dlg(d->session(), d->composer().fmFuncMode(),
                                                  d->vMin(), d->vMax(), f);
                              dlg.exec();
                              d->RefreshFmMarkers();
                              d->listener().repaint(WeDocListener::kAll, WeDocListener::kAll);
                          },
                          {},
                          {}});
}

} // namespace tw
