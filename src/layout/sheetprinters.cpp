#include "sheetprinters.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "furniture.h"
#include "textruns.h"

namespace pobelo {

namespace {

constexpr int kBlack = 0;
constexpr int kSolid = 0;
constexpr float kTwipsPerPoint = 20;
// How far the upright layout's side line stands from its column's left edge.
constexpr float kSideLineGap = 350;

const QString kCircledDigits = QStringLiteral("①②③④⑤⑥⑦⑧⑨⑩");

// The printers carry on past every failing surface operation; a value that cannot be read
// leaves the statement that needed it undone.
class Pen {
  public:
    Pen(PrintSurface& surface, const SheetFit& fit, SheetPartListener* parts,
        FurniturePen* furniture = nullptr)
        : s_(surface), fit_(fit), parts_(parts), furniture_(furniture) {}

    // One text with its character cell at (x, y), the position set X first.
    void textAt(float x, float y, const QString& text) {
        s_.setCurrentX(x);
        s_.setCurrentY(y);
        s_.printText(text);
    }
    // Ruby with its cell at (x, y).
    void rubyAt(float x, float y, const QString& text) {
        s_.setCurrentX(x);
        s_.setCurrentY(y);
        s_.printRuby(text);
    }
    void line(float x1, float y1, float x2, float y2) { s_.drawLine(x1, y1, x2, y2, kBlack); }
    std::optional<float> width() { return s_.pageWidth(); }
    PrintSurface& surface() { return s_; }

    // A font size the layout sets.
    void size(float points) {
        s_.setFontSize(points);
        points_ = points;
    }
    // A fitted text's size, set only when it differs from the size in use.
    void fitSize(float points) {
        if (points_ != points) size(points);
    }
    // The fit of one page's texts.
    const PageFit& page(bool rightPage) const { return rightPage ? fit_.right : fit_.left; }
    void part(SheetPart::Kind kind, bool rightPage, int item = -1) {
        if (parts_) parts_->beginPart(SheetPart{kind, rightPage, item});
    }
    // The furniture the teacher chose, drawn where the layout calls it; none for a plain sheet.
    FurniturePen* furniture() const { return furniture_; }

