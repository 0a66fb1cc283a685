#include "pulse/qt/DownloadSummaryDialog.h"

#include "app/FileUtil.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

DownloadSummaryDialog::DownloadSummaryDialog(const DownloadSummary& s, const std::string& attention,
                                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(" Download Summary");
    auto* layout = new QVBoxLayout(this);
    auto group = [&](const char* title) {
        auto* box = new QGroupBox(title, this);
        layout->addWidget(box);
        return new QFormLayout(box);
    };
    auto value = [](const std::string& text) { return new QLabel(QString::fromStdString(text)); };

    QFormLayout* mode = group("Mode of Operation (*)");
    mode->addRow("Waveforms mode", value(s.waveformsMode));
    stepsShown_ = StartsWithNoCase(s.waveformsMode, "Seq");
    if (stepsShown_)
        mode->addRow("Sequence Steps", value(s.steps));
    QFormLayout* memory = group("Memory Menagement (*)");
    memory->addRow("Populated segment(s)", value(s.segments));
    memory->addRow("Memory usage (Pts)", value(s.memoryUsage));
    QFormLayout* settings = group("Instrument Settings");
    settings->addRow("Amplitude (V)", value(s.amplitude));
    settings->addRow("Offset (V)", value(s.offset));
    settings->addRow("Sample clock (S/s)", value(s.sampleClock));
    layout->addWidget(new QLabel("[*] Select from the menu View>>Options", this));

    hide_ = new QCheckBox("Check this box if you do not wish to show  it again", this);
    layout->addWidget(hide_);
    auto* buttons = new QHBoxLayout;
    accept_ = new QPushButton("Accept", this);
    auto* reject = new QPushButton("Reject", this);
    buttons->addWidget(accept_);
    buttons->addWidget(reject);
    layout->addLayout(buttons);
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(reject, &QPushButton::clicked, this, &QDialog::reject);

    attention_ = new QLabel(QString::fromStdString(attention), this);
    attention_->setVisible(!attention.empty());
    layout->addWidget(attention_);
    accept_->setEnabled(attention.empty());
    (attention.empty() ? accept_ : reject)->setDefault(true);
}

SummaryChoice QtSummaryAsker::askSummary(const DownloadSummary& summary,
                                         const std::string& attention) {
    DownloadSummaryDialog dialog(summary, attention, parent);
    bool accepted = dialog.exec() == QDialog::Accepted;
    return {accepted, dialog.hideBox()->isChecked()};
}

} // namespace tw
