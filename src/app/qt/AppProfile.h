#pragma once
#include <QSettings>
#include <memory>
#include <string>

namespace tw {

// The application's own profile (window placement): "Tidewright/Tidewright.ini" in the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config).
std::string AppProfilePath();
std::unique_ptr<QSettings> OpenAppProfile();

} // namespace tw
