#include "textruns.h"

#include <QTextBoundaryFinder>
#include <utility>

namespace pobelo {

namespace {

bool isHalfWidthMark(QChar c) {
    return c.unicode() == 0xFF9E || c.unicode() == 0xFF9F;
}

bool isHalfWidthKana(QChar c) {
    return c.unicode() >= 0xFF66 && c.unicode() <= 0xFF9D;
}

// The half-width Japanese signs, katakana and marks (U+FF61 to U+FF9F).
bool isHalfWidthForm(QChar c) {
    return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F;
}

// The precomposed full-width kana of a half-width kana and its mark; empty when there is none.
QString composed(const QString& kana, QChar mark) {
    const QString full = (kana + mark).normalized(QString::NormalizationForm_KC);
    return full.size() == 1 ? full : QString();
}

// A format character (a zero-width space, a direction mark or override, a soft hyphen): it shows
// nothing and takes no cell of its own.
bool isFormat(char32_t c) {
    return QChar::category(c) == QChar::Other_Format;
}

// The code point at i, and how many UTF-16 units it takes.
char32_t codePointAt(const QString& text, qsizetype i, int* units) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text.at(i + 1));
    }
    *units = 1;
    return c.unicode();
}

// The first character of text from i on that is no format character; 0 when there is none.
char32_t firstShown(const QString& text) {
    int units = 1;
    for (qsizetype i = 0; i < text.size(); i += units) {
        const char32_t c = codePointAt(text, i, &units);
        if (!isFormat(c)) return c;
    }
    return 0;
}

// Whether every character of text is a format character.
bool formatOnly(const QString& text) {
    return !text.isEmpty() && firstShown(text) == 0;
}

// Whether every UTF-16 unit of text is a character of its own: no surrogates, combining marks,
// joiners, selectors or control characters, which the cluster rules might join. Most texts are.
bool unitsAreCells(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool single = (u >= 0x20 && u < 0x300 && u != 0xAD) ||
                            (u >= 0x3000 && u < 0xD800 && u != 0x3099 && u != 0x309A) ||
                            (u >= 0xFF01 && u <= 0xFF9D);
        if (!single) return false;
    }
    return true;
}

}  // namespace

QStringList textCells(const QString& text) {
    if (unitsAreCells(text)) {
        QStringList cells;
        cells.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) cells.append(text.mid(i, 1));
        return cells;
    }
    // Grapheme clusters, with every half-width mark taken out as a character of its own...
    QStringList parts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        qsizetype from = start;
        for (qsizetype i = start; i < end; ++i) {
            if (!isHalfWidthMark(text.at(i))) continue;
            if (i > from) parts.append(text.mid(from, i - from));
            parts.append(text.mid(i, 1));
            from = i + 1;
        }
        if (end > from) parts.append(text.mid(from, end - from));
        start = end;
    }
    // ...and joined again to the kana before it where the two make one precomposed kana. Format
    // characters join the character before them, or the first one after them.
    QStringList cells;
    QString leading;
    for (const QString& part : parts) {
        if (formatOnly(part)) {
            if (cells.isEmpty())
                leading += part;
            else
                cells.last() += part;
        } else if (part.size() == 1 && isHalfWidthMark(part.at(0)) && !cells.isEmpty() &&
                   cells.last().size() == 1 && isHalfWidthKana(cells.last().at(0)) &&
                   !composed(cells.last(), part.at(0)).isEmpty()) {
            cells.last() += part;
        } else {
            cells.append(std::exchange(leading, QString()) + part);
        }
    }
    return cells;
}

char32_t shownCodePoint(const QString& cell) {
    return firstShown(cell);
}

qsizetype cellCount(const QString& text) {
    return unitsAreCells(text) ? text.size() : textCells(text).size();
}

CellSetting cellSetting(const QString& cell) {
    const char32_t c = shownCodePoint(cell);
    switch (c) {
        case U'(':
        case U')':
        case U'[':
        case U']':
        case U'{':
        case U'}':
            return CellSetting::Vertical;  // drawn as full-width brackets
        default:
            break;
    }
    if (c >= 0x20 && c < 0x7F)
        return QChar::isLetterOrNumber(c) ? CellSetting::Upright : CellSetting::Sideways;
    // Latin letters beyond ASCII stand like ASCII ones; their full-width forms are vertical.
    if (c >= 0x80 && c < 0x2000 && QChar::script(c) == QChar::Script_Latin &&
        QChar::isLetterOrNumber(c))
        return CellSetting::Upright;
    return CellSetting::Vertical;
}

QString cellForm(const QString& cell) {
    if (cell.isEmpty()) return cell;
    const QChar first = cell.at(0);
    if (isHalfWidthForm(first)) {
        if (cell.size() == 1 && isHalfWidthMark(first))
            return QString(QChar(first.unicode() == 0xFF9E ? 0x309B : 0x309C));  // ゛ ゜
        return cell.normalized(QString::NormalizationForm_KC);
    }
    if (cell.size() == 1) {
        switch (first.unicode()) {
            case '(':
            case ')':
            case '[':
            case ']':
            case '{':
            case '}':
                // The full-width forms lie 0xFEE0 above ASCII.
                return QString(QChar(first.unicode() + 0xFEE0));
            default:
                break;
        }
    }
    return cell;
}

QList<ColumnPiece> columnPieces(const QString& text) {
    QList<ColumnPiece> pieces;
    for (const QString& cell : textCells(text)) {
        const CellSetting setting = cellSetting(cell);
        if (setting != CellSetting::Vertical || pieces.isEmpty() ||
            pieces.last().setting != CellSetting::Vertical)
            pieces.append(ColumnPiece{setting, {}, {}});
        pieces.last().cells.append(cellForm(cell));
        pieces.last().sources.append(cell);
    }
    return pieces;
}

}  // namespace pobelo
