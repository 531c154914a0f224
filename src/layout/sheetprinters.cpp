#include "sheetprinters.h"

#include <limits>
#include <optional>

namespace pobelo {

namespace {

constexpr int kLayoutUnit = 500;
constexpr float kFontSize = 15.0f;
constexpr int kBlack = 0;
constexpr int kSolid = 0;
constexpr int kThinLine = 1;
constexpr int kSideLine = 15;

const QString kCircledDigits = QStringLiteral("①②③④⑤⑥⑦⑧⑨⑩");

// The printers carry on past every failing surface operation; a value that cannot be read
// leaves the statement that needed it undone.
class Pen {
  public:
    explicit Pen(PrintSurface& surface) : s_(surface) {}

    // One text with its character cell at (x, y), the position set X first.
    void textAt(float x, float y, const QString& text) {
        s_.setCurrentX(x);
        s_.setCurrentY(y);
        s_.printText(text);
    }
    void line(float x1, float y1, float x2, float y2) { s_.drawLine(x1, y1, x2, y2, kBlack); }
    std::optional<float> width() { return s_.pageWidth(); }
    PrintSurface& surface() { return s_; }

  private:
    PrintSurface& s_;
};

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

    // Title frame; each use of the page width reads it afresh.
    if (auto w = pen.width()) pen.line(200, yp + 200, *w - 850, yp + 200);
    if (auto w1 = pen.width())
        if (auto w2 = pen.width()) pen.line(*w1 - 850, yp + 200, *w2 - 850, yp + 900);
    if (auto w = pen.width()) pen.line(*w - 850, yp + 900, 200, yp + 900);
    pen.line(200, yp + 900, 200, yp + 200);

    // Name field.
    s.setFontSize(kFontSize);
    pen.textAt(5130, yp + 300, QStringLiteral("名"));
    pen.textAt(5630, yp + 300, QStringLiteral("前"));

    // Title, 500 twips a character; never cut.
    for (qsizetype i = 0; i < page.title.size(); ++i) {
        s.setFontSize(kFontSize);
        const float x = rightPage ? 230 + 500.0f * i : 250 + 500.0f * i;
        const float y = rightPage ? 250 : yp + 230;
        pen.textAt(x, y, page.title.mid(i, 1));
    }

    // Sentences, each behind its item number, one character every 300 twips.
    s.setFontSize(kFontSize);
    for (int i = 0; i < 10; ++i) {
        page.sentences[i] = itemNumber(i) + page.sentences[i];
        const QString& sentence = page.sentences[i];
        for (qsizetype j = 1; j <= sentence.size(); ++j)
            pen.textAt(300.0f * j, yp + 1000 + 700 * i, sentence.mid(j - 1, 1));
    }

    // Two rows of five answer places.
    for (int k = 1; k <= 10; ++k) {
        std::optional<float> x;
        if (k <= 5) {
            if (auto w = pen.width()) x = (*w - 850) / 2;
        } else if (auto w1 = pen.width()) {
            if (auto w2 = pen.width()) x = (*w1 - 850) / 2 + (*w2 - 850) / 4;
        }
        if (x) s.setCurrentX(*x);
        s.setCurrentY(yp + 1400 * (k <= 5 ? k : k - 5));
        QString cell = kCircledDigits.mid(k - 1, 1);
        if (page.check != 0) cell += page.answers[k - 1];
        s.printText(cell);
    }

