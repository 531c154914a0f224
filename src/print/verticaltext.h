#pragma once

#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include "textruns.h"

struct hb_buffer_t;
struct hb_face_t;
struct hb_font_t;

namespace pobelo {

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

// A stretch of vertical characters as they are drawn: those the face has, shaped together, or
// one it lacks, which is drawn from another font upright in an em cell.
struct FaceRun {
    QString text;    // in the drawn forms
    QString source;  // as the text has them
    bool inFace = true;
};

// Cuts a run of vertical characters into what the face draws and what it lacks; without a shaper
// every character is lacking.
QList<FaceRun> faceRuns(const VerticalShaper* shaper, const ColumnPiece& piece);

// How far a piece of a string runs down a column, the one rule by which the painter advances and
// the measurer measures: the face's own vertical advances for the characters it has, and one em
// for each character it lacks and for an upright or sideways character.
qreal pieceLength(const ColumnPiece& piece, const VerticalShaper* shaper, qreal em);

}  // namespace pobelo
