#include "view/MainFrame.h"

#include "view/WeditVw.h"

namespace tw {

MainFrame::MainFrame(int resourceSet, QWidget* parent)
    : QMainWindow(parent), resourceSet_(resourceSet) {
    setCentralWidget(new WeditVw(this));
}

} // namespace tw
