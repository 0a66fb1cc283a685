#include "frame/PictureControl.h"

#include "app/Prompter.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

namespace tw {

namespace {

// Larger pictures are refused before the decoder allocates them.
constexpr qint64 kMostPixels = 4096LL * 4096;

bool Fail(const char* text) {
    ask("CPicture Error", text, Buttons::Ok, Icon::Exclamation);
    return false;
}

} // namespace

PictureControl::PictureControl(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

bool PictureControl::load(const QString& resource) {
    clear();
    QFile file(resource);
    if (!file.exists())
        return Fail("FindResource() Failed\t");
    if (!file.open(QIODevice::ReadOnly))
        return Fail("LoadResource() Failed\t");
    QByteArray data = file.readAll();
    if (data.isEmpty())
        return Fail("LockResource() Failed\t");
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "jpeg");
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid())
        return Fail("IPicture interface is not supported\t");
    if (qint64(size.width()) * size.height() > kMostPixels)
        return Fail("Can not allocate enough memory\t");
    QImage image = reader.read();
    if (image.isNull())
        return Fail("IPicture interface is not supported\t");
    QPixmap pixmap = QPixmap::fromImage(image);
    // The picture is drawn for 2x screens: half its pixels are its size on a normal one.
    pixmap.setDevicePixelRatio(2);
    setPixmap(pixmap);
    return true;
}

} // namespace tw
