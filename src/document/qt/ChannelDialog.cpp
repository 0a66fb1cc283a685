#include "document/qt/ChannelDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace tw {

ChannelDialog::ChannelDialog(int channels, const ChannelChoice& initial, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Audio Channel");
    channel_ = new QComboBox(this);
    for (int i = 1; i <= channels; ++i)
        channel_->addItem(QString("Channel %1").arg(i));
    channel_->setCurrentIndex(initial.channel);
    always_ = new QCheckBox("Always use selected option ", this);
    always_->setChecked(initial.always);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(QString("The file holds %1 channels. Open:").arg(channels), channel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(always_);
    layout->addWidget(buttons);
}

ChannelChoice ChannelDialog::choice() const {
    return {channel_->currentIndex(), always_->isChecked()};
}

ChannelAsker DialogChannelAsker(QWidget* parent) {
    return [parent](int channels, const ChannelChoice& initial) -> std::optional<ChannelChoice> {
        ChannelDialog dialog(channels, initial, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.choice();
    };
}

} // namespace tw
