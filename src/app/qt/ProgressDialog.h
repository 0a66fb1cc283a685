#pragma once
#include "app/Progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

namespace tw {

// A long operation's progress on the screen: nothing for its first moments, then a modal dialog
// with a bar and Cancel. The windows keep repainting while the operation runs.
class ProgressDialog : public Progress {
  public:
    ProgressDialog(QWidget* parent, QString label, int delayMs = 400);
    ~ProgressDialog() override;

    bool advance(std::uint64_t done, std::uint64_t total) override;
    bool shown() const; // the dialog stands

  private:
    QWidget* parent_;
    QString label_;
    int delayMs_;
    QElapsedTimer started_;
    QElapsedTimer sinceEvents_;
    QPointer<QProgressDialog> dialog_;
    bool cancelled_ = false;
};

} // namespace tw
