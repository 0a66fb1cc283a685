#pragma once
#include <QMainWindow>

namespace tw {

// The one frame window of a composer.
class MainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainFrame(int resourceSet, QWidget* parent = nullptr);

  private:
    int resourceSet_;
};

} // namespace tw
