#pragma once
#include "pulse/PulseDownload.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tw {

// " Download Summary": what a download will use, accepted or rejected before it is sent.
class DownloadSummaryDialog : public QDialog {
    Q_OBJECT
  public:
    DownloadSummaryDialog(const DownloadSummary& summary, const std::string& attention,
                          QWidget* parent = nullptr);

    QPushButton* acceptButton() const { return accept_; }
    QCheckBox* hideBox() const { return hide_; }
    QLabel* attentionLine() const { return attention_; }
    bool stepsShown() const { return stepsShown_; }

  private:
    QPushButton* accept_;
    QCheckBox* hide_;
    QLabel* attention_;
    bool stepsShown_ = false;
};

// The download's summary question answered by the dialog above.
struct QtSummaryAsker : SummaryAsker {
    QWidget* parent = nullptr;
    SummaryChoice askSummary(const DownloadSummary& summary, const std::string& attention) override;
};

} // namespace tw
