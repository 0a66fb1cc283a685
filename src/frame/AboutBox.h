#pragma once
#include <QDialog>

namespace tw {

class LinkLabel;
class PictureControl;

// Help > About: the program's picture, its name, version and build, and a link to its
// documentation.
class AboutBox : public QDialog {
  public:
    explicit AboutBox(QWidget* parent = nullptr);
    PictureControl* picture() const { return picture_; }
    LinkLabel* link() const { return link_; } // nullptr when no documentation was found

  private:
    PictureControl* picture_;
    LinkLabel* link_ = nullptr;
};

} // namespace tw
