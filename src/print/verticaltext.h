#pragma once

#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

struct hb_buffer_t;
struct hb_face_t;
struct hb_font_t;

namespace pobelo {

// True for a character that stands full width in East Asian text (East Asian Width F, W or A):
// kanji, kana, full-width forms, CJK punctuation, circled numbers and the like. A vertical-writing
// face turns exactly these characters.
bool isWideCharacter(char32_t c);

// A stretch of a string whose characters are all wide or all narrow.
struct WidthRun {
    qsizetype start = 0;   // in UTF-16 units
    qsizetype length = 0;  // in UTF-16 units
    bool wide = false;
};

// Cuts `text` into alternating runs of wide and narrow characters (a surrogate pair is kept whole).
QList<WidthRun> splitWidthRuns(const QString& text);

// Lays out text top to bottom with the vertical forms of one font (its 'vert' and 'vrt2'
// substitutions and vertical metrics), shaped by HarfBuzz over the font's own tables.
class VerticalShaper {
  public:
    // `font` must be valid; its pixel size is the size of the shaped text.
    explicit VerticalShaper(const QRawFont& font);
    ~VerticalShaper();
    VerticalShaper(const VerticalShaper&) = delete;
    VerticalShaper& operator=(const VerticalShaper&) = delete;

    bool isValid() const { return font_ != nullptr; }
    const QRawFont& rawFont() const { return rawFont_; }

    struct Column {
        QList<quint32> glyphs;
        // The glyphs' drawing origins (for QGlyphRun) in pixels, in the column's own upright
        // frame: x to the right, y downwards, origin at the top centre of the column.
        QList<QPointF> positions;
        qreal length = 0;  // how far the column runs down, in pixels
    };

    // Shapes `text` as one column in Japanese, top to bottom. A single character is shaped once
    // and then taken from the shaper's memory: sheets are printed a character at a time.
    Column shape(const QString& text) const;

  private:
    Column shapeNow(const QString& text) const;

    QRawFont rawFont_;
    hb_face_t* face_ = nullptr;
    hb_font_t* font_ = nullptr;
    hb_buffer_t* buffer_ = nullptr;
    qreal scale_ = 1;  // pixels per font unit
    mutable QHash<QString, Column> characters_;
};

}  // namespace pobelo
