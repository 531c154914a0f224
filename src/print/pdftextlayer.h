#pragma once

#include <QByteArray>
#include <QLineF>
#include <QStringList>
#include <utility>

namespace pobelo {

// The text of a PDF's pages as the sheet holds it, for copying, searching and reading aloud.
//
// Qt's PDF writer maps each glyph back to a character through the font's own character map. For a
// vertical form that gives a presentation form or nothing (︒ for 。, no ー), and for a kanji whose
// glyph a Kangxi radical shares it may give the radical (⼩ for 小). So the painter surface marks
// where each piece of the sheet's text is drawn, with two lines far off the page, and keeps the
// line's text here, with a line end after each line; as each page's content is written, the
// document's writer (PdfRewriter) turns each pair of marks into a marked-content span whose
// /ActualText is that text (markSpans), and then forgets the page's lines.
//
// A device that wants its text kept so derives from this class; the painter surface finds it.
class PdfTextLayer {
  public:
    virtual ~PdfTextLayer() = default;
    // Starts a new span, a piece of the line of text being drawn, and returns its number.
    int beginSpan() {
        spans_.append(QString());
        return base_ + int(spans_.size() - 1);
    }
    // Starts a span that stands for no text (ruby beside the sheet's text) and returns its number.
    // Drawn between lines it belongs to none; inside one it adds nothing to it.
    int beginSilentSpan() {
        const bool between = lineStart_ == spans_.size();
        spans_.append(QString());
        if (between) lineStart_ = spans_.size();
        return base_ + int(spans_.size() - 1);
    }
    // Text drawn in the span begun last.
    void addText(const QString& text) {
        if (!spans_.isEmpty()) spans_.last() += text;
    }
    // Ends the line of text (a sentence, a title, an answer) that the spans since the last line
    // end belong to. Its pieces may be drawn in different frames (turned and upright characters),
    // which text extraction would read as separate lines: the first piece stands for the whole
    // line and its line end, and the others for nothing.
    void endLine() {
        if (lineStart_ >= spans_.size()) return;
        for (qsizetype i = lineStart_ + 1; i < spans_.size(); ++i)
            spans_[lineStart_] += std::exchange(spans_[i], QString());
        spans_[lineStart_] += u'\n';
        lineStart_ = spans_.size();
    }
    // The text of span number n; nullptr when there is no such span (any more).
    const QString* span(int n) const {
        const qsizetype at = qsizetype(n) - base_;
        return at >= 0 && at < spans_.size() ? &spans_[at] : nullptr;
    }
    // Forgets the lines that have ended, once the page they are on has been written. When no line
    // is open the numbers start again from 0, so that a page's marks never run out of room.
    void forgetEndedLines() {
        base_ += int(lineStart_);
        spans_.remove(0, lineStart_);
        lineStart_ = 0;
        if (spans_.isEmpty()) base_ = 0;
    }

  private:
    QStringList spans_;
    qsizetype lineStart_ = 0;
    int base_ = 0;  // the number of spans_[0]
};

// The mark drawn where span number span begins (or ends), in the page's twips: a line of no
// page, which the writer keeps as it is given.
QLineF spanMark(int span, bool end);

// Puts the text of each span of layer into content, a page's content as QPdfWriter writes it:
// each pair of marks becomes a marked-content span with the text as /ActualText, and *changed is
// set. False, with content unchanged, when the marks do not pair up.
bool markSpans(QByteArray& content, const PdfTextLayer& layer, bool* changed);

// A ToUnicode map (a CMap's text) with every character a glyph shows made plain: a Kangxi radical
// or a vertical presentation form becomes the ideograph or sign that shares its glyph.
QByteArray plainToUnicode(const QByteArray& cmap);

// Six capital letters for a subset of the font named name, from what sets the font and its subset
// apart (its glyphs' widths).
QByteArray subsetTag(const QByteArray& name, const QByteArray& widths);

// A PDF text string: plain ASCII as a literal string (as dates must be), anything else as
// UTF-16BE with its byte order mark, in hexadecimal.
QByteArray pdfTextString(const QString& text);

}  // namespace pobelo
