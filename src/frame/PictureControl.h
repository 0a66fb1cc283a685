#pragma once
#include <QLabel>

namespace tw {

// Shows a JPEG picture from the program's resources. A picture that cannot be found, read or
// decoded is reported in a "CPicture Error" box and the control stays empty.
class PictureControl : public QLabel {
  public:
    explicit PictureControl(QWidget* parent = nullptr);
    bool load(const QString& resource);
};

} // namespace tw
