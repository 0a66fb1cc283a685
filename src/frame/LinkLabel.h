#pragma once
#include <QLabel>

namespace tw {

// A label that opens its own text when clicked: as an address or path in web mode, as
// "mailto:" + text in mail mode; then it tells its parent through clicked().
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    enum class Mode { Web, Mail };
    LinkLabel(const QString& text, Mode mode, QWidget* parent = nullptr);
    QUrl target() const;

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void follow();
    Mode mode_;
};

} // namespace tw
