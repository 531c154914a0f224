#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <array>

#include "paper.h"
#include "questiontable.h"
#include "sheetprinters.h"
#include "sheetruby.h"
#include "sheetvariant.h"

namespace pobelo {

namespace text {
// What the title box becomes when a page is composed while its title is empty.
inline const QString kDefaultTitle = QStringLiteral("小テスト");
// The font button's caption before a heading names the sheet's face.
inline const QString kNoFontYet = QStringLiteral("Font");
// What a page printed with its answers carries beside its title when the sheet marks its key.
inline const QString kKeyMark = QStringLiteral("解答");
}  // namespace text

// One page of a sheet: where its items come from and how they are asked, its title and its
// 解答つき switch.
struct SheetPage {
    PageVariant variant;  // its source, items, label, flip, order and missed items
    QString title;        // as printed
    int answers = 0;      // the 解答つき box: answers print when it is not 0
    // What an emptied page still holds of its last composition, as the window's page keeps it:
    // behind its empty rows the answers print while its 解答つき box is ticked.
    std::array<qint16, 11> keptBeforeLengths{};
    std::array<QString, 11> keptAnswers;

    bool composed() const { return variant.composed(); }
    // Empties the page's rows; its answers stay behind them.
    void empty(const PageContent& shown);
};

// What a printed sheet is: both pages, the font, the paper and the question file it is made from.
// The window shows one, the command line builds them, a set file is one written down, and the
// printers draw what composeSheet makes of it.
struct Sheet {
    std::array<SheetPage, 2> pages;  // right, left
    // The title box, which numbers each page's title as a heading is chosen.
    QString titleText;
    QString fontName;
    bool bold = false;
    bool italic = false;
    bool rightPageActive = true;
    Paper paper = Paper::A4;
    // The instruction, 組・番, score box, answer squares and cut line the sheet carries.
    SheetFurniture furniture;
    // The ふりがな the sentences get.
    RubySetting ruby = RubySetting::None;
    // Every page printed with its answers carries 「解答」 small beside its title, so that the
    // answer key is not copied for the class by mistake. Off, the sheet prints as it always did.
    bool keyMark = false;
    // The question file as it was opened, and the SHA-256 (lower-case hex) of the bytes the
    // questions were read from; empty before a file is read.
    QString questionFile;
    QString sha256;
    // What the headings and items the sheet names held when it was saved, so that a set finds
    // them again in a question file changed since; empty for a sheet never saved.
    struct Remembered {
        QMap<qint16, QString> headings;    // record: its heading
        QMap<ItemRef, QStringList> items;  // item: before, asked part, after, answer
    };
    Remembered remembered;

    // A sheet before anything is composed, as the window starts.
    static Sheet blank();

    bool anyComposed() const { return pages[0].composed() || pages[1].composed(); }
    // The title box's text; the titles of both pages become it, as the box's change handler
    // makes them. False when it held that text already (nothing changes).
    bool setTitleText(const QString& text);
    // Composes a heading's ten items onto page (0 right, 1 left) as a heading choice does: the
    // page keeps its flip and order, its title is the title box's text and the heading's number
    // (an empty title makes the box 小テスト first), and the sheet takes the heading's face.
    void composeHeading(int page, int record, const QuestionTable& table);
    // Composes items (ten at most, each once, those that hold text) onto page as a review test
    // (まとめテスト), titled with the headings they come from, in the face of the first one's
    // heading. False, with nothing changed, when none of them holds text.
    bool composeReview(int page, const QList<ItemRef>& items, const QuestionTable& table);
    // The answer key: the same sheet with the answers on every page that holds questions (or
    // answers behind its emptied rows); a page with nothing to answer prints as on the sheet.
    Sheet withAllAnswers() const;
};

// The items page (0 right, 1 left) prints, row for row, after any reordering.
PageItems printedItems(const PageVariant& variant, int page, const QuestionTable& table);
// The page (0 right, 1 left) as the printers draw it, its items read from table.
PageContent composePage(const SheetPage& page, int index, const QuestionTable& table);
// The sheet as the printers draw it, its items read from table; their ruby (when the sheet asks
// for it) read by analyser, or by the programs' shared one.
SheetContent composeSheet(const Sheet& sheet, const QuestionTable& table,
                          const reading::Analyser* analyser = nullptr);

// What an item holds: before, asked part, after, answer.
QStringList itemTexts(const QuestionTable& table, const ItemRef& ref);

// What a printed sheet is, as a print queue and a PDF reader show it.
struct DocumentInfo {
    QString title;     // the page titles, right page first, each once
    QString subject;   // the headings composed onto the pages, right page first
    QString fileName;  // the question file's name without its folder; empty before one is opened
    // The print job's name: the title and the question file's name.
    QString jobName() const;
};
DocumentInfo documentInfo(const Sheet& sheet, const QuestionTable& table);

}  // namespace pobelo
