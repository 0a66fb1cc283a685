#pragma once
#include "hostapp/HostLog.h"

#include <QPlainTextEdit>

namespace tw {

// The log pane: every line of the host's log as it is added, errors in red.
class LogView : public QPlainTextEdit {
  public:
    LogView(HostLog& log, QWidget* parent = nullptr);
    ~LogView() override;

  private:
    void append(const HostLog::Line& line);
    HostLog& log_;
};

} // namespace tw
