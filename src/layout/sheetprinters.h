#pragma once

#include <QString>
#include <array>

#include "furniture.h"
#include "paper.h"
#include "printsurface.h"
#include "ruby.h"
#include "sheetgeometry.h"

namespace pobelo {

// One page of a sheet, held by value: what the printers draw and preflight checks.
struct PageContent {
    QString title;
    std::array<QString, 10> sentences;  // without their item numbers
    std::array<QString, 10> askedParts;
    std::array<qint16, 11> beforeLengths{};
    std::array<QString, 11> answers;
    int check = 0;  // the page's answers switch
    // A small mark that tells which version of the page this is (a reordering); none when empty.
    QString mark;
    // The end of the title that Pobelo added to the teacher's (a review's headings, a retest's
    // mark), printed with it; a title that only it makes collide is fitted without a word.
    QString titleAddition;
    // How many rows print, from the first: a page of fewer items than rows (a review or retest)
    // prints nothing past them, neither item number, answer place nor side line.
    int rows = 10;
    // Each sentence's ruby, by its characters (the item number not counted); none by default.
    std::array<SentenceRuby, 10> ruby;
    // The answer key's mark (「解答」), printed small beside the title; none on a page without.
    QString keyMark;
};

struct SheetContent {
    QString fontName;
    PageContent right;
    PageContent left;
    // As the font command left the print surface.
    bool bold = false;
    bool italic = false;
    // What the teacher chose beside the test, and the paper it comes out on (which sizes the
    // squares).
    SheetFurniture furniture;
    Paper paper = Paper::A4;

    // Only the ASCII "@" names a vertical-writing face; the full-width "＠" does not.
    bool vertical() const { return fontName.startsWith(QLatin1Char('@')); }
    // Whether any sentence of the sheet carries ruby.
    bool hasRuby() const;
};

// Where one text of a sheet stands when it is fitted into its area: the distance between its
// characters (twips) and its font size (points). A text printed in one piece has no pitch.
struct TextFit {
    float pitch = 0;
    float points = kSheetFontPoints;
    friend bool operator==(const TextFit&, const TextFit&) = default;
};

// Every text of one page that can be fitted: the title, and per item its sentence and its answer.
struct PageFit {
    TextFit title;
    std::array<TextFit, 10> sentences;
    std::array<TextFit, 10> answers;
    // The instruction line's size when fitted (0 points: its own), and the squares' side in
    // twips when fitted (0: as chosen).
    TextFit instruction{0, 0};
    float squares = 0;
};

struct SheetFit {
    PageFit right;
    PageFit left;
};

// What the printers draw next, for a surface that wants to know which part of the sheet a text
// or line belongs to.
struct SheetPart {
    enum Kind {
        Frame,
        NameField,
        Title,
        Sentence,
        AnswerNumber,
        Answer,
        SideLine,
        Mark,
        // The furniture a teacher chooses (furniture.h).
        Instruction,
        ClassField,
        ScoreBox,
        AnswerBox,
        CutLine,
        // The ふりがな beside a sentence (ruby.h).
        Ruby,
        // The answer key's 「解答」.
        KeyMark,
    };
    Kind kind = Frame;
    bool rightPage = true;
    int item = -1;  // row 0 to 9 for sentences, their ruby, answers and side lines
};

class SheetPartListener {
  public:
    virtual ~SheetPartListener() = default;
    virtual void beginPart(const SheetPart& part) = 0;
};

// The pitch and size every text of a sheet has when nothing is fitted.
SheetFit naturalFit();

// The circled item numbers "①" to "⑩"; itemNumber(0) is "①".
QString itemNumber(int row);

// The printers only draw: each sets up the surface and lays both pages of sheet on it, every
// fitted text as fit places it. parts, when given, is told which part of the sheet each text or
// line belongs to. Neither ends the document.

// Portrait A4, for a vertical-writing face ("@" name); every sentence behind its item number.
void printWithVerticalFont(const SheetContent& sheet, const SheetFit& fit, PrintSurface& surface,
                           SheetPartListener* parts = nullptr);

// Landscape A4, one character at a time down each column, for an upright face.
void printWithUprightFont(const SheetContent& sheet, const SheetFit& fit, PrintSurface& surface,
                          SheetPartListener* parts = nullptr);

// The printer for the sheet's face.
void drawSheet(const SheetContent& sheet, const SheetFit& fit, PrintSurface& surface,
               SheetPartListener* parts = nullptr);

}  // namespace pobelo