  private:
    PrintSurface& s_;
    const SheetFit& fit_;
    SheetPartListener* parts_;
    FurniturePen* furniture_;
    std::optional<float> points_;
};

// The side line of a sentence printed smaller than the layout's size: thinner by the same
// factor, never thinner than one pixel.
int sideLineWidth(float points) {
    if (points == kSheetFontPoints) return kSideLineWidth;
    return std::max(1, int(std::lround(kSideLineWidth * points / kSheetFontPoints)));
}

// A side-line end as the printers hold it: a 16-bit whole number of twips. Ends that do not fit
// are not drawn at all, rather than drawn from a stale value.
std::optional<qint16> sideLineEnd(qint64 twips) {
    if (twips < std::numeric_limits<qint16>::min() || twips > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(twips);
}

// Where the characters of sentence i (its item number first) and its ruby stand; nothing for a
// sentence without ruby, whose characters stand pitch apart.
std::optional<RubyPlacement> placedRuby(const PageContent& page, int i, const QStringList& cells,
                                        const TextFit& fit) {
    if (page.ruby[i].isEmpty()) return std::nullopt;
    return placeRuby(cells, 1, page.ruby[i], qsizetype{page.beforeLengths[i]} + 1,
                     cellCount(page.askedParts[i]), fit.pitch, fit.points);
}

// A sentence's ruby, beside it: (dx, dy) from each character's place along the column; the
// sentence's own size set again after it.
void printRuby(Pen& pen, const RubyPlacement& placed, bool rightPage, int item, float x, float y,
               bool alongX, const TextFit& fit) {
    pen.part(SheetPart::Ruby, rightPage, item);
    pen.fitSize(placed.rubyPoints);
    for (const RubyPlacement::Piece& piece : placed.ruby) {
        if (alongX)
            pen.rubyAt(x + piece.offset, y, piece.text);
        else
            pen.rubyAt(x, y + piece.offset, piece.text);
    }
    pen.fitSize(fit.points);
}

// A page's version mark in one piece, small; nothing for a page without one.
void printMark(Pen& pen, const PageContent& page, bool rightPage, float x, float y) {
    if (page.mark.isEmpty()) return;
    pen.part(SheetPart::Mark, rightPage);
    pen.size(kMarkPoints);
    pen.textAt(x, y, page.mark);
}

// A page's answer-key mark, small, from (x, y): along X in one piece for a vertical-writing
// face, down a column one character a cell otherwise; nothing for a page without one.
void printKeyMark(Pen& pen, const PageContent& page, bool rightPage, float x, float y,
                  bool alongX) {
    if (page.keyMark.isEmpty()) return;
    pen.part(SheetPart::KeyMark, rightPage);
    pen.size(kMarkPoints);
    if (alongX) {
        pen.textAt(x, y, page.keyMark);
        return;
    }
    const QStringList cells = textCells(page.keyMark);
    for (qsizetype m = 0; m < cells.size(); ++m) pen.textAt(x, y + kMarkPoints * 20 * m, cells[m]);
}

// --- Portrait layout for a vertical-writing face ----------------------------------------------

void printVerticalPage(Pen& pen, const PageContent& page, float yp, bool rightPage, bool ruby) {
    using namespace verticalSheet;
    PrintSurface& s = pen.surface();
    const PageFit& fit = pen.page(rightPage);

    // Title frame; each use of the page width reads it afresh.
    pen.part(SheetPart::Frame, rightPage);
    const float top = yp + kFrameTop;
    const float bottom = yp + (ruby ? kRubyFrameBottom : kFrameBottom);
    if (auto w = pen.width()) pen.line(kFrameLeft, top, frameWidth(*w), top);
    if (auto w1 = pen.width())
        if (auto w2 = pen.width()) pen.line(frameWidth(*w1), top, frameWidth(*w2), bottom);
    if (auto w = pen.width()) pen.line(frameWidth(*w), bottom, kFrameLeft, bottom);
    pen.line(kFrameLeft, bottom, kFrameLeft, top);

    // Name field.
    pen.part(SheetPart::NameField, rightPage);
    pen.size(kSheetFontPoints);
    pen.textAt(kNameX, yp + kNameY, QStringLiteral("名"));
    pen.textAt(kNameSecondX, yp + kNameY, QStringLiteral("前"));
    if (FurniturePen* furniture = pen.furniture()) furniture->nameField(rightPage, yp);

    // Title, 500 twips a character; never cut.
    pen.part(SheetPart::Title, rightPage);
    const QStringList title = textCells(page.title);
    for (qsizetype i = 0; i < title.size(); ++i) {
        pen.size(fit.title.points);
        const float x = (rightPage ? kRightTitleX : kLeftTitleX) + fit.title.pitch * i;
        const float y = rightPage ? kRightTitleY : yp + kLeftTitleY;
        pen.textAt(x, y, title[i]);
    }
    if (FurniturePen* furniture = pen.furniture()) furniture->instruction(rightPage, yp);

    // Sentences, each behind its item number, one character every cell.
    pen.size(kSheetFontPoints);
    for (int i = 0; i < page.rows; ++i) {
        const QStringList sentence = textCells(itemNumber(i) + page.sentences[i]);
        const TextFit& text = fit.sentences[i];
        pen.part(SheetPart::Sentence, rightPage, i);
        pen.fitSize(text.points);
        const float y = yp + kFirstRowY + kRowPitch * i;
        if (const std::optional<RubyPlacement> placed = placedRuby(page, i, sentence, text)) {
            // Ruby stands on the side of the side lines, touching the characters' cells.
            for (qsizetype j = 0; j < sentence.size(); ++j)
                pen.textAt(kSentenceX + placed->cells[j], y, sentence[j]);
            printRuby(pen, *placed, rightPage, i, kSentenceX,
                      y - placed->rubyPoints * kTwipsPerPoint, true, text);
            continue;
        }
        for (qsizetype j = 1; j <= sentence.size(); ++j)
            pen.textAt(kSentenceX + text.pitch * (j - 1), y, sentence[j - 1]);
    }

    // Two rows of five answer places.
    for (int k = 1; k <= page.rows; ++k) {
        std::optional<float> x;
        if (k <= 5) {
            if (auto w = pen.width()) x = upperAnswersX(*w);
        } else if (auto w1 = pen.width()) {
            if (auto w2 = pen.width()) x = upperAnswersX(*w1) + lowerAnswersStep(*w2);
        }
        pen.part(page.check != 0 ? SheetPart::Answer : SheetPart::AnswerNumber, rightPage, k - 1);
        if (page.check != 0) pen.fitSize(fit.answers[k - 1].points);
        if (x) s.setCurrentX(*x);
        s.setCurrentY(yp + kAnswerRowPitch * (k <= 5 ? k : k - 5));
        QString cell = kCircledDigits.mid(k - 1, 1);
        if (page.check != 0) cell += page.answers[k - 1];
        s.printText(cell);
    }
    if (FurniturePen* furniture = pen.furniture()) furniture->answerBoxes(rightPage, yp);

    // Side lines beside the asked parts.
    for (int i = 0; i < page.rows; ++i) {
        const qint64 lb = page.beforeLengths[i];
        const qint64 la = cellCount(page.askedParts[i]);
        const float pitch = fit.sentences[i].pitch;
        std::optional<qint16> x1, x2;
        if (!page.ruby[i].isEmpty()) {
            // Beside the asked part where the ruby before it has moved it.
            const QStringList cells = textCells(itemNumber(i) + page.sentences[i]);
            const float start = placedRuby(page, i, cells, fit.sentences[i])->offsetOf(lb + 1);
            x1 = sideLineEnd(std::lround(kSentenceX + start));
            x2 = x1 ? sideLineEnd(std::lround(*x1 + la * pitch)) : std::nullopt;
        } else if (pitch == kSentencePitch) {
            x1 = sideLineEnd(kSentenceX + (lb + 1) * kCharacterTwips);
            x2 = x1 ? sideLineEnd(*x1 + la * kCharacterTwips) : std::nullopt;
        } else {
            // A fitted sentence keeps its side line beside the asked part.
            x1 = sideLineEnd(std::lround(kSentenceX + (lb + 1) * pitch));
            x2 = x1 ? sideLineEnd(std::lround(*x1 + la * pitch)) : std::nullopt;
        }
        pen.part(SheetPart::SideLine, rightPage, i);
        s.setLineWidth(sideLineWidth(fit.sentences[i].points));
        const float y = yp + kFirstRowY + kRowPitch * i;
        if (x1 && x2) pen.line(*x1, y, *x2, y);
    }
    // Every character of the mark takes at most a cell of its size.
    const float markLength = cellCount(page.mark) * kMarkPoints * 20;
    printMark(pen, page, rightPage, std::min<float>(kMarkX, kMarkEndX - markLength), yp + kMarkY);
    printKeyMark(pen, page, rightPage, kKeyMarkX, yp + kKeyMarkY, true);
}

// --- Landscape layout for an upright face ---------------------------------------------------

// A text as a column at x, one character every pitch twips (a cell unless fitted) from y.
void printColumn(Pen& pen, float x, float y, const QString& text, float pitch) {
    const QStringList cells = textCells(text);
    for (qsizetype m = 0; m < cells.size(); ++m) pen.textAt(x, y + pitch * m, cells[m]);
}

void printUprightBody(Pen& pen, const PageContent& page, bool rightPage,
                      const uprightSheet::Page& place) {
    using namespace uprightSheet;
    PrintSurface& s = pen.surface();
    const PageFit& fit = pen.page(rightPage);
    // Item columns from item 10 on the left to item 1 on the right.
    pen.size(kSheetFontPoints);
    for (int i = 10 - page.rows; i < 10; ++i) {
        const TextFit& text = fit.sentences[9 - i];
        pen.part(SheetPart::Sentence, rightPage, 9 - i);
        pen.fitSize(text.points);
        const float x = place.columnsX + kColumnPitch * i;
        const QStringList cells = textCells(itemNumber(9 - i) + page.sentences[9 - i]);
        if (const std::optional<RubyPlacement> placed = placedRuby(page, 9 - i, cells, text)) {
            // Ruby stands right of the column, touching its characters' cells.
            for (qsizetype m = 0; m < cells.size(); ++m)
                pen.textAt(x, kTop + placed->cells[m], cells[m]);
            printRuby(pen, *placed, rightPage, 9 - i, x + text.points * kTwipsPerPoint, kTop, false,
                      text);
            continue;
        }
        for (qsizetype m = 0; m < cells.size(); ++m) pen.textAt(x, kTop + text.pitch * m, cells[m]);
    }

    // Answer rows; with answers, each cell is its number followed by the answer, a little lower.
    static const QString upper = QStringLiteral("⑤④③②①");
    static const QString lower = QStringLiteral("⑩⑨⑧⑦⑥");
    for (int row = 0; row < 2; ++row) {
        const QString& numbers = row == 0 ? upper : lower;
        for (int j = 1; j <= 5; ++j) {
            const float x = place.answersX + kAnswerPitch * j;
            const int item = row == 0 ? 5 - j : 10 - j;
            if (item >= page.rows) continue;
            if (page.check == 0) {
                pen.part(SheetPart::AnswerNumber, rightPage, item);
                pen.textAt(x, row == 0 ? kUpperNumbersY : kLowerNumbersY, numbers.mid(j - 1, 1));
            } else {
                const TextFit& text = fit.answers[item];
                pen.part(SheetPart::Answer, rightPage, item);
                pen.fitSize(text.points);
                printColumn(pen, x, row == 0 ? kUpperAnswersY : kLowerAnswersY,
                            numbers.mid(j - 1, 1) + page.answers[item], text.pitch);
            }
        }
    }
    if (FurniturePen* furniture = pen.furniture()) furniture->answerBoxes(rightPage, 0);

    // Side lines, right of each column, beside its asked part.
    for (int j = 10 - page.rows; j < 10; ++j) {
        const int k = 9 - j;
        const float pitch = fit.sentences[k].pitch;
        const qint64 la = cellCount(page.askedParts[k]);
        std::optional<qint16> y1, y2;
        if (!page.ruby[k].isEmpty()) {
            const QStringList cells = textCells(itemNumber(k) + page.sentences[k]);
            const float start =
                placedRuby(page, k, cells, fit.sentences[k])->offsetOf(page.beforeLengths[k] + 1);
            y1 = sideLineEnd(std::lround(kTop + start));
            y2 = y1 ? sideLineEnd(std::lround(*y1 + la * pitch)) : std::nullopt;
        } else if (pitch == kSentencePitch) {
            y1 = sideLineEnd(kTop + (qint64{page.beforeLengths[k]} + 1) * kCharacterTwips);
            y2 = y1 ? sideLineEnd(*y1 + kCharacterTwips * la) : std::nullopt;
        } else {
            y1 = sideLineEnd(std::lround(kTop + (page.beforeLengths[k] + 1) * pitch));
            y2 = y1 ? sideLineEnd(std::lround(*y1 + la * pitch)) : std::nullopt;
        }
        pen.part(SheetPart::SideLine, rightPage, k);
        const float points = fit.sentences[k].points;
        s.setLineWidth(sideLineWidth(points));
        // Beside a narrowed column the line comes as much closer as the column is narrower.
        float x = place.sideLinesX + kColumnPitch * j;
        if (points != kSheetFontPoints) x -= kSideLineGap * (1 - points / kSheetFontPoints);
        if (y1 && y2) pen.line(x, *y1, x, *y2);
    }
    printMark(pen, page, rightPage, place.columnsX, kMarkY);
}

// The key mark of the page whose title stands offset short of the paper's edge (or its middle).
void printUprightKeyMark(Pen& pen, const PageContent& page, float offset, bool halfWidthBased) {
    if (page.keyMark.isEmpty()) return;
    const std::optional<float> w = pen.width();
    if (!w) return;
    const float x =
        (halfWidthBased ? *w / 2 - offset : *w - offset) + uprightSheet::kKeyMarkFromTitle;
    printKeyMark(pen, page, !halfWidthBased, x, uprightSheet::kKeyMarkY, false);
}

void printUprightTitle(Pen& pen, const QString& title, float offset, bool halfWidthBased) {
    PrintSurface& s = pen.surface();
    const TextFit& fit = pen.page(!halfWidthBased).title;
    pen.part(SheetPart::Title, !halfWidthBased);
    const QStringList cells = textCells(title);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        pen.size(fit.points);
        if (auto w = pen.width()) s.setCurrentX(halfWidthBased ? *w / 2 - offset : *w - offset);
        s.setCurrentY(uprightSheet::kTitleY + fit.pitch * i);
        s.printText(cells[i]);
    }
    if (FurniturePen* furniture = pen.furniture()) furniture->instruction(!halfWidthBased, 0);
}

void printUprightNameField(Pen& pen, float offset, bool halfWidthBased) {
    pen.part(SheetPart::NameField, !halfWidthBased);
    pen.size(kSheetFontPoints);
    const QString name[2] = {QStringLiteral("名"), QStringLiteral("前")};
    for (int n = 0; n < 2; ++n) {
        PrintSurface& s = pen.surface();
        s.setCurrentY(n == 0 ? uprightSheet::kNameY : uprightSheet::kNameSecondY);
        if (auto w = pen.width()) s.setCurrentX(halfWidthBased ? *w / 2 - offset : *w - offset);
        s.printText(name[n]);
    }
    if (FurniturePen* furniture = pen.furniture()) furniture->nameField(!halfWidthBased, 0);
}

}  // namespace

bool SheetContent::hasRuby() const {
    for (const PageContent* page : {&right, &left}) {
        for (const SentenceRuby& ruby : page->ruby) {
            if (!ruby.isEmpty()) return true;
        }
    }
    return false;
}

QString itemNumber(int row) {
    return kCircledDigits.mid(row, 1);
}

SheetFit naturalFit() {
    PageFit page;
    page.title = TextFit{kTitlePitch, kSheetFontPoints};
    page.sentences.fill(TextFit{kSentencePitch, kSheetFontPoints});
    page.answers.fill(TextFit{kSentencePitch, kSheetFontPoints});
    return SheetFit{page, page};
}

namespace {

// The furniture of a sheet that has any, and the sheet its printer draws beside it.
struct Furnished {
    Furnished(const SheetContent& sheet, const SheetFit& fit, PrintSurface& surface,
              SheetPartListener* parts) {
        if (!sheet.furniture.any()) return;
        pen.emplace(sheet, fit, surface, parts);
        if (sheet.furniture.squares) shown = withoutBoxedAnswers(sheet);
    }
    const SheetContent& content(const SheetContent& sheet) const { return shown ? *shown : sheet; }
    FurniturePen* furniture() { return pen ? &*pen : nullptr; }
    std::optional<FurniturePen> pen;
    std::optional<SheetContent> shown;
};

}  // namespace

void printWithVerticalFont(const SheetContent& plain, const SheetFit& fit, PrintSurface& surface,
                           SheetPartListener* parts) {
    Furnished furnished(plain, fit, surface, parts);
    const SheetContent& sheet = furnished.content(plain);
    Pen pen(surface, fit, parts, furnished.furniture());
    surface.setFontName(sheet.fontName);
    surface.setPaperSize(kPaperA4);
    surface.setOrientation(kOrientationPortrait);
    surface.setLineStyle(kSolid);
    surface.setLineWidth(kThinLine);
    printVerticalPage(pen, sheet.right, 0, true, sheet.hasRuby());
    float height = 0;
    if (auto h = surface.pageHeight()) height = *h;
    if (FurniturePen* furniture = pen.furniture()) furniture->cutLine(height / 2);
    surface.setLineWidth(kThinLine);
    printVerticalPage(pen, sheet.left, height / 2, false, sheet.hasRuby());
}

void printWithUprightFont(const SheetContent& plain, const SheetFit& fit, PrintSurface& surface,
                          SheetPartListener* parts) {
    using namespace uprightSheet;
    Furnished furnished(plain, fit, surface, parts);
    const SheetContent& sheet = furnished.content(plain);
    Pen pen(surface, fit, parts, furnished.furniture());
    surface.setFontName(sheet.fontName);
    surface.setPaperSize(kPaperA4);
    surface.setOrientation(kOrientationLandscape);
    surface.setLineStyle(kSolid);
    surface.setLineWidth(kThinLine);

    // Right page: title frame, name field and title along the right edge.
    pen.part(SheetPart::Frame, true);
    for (int line = 0; line < 4; ++line) {
        const std::optional<float> w = pen.width();
        if (!w) continue;
        const float inner = *w - kRightFrameInner;
        const float outer = *w - kRightFrameOuter;
        switch (line) {
            case 0:
                pen.line(inner, kTop, outer, kTop);
                break;
            case 1:
                pen.line(inner, kTop, inner, kFrameBottom);
                break;
            case 2:
                pen.line(inner, kFrameBottom, outer, kFrameBottom);
                break;
            case 3:
                pen.line(outer, kFrameBottom, outer, kTop);
                break;
        }
    }
    printUprightNameField(pen, kRightTitleFromEdge, false);
    printUprightTitle(pen, sheet.right.title, kRightTitleFromEdge, false);
    pen.size(kSheetFontPoints);
    printUprightBody(pen, sheet.right, true, kRightPage);
    if (FurniturePen* furniture = pen.furniture()) {
        if (auto w = pen.width()) furniture->cutLine(*w / 2);
    }
    printUprightKeyMark(pen, sheet.right, kRightTitleFromEdge, false);

    // The frame between the pages, around the left page's title.
    pen.part(SheetPart::Frame, false);
    surface.setLineWidth(kThinLine);
    const float left = kRightPageOrigin + kMiddleFrameLeft;
    const float right = kRightPageOrigin + kMiddleFrameRight;
    pen.line(left, kTop, right, kTop);
    pen.line(left, kTop, left, kFrameBottom);
    pen.line(left, kFrameBottom, right, kFrameBottom);
    pen.line(right, kFrameBottom, right, kTop);

    // Left page.
    printUprightNameField(pen, kLeftTitleFromMiddle, true);
    printUprightTitle(pen, sheet.left.title, kLeftTitleFromMiddle, true);
    pen.size(kSheetFontPoints);
    printUprightBody(pen, sheet.left, false, kLeftPage);
    printUprightKeyMark(pen, sheet.left, kLeftTitleFromMiddle, true);
}

void drawSheet(const SheetContent& sheet, const SheetFit& fit, PrintSurface& surface,
               SheetPartListener* parts) {
    if (sheet.vertical())
        printWithVerticalFont(sheet, fit, surface, parts);
    else
        printWithUprightFont(sheet, fit, surface, parts);
}

}  // namespace pobelo
