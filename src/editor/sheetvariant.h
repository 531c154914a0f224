#pragma once

#include <QList>
#include <QString>
#include <array>
#include <compare>
#include <optional>

#include "questiontable.h"

namespace pobelo {

// One item of the question file: row item (0 to 9) of record record.
struct ItemRef {
    qint16 record = -1;
    qint16 item = -1;
    bool isEmpty() const { return record < 0 || item < 0; }
    friend auto operator<=>(const ItemRef&, const ItemRef&) = default;
};
using PageItems = std::array<ItemRef, 10>;

// Where a page's items come from: one heading's ten, items gathered from several headings (a
// review test), or the items of a page the class missed (a retest).
enum class PageSource { Heading, Review, Retest };

// How one page of the sheet is made from the question file, beyond the heading chosen for it.
struct PageVariant {
    PageSource source = PageSource::Heading;
    // The page's items in their own order, empty rows last; all empty while the page is empty.
    PageItems items;
    // What the page's title carries after the title text: the heading's number, or the numbers
    // of the headings a review or retest draws on.
    QString label;
    // 書き⇄読み: each sentence shows the item's answer where its asked part stood, and the answer
    // row holds the asked part.
    bool flipped = false;
    // Another order of the items (an A/B version); 0 keeps their own order.
    quint32 seed = 0;
    // The items the class missed, as the teacher marked them.
    QList<ItemRef> missed;

    bool composed() const { return !items[0].isEmpty(); }
};

// An item as set files, scripts and dumps name it: "HEADING:ITEM", both counted from 1 as the
// window and --list show them ("3:2").
QString itemName(const ItemRef& ref);
// The item a name names; nothing for a name that is not one.
std::optional<ItemRef> itemNamed(const QString& name);

// Whether the item holds anything to print.
bool itemHasText(const QuestionTable& table, const ItemRef& ref);
// A heading's ten items, row for row.
PageItems headingItems(int record);
// Up to ten items in the given order, the rows after them empty.
PageItems pageItemsOf(const QList<ItemRef>& items);

// The items of page (0 right, 1 left) in the order seed gives them (0: as they are); items
// without any text are left out and the rows after the others stay empty. No item keeps its own
// row where two or more can move, and the two pages of one seed differ. The order depends on the
// seed, the page and the items' rows only, the same on every system.
PageItems shuffledItems(const QuestionTable& table, const PageItems& items, quint32 seed, int page);

// count items (ten at most: a page's rows) drawn by seed from the items of records first to last
// (0-based, both included) that ask something, in the order of the file. Fewer when the headings
// hold fewer.
QList<ItemRef> drawItems(const QuestionTable& table, int first, int last, int count, quint32 seed);

// The headings items draw on, as a title shows them (1-based): "3", or the first and the last,
// "3〜5".
QString headingsLabel(const QList<ItemRef>& items);

// The small mark a reordered page carries, so that the same version can be printed again:
// "並べ替え B" to "並べ替え Z" for seeds 1 to 25, the seed itself past them.
QString versionMark(quint32 seed);

// What a retest page's title carries after the page's own label.
inline const QString kRetestLabel = QStringLiteral("（再）");

}  // namespace pobelo
