#pragma once
#include "document/ChannelQuestion.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace tw {

// "Audio Channel": which channel of a multi-channel audio file Open takes.
class ChannelDialog : public QDialog {
    Q_OBJECT
  public:
    ChannelDialog(int channels, const ChannelChoice& initial, QWidget* parent = nullptr);

    ChannelChoice choice() const;
    QComboBox* channelBox() const { return channel_; }
    QCheckBox* alwaysBox() const { return always_; }

  private:
    QComboBox* channel_;
    QCheckBox* always_;
};

// The asker AskChannel uses in the GUI: the dialog, modal over parent.
ChannelAsker DialogChannelAsker(QWidget* parent);

} // namespace tw
