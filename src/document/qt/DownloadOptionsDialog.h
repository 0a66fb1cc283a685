#pragma once
#include <QDialog>

#include <optional>

class QCheckBox;
class QRadioButton;

namespace tw {

// "Download Options": which trace type the standard composer's download uses.
class DownloadOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit DownloadOptionsDialog(QWidget* parent = nullptr);

    int chosenType() const; // 0 "arb", 1 "dig", 2 "alL"
    QRadioButton* choice(int type) const { return choices_[type]; }

  private:
    QRadioButton* choices_[3];
    QCheckBox* dontShow_;
};

// The download's trace-type question answered by the dialog above.
struct QtTraceTypeAsker {
    QWidget* parent = nullptr;
    std::optional<int> askTraceType();
};

} // namespace tw
