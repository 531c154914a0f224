#include "furniture.h"

#include <algorithm>
#include <cmath>

#include "sheetgeometry.h"
#include "sheetprinters.h"
#include "textruns.h"

namespace pobelo {

namespace {

constexpr int kBlack = 0;
constexpr int kSolid = 0;
constexpr int kDashed = 1;
constexpr int kDotted = 2;
constexpr double kTwipsPerMillimetre = 1440 / 25.4;

// Line widths in pixels of a 600-dpi printer: squares and brackets firm enough to write in, their
// guides and the cut line light.
constexpr int kBoxLine = 4;
constexpr int kGuideLine = 1;
constexpr int kCutLineWidth = 2;

// The instruction's size when it fits its place; a longer one is set smaller, down to the least.
constexpr float kVerticalInstructionPoints = 11;
constexpr float kUprightInstructionPoints = 12;
constexpr float kLeastInstructionPoints = 7;
// The score box's mark, and the cut line's word.
constexpr float kScorePoints = 12;
constexpr float kUprightScorePoints = 10;
constexpr float kCutPoints = 8;
// How far the furniture stands from the lines and places around it.
constexpr float kInset = 60;
// A key's answer fills this much of its square.
constexpr float kAnswerInSquare = 0.7f;
// A reading's bracket: as wide as the squares but no wider than this, and no narrower than the
// least; its characters stand at most a bracket's width apart and never closer than a cell.
constexpr float kBracketPitch = 680;
constexpr float kLeastBracketWidth = 450;

const QString kCutWord = QStringLiteral("きりとり");

// --- Vertical layout: along the name frame (X), and the answer places --------------------------

namespace verticalFurniture {
using namespace verticalSheet;
// 組 and 番 after the name's space, each behind a space for its number; the score box closes
// the frame from kScoreX; its mark 点 in its lower corner. All at the name field's Y.
inline constexpr int kClassX = 9006;
inline constexpr int kNumberX = 9806;
inline constexpr int kScoreX = 10206;
// Answer squares stand this far apart across the rows, at most this large.
inline constexpr int kAnswerGap = 200;
inline constexpr float kLargestSquare = kAnswerRowPitch - kAnswerGap;
}  // namespace verticalFurniture

namespace uprightFurniture {
using namespace uprightSheet;
// Down the title's column: 組 and 番 after the name's space, the score box from kScoreY to the
// frame's bottom, its mark "／10" in its lower corner.
inline constexpr int kClassY = 9050;
inline constexpr int kNumberY = 9850;
inline constexpr int kScoreY = 10250;
// Answer squares, their columns kAnswerPitch apart, at most this large.
inline constexpr int kAnswerGap = 150;
inline constexpr float kLargestSquare = kAnswerPitch - kAnswerGap;
}  // namespace uprightFurniture

float largestSquare(bool vertical) {
    return vertical ? verticalFurniture::kLargestSquare : uprightFurniture::kLargestSquare;
}

float quarterPointsBelow(float points) {
    return std::floor(points * 4) / 4;
}

bool isKanji(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x20000 && c <= 0x3134F) || (c >= 0xF900 && c <= 0xFAFF) || c == 0x3005;
}

// One answer place: where its boxes start and must end along the writing, and the middle of
// its line across it, in twips of the A4 sheet.
struct Place {
    float start = 0;
    float end = 0;
    float across = 0;
};

Place answerPlace(bool vertical, bool rightPage, int item, float width, float yp) {
    if (vertical) {
        using namespace verticalFurniture;
        const float upper = upperAnswersX(width);
        const float step = lowerAnswersStep(width);
        const float numberX = item < 5 ? upper : upper + step;
        const float numberY = yp + kAnswerRowPitch * (item % 5 + 1);
        const float end = item < 5 ? upper + step : frameWidth(width);
        return Place{numberX + kCharacterTwips + kInset, end - kInset,
                     numberY + kCharacterTwips / 2.0f};
    }
    using namespace uprightFurniture;
    const Page& page = rightPage ? kRightPage : kLeftPage;
    const int j = item < 5 ? 5 - item : 10 - item;
    const float numberX = page.answersX + kAnswerPitch * j;
    // The key's number stands lower than the sheet's: the squares start below both.
    const float start = (item < 5 ? kUpperAnswersY : kLowerAnswersY) + kCharacterTwips + kInset;
    const float end = (item < 5 ? kLowerNumbersY : kFrameBottom) - kInset;
    return Place{start, end, numberX + kCharacterTwips / 2.0f};
}

float paperWidth(bool vertical) {
    return vertical ? verticalSheet::kPaperWidth : uprightSheet::kPaperWidth;
}

float pageOffset(bool vertical, bool rightPage) {
    return vertical && !rightPage ? verticalSheet::kPaperHeight / 2.0f : 0;
}

const PageContent& pageOf(const SheetContent& sheet, bool rightPage) {
    return rightPage ? sheet.right : sheet.left;
}

// The boxes of one page with its places read for paper of width and the page at yp.
QList<AnswerBoxes> boxesOn(const SheetContent& sheet, const SheetFit& fit, bool rightPage,
                           float width, float yp) {
    QList<AnswerBoxes> boxes;
    if (!sheet.furniture.squares) return boxes;
    const bool vertical = sheet.vertical();
    const PageContent& page = pageOf(sheet, rightPage);
    const float side = squareTwips(sheet, fit, rightPage);
    for (int item = 0; item < std::min(page.rows, 10); ++item) {
        const qsizetype n = cellCount(page.answers[item]);
        if (n == 0) continue;
        const Place place = answerPlace(vertical, rightPage, item, width, yp);
        AnswerBoxes b;
        b.item = item;
        b.kanji = answerInKanji(page.answers[item]);
        float pitch = side;
        float across = side;
        if (!b.kanji) {
            pitch = std::min({side, kBracketPitch, (place.end - place.start) / float(n)});
            pitch = std::max<float>(std::floor(pitch), kCharacterTwips);
            across = std::min(std::max(pitch, kLeastBracketWidth), side);
        }
        for (qsizetype i = 0; i < n; ++i) {
            const float along = place.start + pitch * float(i);
            b.cells.append(vertical ? QRectF(along, place.across - across / 2, pitch, across)
                                    : QRectF(place.across - across / 2, along, across, pitch));
        }
        const float length = place.end - place.start;
        b.place = vertical ? QRectF(place.start, place.across - largestSquare(true) / 2, length,
                                    largestSquare(true))
                           : QRectF(place.across - largestSquare(false) / 2, place.start,
                                    largestSquare(false), length);
        boxes.append(b);
    }
    return boxes;
}

}  // namespace

