#pragma once
#include <QDialog>

#include <string>

namespace tw {

class LinkLabel;
class PictureControl;

// Help > About: the picture of the program named appName, its name, version and build, and a
// link to its documentation.
class AboutBox : public QDialog {
  public:
    explicit AboutBox(const std::string& appName, QWidget* parent = nullptr);
    PictureControl* picture() const { return picture_; }
    LinkLabel* link() const { return link_; } // nullptr when no documentation was found

  private:
    PictureControl* picture_;
    LinkLabel* link_ = nullptr;
};

} // namespace tw