    // Side lines beside the asked parts.
    for (int i = 0; i < 10; ++i) {
        const qint64 lb = page.beforeLengths[i];
        const qint64 la = page.askedParts[i].size();
        const std::optional<qint16> x1 = sideLineEnd(300 + ((lb + 1) * kLayoutUnit * 3) / 5);
        const std::optional<qint16> x2 =
            x1 ? sideLineEnd(*x1 + (la * kLayoutUnit * 3) / 5) : std::nullopt;
        s.setLineWidth(kSideLine);
        const float y = yp + 1000 + 700 * i;
        if (x1 && x2) pen.line(*x1, y, *x2, y);
    }
}

// --- Landscape layout for an upright face ---------------------------------------------------

// A text as a column at x, one character every 300 twips from y.
void printColumn(Pen& pen, float x, float y, const QString& text) {
    for (qsizetype m = 0; m < text.size(); ++m) pen.textAt(x, y + 300.0f * m, text.mid(m, 1));
}

void printUprightBody(Pen& pen, SheetPage& page, float bodyX, float answerX0, float answerPitch,
                      float sideX) {
    PrintSurface& s = pen.surface();
    // Item columns from item 10 on the left to item 1 on the right.
    s.setFontSize(kFontSize);
    for (int i = 0; i < 10; ++i) printColumn(pen, bodyX + 700 * i, 200, page.sentences[9 - i]);

    // Answer rows; with answers, each cell is its number followed by the answer, 200 lower.
    static const QString upper = QStringLiteral("⑤④③②①");
    static const QString lower = QStringLiteral("⑩⑨⑧⑦⑥");
    for (int row = 0; row < 2; ++row) {
        const QString& numbers = row == 0 ? upper : lower;
        for (int j = 1; j <= 5; ++j) {
            const float x = answerX0 + answerPitch * j;
            if (page.check == 0) {
                pen.textAt(x, row == 0 ? 5500 : 8250, numbers.mid(j - 1, 1));
            } else {
                const int item = row == 0 ? 5 - j : 10 - j;
                printColumn(pen, x, row == 0 ? 5700 : 8450,
                            numbers.mid(j - 1, 1) + page.answers[item]);
            }
        }
    }

    // Side lines, 350 twips right of each column, beside its asked part.
    for (int j = 0; j < 10; ++j) {
        const int k = 9 - j;
        const std::optional<qint16> y1 =
            sideLineEnd(200 + (qint64{page.beforeLengths[k]} + 1) * 300);
        const std::optional<qint16> y2 =
            y1 ? sideLineEnd(*y1 + 300 * qint64{page.askedParts[k].size()}) : std::nullopt;
        s.setLineWidth(kSideLine);
        const float x = sideX + 700 * j;
        if (y1 && y2) pen.line(x, *y1, x, *y2);
    }
}

void printUprightTitle(Pen& pen, const QString& title, float offset, bool halfWidthBased) {
    PrintSurface& s = pen.surface();
    for (qsizetype i = 0; i < title.size(); ++i) {
        s.setFontSize(kFontSize);
        if (auto w = pen.width()) s.setCurrentX(halfWidthBased ? *w / 2 - offset : *w - offset);
        s.setCurrentY(500 + 500.0f * i);
        s.printText(title.mid(i, 1));
    }
}

void printUprightNameField(Pen& pen, float offset, bool halfWidthBased) {
    pen.surface().setFontSize(kFontSize);
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

bool printWithVerticalFont(PrintableSheet& sheet, PrinterDialog& dialog, PrintSurface& surface) {
    if (!dialog.showPrinter()) return false;
    Pen pen(surface);
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
    Pen pen(surface);
    // The right page's body stands on the right half of landscape A4, from half its short side,
    // whatever orientation the printer dialog was left in.
    const float halfWidth = kA4ShortTwips / 2.0f;
    surface.setFontName(sheet.fontName);
    surface.setPaperSize(kPaperA4);
    surface.setOrientation(kOrientationLandscape);
    surface.setLineStyle(kSolid);
    surface.setLineWidth(kThinLine);

    // Right page: title frame, name field and title along the right edge.
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
    surface.setFontSize(kFontSize);
    addItemNumbers(sheet.right.sentences);
    printUprightBody(pen, sheet.right, halfWidth + 2800, halfWidth + 2000, 1250, halfWidth + 3150);

    // The frame between the pages, around the left page's title.
    surface.setLineWidth(kThinLine);
    pen.line(halfWidth + 1600, 200, halfWidth + 2300, 200);
    pen.line(halfWidth + 1600, 200, halfWidth + 1600, 11000);
    pen.line(halfWidth + 1600, 11000, halfWidth + 2300, 11000);
    pen.line(halfWidth + 2300, 11000, halfWidth + 2300, 200);

    // Left page.
    printUprightNameField(pen, 700, true);
    printUprightTitle(pen, sheet.left.title, 700, true);
    surface.setFontSize(kFontSize);
    addItemNumbers(sheet.left.sentences);
    printUprightBody(pen, sheet.left, 300, -500, 1250, 650);
    return true;
}

}  // namespace pobelo
