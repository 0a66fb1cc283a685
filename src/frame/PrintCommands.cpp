#include "frame/PrintCommands.h"

#include "app/Commands.h"
#include "frame/MainFrame.h"
#include "frame/PaperDialog.h"
#include "view/qt/PlotView.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <memory>

namespace tw {

namespace {

// What Print Setup chose for the run: the printer with its paper, and the colours.
struct PaperChoice {
    QPrinter printer{QPrinter::HighResolution};
    bool screenColours = false;
    PaperChoice() {
        printer.setPageOrientation(QPageLayout::Landscape); // a wave is wider than high
        // A centimetre all round; a printer that cannot print that close to the edge refuses
        // them and keeps its own, wider margins.
        printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    }
};

} // namespace

void InstallPrintCommands(MainFrame& frame) {
    auto paper = std::make_shared<PaperChoice>();
    MainFrame* f = &frame;
    frame.setCommand(kCmdPrint, {[f, paper] {
                                     QPrintDialog dialog(&paper->printer, f);
                                     if (dialog.exec() == QDialog::Accepted)
                                         f->plotView()->print(paper->printer, paper->screenColours);
                                 },
                                 {},
                                 {}});
    frame.setCommand(kCmdPrintPreview,
                     {[f, paper] {
                          QPrintPreviewDialog dialog(&paper->printer, f);
                          QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, f,
                                           [f, paper](QPrinter* page) {
                                               f->plotView()->print(*page, paper->screenColours);
                                           });
                          dialog.exec();
                      },
                      {},
                      {}});
    frame.setCommand(kCmdPrintSetup, {[f, paper] {
                                          PaperDialog dialog(paper->printer, paper->screenColours,
                                                             f);
                                          dialog.exec();
                                      },
                                      {},
                                      {}});
}

} // namespace tw
