#include "preflight.h"

#include <QRectF>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "furniture.h"
#include "textruns.h"

namespace pobelo {

namespace {

constexpr float kTwipsPerPoint = 20;
// Line widths are counted in device pixels of a 600-dpi printer.
constexpr float kTwipsPerLinePixel = 1440.0f / 600;
// Rounding of positions computed in single precision.
constexpr qreal kSlack = 0.5;
// Fitted sizes are whole quarter points.
constexpr float kSizeStep = 0.25f;

// One drawn text character or line, with the part of the sheet it belongs to.
struct Cell {
    SheetPart part;
    QRectF rect;
    bool line = false;
    int order = 0;  // the part's place in drawing order
    QRectF ink;     // a line's ink, which ends where it ends (rect reaches half its width past)
};

// Whether a character leaves ink: marks, format and control characters and spaces show none
// of their own (a variation selector is no glyph of any face).
bool leavesInk(char32_t c) {
    switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Separator_Space:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            return true;
    }
}

// A print surface that draws nothing: it keeps the cell of every character and the extent of every
// line, on A4 paper, and with a measurer the characters of each part that no face can show.
class CellSurface : public PrintSurface, public SheetPartListener {
  public:
    CellSurface(TextMeasurer* measurer, bool bold, bool italic)
        : measurer_(measurer), bold_(bold), italic_(italic) {}

    QList<Cell> cells;
    // By the part's place in drawing order, each character no face shows, once.
    std::map<int, QList<char32_t>> unshown;

    void beginPart(const SheetPart& part) override {
        part_ = part;
        ++order_;
    }
    bool setFontName(const QString& name) override {
        fontName_ = name;
        return true;
    }
    bool setFontSize(float points) override {
        if (!(points > 0)) return false;
        points_ = points;
        return true;
    }
    bool setFontBold(bool) override { return true; }
    bool setFontItalic(bool) override { return true; }
    bool setCurrentX(float twips) override {
        x_ = twips;
        return true;
    }
    bool setCurrentY(float twips) override {
        y_ = twips;
        return true;
    }
    std::optional<float> pageWidth() override { return landscape_ ? kA4LongTwips : kA4ShortTwips; }
    std::optional<float> pageHeight() override { return landscape_ ? kA4ShortTwips : kA4LongTwips; }
    bool setPaperSize(int paper) override { return paper == kPaperA4; }
    bool setOrientation(int orientation) override {
        landscape_ = orientation == kOrientationLandscape;
        return true;
    }
    bool setLineStyle(int) override { return true; }
    bool setLineWidth(int pixels) override {
        lineWidth_ = pixels;
        return true;
    }
    bool drawLine(float x1, float y1, float x2, float y2, int) override {
        const qreal half = lineWidth_ * kTwipsPerLinePixel / 2;
        QRectF rect(QPointF(std::min(x1, x2), std::min(y1, y2)),
                    QPointF(std::max(x1, x2), std::max(y1, y2)));
        if (rect.width() == 0 && rect.height() == 0) return true;  // leaves no mark
        const QRectF ink =
            rect.width() == 0 ? rect.adjusted(-half, 0, half, 0) : rect.adjusted(0, -half, 0, half);
        cells.append(Cell{part_, rect.adjusted(-half, -half, half, half), true, order_, ink});
        return true;
    }
    // Each character's cell, where it stands in the string measured whole as it is printed: a
    // character ends where the string up to it would end.
    bool printText(const QString& text) override {
        const qreal em = points_ * kTwipsPerPoint;
        const QStringList characters = textCells(text);
        QString printed;
        qreal end = 0;
        for (qsizetype i = 0; i < characters.size(); ++i) {
            printed += characters[i];
            const qreal start = end;
            end = measurer_ ? measurer_->advance(fontName_, points_, bold_, italic_, printed)
                            : em * (i + 1);
            cells.append(
                Cell{part_, QRectF(x_ + start, y_, end - start, em), false, order_, QRectF()});
        }
        if (measurer_) {
            for (const uint c : text.toUcs4()) {
                QList<char32_t>& lacking = unshown[order_];
                if (leavesInk(c) && !lacking.contains(c) &&
                    !measurer_->canShow(fontName_, bold_, italic_, c))
                    lacking.append(c);
            }
        }
        return true;
    }
    bool endDoc() override { return true; }