QStringList furnitureNames(const SheetFurniture& f) {
    QStringList names;
    if (f.instruction) names << QStringLiteral("instruction");
    if (f.classField) names << QStringLiteral("class");
    if (f.score) names << QStringLiteral("score");
    if (f.squares) names << QStringLiteral("squares");
    if (f.cutLine) names << QStringLiteral("cut");
    return names;
}

QString furnitureList(const SheetFurniture& f) {
    QStringList words = furnitureNames(f);
    if (f.kanaInstruction) words << QStringLiteral("kana");
    if (f.squareMillimetres != 0) words << QStringLiteral("squares=%1").arg(f.squareMillimetres);
    return words.join(QLatin1Char(','));
}

bool parseFurnitureList(const QString& list, SheetFurniture* furniture, QString* bad) {
    SheetFurniture f;
    f.instructions = furniture->instructions;
    for (const QString& raw : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString word = raw.trimmed();
        if (word == QLatin1String("instruction")) {
            f.instruction = true;
        } else if (word == QLatin1String("class")) {
            f.classField = true;
        } else if (word == QLatin1String("score")) {
            f.score = true;
        } else if (word == QLatin1String("squares")) {
            f.squares = true;
        } else if (word == QLatin1String("cut")) {
            f.cutLine = true;
        } else if (word == QLatin1String("kana")) {
            f.kanaInstruction = true;
        } else if (word.startsWith(QLatin1String("squares="))) {
            bool ok = false;
            const int mm = word.mid(8).toInt(&ok);
            if (!ok || mm == 0 ||
                std::find(kSquareSizeChoices.begin(), kSquareSizeChoices.end(), mm) ==
                    kSquareSizeChoices.end()) {
                if (bad) *bad = word;
                return false;
            }
            f.squares = true;
            f.squareMillimetres = mm;
        } else if (!word.isEmpty()) {
            if (bad) *bad = word;
            return false;
        }
    }
    *furniture = f;
    return true;
}

bool answerInKanji(const QString& answer) {
    const QList<uint> codes = answer.toUcs4();
    return std::any_of(codes.begin(), codes.end(), [](uint c) { return isKanji(c); });
}

