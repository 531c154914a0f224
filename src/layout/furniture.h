#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "paper.h"
#include "printsurface.h"

// What makes a sheet a school's test beyond the questions: an instruction line, 組・番 beside
// the name, a score box, answer squares and a cut line between the two tests. Each is the
// teacher's choice; with none chosen a sheet prints exactly as it always has.
namespace pobelo {

struct PageContent;
struct SheetContent;
struct SheetFit;
class SheetPartListener;

struct SheetFurniture {
    bool instruction = false;  // 指示文, one line under the title
    bool classField = false;   // 組・番 beside 名前
    bool score = false;        // 点数 box
    bool squares = false;      // マス目 (kanji) or brackets (readings) at the answer places
    bool cutLine = false;      // 切り取り線 between the two tests
    // The instruction in hiragana, as a first-grade class reads it.
    bool kanaInstruction = false;
    // The squares' side on the paper in millimetres; 0: the largest that fits the answers.
    int squareMillimetres = 0;
    // Each page's own instruction (right, left); empty: the one for what the page asks.
    std::array<QString, 2> instructions;

    bool any() const { return instruction || classField || score || squares || cutLine; }
    friend bool operator==(const SheetFurniture&, const SheetFurniture&) = default;
};

// The sizes a teacher can choose for the squares, in millimetres on the paper (0: the largest
// that fits). No square is ever printed smaller than the first.
inline constexpr int kSquareFloorMillimetres = 10;
inline constexpr std::array<int, 5> kSquareSizeChoices{0, 10, 12, 14, 16};

// The elements' names as the command line, scripts and set files spell them, in this order.
QStringList furnitureNames(const SheetFurniture& furniture);
// The chosen elements and modifiers as one list: "instruction,kana,squares=12,cut".
QString furnitureList(const SheetFurniture& furniture);
// Sets the elements (and the kana and square-size modifiers) a list names, comma-separated;
// an empty list chooses none. Each page's own instruction is kept. False, with the word it does
// not know in bad, for any other word.
bool parseFurnitureList(const QString& list, SheetFurniture* furniture, QString* bad);

// What an instruction says for a page, by what its items ask: the reading of the marked kanji,
// the kanji of the marked hiragana, or each (a review's or retest's mix).
enum class PageAsks { Nothing, Readings, Kanji, Both };
PageAsks pageAsks(const PageContent& page);
QString defaultInstruction(PageAsks asks, bool kana);
// The instruction a page prints: its own, or the one for what it asks; empty when none prints.
QString pageInstruction(const SheetContent& sheet, bool rightPage);

// Whether an answer is written in kanji (in squares) rather than in kana (in a bracket).
bool answerInKanji(const QString& answer);

// One answer place's boxes: a square per character for a kanji answer, a bracket as long as the
// answer for a reading. cells are the characters' boxes in writing order; place is where they
// belong (up to the next answer place, or the frame's end).
struct AnswerBoxes {
    int item = 0;
    bool kanji = true;
    QList<QRectF> cells;
    QRectF place;
};

// The side of one page's squares in twips of the A4 sheet: as fit has it, or as chosen (the
// largest that fits the page's kanji answers, for none chosen), never below the floor the paper
// gives.
float squareTwips(const SheetContent& sheet, const SheetFit& fit, bool rightPage);
// The squares' side as chosen, before any fit.
float chosenSquareTwips(const SheetContent& sheet, bool rightPage);
// The smallest side: 10 mm on the paper the sheet comes out on.
float floorSquareTwips(Paper paper);
// The largest side at which every kanji answer of the page fits its place; nothing for a page
// without any.
std::optional<float> largestFittingSquare(const SheetContent& sheet, bool rightPage);
// Twips of the A4 sheet as millimetres on the paper.
double paperMillimetres(float twips, Paper paper);

// Every answer place's boxes on one page, in item order; none unless squares are chosen.
QList<AnswerBoxes> answerBoxes(const SheetContent& sheet, const SheetFit& fit, bool rightPage);

// The sheet as the printers draw it beside its furniture: answers that print in squares are
// taken out of the answer places, whose numbers stay.
SheetContent withoutBoxedAnswers(const SheetContent& sheet);

// Draws a sheet's furniture where the printers call it, onto their surface.
class FurniturePen {
  public:
    FurniturePen(const SheetContent& sheet, const SheetFit& fit, PrintSurface& surface,
                 SheetPartListener* parts);
    // 組・番 and the score box, after the name field; yp is the page's offset.
    void nameField(bool rightPage, float yp);
    // The instruction line, after the title.
    void instruction(bool rightPage, float yp);
    // The squares and brackets, and on the key the answers in them, after the answer numbers.
    void answerBoxes(bool rightPage, float yp);
    // The cut line between the two tests; half is half the paper's side that the pages divide.
    void cutLine(float half);

  private:
    void part(int kind, bool rightPage, int item = -1);
    void text(float x, float y, const QString& text);
    const SheetContent& sheet_;
    const SheetFit& fit_;
    PrintSurface& s_;
    SheetPartListener* parts_;
};

}  // namespace pobelo
