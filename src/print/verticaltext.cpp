#include "verticaltext.h"

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>

#include "platformfonts.h"

namespace pobelo {

namespace {

hb_blob_t* referenceTable(hb_face_t*, hb_tag_t tag, void* userData) {
    if (tag == 0) return nullptr;  // the font as one blob: not available, tables only
    const auto* font = static_cast<const QRawFont*>(userData);
    char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
    auto* data = new QByteArray(font->fontTable(name));
    if (data->isEmpty()) {
        delete data;
        return nullptr;
    }
    return hb_blob_create(data->constData(), static_cast<unsigned>(data->size()),
                          HB_MEMORY_MODE_READONLY, data,
                          [](void* p) { delete static_cast<QByteArray*>(p); });
}

// For a font without vertical metrics: put every glyph's vertical origin at the top of the em box
// (the ascender) and the middle of its advance, so that the em box fills the column and the ink
// keeps its place inside it.
hb_bool_t emBoxVerticalOrigin(hb_font_t* font, void*, hb_codepoint_t glyph, hb_position_t* x,
                              hb_position_t* y, void*) {
    hb_font_extents_t extents{};
    hb_font_get_h_extents(font, &extents);
    *x = hb_font_get_glyph_h_advance(font, glyph) / 2;
    *y = extents.ascender;
    return true;
}

bool hasTable(const QRawFont& font, const char* tag) {
    return !font.fontTable(tag).isEmpty();
}

}  // namespace

bool isUsableFace(const QRawFont& font) {
    return font.isValid() && hasTable(font, "cmap") && hasTable(font, "head");
}

VerticalShaper::VerticalShaper(const QRawFont& font) : rawFont_(font) {
    if (!isUsableFace(rawFont_)) return;
    // Otherwise the face reads its tables from rawFont_, which lives as long as this shaper.
    face_ = faceFromFontFile(rawFont_);
    if (!face_) face_ = hb_face_create_for_tables(&referenceTable, &rawFont_, nullptr);
    const unsigned upem = static_cast<unsigned>(rawFont_.unitsPerEm());
    hb_face_set_upem(face_, upem);
    hb_font_t* base = hb_font_create(face_);
    hb_ot_font_set_funcs(base);
    hb_font_set_scale(base, int(upem), int(upem));
    if (hasTable(rawFont_, "vmtx") || hasTable(rawFont_, "VORG")) {
        font_ = base;
    } else {
        font_ = hb_font_create_sub_font(base);
        hb_font_destroy(base);
        hb_font_funcs_t* funcs = hb_font_funcs_create();
        hb_font_funcs_set_glyph_v_origin_func(funcs, &emBoxVerticalOrigin, nullptr, nullptr);
        hb_font_funcs_make_immutable(funcs);
        hb_font_set_funcs(font_, funcs, nullptr, nullptr);
        hb_font_funcs_destroy(funcs);
    }
    scale_ = rawFont_.pixelSize() / qreal(upem);
    buffer_ = hb_buffer_create();

    // The em box's top edge in horizontal text, from the font's BASE table or, without one, from
    // its ideographs' vertical metrics.
    hb_position_t top = 0;
    hb_position_t roman = 0;
    hb_ot_layout_get_baseline_with_fallback(
        font_, HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_TOP_OR_RIGHT, HB_DIRECTION_LTR, HB_SCRIPT_HAN,
        HB_TAG('J', 'A', 'N', ' '), &top);
    hb_ot_layout_get_baseline_with_fallback(font_, HB_OT_LAYOUT_BASELINE_TAG_ROMAN,
                                            HB_DIRECTION_LTR, HB_SCRIPT_HAN,
                                            HB_TAG('J', 'A', 'N', ' '), &roman);
    emBoxBaseline_ = (top - roman) * scale_;
}

VerticalShaper::~VerticalShaper() {
    hb_buffer_destroy(buffer_);
    hb_font_destroy(font_);
    hb_face_destroy(face_);
}

VerticalShaper::Column VerticalShaper::shape(const QString& text) const {
    const bool oneCharacter =
        text.size() == 1 || (text.size() == 2 && text.at(0).isHighSurrogate());
    if (!oneCharacter) return shapeNow(text);
    auto it = characters_.constFind(text);
    if (it == characters_.constEnd()) it = characters_.insert(text, shapeNow(text));
    return *it;
}

VerticalShaper::Column VerticalShaper::shapeNow(const QString& text) const {
    Column column;
    if (!font_ || text.isEmpty()) return column;

    hb_buffer_t* buffer = buffer_;
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.utf16()),
                        static_cast<int>(text.size()), 0, static_cast<int>(text.size()));
    hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
    hb_buffer_set_script(buffer, HB_SCRIPT_KATAKANA);  // Japanese: kana and kanji
    hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
    hb_shape(font_, buffer, nullptr, 0);

    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
    column.glyphs.reserve(count);
    column.positions.reserve(count);
    // HarfBuzz works with y upwards and the pen starting at the column's top centre; its offsets
    // already carry each glyph from its vertical origin to its ordinary drawing origin.
    qreal penX = 0;
    qreal penY = 0;
    for (unsigned i = 0; i < count; ++i) {
        column.glyphs.append(info[i].codepoint);
        column.positions.append(
            QPointF((penX + pos[i].x_offset) * scale_, -(penY + pos[i].y_offset) * scale_));
        penX += pos[i].x_advance;
        penY += pos[i].y_advance;
    }
    column.length = -penY * scale_;
    return column;
}

QList<FaceRun> faceRuns(const VerticalShaper* shaper, const ColumnPiece& piece) {
    QList<FaceRun> runs;
    for (qsizetype i = 0; i < piece.cells.size(); ++i) {
        const QString& cell = piece.cells[i];
        // A character is the face's when what it shows is: what follows it (a variation
        // selector, a combining mark) is the shaper's to place.
        const bool inFace =
            shaper && !cell.isEmpty() && shaper->rawFont().supportsCharacter(shownCodePoint(cell));
        if (inFace && !runs.isEmpty() && runs.last().inFace) {
            runs.last().text += cell;
            runs.last().source += piece.sources.value(i);
        } else {
            runs.append(FaceRun{cell, piece.sources.value(i), inFace});
        }
    }
    return runs;
}

qreal pieceLength(const ColumnPiece& piece, const VerticalShaper* shaper, qreal em) {
    if (piece.setting != CellSetting::Vertical) return em * piece.cells.size();
    qreal length = 0;
    for (const FaceRun& run : faceRuns(shaper, piece))
        length += run.inFace ? shaper->shape(run.text).length : em;
    return length;
}

}  // namespace pobelo
