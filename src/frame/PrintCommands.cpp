#include "frame/PrintCommands.h"

#include "app/Commands.h"
#include "frame/MainFrame.h"
#include "frame/PaperDialog.h"
#include "view/qt/WeditVw.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <memory>

namespace tw {

void InstallPrintCommands(MainFrame& frame) {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    MainFrame* f = &frame;
    frame.setCommand(kCmdPrint, {[f, printer] {
                                     QPrintDialog dialog(printer.get(), f);
                                     if (dialog.exec() == QDialog::Accepted)
                                         f->view()->print(*printer);
                                 },
                                 {},
                                 {}});
    frame.setCommand(kCmdPrintPreview,
                     {[f, printer] {
                          QPrintPreviewDialog dialog(printer.get(), f);
                          QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, f,
                                           [f](QPrinter* page) { f->view()->print(*page); });
                          dialog.exec();
                      },
                      {},
                      {}});
    frame.setCommand(kCmdPrintSetup, {[f, printer] {
                                          if (printer->outputFormat() == QPrinter::NativeFormat) {
                                              QPageSetupDialog dialog(printer.get(), f);
                                              dialog.exec();
                                          } else {
                                              PaperDialog dialog(*printer, f);
                                              dialog.exec();
                                          }
                                      },
                                      {},
                                      {}});
}

} // namespace tw