  private:
    TextMeasurer* measurer_;
    bool bold_, italic_;
    SheetPart part_;
    int order_ = 0;
    QString fontName_;
    float points_ = kSheetFontPoints;
    float x_ = 0, y_ = 0;
    bool landscape_ = false;
    int lineWidth_ = 1;
};

QList<Cell> layOut(const SheetContent& sheet, TextMeasurer* measurer, const SheetFit* fit,
                   std::map<int, QList<char32_t>>* unshown = nullptr) {
    CellSurface surface(measurer, sheet.bold, sheet.italic);
    drawSheet(sheet, fit ? *fit : naturalFit(), surface, &surface);
    if (unshown) *unshown = std::move(surface.unshown);
    return surface.cells;
}

// 「😀」（U+1F600）、「🍣」（U+1F363）
QString namedCharacters(const QList<char32_t>& characters) {
    QStringList named;
    for (const char32_t c : characters) {
        named << QStringLiteral("「%1」（U+%2）")
                     .arg(QString::fromUcs4(&c, 1),
                          QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
    }
    return named.join(QStringLiteral("、"));
}

// A boundary a part's texts must stay inside, and what it is called when they do not.
struct Limit {
    QRectF rect;
    QString crossing;  // "解答欄にかかります"
};

QString itemName(const SheetPart& part) {
    switch (part.kind) {
        case SheetPart::Frame:
        case SheetPart::Title:
            return QStringLiteral("表題");
        case SheetPart::NameField:
            return QStringLiteral("名前");
        case SheetPart::Mark:
            return QStringLiteral("印");
        case SheetPart::Instruction:
            return QStringLiteral("指示文");
        case SheetPart::ClassField:
            return QStringLiteral("組・番");
        case SheetPart::ScoreBox:
            return QStringLiteral("点数");
        case SheetPart::CutLine:
            return QStringLiteral("切り取り線");
        case SheetPart::KeyMark:
            return QStringLiteral("解答");
        default:
            return itemNumber(part.item);
    }
}

// "③ の文", "表題", "⑤ の解答": the part as the subject of a finding.
QString subject(const SheetPart& part) {
    switch (part.kind) {
        case SheetPart::Frame:
            return QStringLiteral("表題の枠");
        case SheetPart::NameField:
            return QStringLiteral("「名前」");
        case SheetPart::Title:
            return QStringLiteral("表題");
        case SheetPart::Sentence:
            return itemNumber(part.item) + QStringLiteral(" の文");
        case SheetPart::AnswerNumber:
            return itemNumber(part.item) + QStringLiteral(" の番号");
        case SheetPart::Answer:
            return itemNumber(part.item) + QStringLiteral(" の解答");
        case SheetPart::SideLine:
            return itemNumber(part.item) + QStringLiteral(" の傍線");
        case SheetPart::Mark:
            return QStringLiteral("並べ替えの印");
        case SheetPart::Instruction:
            return QStringLiteral("指示文");
        case SheetPart::ClassField:
            return QStringLiteral("「組」「番」");
        case SheetPart::ScoreBox:
            return QStringLiteral("点数の欄");
        case SheetPart::AnswerBox:
            return itemNumber(part.item) + QStringLiteral(" のマス目の解答");
        case SheetPart::CutLine:
            return QStringLiteral("「きりとり」");
        case SheetPart::Ruby:
            return itemNumber(part.item) + QStringLiteral(" のふりがな");
        case SheetPart::KeyMark:
            return QStringLiteral("「解答」の印");
    }
    return {};
}

QRectF paperOf(bool vertical) {
    return vertical ? QRectF(0, 0, verticalSheet::kPaperWidth, verticalSheet::kPaperHeight)
                    : QRectF(0, 0, uprightSheet::kPaperWidth, uprightSheet::kPaperHeight);
}

// The title frame the answer key's mark stands in.
QRectF keyMarkFrame(bool rightPage, bool vertical, qreal w, qreal h) {
    if (vertical) {
        using namespace verticalSheet;
        const qreal top = rightPage ? 0 : h / 2;
        return QRectF(QPointF(kFrameLeft, top + kFrameTop),
                      QPointF(frameWidth(w), top + kFrameBottom));
    }
    using namespace uprightSheet;
    if (rightPage)
        return QRectF(QPointF(w - kRightFrameInner, kTop),
                      QPointF(w - kRightFrameOuter, kFrameBottom));
    return QRectF(QPointF(kRightPageOrigin + kMiddleFrameLeft, kTop),
                  QPointF(kRightPageOrigin + kMiddleFrameRight, kFrameBottom));
}

// The boundaries of a part, the paper first, then the frames, then its own area.
QList<Limit> limitsOf(const SheetPart& part, bool vertical) {
    QList<Limit> limits;
    const QRectF paper = paperOf(vertical);
    const qreal w = paper.width();
    const qreal h = paper.height();
    limits.append(Limit{paper, QString()});
    if (part.kind == SheetPart::KeyMark) {
        limits.append(Limit{keyMarkFrame(part.rightPage, vertical, w, h),
                            QStringLiteral("表題の枠からはみ出します")});
        return limits;
    }
    if (part.kind == SheetPart::Frame || part.kind == SheetPart::SideLine ||
        part.kind == SheetPart::NameField || part.kind == SheetPart::AnswerNumber ||
        part.kind == SheetPart::Mark || part.kind == SheetPart::ClassField ||
        part.kind == SheetPart::ScoreBox || part.kind == SheetPart::AnswerBox ||
        part.kind == SheetPart::CutLine)
        return limits;
    if (vertical) {
        using namespace verticalSheet;
        // Portrait: each page is one half of the paper; its texts run along X.
        const qreal top = part.rightPage ? 0 : h / 2;
        const qreal answers = upperAnswersX(w);
        if (part.kind == SheetPart::Title || part.kind == SheetPart::Instruction) {
            limits.append(Limit{
                QRectF(QPointF(kFrameLeft, top + kFrameTop), QPointF(kNameX, top + kFrameBottom)),
                QStringLiteral("「名前」にかかります")});
        } else if (part.kind == SheetPart::Sentence || part.kind == SheetPart::Ruby) {
            limits.append(Limit{QRectF(QPointF(0, top), QPointF(answers, top + h / 2)),
                                QStringLiteral("解答欄にかかります")});
        } else if (part.kind == SheetPart::Answer && part.item < 5) {
            limits.append(
                Limit{QRectF(QPointF(0, top), QPointF(answers + lowerAnswersStep(w), top + h / 2)),
                      QStringLiteral("下の段にかかります")});
        }
        return limits;
    }
    using namespace uprightSheet;
    // Landscape: columns run down along Y, above the frames' bottom.
    limits.append(Limit{QRectF(0, 0, w, kFrameBottom), QStringLiteral("枠の下にはみ出します")});
    qreal end = 0;
    QString crossing;
    if (part.kind == SheetPart::Title) {
        end = kNameY;
        crossing = QStringLiteral("「名前」にかかります");
    } else if (part.kind == SheetPart::Sentence || part.kind == SheetPart::Instruction ||
               part.kind == SheetPart::Ruby) {
        end = kUpperNumbersY;
        crossing = QStringLiteral("解答欄にかかります");
    } else if (part.kind == SheetPart::Answer && part.item < 5) {
        end = kLowerAnswersY;
        crossing = QStringLiteral("下の段にかかります");
    }
    if (end > 0) limits.append(Limit{QRectF(0, 0, w, end), crossing});
    return limits;
}

bool inside(const QRectF& cell, const QRectF& area) {
    return cell.left() >= area.left() - kSlack && cell.top() >= area.top() - kSlack &&
           cell.right() <= area.right() + kSlack && cell.bottom() <= area.bottom() + kSlack;
}

bool overlap(const QRectF& a, const QRectF& b) {
    return a.left() < b.right() - kSlack && b.left() < a.right() - kSlack &&
           a.top() < b.bottom() - kSlack && b.top() < a.bottom() - kSlack;
}

// A part of the sheet by its place in drawing order, with its cells.
struct Part {
    SheetPart part;
    QList<QRectF> texts;
    QList<QRectF> lines;
    QList<QRectF> inks;  // of the lines
};

std::map<int, Part> partsOf(const QList<Cell>& cells) {
    std::map<int, Part> parts;
    for (const Cell& cell : cells) {
        Part& p = parts[cell.order];
        p.part = cell.part;
        (cell.line ? p.lines : p.texts).append(cell.rect);
        if (cell.line) p.inks.append(cell.ink);
    }
    return parts;
}

QString characters(qsizetype n) {
    return QStringLiteral("（%1字）").arg(n);
}

QRectF areaOf(const SheetPart& part, bool vertical) {
    QRectF area = limitsOf(part, vertical).first().rect;
    for (const Limit& limit : limitsOf(part, vertical)) area = area.intersected(limit.rect);
    return area;
}

// The size a fit gives a text of the sheet; the layout's own size for parts a fit leaves alone.
float fittedSize(const SheetFit& fit, const SheetPart& part) {
    const PageFit& page = part.rightPage ? fit.right : fit.left;
    switch (part.kind) {
        case SheetPart::Title:
            return page.title.points;
        case SheetPart::Sentence:
        case SheetPart::Ruby:
            return page.sentences[part.item].points;
        case SheetPart::Answer:
            return page.answers[part.item].points;
        case SheetPart::Instruction:
            return page.instruction.points;
        default:
            return kSheetFontPoints;
    }
}

float floorToStep(float points) {
    return std::floor(points / kSizeStep) * kSizeStep;
}

// The pitch and size that keep a text from start to end. n characters stand pitch apart, the
// longest of them reaches widest along the text and the last one last, at the layout's size.
// The characters close up until they would overprint one another; then the text gets smaller.
TextFit fitRun(qreal start, qreal end, qsizetype n, float pitch, qreal widest, qreal last) {
    const TextFit natural{pitch, kSheetFontPoints};
    if (start + pitch * (n - 1) + last <= end + kSlack || end <= start) return natural;
    if (n > 1) {
        const float closer = std::floor((end - start - last) / (n - 1));
        if (closer >= widest - kSlack) return TextFit{closer, kSheetFontPoints};
    }
    // Closed up and smaller by the same factor: start + scale * (widest * (n - 1) + last) <= end.
    const qreal scale = (end - start) / (widest * (n - 1) + last);
    const float points = std::max(floorToStep(float(kSheetFontPoints * scale)), kSmallestFitPoints);
    return TextFit{float(std::floor(widest * points / kSheetFontPoints)), points};
}

// The pitch and size that keep a sentence with ruby from start to end: as fitRun fits a text,
// with the sentence laid out with its ruby (which shrinks with it) at each pitch and size tried.
TextFit fitRubySentence(const PageContent& page, int item, qreal start, qreal end, float pitch,
                        qreal widest, qreal last) {
    const QStringList cells = textCells(itemNumber(item) + page.sentences[item]);
    const auto reaches = [&](float p, float points) {
        const RubyPlacement placed =
            placeRuby(cells, 1, page.ruby[item], qsizetype{page.beforeLengths[item]} + 1,
                      cellCount(page.askedParts[item]), p, points);
        qreal far =
            placed.cells.isEmpty() ? 0 : placed.cells.last() + last * points / kSheetFontPoints;
        if (!placed.ruby.isEmpty())
            far = std::max<qreal>(far,
                                  placed.ruby.last().offset + placed.rubyPoints * kTwipsPerPoint);
        return start + far;
    };
    if (reaches(pitch, kSheetFontPoints) <= end + kSlack || end <= start)
        return TextFit{pitch, kSheetFontPoints};
    for (float closer = std::floor(pitch) - 1; closer >= widest - kSlack; --closer) {
        if (reaches(closer, kSheetFontPoints) <= end + kSlack)
            return TextFit{closer, kSheetFontPoints};
    }
    TextFit fit{pitch, kSheetFontPoints};
    for (float points = kSheetFontPoints - kSizeStep; points >= kSmallestFitPoints;
         points -= kSizeStep) {
        fit = TextFit{float(std::floor(widest * points / kSheetFontPoints)), points};
        if (reaches(fit.pitch, points) <= end + kSlack) break;
    }
    return fit;
}

}  // namespace

QString Finding::page() const {
    return rightPage ? QStringLiteral("右") : QStringLiteral("左");
}

QString Finding::line() const {
    return page() + QStringLiteral("ページ　") + what;
}

QList<LaidOutCell> layOutCells(const SheetContent& sheet, TextMeasurer* measurer,
                               const SheetFit* fit) {
    const bool vertical = sheet.vertical();
    QList<LaidOutCell> out;
    for (const Cell& cell : layOut(sheet, measurer, fit)) {
        if (!cell.line) out.append(LaidOutCell{cell.part, cell.rect, areaOf(cell.part, vertical)});
    }
    return out;
}

QList<Finding> preflightSheet(const SheetContent& sheet, TextMeasurer* measurer,
                              const SheetFit* fit, const UnprintableMargins& margins) {
    const bool vertical = sheet.vertical();
    std::map<int, QList<char32_t>> unshown;
    const std::map<int, Part> parts = partsOf(layOut(sheet, measurer, fit, &unshown));
    QList<Finding> findings;
    std::map<int, bool> found;
    auto add = [&](const Part& p, const QString& what) {
        findings.append(Finding{p.part.rightPage, itemName(p.part), what});
    };

    // Each text against the paper, the frames and its own area: the first boundary it crosses.
    for (const auto& [order, p] : parts) {
        const QList<Limit> limits = limitsOf(p.part, vertical);
        for (qsizetype l = 0; l < limits.size() && !found[order]; ++l) {
            const qsizetype out =
                std::count_if(p.texts.begin(), p.texts.end(),
                              [&](const QRectF& c) { return !inside(c, limits[l].rect); });
            if (out == 0) continue;
            QString crossing = limits[l].crossing;
            if (l == 0) {
                // Off the paper: past its far end in the direction the text runs, or
                // elsewhere.
                const QRectF& paper = limits[l].rect;
                const bool pastEnd =
                    std::all_of(p.texts.begin(), p.texts.end(), [&](const QRectF& c) {
                        return inside(c, paper) ||
                               (vertical ? c.right() > paper.right() : c.bottom() > paper.bottom());
                    });
                crossing = pastEnd ? QStringLiteral("用紙の下にはみ出します")
                                   : QStringLiteral("用紙からはみ出します");
            }
            if (fit && fittedSize(*fit, p.part) == kSmallestFitPoints)
                crossing =
                    QStringLiteral("%1ポイントでも").arg(double(kSmallestFitPoints)) + crossing;
            add(p, subject(p.part) + QStringLiteral("が") + crossing + characters(out));
            found[order] = true;
        }
    }

    // Texts that stay in their places but lie over another text whose own place is right.
    for (const auto& [order, p] : parts) {
        if (found[order]) continue;
        for (const auto& [otherOrder, other] : parts) {
            if (otherOrder <= order || found[otherOrder]) continue;
            const auto& otherTexts = other.texts;
            const bool touches = std::any_of(p.texts.begin(), p.texts.end(), [&](const QRectF& a) {
                return std::any_of(otherTexts.begin(), otherTexts.end(),
                                   [&](const QRectF& b) { return overlap(a, b); });
            });
            if (touches) {
                add(p, subject(p.part) + QStringLiteral("が") + subject(other.part) +
                           QStringLiteral("と重なります"));
                found[order] = true;
                break;
            }
        }
    }

    // Ruby that runs into a line: a side line beside it, or a frame.
    for (const auto& [order, p] : parts) {
        if (found[order] || p.part.kind != SheetPart::Ruby) continue;
        for (const auto& entry : parts) {
            // (a lambda takes a reference, not a structured binding, on every compiler we use)
            const auto& other = entry.second;
            const bool touches = std::any_of(p.texts.begin(), p.texts.end(), [&](const QRectF& a) {
                return std::any_of(other.inks.begin(), other.inks.end(),
                                   [&](const QRectF& b) { return overlap(a, b); });
            });
            if (!touches) continue;
            add(p, subject(p.part) + QStringLiteral("が") + subject(other.part) +
                       QStringLiteral("にかかります"));
            found[order] = true;
            break;
        }
    }

    // A side line stands beside its sentence: a sentence out of place takes its line along.
    auto causeFound = [&](const SheetPart& line) {
        if (line.kind != SheetPart::SideLine) return false;
        return std::any_of(parts.begin(), parts.end(), [&](const auto& entry) {
            const SheetPart& part = entry.second.part;
            return found[entry.first] && part.kind == SheetPart::Sentence &&
                   part.rightPage == line.rightPage && part.item == line.item;
        });
    };

    // Ink where the printer cannot print.
    if (margins) {
        const QRectF printable = paperOf(vertical).marginsRemoved(
            margins(vertical ? kOrientationPortrait : kOrientationLandscape));
        for (const auto& [order, p] : parts) {
            if (found[order] || causeFound(p.part)) continue;
            const qsizetype out =
                std::count_if(p.texts.begin(), p.texts.end(),
                              [&](const QRectF& c) { return !inside(c, printable); });
            const bool lineOut = std::any_of(p.lines.begin(), p.lines.end(), [&](const QRectF& c) {
                return !inside(c, printable);
            });
            if (out == 0 && !lineOut) continue;
            add(p, subject(p.part) + QStringLiteral("が印刷できない余白にかかります") +
                       (out > 0 ? characters(out) : QString()));
            found[order] = true;
        }
    }

    // Answer squares and brackets: each inside its place and the paper, clear of the sentences.
    const SheetFit natural = naturalFit();
    for (const bool right : {true, false}) {
        const SheetFit& used = fit ? *fit : natural;
        const float side = squareTwips(sheet, used, right);
        const bool atFloor = fit && side <= floorSquareTwips(sheet.paper);
        for (const AnswerBoxes& b : answerBoxes(sheet, used, right)) {
            const QString boxes = itemNumber(b.item) + (b.kanji ? QStringLiteral(" のマス目")
                                                                : QStringLiteral(" のかっこ"));
            const QRectF paper = paperOf(vertical);
            const qsizetype out = std::count_if(
                b.cells.begin(), b.cells.end(),
                [&](const QRectF& c) { return !inside(c, b.place) || !inside(c, paper); });
            if (out > 0) {
                QString crossing = b.item < 5 ? QStringLiteral("下の段にかかります")
                                              : QStringLiteral("解答欄からはみ出します");
                if (atFloor && b.kanji)
                    crossing = QStringLiteral("%1 mmでも").arg(kSquareFloorMillimetres) + crossing;
                findings.append(Finding{right, itemNumber(b.item),
                                        boxes + QStringLiteral("が") + crossing +
                                            QStringLiteral("（%1マス）").arg(out)});
                continue;
            }
            for (const auto& entry : parts) {
                const auto& p = entry.second;
                if (p.part.kind != SheetPart::Sentence || p.part.rightPage != right) continue;
                const bool touches =
                    std::any_of(b.cells.begin(), b.cells.end(), [&](const QRectF& c) {
                        return std::any_of(p.texts.begin(), p.texts.end(),
                                           [&](const QRectF& t) { return overlap(c, t); });
                    });
                if (touches) {
                    findings.append(Finding{right, itemNumber(b.item),
                                            boxes + QStringLiteral("が") + subject(p.part) +
                                                QStringLiteral("にかかります")});
                    break;
                }
            }
        }
    }

    // Characters that would print as empty boxes, named, whatever else the part has.
    for (const auto& [order, p] : parts) {
        const auto lacking = unshown.find(order);
        if (lacking == unshown.end() || lacking->second.isEmpty()) continue;
        add(p, subject(p.part) + QStringLiteral("の") + namedCharacters(lacking->second) +
                   QStringLiteral("を印刷できる字体がありません"));
    }
    return findings;
}

QList<Finding> fitNotes(const SheetContent& sheet, const SheetFit& fit) {
    QList<Finding> notes;
    if (!sheet.furniture.squares) return notes;
    for (const bool right : {true, false}) {
        const float fitted = (right ? fit.right : fit.left).squares;
        const float chosen = chosenSquareTwips(sheet, right);
        if (fitted <= 0 || fitted >= chosen) continue;
        auto mm = [&](float twips) {
            return QString::number(paperMillimetres(twips, sheet.paper), 'f', 1);
        };
        notes.append(Finding{right, QStringLiteral("マス目"),
                             QStringLiteral("マス目を %1 mm から %2 mm に小さくしました")
                                 .arg(mm(chosen), mm(fitted))});
    }
    return notes;
}

SheetFit fitSheet(const SheetContent& sheet, TextMeasurer* measurer) {
    const bool vertical = sheet.vertical();
    SheetFit fit = naturalFit();
    // Squares too large for the longest kanji answer get smaller, down to the floor.
    if (sheet.furniture.squares) {
        for (const bool right : {true, false}) {
            const std::optional<float> largest = largestFittingSquare(sheet, right);
            if (largest && *largest < chosenSquareTwips(sheet, right))
                (right ? fit.right : fit.left).squares =
                    std::max(*largest, floorSquareTwips(sheet.paper));
        }
    }
    for (const auto& [order, p] : partsOf(layOut(sheet, measurer, nullptr))) {
        const SheetPart& part = p.part;
        if (p.texts.isEmpty()) continue;
        PageFit& page = part.rightPage ? fit.right : fit.left;
        TextFit* text = nullptr;
        if (part.kind == SheetPart::Instruction) {
            // Set in one size along its line: only its size can change.
            const QRectF area = areaOf(part, vertical);
            const QRectF& first = p.texts.first();
            const QRectF& last = p.texts.last();
            const qreal start = vertical ? first.left() : first.top();
            const qreal length = (vertical ? last.right() : last.bottom()) - start;
            const qreal end = vertical ? area.right() : area.bottom();
            const float points = float(first.height() / kTwipsPerPoint);
            if (start + length > end + kSlack && end > start)
                page.instruction =
                    TextFit{0, std::max(floorToStep(float(points * (end - start) / length)), 7.0f)};
            continue;
        }
        if (part.kind == SheetPart::Title)
            text = &page.title;
        else if (part.kind == SheetPart::Sentence)
            text = &page.sentences[part.item];
        else if (part.kind == SheetPart::Answer)
            text = &page.answers[part.item];
        if (!text) continue;
        const QRectF area = areaOf(part, vertical);
        const QRectF& first = p.texts.first();
        const QRectF& lastCell = p.texts.last();
        if (vertical && part.kind == SheetPart::Answer) {
            // Printed in one piece: only its size can change.
            const qreal length = lastCell.right() - first.left();
            if (first.left() + length > area.right() + kSlack && area.right() > first.left()) {
                const float points =
                    floorToStep(float(kSheetFontPoints * (area.right() - first.left()) / length));
                text->points = std::max(points, kSmallestFitPoints);
            }
            continue;
        }
        const qreal start = vertical ? first.left() : first.top();
        const qreal end = vertical ? area.right() : area.bottom();
        const qreal last = vertical ? lastCell.width() : lastCell.height();
        qreal widest = 0;
        for (const QRectF& cell : p.texts)
            widest = std::max(widest, vertical ? cell.width() : cell.height());
        const PageContent& content = part.rightPage ? sheet.right : sheet.left;
        if (part.kind == SheetPart::Sentence && !content.ruby[part.item].isEmpty())
            *text = fitRubySentence(content, part.item, start, end, text->pitch, widest, last);
        else
            *text = fitRun(start, end, p.texts.size(), text->pitch, widest, last);
    }
    return fit;
}

}  // namespace pobelo
