#pragma once

#include <QMarginsF>
#include <QString>
#include <array>
#include <optional>

#include "printsurface.h"

namespace pobelo {

// The printer dialog that each sheet printer opens first.
class PrinterDialog {
  public:
    virtual ~PrinterDialog() = default;
    // Shows the dialog; false when it was cancelled or failed.
    virtual bool showPrinter() = 0;
    // After the dialog: the edges of A4 paper in orientation (1 portrait, 2 landscape) that the
    // chosen printer cannot print on, in twips; nothing when it prints the whole sheet.
    virtual std::optional<QMarginsF> unprintableMargins(int orientation) {
        (void)orientation;
        return std::nullopt;
    }
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

// Where one text of a sheet stands when it is fitted into its area: the distance between its
// characters (twips) and its font size (points). A text printed in one piece has no pitch.
struct TextFit {
    float pitch = 0;
    float points = 15;
    friend bool operator==(const TextFit&, const TextFit&) = default;
};

// Every text of one page that can be fitted: the title, and per item its sentence and its answer.
struct PageFit {
    TextFit title;
    std::array<TextFit, 10> sentences;
    std::array<TextFit, 10> answers;
};

struct SheetFit {
    PageFit right;
    PageFit left;
};

// What the printers draw next, for a surface that wants to know which part of the sheet a text
// or line belongs to.
struct SheetPart {
    enum Kind { Frame, NameField, Title, Sentence, AnswerNumber, Answer, SideLine };
    Kind kind = Frame;
    bool rightPage = true;
    int item = -1;  // row 0 to 9 for sentences, answers and side lines
};

class SheetPartListener {
  public:
    virtual ~SheetPartListener() = default;
    virtual void beginPart(const SheetPart& part) = 0;
};

struct PrintableSheet {
    QString fontName;
    SheetPage right;
    SheetPage left;
    // Without a fit every text stands as the layout places it.
    const SheetFit* fit = nullptr;
    SheetPartListener* parts = nullptr;
};

// The geometry both printers share, in twips and points.
inline constexpr float kSheetFontPoints = 15;
inline constexpr float kSentencePitch = 300;
inline constexpr float kTitlePitch = 500;
// The pitch and size every text of a sheet has when nothing is fitted.
SheetFit naturalFit();

// The circled item numbers "①" to "⑩"; itemNumber(0) is "①".
QString itemNumber(int row);

// Portrait A4, for a vertical-writing face ("@" name). Returns whether it went past the printer
// dialog; when it did, every sentence of both pages carries its item number prefix.
bool printWithVerticalFont(PrintableSheet& sheet, PrinterDialog& dialog, PrintSurface& surface);

// Landscape A4, one character at a time down each column, for an upright face.
bool printWithUprightFont(PrintableSheet& sheet, PrinterDialog& dialog, PrintSurface& surface);

}  // namespace pobelo
