#include "frame/GeneratorCommands.h"

#include "app/Commands.h"
#include "app/FileUtil.h"
#include "document/WeDoc.h"
#include "frame/MainFrame.h"
#include "generators/WaveBackup.h"
#include "generators/qt/CardiacEcgDialog.h"
#include "generators/qt/DcWaveDialog.h"
#include "generators/qt/PwmDialog.h"
#include "generators/qt/WaveParamDialog.h"

#include <memory>

namespace tw {
namespace {

bool WaveComposerOnly(int id) {
    return id == kCmdCardiac || id == kCmdPwm;
}

bool IsGenerator(int id) {
    return (id >= kCmdSine && id <= kCmdNoise) || id == kCmdDcWave || WaveComposerOnly(id);
}

} // namespace

bool RunGeneratorCommand(WeDoc& doc, int id, QWidget* parent, DocGeneratorTarget::Hooks hooks) {
    if (!IsGenerator(id))
        return false;
    const std::function<void()> closed = hooks.dialogClosed;
    DocGeneratorTarget target(doc, prompter(), std::move(hooks));
    std::unique_ptr<QDialog> dialog;
    if (id == kCmdDcWave)
        dialog = std::make_unique<DcWaveDialog>(target, parent);
    else if (id == kCmdCardiac)
        dialog = std::make_unique<CardiacEcgDialog>(target, parent);
    else if (id == kCmdPwm)
        dialog = std::make_unique<PwmDialog>(target, parent);
    else
        dialog = std::make_unique<WaveParamDlg>(static_cast<Shape>(id - kCmdSine), target, parent);
    dialog->exec();
    RemoveFile(WaveBackupPath(doc.session().tmpFolder));
    if (closed)
        closed();
    return true;
}

void InstallGeneratorCommands(MainFrame& frame, WeDoc& doc,
                              const DocGeneratorTarget::Hooks& hooks) {
    const int ids[] = {kCmdSine,  kCmdTriangle, kCmdSquare, kCmdSinc,    kCmdGaussian, kCmdExponent,
                       kCmdPulse, kCmdNoise,    kCmdDcWave, kCmdCardiac, kCmdPwm};
    for (int id : ids) {
        if (WaveComposerOnly(id) && !frame.profile().cardiacAndPwm())
            continue;
        frame.setCommand(
            id,
            {[&frame, &doc, hooks, id] { RunGeneratorCommand(doc, id, &frame, hooks); }, {}, {}});
    }
}

} // namespace tw
