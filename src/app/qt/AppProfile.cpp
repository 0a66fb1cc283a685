#include "app/qt/AppProfile.h"

#include <QStandardPaths>

namespace tw {

std::string AppProfilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/Tidewright/Tidewright.ini";
}

std::unique_ptr<QSettings> OpenAppProfile() {
    return std::make_unique<QSettings>(QString::fromStdString(AppProfilePath()),
                                       QSettings::IniFormat);
}

} // namespace tw
