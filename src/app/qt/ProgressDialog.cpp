#include "app/qt/ProgressDialog.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>

namespace tw {

namespace {

constexpr int kSteps = 1000;
constexpr int kEventsEveryMs = 40;

} // namespace

ProgressDialog::ProgressDialog(QWidget* parent, QString label, int delayMs)
    : parent_(parent), label_(std::move(label)), delayMs_(delayMs) {
    started_.start();
    sinceEvents_.start();
}

ProgressDialog::~ProgressDialog() {
    delete dialog_.data();
}

bool ProgressDialog::shown() const {
    return !dialog_.isNull();
}

bool ProgressDialog::advance(std::uint64_t done, std::uint64_t total) {
    if (cancelled_)
        return false;
    if (!dialog_ && started_.elapsed() >= delayMs_) {
        dialog_ = new QProgressDialog(label_, QString(), 0, kSteps, parent_);
        // Return, typed just after a value in the window underneath, must not cancel the work:
        // Cancel takes a click or Escape, and is no default button.
        auto* cancel = new QPushButton(QProgressDialog::tr("Cancel"), dialog_);
        cancel->setAutoDefault(false);
        dialog_->setCancelButton(cancel);
        // Escape rejects the dialog, which only hides it: the work must stop with it.
        QObject::connect(dialog_, &QDialog::rejected, dialog_, &QProgressDialog::cancel);
        dialog_->setWindowTitle(QApplication::applicationName());
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        dialog_->show();
    }
    if (dialog_)
        dialog_->setValue(total ? static_cast<int>(std::min(done, total) * kSteps / total) : 0);
    if (sinceEvents_.elapsed() >= kEventsEveryMs) {
        // Before the dialog stands, the user's clicks wait: no second OK may start meanwhile.
        QApplication::processEvents(dialog_ ? QEventLoop::AllEvents
                                            : QEventLoop::ExcludeUserInputEvents);
        sinceEvents_.restart();
    }
    cancelled_ = dialog_ && dialog_->wasCanceled();
    return !cancelled_;
}

} // namespace tw
