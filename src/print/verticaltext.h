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

// How a stretch of a string stands in a vertical column.
enum class ColumnSetting {
    Vertical,      // wide characters in their vertical forms, one after the other
    Upright,       // narrow characters standing upright together in one em cell
    Sideways,      // narrow characters lying along the column at their own advance
    SidewaysCell,  // one narrow character lying along the column, centred in an em cell
};

struct ColumnRun {
    qsizetype start = 0;   // in UTF-16 units
    qsizetype length = 0;  // in UTF-16 units
    ColumnSetting setting = ColumnSetting::Vertical;
};

// Cuts `text`, printed as one string down a column, into the ways its parts stand. A narrow
// letter or digit printed alone stands upright in its cell, and any other narrow character
// printed alone lies in the middle of its cell; within a longer string, runs of one or two
// half-width digits stand upright together in one cell, and other narrow runs lie sideways.
QList<ColumnRun> splitColumnRuns(const QString& text);

// Whether font has a real font file behind it. With no font installed, or no file handle left to
// open one, Qt hands out a placeholder face that claims to be valid but has no tables and no
// names, and must not be used.
bool isUsableFace(const QRawFont& font);

// Lays out text top to bottom with the vertical forms of one font (its 'vert' and 'vrt2'
// substitutions and vertical metrics), shaped by HarfBuzz over the font's own tables.
class VerticalShaper {
  public:
    // Its pixel size is the size of the shaped text; with a font that is not usable
    // (isUsableFace) the shaper is not valid.
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

    // How far the horizontal baseline lies below the top of the ideographic em box, in pixels:
    // where narrow text stands so that it lines up with the ideographs' em boxes.
    qreal emBoxBaseline() const { return emBoxBaseline_; }

  private:
    Column shapeNow(const QString& text) const;

    QRawFont rawFont_;
    hb_face_t* face_ = nullptr;
    hb_font_t* font_ = nullptr;
    hb_buffer_t* buffer_ = nullptr;
    mutable QHash<QString, Column> characters_;
    qreal scale_ = 1;  // pixels per font unit
    qreal emBoxBaseline_ = 0;
};

}  // namespace pobelo
