#include "sheet.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#include "mecabanalyser.h"
#include "textruns.h"

namespace pobelo {

void SheetPage::empty(const PageContent& shown) {
    keptBeforeLengths = shown.beforeLengths;
    keptAnswers = shown.answers;
    variant.items = PageItems();
    variant.missed.clear();
}

Sheet Sheet::blank() {
    Sheet sheet;
    sheet.fontName = text::kNoFontYet;
    return sheet;
}

bool Sheet::setTitleText(const QString& text) {
    if (text == titleText) return false;
    titleText = text;
    pages[1].title = titleText;
    pages[0].title = titleText;
    return true;
}

namespace {
// The page's title once its items are composed: the title box and what the page carries.
void numberTitle(Sheet& sheet, int page) {
    if (sheet.pages[page].title.isEmpty()) sheet.setTitleText(text::kDefaultTitle);
    sheet.pages[page].title = sheet.titleText + QLatin1Char(' ') + sheet.pages[page].variant.label;
}
}  // namespace

void Sheet::composeHeading(int page, int record, const QuestionTable& table) {
    fontName = table.at(record, slot::kFontName);
    PageVariant& v = pages[page].variant;
    v.source = PageSource::Heading;
    v.items = headingItems(record);
    v.label = QString::number(record + 1);
    v.missed.clear();
    numberTitle(*this, page);
}

bool Sheet::composeReview(int page, const QList<ItemRef>& items, const QuestionTable& table) {
    QList<ItemRef> kept;
    for (const ItemRef& ref : items) {
        if (itemHasText(table, ref) && !kept.contains(ref) && kept.size() < 10) kept.append(ref);
    }
    if (kept.isEmpty()) return false;
    PageVariant& v = pages[page].variant;
    v.source = PageSource::Review;
    v.items = pageItemsOf(kept);
    v.label = headingsLabel(kept);
    v.missed.clear();
    fontName = table.at(kept.first().record, slot::kFontName);
    numberTitle(*this, page);
    return true;
}

Sheet Sheet::withAllAnswers() const {
    Sheet key = *this;
    for (SheetPage& page : key.pages) {
        const bool kept = std::any_of(page.keptAnswers.begin(), page.keptAnswers.end(),
                                      [](const QString& a) { return !a.isEmpty(); });
        if (page.composed() || kept) page.answers = 1;
    }
    return key;
}

PageItems printedItems(const PageVariant& variant, int page, const QuestionTable& table) {
    return variant.seed == 0 ? variant.items
                             : shuffledItems(table, variant.items, variant.seed, page);
}

PageContent composePage(const SheetPage& page, int index, const QuestionTable& table) {
    PageContent content;
    content.title = page.title;
    content.check = page.answers;
    const PageVariant& v = page.variant;
    if (!v.composed()) {
        content.beforeLengths = page.keptBeforeLengths;
        content.answers = page.keptAnswers;
        return content;
    }
    // A reordered page carries its version, so that the same version can be printed again; a
    // page without any item to print carries none.
    const PageItems items = printedItems(v, index, table);
    const auto itemCount = std::count_if(items.begin(), items.end(),
                                         [](const ItemRef& ref) { return !ref.isEmpty(); });
    if (itemCount > 0) content.mark = versionMark(v.seed);
    // A page gathered of fewer items than rows prints just their rows; a heading's page prints
    // every row, as the question file holds it.
    if (v.source != PageSource::Heading) {
        content.rows = int(itemCount);
        // What the title carries after the title box's text is Pobelo's.
        const QString label = QLatin1Char(' ') + v.label;
        if (page.title.endsWith(label) && page.title.size() > label.size())
            content.titleAddition = label;
        else if (page.title.endsWith(kRetestLabel) && page.title.size() > kRetestLabel.size())
            content.titleAddition = kRetestLabel;
    }
    for (int i = 0; i < 10; ++i) {
        const ItemRef ref = items[i];
        if (ref.isEmpty() || !QuestionTable::inRange(ref.record, slot::kFontName)) continue;
        const QString& before = table.at(ref.record, slot::beforeText(ref.item));
        // A flipped item asks for its asked part by showing its answer in the sentence.
        const QString& question =
            table.at(ref.record, v.flipped ? slot::answer(ref.item) : slot::askedText(ref.item));
        content.askedParts[i] = question;
        // Lengths count the characters the printers place one to a cell.
        content.beforeLengths[i] =
            static_cast<qint16>(std::min<qsizetype>(cellCount(before), 32767));
        content.answers[i] =
            table.at(ref.record, v.flipped ? slot::askedText(ref.item) : slot::answer(ref.item));
        content.sentences[i] = before + question + table.at(ref.record, slot::afterText(ref.item));
    }
    return content;
}

SheetContent composeSheet(const Sheet& sheet, const QuestionTable& table,
                          const reading::Analyser* analyser) {
    SheetContent content;
    content.fontName = sheet.fontName;
    content.bold = sheet.bold;
    content.italic = sheet.italic;
    content.right = composePage(sheet.pages[0], 0, table);
    content.left = composePage(sheet.pages[1], 1, table);
    content.furniture = sheet.furniture;
    content.paper = sheet.paper;
    if (sheet.ruby != RubySetting::None) {
        const reading::Analyser& a = analyser ? *analyser : reading::sharedAnalyser();
        content.right.ruby = pageRuby(sheet.pages[0], 0, table, sheet.ruby, a);
        content.left.ruby = pageRuby(sheet.pages[1], 1, table, sheet.ruby, a);
    }
    if (sheet.keyMark) {
        for (PageContent* page : {&content.right, &content.left})
            if (page->check != 0) page->keyMark = text::kKeyMark;
    }
    return content;
}

QStringList itemTexts(const QuestionTable& table, const ItemRef& ref) {
    if (ref.isEmpty() || ref.item > 9 || !QuestionTable::inRange(ref.record, slot::kFontName))
        return {};
    return {table.at(ref.record, slot::beforeText(ref.item)),
            table.at(ref.record, slot::askedText(ref.item)),
            table.at(ref.record, slot::afterText(ref.item)),
            table.at(ref.record, slot::answer(ref.item))};
}

QString DocumentInfo::jobName() const {
    if (fileName.isEmpty()) return title;
    if (title.isEmpty()) return fileName;
    return title + QStringLiteral(" — ") + fileName;
}

DocumentInfo documentInfo(const Sheet& sheet, const QuestionTable& table) {
    DocumentInfo info;
    QStringList titles;
    for (const SheetPage& page : sheet.pages) {
        if (!page.title.trimmed().isEmpty() && !titles.contains(page.title))
            titles.append(page.title);
    }
    info.title = titles.join(QStringLiteral(" / "));
    QStringList headings;
    for (const SheetPage& page : sheet.pages) {
        QList<qint16> records;
        for (const ItemRef& ref : page.variant.items) {
            if (!ref.isEmpty() && !records.contains(ref.record)) records.append(ref.record);
        }
        for (const qint16 record : records) {
            if (QuestionTable::inRange(record, slot::kHeading))
                headings.append(table.at(record, slot::kHeading));
        }
    }
    info.subject = headings.join(QStringLiteral(" / "));
    if (!sheet.questionFile.isEmpty()) info.fileName = QFileInfo(sheet.questionFile).fileName();
    return info;
}

}  // namespace pobelo
