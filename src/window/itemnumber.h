#pragma once

#include "imagecontrol.h"

namespace pobelo {

// The green item-number labels: the gothic's line is taller than their box, so the digits are
// centred in it by their ink, all on one baseline, rather than hung from the top of the line.
// They take clicks, keys and a screen reader's press as the page icons do: each marks its item as
// missed by the class, or takes the mark away. A marked number stands in red on a pale red ground
// inside a red frame.
//
// It has no meta-object of its own: to Qt, and so to the accessibility factory, it is an
// ImageControl (a button with a press action).
class ItemNumberLabel : public ImageControl {
  public:
    using ImageControl::ImageControl;
    void setMissed(bool on);
    bool isMissed() const { return missed_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    bool missed_ = false;
};

}  // namespace pobelo
