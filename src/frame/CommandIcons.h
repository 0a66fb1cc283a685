#pragma once
#include <QIcon>
#include <QString>

namespace tw {

// The desktop theme's icon for a command where the freedesktop naming has one, otherwise our
// own drawing (":/icons/<name>.svg"); a null icon for commands that have neither.
QIcon CommandIcon(int id);

// One of our own drawings, rendered at every size the bars and menus ask for, so it stays sharp
// at any scale and needs no icon theme or image plug-in.
QIcon BundledIcon(const QString& name);

QIcon ApplicationIcon();

} // namespace tw
