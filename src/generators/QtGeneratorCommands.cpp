#include "generators/QtGeneratorCommands.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/WeDoc.h"
#include "generators/CardiacEcgDialog.h"
#include "generators/DcWaveDialog.h"
#include "generators/PwmDialog.h"
#include "generators/WaveParamDialog.h"

#include <memory>

namespace tw {

bool RunGeneratorCommand(WeDoc& doc, int id, QWidget* parent, DocGeneratorTarget::Hooks hooks) {
    DocGeneratorTarget target(doc, std::move(hooks));
    const bool standard = launch().composerId == kStandardComposer;
    std::unique_ptr<QDialog> dialog;
    if (id >= kCmdSine && id <= kCmdNoise)
        dialog = std::make_unique<WaveParamDlg>(static_cast<Shape>(id - kCmdSine), target, parent);
    else if (id == kCmdDcWave)
        dialog = std::make_unique<DcWaveDialog>(target, parent);
    else if (id == kCmdCardiacEcg && standard)
        dialog = std::make_unique<CardiacEcgDialog>(target, parent);
    else if (id == kCmdPulseWidthModulation && standard)
        dialog = std::make_unique<PwmDialog>(target, parent);
    else
        return false;
    dialog->exec();
    RemoveFile(doc.DialogBackupFile());
    return true;
}

} // namespace tw
