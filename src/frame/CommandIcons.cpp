#include "frame/CommandIcons.h"

#include "app/Commands.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tw {

namespace {

struct IconName {
    int id;
    const char* theme; // freedesktop name, or nullptr
    const char* own;   // our drawing in :/icons, or nullptr
};

constexpr IconName kIcons[] = {
    {kCmdNew, "document-new", "document-new"},
    {kCmdOpen, "document-open", "document-open"},
    {kCmdSave, "document-save", "document-save"},
    {kCmdSaveAs, "document-save-as", "document-save-as"},
    {kCmdPrint, "document-print", "document-print"},
    {kCmdPrintPreview, "document-print-preview", nullptr},
    {kCmdExit, "application-exit", nullptr},
    {kCmdUndo, "edit-undo", "edit-undo"},
    {kCmdUndoTrain, "edit-undo", "edit-undo"},
    {kCmdZoomIn, "zoom-in", "zoom-in"},
    {kCmdZoomOut, "zoom-out", "zoom-out"},
    {kCmdAbout, "help-about", nullptr},
    {kCmdUserGuide, "help-contents", "user-guide"},
    {kCmdAutoline, nullptr, "autoline"},
    {kCmdSketch, nullptr, "sketch"},
    {kCmdFilter, nullptr, "filter"},
    {kCmdSmooth, nullptr, "smooth"},
    {kCmdInvert, nullptr, "invert"},
    {kCmdUnmark, nullptr, "unmark"},
    {kCmdTrimLeft, nullptr, "trim-left"},
    {kCmdTrimRight, nullptr, "trim-right"},
    {kCmdDownload, nullptr, "download"},
    {kCmdClearMemory, nullptr, "clear-memory"},
    {kCmdChannel1, nullptr, "channel-1"},
    {kCmdChannel1 + 1, nullptr, "channel-2"},
    {kCmdChannel1 + 2, nullptr, "channel-3"},
    {kCmdChannel4, nullptr, "channel-4"},
    {kCmdPulseEditor, nullptr, "pulse-editor"},
    {kCmdFmMarkers, nullptr, "fm-markers"},
};

// Sizes of menus and bars at scales 1, 1.5 and 2, and of the About box.
constexpr int kSizes[] = {16, 20, 22, 24, 30, 32, 40, 44, 48, 64, 96, 128};

// A theme may name an icon it cannot draw (an SVG-only theme without the image plug-in).
bool Drawable(const QIcon& icon) {
    return !icon.isNull() && !icon.pixmap(QSize(20, 20)).isNull();
}

} // namespace

QIcon BundledIcon(const QString& name) {
    static QHash<QString, QIcon> cache;
    if (auto it = cache.constFind(name); it != cache.constEnd())
        return *it;
    QIcon icon;
    QSvgRenderer svg(":/icons/" + name + ".svg");
    if (svg.isValid())
        for (int size : kSizes) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            svg.render(&painter);
            painter.end();
            icon.addPixmap(pixmap);
        }
    cache.insert(name, icon);
    return icon;
}

QIcon CommandIcon(int id) {
    for (const IconName& n : kIcons) {
        if (n.id != id)
            continue;
        if (n.theme)
            if (QIcon themed = QIcon::fromTheme(n.theme); Drawable(themed))
                return themed;
        return n.own ? BundledIcon(n.own) : QIcon();
    }
    return {};
}

QIcon ApplicationIcon() {
    return BundledIcon("tidewright");
}

} // namespace tw