PageAsks pageAsks(const PageContent& page) {
    bool readings = false;
    bool kanji = false;
    for (int i = 0; i < std::min(page.rows, 10); ++i) {
        if (cellCount(page.answers[i]) == 0) continue;
        (answerInKanji(page.answers[i]) ? kanji : readings) = true;
    }
    if (readings && kanji) return PageAsks::Both;
    if (kanji) return PageAsks::Kanji;
    return readings ? PageAsks::Readings : PageAsks::Nothing;
}

QString defaultInstruction(PageAsks asks, bool kana) {
    switch (asks) {
        case PageAsks::Nothing:
            break;
        case PageAsks::Readings:
            return kana ? QStringLiteral("――せんの　かんじの　よみを　ひらがなで　かきましょう。")
                        : QStringLiteral("――線の漢字の読みをひらがなで書きましょう。");
        case PageAsks::Kanji:
            return kana ? QStringLiteral("――せんの　ひらがなを　かんじで　かきましょう。")
                        : QStringLiteral("――線のひらがなを漢字で書きましょう。");
        case PageAsks::Both:
            return kana ? QStringLiteral(
                              "――せんの　かんじは　よみを、ひらがなは　かんじを　"
                              "かきましょう。")
                        : QStringLiteral("――線の漢字は読みを、ひらがなは漢字を書きましょう。");
    }
    return {};
}

QString pageInstruction(const SheetContent& sheet, bool rightPage) {
    if (!sheet.furniture.instruction) return {};
    const PageContent& page = pageOf(sheet, rightPage);
    const PageAsks asks = pageAsks(page);
    // A page without questions asks nothing, whatever it would say.
    if (asks == PageAsks::Nothing) return {};
    const QString& own = sheet.furniture.instructions[rightPage ? 0 : 1];
    if (!own.trimmed().isEmpty()) return own;
    return defaultInstruction(asks, sheet.furniture.kanaInstruction);
}

float floorSquareTwips(Paper paper) {
    return float(
        std::ceil(kSquareFloorMillimetres * kTwipsPerMillimetre / paperEnlargement(paper)));
}

double paperMillimetres(float twips, Paper paper) {
    return twips * paperEnlargement(paper) / kTwipsPerMillimetre;
}

std::optional<float> largestFittingSquare(const SheetContent& sheet, bool rightPage) {
    const bool vertical = sheet.vertical();
    const PageContent& page = pageOf(sheet, rightPage);
    std::optional<float> largest;
    for (int item = 0; item < std::min(page.rows, 10); ++item) {
        const qsizetype n = cellCount(page.answers[item]);
        if (n == 0 || !answerInKanji(page.answers[item])) continue;
        const Place place = answerPlace(vertical, rightPage, item, paperWidth(vertical), 0);
        const float side = std::floor((place.end - place.start) / float(n));
        largest = std::min(largest.value_or(largestSquare(vertical)), side);
    }
    return largest;
}

float chosenSquareTwips(const SheetContent& sheet, bool rightPage) {
    const float floor = floorSquareTwips(sheet.paper);
    const int mm = sheet.furniture.squareMillimetres;
    if (mm > 0) return float(std::round(mm * kTwipsPerMillimetre / paperEnlargement(sheet.paper)));
    const float largest =
        largestFittingSquare(sheet, rightPage).value_or(largestSquare(sheet.vertical()));
    return std::max(largest, floor);
}

float squareTwips(const SheetContent& sheet, const SheetFit& fit, bool rightPage) {
    const float fitted = (rightPage ? fit.right : fit.left).squares;
    return fitted > 0 ? fitted : chosenSquareTwips(sheet, rightPage);
}

QList<AnswerBoxes> answerBoxes(const SheetContent& sheet, const SheetFit& fit, bool rightPage) {
    const bool vertical = sheet.vertical();
    return boxesOn(sheet, fit, rightPage, paperWidth(vertical), pageOffset(vertical, rightPage));
}

SheetContent withoutBoxedAnswers(const SheetContent& sheet) {
    SheetContent shown = sheet;
    if (!sheet.furniture.squares) return shown;
    for (PageContent* page : {&shown.right, &shown.left}) {
        for (int item = 0; item < std::min(page->rows, 10); ++item) page->answers[item].clear();
    }
    return shown;
}

// --- Drawing ----------------------------------------------------------------------------------

FurniturePen::FurniturePen(const SheetContent& sheet, const SheetFit& fit, PrintSurface& surface,
                           SheetPartListener* parts)
    : sheet_(sheet), fit_(fit), s_(surface), parts_(parts) {}

void FurniturePen::part(int kind, bool rightPage, int item) {
    if (parts_) parts_->beginPart(SheetPart{SheetPart::Kind(kind), rightPage, item});
}

