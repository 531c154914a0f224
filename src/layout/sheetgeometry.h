#pragma once

#include "printsurface.h"

// Where everything of a sheet stands, in twips from the paper's top-left corner (X to the right,
// Y downwards), and how large it is. Both printers draw by these names, the check before
// printing derives each text's area from them, and the tests state positions with them.
namespace pobelo {

// --- Both layouts -------------------------------------------------------------------------

// Every text of a sheet is set at this size (points) unless fitted; a character cell of it is
// kCharacterTwips square.
inline constexpr float kSheetFontPoints = 15;
// The size of the small mark of a page's version, and of the answer key's mark.
inline constexpr float kMarkPoints = 8;
inline constexpr int kCharacterTwips = 300;
// A sentence's (and a column answer's) characters stand a cell apart; a title's wider.
inline constexpr float kSentencePitch = kCharacterTwips;
inline constexpr float kTitlePitch = 500;
// Line widths, in pixels of a 600-dpi printer: frames, and the side lines beside asked parts.
inline constexpr int kThinLine = 1;
inline constexpr int kSideLineWidth = 15;

// --- Vertical layout: portrait A4, the right page on the upper half -------------------------

namespace verticalSheet {

inline constexpr int kPaperWidth = kA4ShortTwips;
inline constexpr int kPaperHeight = kA4LongTwips;

// A page's Y positions count from its top: 0 for the right page, half the paper's height (as
// the surface reports it) for the left page.

// The title frame: from kFrameLeft to kFrameRightMargin short of the paper's right edge.
inline constexpr int kFrameLeft = 200;
inline constexpr int kFrameRightMargin = 850;
inline constexpr int kFrameTop = 200;
inline constexpr int kFrameBottom = 900;
// On a sheet with ruby the frame ends higher, leaving the first row's ruby its room.
inline constexpr int kRubyFrameBottom = 820;
// The width the frame leaves of the paper; the answer places divide it.
template <typename T>
constexpr T frameWidth(T paperWidth) {
    return paperWidth - kFrameRightMargin;
}

// The name field's two characters "名" and "前".
inline constexpr int kNameX = 5130;
inline constexpr int kNameSecondX = 5630;
inline constexpr int kNameY = 300;

// The title's first character. The right page's Y is from the paper's top.
inline constexpr int kRightTitleX = 230;
inline constexpr int kRightTitleY = 250;
inline constexpr int kLeftTitleX = 250;
inline constexpr int kLeftTitleY = 230;

// Item i's sentence (its number first) runs along the row at kFirstRowY + i * kRowPitch; its
// side line is drawn along the same row.
inline constexpr int kSentenceX = 300;
inline constexpr int kFirstRowY = 1000;
inline constexpr int kRowPitch = 700;

// A reordered page's version mark, small, below the last row and right of the lower answers. A
// mark too long to end 5 mm inside the paper's edge from there starts as far back as it needs.
inline constexpr int kMarkX = 9900;
inline constexpr int kMarkY = 7900;
inline constexpr int kMarkEndX = kPaperWidth - 283;

// The answer key's mark 「解答」, small, inside the title frame below the title's first
// characters; Y from the page's top.
inline constexpr int kKeyMarkX = 250;
inline constexpr int kKeyMarkY = 650;

// Answer places: items 1 to 5 in a column at half the frame's width, items 6 to 10 a quarter of
// it further right; the k-th of a column at k * kAnswerRowPitch.
inline constexpr int kAnswerRowPitch = 1400;
template <typename T>
constexpr T upperAnswersX(T paperWidth) {
    return frameWidth(paperWidth) / 2;
}
template <typename T>
constexpr T lowerAnswersStep(T paperWidth) {
    return frameWidth(paperWidth) / 4;
}

}  // namespace verticalSheet

// --- Upright layout: landscape A4, the right page on the right half --------------------------

namespace uprightSheet {

inline constexpr int kPaperWidth = kA4LongTwips;
inline constexpr int kPaperHeight = kA4ShortTwips;

// The right page's body stands from half the paper's short side, whatever orientation the
// printer dialog was left in.
inline constexpr float kRightPageOrigin = kA4ShortTwips / 2.0f;

// Frames and columns start at kTop; the frames end at kFrameBottom.
inline constexpr int kTop = 200;
inline constexpr int kFrameBottom = 11000;
// The right page's title frame, along the paper's right edge: from kRightFrameInner to
// kRightFrameOuter short of it.
inline constexpr int kRightFrameInner = 800;
inline constexpr int kRightFrameOuter = 100;
// The frame between the pages, around the left page's title, from the right page's origin.
inline constexpr int kMiddleFrameLeft = 1600;
inline constexpr int kMiddleFrameRight = 2300;

// The name field and the title share a column: kRightTitleFromEdge short of the paper's right
// edge, kLeftTitleFromMiddle short of half its width. The title runs down from kTitleY, the
// name field's "名" and "前" stand at kNameY and kNameSecondY.
inline constexpr int kRightTitleFromEdge = 650;
inline constexpr int kLeftTitleFromMiddle = 700;
inline constexpr int kTitleY = 500;
inline constexpr int kNameY = 6000;
inline constexpr int kNameSecondY = 6300;

// Item columns, kColumnPitch apart, item 10 leftmost; each sentence runs down from kTop.
inline constexpr int kColumnPitch = 700;
// Answer places, kAnswerPitch apart: the upper row holds items 5 to 1 from left to right, the
// lower row items 10 to 6. A number alone stands at the row's numbers' Y; with the answers,
// the number and its answer run down from the answers' Y.
inline constexpr int kAnswerPitch = 1250;
inline constexpr int kUpperNumbersY = 5500;
inline constexpr int kLowerNumbersY = 8250;
inline constexpr int kUpperAnswersY = 5700;
inline constexpr int kLowerAnswersY = 8450;

// One page's body.
struct Page {
    float columnsX;    // item 10's column
    float answersX;    // the k-th answer place of a row is at answersX + k * kAnswerPitch
    float sideLinesX;  // item 10's side line; each is right of its column
};
// A reordered page's version mark, small, below the frames at the left end of its page's body.
inline constexpr int kMarkY = 11300;

// The answer key's mark 「解答」, small, in a column of its own inside the title frame: right of
// the title's column by kKeyMarkFromTitle, from the title's top.
inline constexpr int kKeyMarkFromTitle = 330;
inline constexpr int kKeyMarkY = kTitleY;

inline constexpr Page kRightPage{kRightPageOrigin + 2800, kRightPageOrigin + 2000,
                                 kRightPageOrigin + 3150};
inline constexpr Page kLeftPage{300, -500, 650};

}  // namespace uprightSheet

}  // namespace pobelo
