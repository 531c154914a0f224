#include "sheetmodel.h"

#include "pobeloconfig.h"

namespace pobelo {

QString text::versionCaption() {
    return QStringLiteral("Pobelo　2009JAN　V.") +
           QStringLiteral(POBELO_VERSION).replace(QLatin1Char('.'), QLatin1Char('_'));
}

SheetModel::SheetModel(const SheetServices& services, QObject* parent)
    : QObject(parent), services_(services) {
    content_ = composeSheet(sheet_, table_);
}

QString SheetModel::homePage() {
    return QStringLiteral(POBELO_HOME_PAGE);
}

DocumentInfo SheetModel::documentInfo() const {
    return pobelo::documentInfo(sheet_, table_);
}

void SheetModel::update() {
    content_ = composeSheet(sheet_, table_);
    Q_EMIT changed();
}

const QString& SheetModel::caption(LabelArray array, int row) const {
    // Elements 1 to 9 of the number arrays are copies of element 0, numbered "2" to "10".
    static const std::array<QString, kRows> numbers = [] {
        std::array<QString, kRows> n;
        for (int i = 0; i < kRows; ++i) n[i] = QString::number(i + 1);
        return n;
    }();
    static const QString none;
    if (row < 0 || row >= kRows) return none;
    switch (array) {
        case Label1:
        case Label4:
            return numbers[row];
        case Label2:
            return content_.right.askedParts[row];
        case Label3:
            return content_.right.sentences[row];
        case Label5:
            return content_.left.askedParts[row];
        case Label6:
            return content_.left.sentences[row];
    }
    return none;
}

bool SheetModel::imageVisible(int n) const {
    switch (n - 1) {
        case ToLeftPage:
            return sheet_.rightPageActive;
        case ToRightPage:
            return !sheet_.rightPageActive;
        case RightBlank:
            return rightBlankShown_;
        case LeftBlank:
            return leftBlankShown_;
        case RightClear:
        case LeftClear:
            return true;
    }
    return false;
}

bool SheetModel::imageClickable(int n) const {
    if (n < 1 || n > kPageIcons || !imageVisible(n)) return false;
    if (n - 1 == RightClear) return !rightBlankShown_;
    if (n - 1 == LeftClear) return !leftBlankShown_;
    return true;
}

void SheetModel::emptyPage(int page) {
    sheet_.pages[page].empty(page == 0 ? content_.right : content_.left);
}

// --- Open command --------------------------------------------------------------------------

void SheetModel::openCommand() {
    if (!services_.files) return;
    const std::optional<QString> chosen = services_.files->getOpenFileName(text::kFileFilter);
    // A cancelled dialog changes nothing: the heading list, both pages and the table stay.
    if (!chosen) return;
    loadAndList(*chosen);
}

void SheetModel::openFile(const QString& path) {
    loadAndList(path);
}

void SheetModel::loadAndList(const QString& path) {
    combo1List_.clear();
    combo1ListIndex_ = -1;
    sheet_.questionFile = path;
    lastLoad_ = loadQuestionFile(path, table_,
                                 [this](const QString& heading) { combo1List_.append(heading); });
    sheet_.sha256 = lastLoad_.sha256;
    recordCount_ = lastLoad_.recordCount;
    if (lastLoad_.status == LoadStatus::FileNotFound) {
        const QString message = text::fileNotFound(path);
        messages_.append(message);
        Q_EMIT changed();
        if (services_.messages) services_.messages->showMessage(message);
    }
    startOnNewFile();
}

void SheetModel::startOnNewFile() {
    // The last file's test choices do not carry over to another file's questions; the title box
    // and the pages' titles and answer boxes stay, as the window keeps them.
    for (int page = 0; page < 2; ++page) {
        emptyPage(page);
        sheet_.pages[page].variant = PageVariant();
    }
    update();
}

// --- Heading choice and composition --------------------------------------------------------

void SheetModel::chooseHeading(int position) {
    combo1ListIndex_ = position >= 0 && position < combo1List_.size() ? position : -1;
    currentRecord_ = static_cast<qint16>(position);
    // A position that names no record ends the choice here.
    if (!QuestionTable::inRange(currentRecord_, slot::kFontName)) {
        Q_EMIT changed();
        return;
    }
    const bool right = rightPageActive();
    sheet_.composeHeading(right ? 0 : 1, currentRecord_, table_);
    (right ? rightBlankShown_ : leftBlankShown_) = false;
    commandsEnabled_ = true;
    showActivePage(!right);
    update();
}

ItemRef SheetModel::itemAt(int page, int row) const {
    if (page < 0 || page > 1 || row < 0 || row >= kRows) return {};
    return printedItems(sheet_.pages[page].variant, page, table_)[row];
}

// --- Test variants -------------------------------------------------------------------------

void SheetModel::setFlipped(int page, bool on) {
    if (page < 0 || page > 1 || sheet_.pages[page].variant.flipped == on) return;
    sheet_.pages[page].variant.flipped = on;
    update();
}

void SheetModel::setShuffleSeed(int page, quint32 seed) {
    if (page < 0 || page > 1 || sheet_.pages[page].variant.seed == seed) return;
    sheet_.pages[page].variant.seed = seed;
    update();
}

void SheetModel::composeReview(const QList<ItemRef>& items) {
    const int page = rightPageActive() ? 0 : 1;
    if (!sheet_.composeReview(page, items, table_)) return;
    (page == 0 ? rightBlankShown_ : leftBlankShown_) = false;
    commandsEnabled_ = true;
    showActivePage(page != 0);
    update();
}

void SheetModel::reviewCommand() {
    if (!reviewEnabled() || !services_.review) return;
    const std::optional<QList<ItemRef>> chosen = services_.review->chooseItems(table_, combo1List_);
    if (chosen) composeReview(*chosen);
}

bool SheetModel::missed(int page, int row) const {
    const ItemRef ref = itemAt(page, row);
    return !ref.isEmpty() && sheet_.pages[page].variant.missed.contains(ref);
}

void SheetModel::setMissed(int page, int row, bool on) {
    const ItemRef ref = itemAt(page, row);
    if (ref.isEmpty() || missed(page, row) == on) return;
    QList<ItemRef>& marks = sheet_.pages[page].variant.missed;
    if (on)
        marks.append(ref);
    else
        marks.removeAll(ref);
    Q_EMIT changed();
}

void SheetModel::makeRetest(int page) {
    if (page < 0 || page > 1) return;
    QList<ItemRef> items;
    for (int row = 0; row < kRows; ++row) {
        if (missed(page, row)) items.append(itemAt(page, row));
    }
    if (items.isEmpty()) return;
    PageVariant& v = sheet_.pages[page].variant;
    v.source = PageSource::Retest;
    v.items = pageItemsOf(items);
    v.seed = 0;
    v.missed.clear();
    if (!v.label.endsWith(kRetestLabel)) v.label += kRetestLabel;
    QString& title = sheet_.pages[page].title;
    if (!title.endsWith(kRetestLabel)) title += kRetestLabel;
    update();
}

// --- Page interactions ---------------------------------------------------------------------

void SheetModel::clickImage(int n) {
    if (!imageClickable(n)) return;
    switch (PageIcon(n - 1)) {
        case ToLeftPage:
            showActivePage(false);
            setPageEnabled(false);
            break;
        case ToRightPage:
            showActivePage(true);
            setPageEnabled(true);
            break;
        case RightBlank:
            showActivePage(true);
            sheet_.pages[0].title.clear();
            setPageEnabled(true);
            break;
        case LeftBlank:  // the left title takes over the right one
            showActivePage(false);
            sheet_.pages[1].title = sheet_.pages[0].title;
            setPageEnabled(false);
            break;
        case RightClear:
            rightBlankShown_ = true;
            showActivePage(true);
            emptyPage(0);
            setPageEnabled(true);
            sheet_.pages[0].title = sheet_.titleText;
            break;
        case LeftClear:
            leftBlankShown_ = true;
            showActivePage(false);
            emptyPage(1);
            setPageEnabled(false);
            sheet_.pages[1].title = sheet_.titleText;
            break;
    }
    update();
}

void SheetModel::setText3(const QString& text) {
    // The box's change handler runs only when the text really changes.
    if (sheet_.setTitleText(text)) update();
}

void SheetModel::setCheck(int n, int value) {
    if (n == 1) sheet_.pages[0].answers = value;
    if (n == 2) sheet_.pages[1].answers = value;
    update();
}

void SheetModel::setPaper(Paper paper) {
    if (sheet_.paper == paper) return;
    sheet_.paper = paper;
    content_.paper = paper;
    Q_EMIT changed();
}

void SheetModel::setFurniture(const SheetFurniture& furniture) {
    if (sheet_.furniture == furniture) return;
    sheet_.furniture = furniture;
    content_.furniture = furniture;
    Q_EMIT changed();
}

void SheetModel::setRuby(RubySetting ruby) {
    if (sheet_.ruby == ruby) return;
    sheet_.ruby = ruby;
    update();
}

void SheetModel::showMessage(const QString& message) {
    messages_.append(message);
    Q_EMIT changed();
    if (services_.messages) services_.messages->showMessage(message);
}

// --- Menu commands -------------------------------------------------------------------------

void SheetModel::openWebSite() {
    const QString address = homePage();
    if (!services_.browser || !services_.browser->openUrl(address)) {
        const QString message = text::kNoBrowser + address;
        messages_.append(message);
        Q_EMIT changed();
        if (services_.messages) services_.messages->showMessage(message);
        return;
    }
    browser_.append(address);
    Q_EMIT changed();
}

void SheetModel::exitCommand() {
    Q_EMIT closeRequested();
}

}  // namespace pobelo