void FurniturePen::text(float x, float y, const QString& text) {
    s_.setCurrentX(x);
    s_.setCurrentY(y);
    s_.printText(text);
}

void FurniturePen::nameField(bool rightPage, float yp) {
    const SheetFurniture& f = sheet_.furniture;
    if (!f.classField && !f.score) return;
    const PageContent& page = pageOf(sheet_, rightPage);
    if (sheet_.vertical()) {
        using namespace verticalFurniture;
        if (f.classField) {
            part(SheetPart::ClassField, rightPage);
            s_.setFontSize(kSheetFontPoints);
            text(kClassX, yp + kNameY, QStringLiteral("組"));
            text(kNumberX, yp + kNameY, QStringLiteral("番"));
        }
        if (f.score) {
            part(SheetPart::ScoreBox, rightPage);
            const std::optional<float> w = s_.pageWidth();
            if (!w) return;
            s_.setLineWidth(kThinLine);
            s_.drawLine(kScoreX, yp + kFrameTop, kScoreX, yp + kFrameBottom, kBlack);
            s_.setFontSize(kScorePoints);
            const float em = kScorePoints * 20;
            text(frameWidth(*w) - kInset - em, yp + kFrameBottom - kInset - em,
                 QStringLiteral("点"));
        }
        return;
    }
    using namespace uprightFurniture;
    const std::optional<float> w = s_.pageWidth();
    if (!w) return;
    // The right page's column stands by the paper's edge, the left page's by its middle.
    const float column = rightPage ? *w - kRightTitleFromEdge : *w / 2 - kLeftTitleFromMiddle;
    if (f.classField) {
        part(SheetPart::ClassField, rightPage);
        s_.setFontSize(kSheetFontPoints);
        text(column, kClassY, QStringLiteral("組"));
        text(column, kNumberY, QStringLiteral("番"));
    }
    if (f.score) {
        part(SheetPart::ScoreBox, rightPage);
        const float left = rightPage ? *w - kRightFrameInner : kRightPageOrigin + kMiddleFrameLeft;
        const float right =
            rightPage ? *w - kRightFrameOuter : kRightPageOrigin + kMiddleFrameRight;
        s_.setLineWidth(kThinLine);
        s_.drawLine(left, kScoreY, right, kScoreY, kBlack);
        // Out of how many, its figures side by side.
        const QString mark = QStringLiteral("／") + QString::number(page.rows);
        const float em = kUprightScorePoints * 20;
        const float length = em * (1 + 0.5f * float(mark.size() - 1));
        s_.setFontSize(kUprightScorePoints);
        text(right - kInset - length, kFrameBottom - kInset - em, mark);
    }
}

void FurniturePen::instruction(bool rightPage, float yp) {
    const QString line = pageInstruction(sheet_, rightPage);
    if (line.isEmpty()) return;
    part(SheetPart::Instruction, rightPage);
    const QStringList cells = textCells(line);
    const TextFit& fitted = (rightPage ? fit_.right : fit_.left).instruction;
    if (sheet_.vertical()) {
        using namespace verticalSheet;
        // Inside the title's frame, under the title, ending before the name field.
        const float start = rightPage ? kRightTitleX : kLeftTitleX;
        const float room = kNameX - kInset - start;
        float points =
            fitted.points > 0
                ? fitted.points
                : std::max(kLeastInstructionPoints,
                           std::min(kVerticalInstructionPoints,
                                    quarterPointsBelow(room / float(cells.size()) / 20)));
        s_.setFontSize(points);
        text(start, yp + kFrameBottom - kInset - points * 20, line);
        return;
    }
    using namespace uprightSheet;
    // A column between the first item's side line and the title's frame.
    const std::optional<float> w = s_.pageWidth();
    if (!w) return;
    const Page& page = rightPage ? kRightPage : kLeftPage;
    const float sideLine = page.sideLinesX + kColumnPitch * 9;
    const float frame = rightPage ? *w - kRightFrameInner : kRightPageOrigin + kMiddleFrameLeft;
    const float room = kUpperNumbersY - kInset - kTop;
    const float points =
        fitted.points > 0 ? fitted.points
                          : std::max(kLeastInstructionPoints,
                                     std::min(kUprightInstructionPoints,
                                              quarterPointsBelow(room / float(cells.size()) / 20)));
    const float em = points * 20;
    const float pitch = fitted.pitch > 0 ? fitted.pitch : em;
    const float x = (sideLine + frame) / 2 - em / 2;
    s_.setFontSize(points);
    for (qsizetype i = 0; i < cells.size(); ++i) text(x, kTop + pitch * float(i), cells[i]);
}

