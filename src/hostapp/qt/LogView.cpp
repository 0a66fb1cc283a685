#include "hostapp/qt/LogView.h"

#include <QFontDatabase>

namespace tw {

namespace {

constexpr int kShownLines = 5000; // the pane keeps the latest; Save writes them all

const char* ColorOf(HostLog::Kind kind) {
    switch (kind) {
    case HostLog::Kind::Error:
        return "#c00000";
    case HostLog::Kind::Message:
        return "#00407f";
    case HostLog::Kind::Reply:
        return "#006000";
    default:
        return nullptr;
    }
}

} // namespace

LogView::LogView(HostLog& log, QWidget* parent) : QPlainTextEdit(parent), log_(log) {
    setReadOnly(true);
    setMaximumBlockCount(kShownLines);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    for (const HostLog::Line& line : log_.lines())
        append(line);
    log_.setListener([this](const HostLog::Line& line) { append(line); });
}

LogView::~LogView() {
    log_.setListener(nullptr);
}

void LogView::append(const HostLog::Line& line) {
    QString text = QString::fromStdString(HostLog::Prefix(line.kind) + line.text);
    text = text.toHtmlEscaped().replace('\n', "<br>" + QString("&nbsp;").repeated(9));
    text.replace("  ", "&nbsp;&nbsp;");
    if (const char* color = ColorOf(line.kind))
        text = QString("<span style=\"color:%1\">%2</span>").arg(color, text);
    appendHtml(text);
}

} // namespace tw
