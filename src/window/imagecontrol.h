#pragma once

#include <QLabel>

namespace pobelo {

// An image control: shows a picture and reports a click (press and release on it). A hidden one
// takes no clicks; clicks fall through to whatever lies below it.
class ImageControl : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

    // A click from the keyboard (Space or Enter while it has the focus) or a screen reader.
    void activate();

  Q_SIGNALS:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Shows the keyboard focus around the picture.
    void paintEvent(QPaintEvent* event) override;

  private:
    bool pressed_ = false;
};

}  // namespace pobelo
