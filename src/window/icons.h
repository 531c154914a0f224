#pragma once

#include <QPixmap>

namespace pobelo {

// The window's own pictures, drawn by code on a 32 x 32 design grid.
enum class Icon {
    PointingHand,  // the pointer icons Image1 and Image2
    BlankSheet,    // status icon A: Image3 and Image5
    WrittenSheet,  // status icon B: Image4 and Image6
    FontLetter,    // the font button Command1
    Printer,       // the print button Command2
};

// The picture at size x size logical pixels, sharp at devicePixelRatio.
QPixmap drawIcon(Icon icon, int size, qreal devicePixelRatio = 1.0);

}  // namespace pobelo
