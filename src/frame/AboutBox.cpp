#include "frame/AboutBox.h"

#include "app/Startup.h"
#include "frame/LinkLabel.h"
#include "frame/PictureControl.h"
#include "frame/UserGuide.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tw {

AboutBox::AboutBox(const std::string& appName, QWidget* parent)
    : QDialog(parent), picture_(new PictureControl(this)) {
    setWindowTitle(QString::fromStdString(AboutTitle(appName)));
    picture_->load(":/icons/about.jpg");
    auto* text = new QVBoxLayout;
    auto* version = new QLabel(QString::fromStdString(AboutVersionLine(appName)));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    text->addWidget(version);
    text->addWidget(new QLabel(QString::fromStdString(AboutBuildLine())));
    text->addWidget(new QLabel(QString("Copyright \u00a9 2026 Tidewright maintainers")));
    text->addWidget(new QLabel("Licence: all rights reserved; no licence to copy, modify or\n"
                               "redistribute this software has been granted yet."));
    if (const QString docs = DocumentationFolder(); !docs.isEmpty()) {
        text->addSpacing(8);
        text->addWidget(new QLabel("Documentation:"));
        link_ = new LinkLabel(QDir::toNativeSeparators(docs), LinkLabel::Mode::Web);
        text->addWidget(link_);
    }
    text->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(picture_, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addLayout(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

} // namespace tw