void FurniturePen::answerBoxes(bool rightPage, float yp) {
    if (!sheet_.furniture.squares) return;
    const bool vertical = sheet_.vertical();
    std::optional<float> width = paperWidth(vertical);
    if (vertical) width = s_.pageWidth();
    if (!width) return;
    const PageContent& page = pageOf(sheet_, rightPage);
    // A line along the writing (a, b) at c across it, or across it (c, d) at a.
    auto along = [&](float a, float b, float c) {
        if (vertical)
            s_.drawLine(a, c, b, c, kBlack);
        else
            s_.drawLine(c, a, c, b, kBlack);
    };
    auto across = [&](float c, float d, float a) {
        if (vertical)
            s_.drawLine(a, c, a, d, kBlack);
        else
            s_.drawLine(c, a, d, a, kBlack);
    };
    for (const AnswerBoxes& b : boxesOn(sheet_, fit_, rightPage, *width, yp)) {
        part(SheetPart::AnswerBox, rightPage, b.item);
        const QRectF& first = b.cells.first();
        const QRectF& last = b.cells.last();
        const float a = float(vertical ? first.left() : first.top());
        const float e = float(vertical ? last.right() : last.bottom());
        const float c = float(vertical ? first.top() : first.left());
        const float d = float(vertical ? first.bottom() : first.right());
        const float pitch = float(vertical ? first.width() : first.height());
        s_.setLineStyle(kSolid);
        s_.setLineWidth(kBoxLine);
        if (b.kanji) {
            // The squares side by side, then their dotted cross guides.
            along(a, e, c);
            along(a, e, d);
            for (qsizetype i = 0; i <= b.cells.size(); ++i) across(c, d, a + pitch * float(i));
            s_.setLineStyle(kDotted);
            s_.setLineWidth(kGuideLine);
            along(a, e, (c + d) / 2);
            for (qsizetype i = 0; i < b.cells.size(); ++i)
                across(c, d, a + pitch * (float(i) + 0.5f));
        } else {
            // A bracket as long as the reading: its ends turned in.
            const float tick = std::min(pitch / 3, 150.0f);
            across(c, d, a);
            along(a, a + tick, c);
            along(a, a + tick, d);
            across(c, d, e);
            along(e - tick, e, c);
            along(e - tick, e, d);
        }
        s_.setLineStyle(kSolid);
        // On the key, each character in its box.
        if (page.check == 0) continue;
        const QStringList characters = textCells(page.answers[b.item]);
        const float points = quarterPointsBelow(std::min(pitch, d - c) * kAnswerInSquare / 20);
        const float em = points * 20;
        s_.setFontSize(points);
        for (qsizetype i = 0; i < characters.size() && i < b.cells.size(); ++i) {
            const float at = a + pitch * float(i) + (pitch - em) / 2;
            const float middle = (c + d) / 2 - em / 2;
            if (vertical)
                text(at, middle, characters[i]);
            else
                text(middle, at, characters[i]);
        }
    }
}

void FurniturePen::cutLine(float half) {
    if (!sheet_.furniture.cutLine) return;
    part(SheetPart::CutLine, true);
    const bool vertical = sheet_.vertical();
    // Along the paper's other side, with its word in a gap in the middle.
    const float length = vertical ? verticalSheet::kPaperWidth : uprightSheet::kPaperHeight;
    const float em = kCutPoints * 20;
    const float word = em * float(kCutWord.size());
    const float middle = length / 2;
    s_.setLineStyle(kDashed);
    s_.setLineWidth(kCutLineWidth);
    const float ends[4] = {kInset * 3, middle - word / 2 - em / 2, middle + word / 2 + em / 2,
                           length - kInset * 3};
    for (int i = 0; i < 4; i += 2) {
        if (vertical)
            s_.drawLine(ends[i], half, ends[i + 1], half, kBlack);
        else
            s_.drawLine(half, ends[i], half, ends[i + 1], kBlack);
    }
    s_.setLineStyle(kSolid);
    s_.setFontSize(kCutPoints);
    if (vertical) {
        text(middle - word / 2, half - em / 2, kCutWord);
        return;
    }
    for (qsizetype i = 0; i < kCutWord.size(); ++i)
        text(half - em / 2, middle - word / 2 + em * float(i), kCutWord.mid(i, 1));
}

}  // namespace pobelo
