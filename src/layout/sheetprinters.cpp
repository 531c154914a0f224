#include "sheetprinters.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "textruns.h"

namespace pobelo {

namespace {

constexpr int kLayoutUnit = 500;
constexpr float kFontSize = 15.0f;
constexpr int kBlack = 0;
constexpr int kSolid = 0;
constexpr int kThinLine = 1;
constexpr int kSideLine = 15;
// How far the upright layout's side line stands from its column's left edge.
constexpr float kSideLineGap = 350;

const QString kCircledDigits = QStringLiteral("①②③④⑤⑥⑦⑧⑨⑩");

// The printers carry on past every failing surface operation; a value that cannot be read
// leaves the statement that needed it undone.
class Pen {
  public:
    Pen(PrintSurface& surface, const PrintableSheet& sheet)
        : s_(surface), fit_(sheet.fit), parts_(sheet.parts) {}

    // One text with its character cell at (x, y), the position set X first.
    void textAt(float x, float y, const QString& text) {
        s_.setCurrentX(x);
        s_.setCurrentY(y);
        s_.printText(text);
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
    // The fit of one page's texts; the layout's own places when the sheet has none.
    const PageFit& page(bool rightPage) const {
        static const SheetFit natural = naturalFit();
        const SheetFit& fit = fit_ ? *fit_ : natural;
        return rightPage ? fit.right : fit.left;
    }
    void part(SheetPart::Kind kind, bool rightPage, int item = -1) {
        if (parts_) parts_->beginPart(SheetPart{kind, rightPage, item});
    }

  private:
    PrintSurface& s_;
    const SheetFit* fit_;
    SheetPartListener* parts_;
    std::optional<float> points_;
};

// The side line of a sentence printed smaller than the layout's size: thinner by the same
// factor, never thinner than one pixel.
int sideLineWidth(float points) {
    if (points == kSheetFontPoints) return kSideLine;
    return std::max(1, int(std::lround(kSideLine * points / kSheetFontPoints)));
}

// A side-line end as the printers hold it: a 16-bit whole number of twips. Ends that do not fit
// are not drawn at all, rather than drawn from a stale value.
std::optional<qint16> sideLineEnd(qint64 twips) {
    if (twips < std::numeric_limits<qint16>::min() || twips > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(twips);
}

void addItemNumbers(std::array<QString, 10>& sentences) {
    for (int i = 0; i < 10; ++i) sentences[i] = itemNumber(i) + sentences[i];
}

// --- Portrait layout for a vertical-writing face ----------------------------------------------

void printVerticalPage(Pen& pen, SheetPage& page, float yp, bool rightPage) {
    PrintSurface& s = pen.surface();
    const PageFit& fit = pen.page(rightPage);

    // Title frame; each use of the page width reads it afresh.
    pen.part(SheetPart::Frame, rightPage);
    if (auto w = pen.width()) pen.line(200, yp + 200, *w - 850, yp + 200);
    if (auto w1 = pen.width())
        if (auto w2 = pen.width()) pen.line(*w1 - 850, yp + 200, *w2 - 850, yp + 900);
    if (auto w = pen.width()) pen.line(*w - 850, yp + 900, 200, yp + 900);
    pen.line(200, yp + 900, 200, yp + 200);

    // Name field.
    pen.part(SheetPart::NameField, rightPage);
    pen.size(kFontSize);
    pen.textAt(5130, yp + 300, QStringLiteral("名"));
    pen.textAt(5630, yp + 300, QStringLiteral("前"));

    // Title, 500 twips a character; never cut.
    pen.part(SheetPart::Title, rightPage);
    const QStringList title = textCells(page.title);
    for (qsizetype i = 0; i < title.size(); ++i) {
        pen.size(fit.title.points);
        const float x = (rightPage ? 230 : 250) + fit.title.pitch * i;
        const float y = rightPage ? 250 : yp + 230;
        pen.textAt(x, y, title[i]);
    }

    // Sentences, each behind its item number, one character every 300 twips.
    pen.size(kFontSize);
    for (int i = 0; i < 10; ++i) {
        page.sentences[i] = itemNumber(i) + page.sentences[i];
        const QStringList sentence = textCells(page.sentences[i]);
        const TextFit& text = fit.sentences[i];
        pen.part(SheetPart::Sentence, rightPage, i);
        pen.fitSize(text.points);
        for (qsizetype j = 1; j <= sentence.size(); ++j)
            pen.textAt(300 + text.pitch * (j - 1), yp + 1000 + 700 * i, sentence[j - 1]);
    }

    // Two rows of five answer places.
    for (int k = 1; k <= 10; ++k) {
        std::optional<float> x;
        if (k <= 5) {
            if (auto w = pen.width()) x = (*w - 850) / 2;
        } else if (auto w1 = pen.width()) {
            if (auto w2 = pen.width()) x = (*w1 - 850) / 2 + (*w2 - 850) / 4;
        }
        pen.part(page.check != 0 ? SheetPart::Answer : SheetPart::AnswerNumber, rightPage, k - 1);
        if (page.check != 0) pen.fitSize(fit.answers[k - 1].points);
        if (x) s.setCurrentX(*x);
        s.setCurrentY(yp + 1400 * (k <= 5 ? k : k - 5));
        QString cell = kCircledDigits.mid(k - 1, 1);
        if (page.check != 0) cell += page.answers[k - 1];
        s.printText(cell);
    }

    // Side lines beside the asked parts.
    for (int i = 0; i < 10; ++i) {
        const qint64 lb = page.beforeLengths[i];
        const qint64 la = cellCount(page.askedParts[i]);
        const float pitch = fit.sentences[i].pitch;
        std::optional<qint16> x1, x2;
        if (pitch == kSentencePitch) {
            x1 = sideLineEnd(300 + ((lb + 1) * kLayoutUnit * 3) / 5);
            x2 = x1 ? sideLineEnd(*x1 + (la * kLayoutUnit * 3) / 5) : std::nullopt;
        } else {
            // A fitted sentence keeps its side line beside the asked part.
            x1 = sideLineEnd(std::lround(300 + (lb + 1) * pitch));
            x2 = x1 ? sideLineEnd(std::lround(*x1 + la * pitch)) : std::nullopt;
        }
        pen.part(SheetPart::SideLine, rightPage, i);
        s.setLineWidth(sideLineWidth(fit.sentences[i].points));
        const float y = yp + 1000 + 700 * i;
        if (x1 && x2) pen.line(*x1, y, *x2, y);
    }
}

// --- Landscape layout for an upright face ---------------------------------------------------

// A text as a column at x, one character every pitch twips (300 unless fitted) from y.
void printColumn(Pen& pen, float x, float y, const QString& text, float pitch) {
    const QStringList cells = textCells(text);
    for (qsizetype m = 0; m < cells.size(); ++m) pen.textAt(x, y + pitch * m, cells[m]);
}

void printUprightBody(Pen& pen, SheetPage& page, bool rightPage, float bodyX, float answerX0,
                      float answerPitch, float sideX) {
    PrintSurface& s = pen.surface();
    const PageFit& fit = pen.page(rightPage);
    // Item columns from item 10 on the left to item 1 on the right.
    pen.size(kFontSize);
    for (int i = 0; i < 10; ++i) {
        const TextFit& text = fit.sentences[9 - i];
        pen.part(SheetPart::Sentence, rightPage, 9 - i);
        pen.fitSize(text.points);
        printColumn(pen, bodyX + 700 * i, 200, page.sentences[9 - i], text.pitch);
    }

    // Answer rows; with answers, each cell is its number followed by the answer, 200 lower.
    static const QString upper = QStringLiteral("⑤④③②①");
    static const QString lower = QStringLiteral("⑩⑨⑧⑦⑥");
    for (int row = 0; row < 2; ++row) {
        const QString& numbers = row == 0 ? upper : lower;
        for (int j = 1; j <= 5; ++j) {
            const float x = answerX0 + answerPitch * j;
            const int item = row == 0 ? 5 - j : 10 - j;
            if (page.check == 0) {
                pen.part(SheetPart::AnswerNumber, rightPage, item);
                pen.textAt(x, row == 0 ? 5500 : 8250, numbers.mid(j - 1, 1));
            } else {
                const TextFit& text = fit.answers[item];
                pen.part(SheetPart::Answer, rightPage, item);
                pen.fitSize(text.points);
                printColumn(pen, x, row == 0 ? 5700 : 8450,
                            numbers.mid(j - 1, 1) + page.answers[item], text.pitch);
            }
        }
    }

    // Side lines, 350 twips right of each column, beside its asked part.
    for (int j = 0; j < 10; ++j) {
        const int k = 9 - j;
        const float pitch = fit.sentences[k].pitch;
        const qint64 la = cellCount(page.askedParts[k]);
        std::optional<qint16> y1, y2;
        if (pitch == kSentencePitch) {
            y1 = sideLineEnd(200 + (qint64{page.beforeLengths[k]} + 1) * 300);
            y2 = y1 ? sideLineEnd(*y1 + 300 * la) : std::nullopt;
        } else {
            y1 = sideLineEnd(std::lround(200 + (page.beforeLengths[k] + 1) * pitch));
            y2 = y1 ? sideLineEnd(std::lround(*y1 + la * pitch)) : std::nullopt;
        }
        pen.part(SheetPart::SideLine, rightPage, k);
        const float points = fit.sentences[k].points;
        s.setLineWidth(sideLineWidth(points));
        // Beside a narrowed column the line comes as much closer as the column is narrower.
        float x = sideX + 700 * j;
        if (points != kSheetFontPoints) x -= kSideLineGap * (1 - points / kSheetFontPoints);
        if (y1 && y2) pen.line(x, *y1, x, *y2);
    }
}

void printUprightTitle(Pen& pen, const QString& title, float offset, bool halfWidthBased) {
    PrintSurface& s = pen.surface();
    const TextFit& fit = pen.page(!halfWidthBased).title;
    pen.part(SheetPart::Title, !halfWidthBased);
    const QStringList cells = textCells(title);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        pen.size(fit.points);
        if (auto w = pen.width()) s.setCurrentX(halfWidthBased ? *w / 2 - offset : *w - offset);
        s.setCurrentY(500 + fit.pitch * i);
        s.printText(cells[i]);
    }
}

void printUprightNameField(Pen& pen, float offset, bool halfWidthBased) {
    pen.part(SheetPart::NameField, !halfWidthBased);
    pen.size(kFontSize);
    const QString name[2] = {QStringLiteral("名"), QStringLiteral("前")};
    for (int n = 0; n < 2; ++n) {
        PrintSurface& s = pen.surface();
        s.setCurrentY(n == 0 ? 6000 : 6300);
        if (auto w = pen.width()) s.setCurrentX(halfWidthBased ? *w / 2 - offset : *w - offset);
        s.printText(name[n]);
    }
}

}  // namespace

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

bool printWithVerticalFont(PrintableSheet& sheet, PrinterDialog& dialog, PrintSurface& surface) {
    if (!dialog.showPrinter()) return false;
    Pen pen(surface, sheet);
    surface.setFontName(sheet.fontName);
    surface.setPaperSize(kPaperA4);
    surface.setOrientation(kOrientationPortrait);
    surface.setLineStyle(kSolid);
    surface.setLineWidth(kThinLine);
    printVerticalPage(pen, sheet.right, 0, true);
    float height = 0;
    if (auto h = surface.pageHeight()) height = *h;
    surface.setLineWidth(kThinLine);
    printVerticalPage(pen, sheet.left, height / 2, false);
    return true;
}

bool printWithUprightFont(PrintableSheet& sheet, PrinterDialog& dialog, PrintSurface& surface) {
    if (!dialog.showPrinter()) return false;
    Pen pen(surface, sheet);
    // The right page's body stands on the right half of landscape A4, from half its short side,
    // whatever orientation the printer dialog was left in.
    const float halfWidth = kA4ShortTwips / 2.0f;
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
        switch (line) {
            case 0:
                pen.line(*w - 800, 200, *w - 100, 200);
                break;
            case 1:
                pen.line(*w - 800, 200, *w - 800, 11000);
                break;
            case 2:
                pen.line(*w - 800, 11000, *w - 100, 11000);
                break;
            case 3:
                pen.line(*w - 100, 11000, *w - 100, 200);
                break;
        }
    }
    printUprightNameField(pen, 650, false);
    printUprightTitle(pen, sheet.right.title, 650, false);
    pen.size(kFontSize);
    addItemNumbers(sheet.right.sentences);
    printUprightBody(pen, sheet.right, true, halfWidth + 2800, halfWidth + 2000, 1250,
                     halfWidth + 3150);

    // The frame between the pages, around the left page's title.
    pen.part(SheetPart::Frame, false);
    surface.setLineWidth(kThinLine);
    pen.line(halfWidth + 1600, 200, halfWidth + 2300, 200);
    pen.line(halfWidth + 1600, 200, halfWidth + 1600, 11000);
    pen.line(halfWidth + 1600, 11000, halfWidth + 2300, 11000);
    pen.line(halfWidth + 2300, 11000, halfWidth + 2300, 200);

    // Left page.
    printUprightNameField(pen, 700, true);
    printUprightTitle(pen, sheet.left.title, 700, true);
    pen.size(kFontSize);
    addItemNumbers(sheet.left.sentences);
    printUprightBody(pen, sheet.left, false, 300, -500, 1250, 650);
    return true;
}

}  // namespace pobelo
