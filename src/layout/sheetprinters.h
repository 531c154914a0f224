#pragma once

#include <QString>
#include <array>

#include "printsurface.h"

namespace pobelo {

// The printer dialog that each sheet printer opens first.
class PrinterDialog {
  public:
    virtual ~PrinterDialog() = default;
    // Shows the dialog; false when it was cancelled or failed.
    virtual bool showPrinter() = 0;
};

// One page of the composed sheet as the printers read it. The sentences are written: the printers
// put the item number prefix in front of each of them.
struct SheetPage {
    const QString& title;
    std::array<QString, 10>& sentences;
    const std::array<QString, 10>& askedParts;
    const std::array<qint16, 11>& beforeLengths;
    const std::array<QString, 11>& answers;
    int check;
};

struct PrintableSheet {
    QString fontName;
    SheetPage right;
    SheetPage left;
};

// The circled item numbers "①" to "⑩"; itemNumber(0) is "①".
QString itemNumber(int row);

// Portrait A4, for a vertical-writing face ("@" name). Returns whether it went past the printer
// dialog; when it did, every sentence of both pages carries its item number prefix.
bool printWithVerticalFont(PrintableSheet& sheet, PrinterDialog& dialog, PrintSurface& surface);

// Landscape A4, one character at a time down each column, for an upright face.
bool printWithUprightFont(PrintableSheet& sheet, PrinterDialog& dialog, PrintSurface& surface);

}  // namespace pobelo
