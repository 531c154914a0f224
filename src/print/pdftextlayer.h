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
// line's text here, with a line end after each line; once the document is written,
// pdfTextLayerUpdate turns each pair of marks into a marked-content span whose /ActualText is that
// text.
//
// A device that wants its text kept so derives from this class; the painter surface finds it.
class PdfTextLayer {
  public:
    virtual ~PdfTextLayer() = default;
    // Starts a new span, a piece of the line of text being drawn, and returns its number.
    int beginSpan() {
        spans_.append(QString());
        return int(spans_.size() - 1);
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
    const QStringList& spans() const { return spans_; }

  private:
    QStringList spans_;
    qsizetype lineStart_ = 0;
};

// The mark drawn where span number span begins (or ends), in the page's twips: a line of no
// page, which the writer keeps as it is given.
QLineF spanMark(int span, bool end);

// The incremental update to append to document, a PDF as QPdfWriter writes it, whose page contents
// carry the marks of spans: each pair of marks becomes a span with its text as /ActualText, the
// characters the glyphs show are mapped back from radicals and vertical presentation forms to the
// characters they stand for, and every subset font's name gets its subset tag. Empty when the
// document is not laid out as QPdfWriter writes it or holds no marks.
QByteArray pdfTextLayerUpdate(const QByteArray& document, const QStringList& spans);

}  // namespace pobelo
