#include "sheetmodel.h"

#include <QDir>
#include <QFileInfo>

#include "filesystem.h"
#include "outputtransaction.h"
#include "pobeloconfig.h"
#include "textruns.h"

namespace pobelo {

QString text::versionCaption() {
    return QStringLiteral("Pobelo　2009JAN　V.") +
           QStringLiteral(POBELO_VERSION).replace(QLatin1Char('.'), QLatin1Char('_'));
}

SheetModel::SheetModel(const SheetServices& services, QObject* parent)
    : QObject(parent), services_(services) {
    // Window load: elements 1 to 9 are copies of element 0, numbered "2" to "10"; the left page
    // starts greyed.
    for (int row = 0; row < kRows; ++row) {
        captions_[Label1][row] = QString::number(row + 1);
        captions_[Label4][row] = QString::number(row + 1);
    }
    setPageEnabled(true);
}

QString SheetModel::homePage() {
    return QStringLiteral(POBELO_HOME_PAGE);
}

QString DocumentInfo::jobName() const {
    if (fileName.isEmpty()) return title;
    if (title.isEmpty()) return fileName;
    return title + QStringLiteral(" — ") + fileName;
}

DocumentInfo SheetModel::documentInfo() const {
    DocumentInfo info;
    QStringList titles;
    for (const QString& title : {label51_, label52_}) {
        if (!title.trimmed().isEmpty() && !titles.contains(title)) titles.append(title);
    }
    info.title = titles.join(QStringLiteral(" / "));
    QStringList headings;
    for (const PageVariant& v : variants_) {
        QList<qint16> records;
        for (const ItemRef& ref : v.items) {
            if (!ref.isEmpty() && !records.contains(ref.record)) records.append(ref.record);
        }
        for (const qint16 record : records) {
            if (QuestionTable::inRange(record, slot::kHeading))
                headings.append(table_.at(record, slot::kHeading));
        }
    }
    info.subject = headings.join(QStringLiteral(" / "));
    if (!questionFileName_.isEmpty()) info.fileName = QFileInfo(questionFileName_).fileName();
    return info;
}

bool SheetModel::imageClickable(int n) const {
    if (n < 1 || n > kPageIcons || !iconShown_[n - 1]) return false;
    if (n - 1 == RightClear) return !iconShown_[RightBlank];
    if (n - 1 == LeftClear) return !iconShown_[LeftBlank];
    return true;
}

void SheetModel::setPageEnabled(bool rightEnabled) {
    for (int row = 0; row < kRows; ++row) {
        for (LabelArray a : {Label1, Label2, Label3}) enabled_[a][row] = rightEnabled;
        for (LabelArray a : {Label4, Label5, Label6}) enabled_[a][row] = !rightEnabled;
    }
}

void SheetModel::emptyItems(LabelArray asked, LabelArray sentence) {
    for (int row = 0; row < kRows; ++row) {
        captions_[asked][row].clear();
        captions_[sentence][row].clear();
    }
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
    questionFileName_ = path;
    lastLoad_ = loadQuestionFile(questionFileName_, table_,
                                 [this](const QString& heading) { combo1List_.append(heading); });
    recordCount_ = lastLoad_.recordCount;
    if (lastLoad_.status == LoadStatus::FileNotFound) {
        const QString message = text::fileNotFound(path);
        messages_.append(message);
        Q_EMIT changed();
        if (services_.messages) services_.messages->showMessage(message);
    }
    startOnNewFile();
}

void SheetModel::openSameAs(const SheetModel& other) {
    combo1List_ = other.combo1List_;
    combo1ListIndex_ = -1;
    questionFileName_ = other.questionFileName_;
    table_ = other.table_;
    lastLoad_ = other.lastLoad_;
    recordCount_ = other.recordCount_;
    startOnNewFile();
}

void SheetModel::startOnNewFile() {
    emptyItems(Label2, Label3);
    emptyItems(Label5, Label6);
    for (PageVariant& v : variants_) {
        v.source = PageSource::Heading;
        v.items = PageItems();
        v.label.clear();
        v.missed.clear();
    }
    Q_EMIT changed();
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
    command1Caption_ = table_.at(currentRecord_, slot::kFontName);
    const QString number = QLatin1Char(' ') + QString::number(currentRecord_ + 1);
    if (rightPageActive()) {
        if (label51_.isEmpty()) setText3(text::kDefaultTitle);
        label51_ = text3_ + number;
        iconShown_[RightBlank] = false;
    } else {
        if (label52_.isEmpty()) setText3(text::kDefaultTitle);
        label52_ = text3_ + number;
        iconShown_[LeftBlank] = false;
    }
    composePage();
    commandsEnabled_ = true;
    const bool right = rightPageActive();
    showActivePage(!right);
    Q_EMIT changed();
}

void SheetModel::composePage() {
    PageVariant& v = variants_[rightPageActive() ? 0 : 1];
    v.source = PageSource::Heading;
    v.items = headingItems(currentRecord_);
    v.label = QString::number(currentRecord_ + 1);
    v.missed.clear();
    fillPage(rightPageActive() ? 0 : 1);
}

PageItems SheetModel::shownItems(int page) const {
    const PageVariant& v = variants_[page];
    return v.seed == 0 ? v.items : shuffledItems(table_, v.items, v.seed);
}

ItemRef SheetModel::itemAt(int page, int row) const {
    if (page < 0 || page > 1 || row < 0 || row >= kRows) return {};
    return shownItems(page)[row];
}

void SheetModel::fillPage(int page) {
    const bool right = page == 0;
    const LabelArray asked = right ? Label2 : Label5;
    const LabelArray sentence = right ? Label3 : Label6;
    std::array<qint16, 11>& lengths = right ? rightBeforeLengths_ : leftBeforeLengths_;
    std::array<QString, 11>& answers = right ? rightAnswers_ : leftAnswers_;
    const bool flipped = variants_[page].flipped;
    const PageItems items = shownItems(page);
    emptyItems(asked, sentence);
    for (int i = 0; i < kRows; ++i) {
        const ItemRef ref = items[i];
        if (ref.isEmpty() || !QuestionTable::inRange(ref.record, slot::kFontName)) {
            lengths[i] = 0;
            answers[i].clear();
            continue;
        }
        const QString& before = table_.at(ref.record, slot::beforeText(ref.item));
        // A flipped item asks for its asked part by showing its answer in the sentence.
        const QString& question =
            table_.at(ref.record, flipped ? slot::answer(ref.item) : slot::askedText(ref.item));
        captions_[asked][i] = question;
        // Lengths count the characters the printers place one to a cell.
        lengths[i] = static_cast<qint16>(std::min<qsizetype>(cellCount(before), 32767));
        answers[i] =
            table_.at(ref.record, flipped ? slot::askedText(ref.item) : slot::answer(ref.item));
        captions_[sentence][i] =
            before + question + table_.at(ref.record, slot::afterText(ref.item));
    }
}

// --- Test variants -------------------------------------------------------------------------

void SheetModel::setFlipped(int page, bool on) {
    if (page < 0 || page > 1 || variants_[page].flipped == on) return;
    variants_[page].flipped = on;
    if (variants_[page].composed()) fillPage(page);
    Q_EMIT changed();
}

void SheetModel::setShuffleSeed(int page, quint32 seed) {
    if (page < 0 || page > 1 || variants_[page].seed == seed) return;
    variants_[page].seed = seed;
    if (variants_[page].composed()) fillPage(page);
    Q_EMIT changed();
}

void SheetModel::finishComposition(int page) {
    QString& title = page == 0 ? label51_ : label52_;
    if (title.isEmpty()) setText3(text::kDefaultTitle);
    title = text3_ + QLatin1Char(' ') + variants_[page].label;
    iconShown_[page == 0 ? RightBlank : LeftBlank] = false;
    fillPage(page);
    commandsEnabled_ = true;
    showActivePage(page != 0);
}

void SheetModel::composeReview(const QList<ItemRef>& items) {
    QList<ItemRef> kept;
    for (const ItemRef& ref : items) {
        if (itemHasText(table_, ref) && !kept.contains(ref) && kept.size() < kRows)
            kept.append(ref);
    }
    if (kept.isEmpty()) return;
    const int page = rightPageActive() ? 0 : 1;
    PageVariant& v = variants_[page];
    v.source = PageSource::Review;
    v.items = pageItemsOf(kept);
    v.label = headingsLabel(kept);
    v.missed.clear();
    // The sheet prints in the face of the first heading drawn on, as a heading choice does.
    command1Caption_ = table_.at(kept.first().record, slot::kFontName);
    finishComposition(page);
    Q_EMIT changed();
}

void SheetModel::reviewCommand() {
    if (!reviewEnabled() || !services_.review) return;
    const std::optional<QList<ItemRef>> chosen = services_.review->chooseItems(table_, combo1List_);
    if (chosen) composeReview(*chosen);
}

bool SheetModel::missed(int page, int row) const {
    const ItemRef ref = itemAt(page, row);
    return !ref.isEmpty() && variants_[page].missed.contains(ref);
}

void SheetModel::setMissed(int page, int row, bool on) {
    const ItemRef ref = itemAt(page, row);
    if (ref.isEmpty() || missed(page, row) == on) return;
    QList<ItemRef>& marks = variants_[page].missed;
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
    PageVariant& v = variants_[page];
    v.source = PageSource::Retest;
    v.items = pageItemsOf(items);
    v.seed = 0;
    v.missed.clear();
    if (!v.label.endsWith(kRetestLabel)) v.label += kRetestLabel;
    QString& title = page == 0 ? label51_ : label52_;
    if (!title.endsWith(kRetestLabel)) title += kRetestLabel;
    fillPage(page);
    Q_EMIT changed();
}

// --- Page interactions ---------------------------------------------------------------------

void SheetModel::showActivePage(bool rightPage) {
    iconShown_[ToLeftPage] = rightPage;
    iconShown_[ToRightPage] = !rightPage;
}

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
            label51_.clear();
            setPageEnabled(true);
            break;
        case LeftBlank:  // the left title takes over the right one
            showActivePage(false);
            label52_ = label51_;
            setPageEnabled(false);
            break;
        case RightClear:
            iconShown_[RightBlank] = true;
            showActivePage(true);
            emptyItems(Label2, Label3);
            variants_[0].items = PageItems();
            variants_[0].missed.clear();
            setPageEnabled(true);
            label51_ = text3_;
            break;
        case LeftClear:
            iconShown_[LeftBlank] = true;
            showActivePage(false);
            emptyItems(Label5, Label6);
            variants_[1].items = PageItems();
            variants_[1].missed.clear();
            setPageEnabled(false);
            label52_ = text3_;
            break;
    }
    Q_EMIT changed();
}

void SheetModel::setText3(const QString& text) {
    if (text == text3_) return;
    text3_ = text;
    onText3Change();
}

void SheetModel::onText3Change() {
    label52_ = text3_;
    label51_ = text3_;
    Q_EMIT changed();
}

void SheetModel::setCheck(int n, int value) {
    if (n == 1) check1_ = value;
    if (n == 2) check2_ = value;
    Q_EMIT changed();
}

// --- Font and print commands ---------------------------------------------------------------

void SheetModel::fontCommand() {
    if (!commandsEnabled_ || !services_.fonts) return;
    const std::optional<FontChoice> choice = services_.fonts->chooseFont(windowFont_);
    if (!choice) return;
    if (PrintSurface* surface = services_.surface) {
        // The caption changes only when the surface took all four settings.
        if (!surface->setFontName(choice->name)) return;
        if (!surface->setFontItalic(choice->italic)) return;
        if (!surface->setFontSize(choice->size)) return;
        if (!surface->setFontBold(choice->bold)) return;
    }
    command1Caption_ = choice->name;
    fontBold_ = choice->bold;
    fontItalic_ = choice->italic;
    Q_EMIT changed();
}

namespace {
// The margins a printer dialog reports, for a printer that cannot print the whole sheet.
UnprintableMargins marginsOf(PrinterDialog& dialog) {
    if (!dialog.unprintableMargins(kOrientationPortrait)) return {};
    return [&dialog](int orientation) {
        return dialog.unprintableMargins(orientation).value_or(QMarginsF());
    };
}
}  // namespace

void SheetModel::printSheet() {
    PrinterDialog* const dialog = services_.printerDialog;
    if (!dialog || !commandsEnabled_ || !services_.surface) return;
    // The sheet is checked once the printer is chosen, before anything is drawn; a sheet the user
    // does not want printed goes as a cancelled printer dialog does.
    if (dialog->showPrinter()) {
        if (const PrintChoice choice = preflight(content(), marginsOf(*dialog)); choice.go) {
            drawChosen(choice);
            return;
        }
    }
    services_.surface->endDoc();
    Q_EMIT changed();
}

void SheetModel::setFitEnabled(bool on) {
    if (fitEnabled_ == on) return;
    fitEnabled_ = on;
    Q_EMIT changed();
}

SheetContent SheetModel::content() const {
    SheetContent sheet;
    sheet.fontName = command1Caption_;
    sheet.bold = fontBold_;
    sheet.italic = fontItalic_;
    // A reordered page carries its version, so that the same version can be printed again.
    const auto mark = [this](int page) {
        return variants_[page].composed() ? versionMark(variants_[page].seed) : QString();
    };
    sheet.right = PageContent{
        label51_, captions_[Label3], captions_[Label2], rightBeforeLengths_, rightAnswers_, check1_,
        mark(0)};
    sheet.left = PageContent{
        label52_, captions_[Label6], captions_[Label5], leftBeforeLengths_, leftAnswers_, check2_,
        mark(1)};
    return sheet;
}

QList<Finding> SheetModel::findings() const {
    if (!commandsEnabled_) return {};
    return preflightSheet(content(), services_.measurer);
}

SheetModel::PrintChoice SheetModel::preflight(const SheetContent& sheet,
                                              const UnprintableMargins& margins) {
    TextMeasurer* const measurer = services_.measurer;
    PrintChoice choice;
    if (fitEnabled_) choice.fit = fitSheet(sheet, measurer);
    const QList<Finding> found =
        preflightSheet(sheet, measurer, choice.fit ? &*choice.fit : nullptr, margins);
    if (found.isEmpty() || !services_.findings) return choice;
    std::optional<SheetFit> fit = choice.fit;
    bool offered = false;
    if (!fit) {
        fit = fitSheet(sheet, measurer);
        offered = preflightSheet(sheet, measurer, &*fit, margins).size() < found.size();
    }
    switch (services_.findings->askAboutFindings(found, offered)) {
        case PreflightAnswer::PrintAsIs:
            break;
        case PreflightAnswer::PrintFitted:
            choice.fit = fit;
            break;
        case PreflightAnswer::Cancel:
            choice.go = false;
            break;
    }
    return choice;
}

void SheetModel::drawChosen(const PrintChoice& chosen) {
    drawSheet(content(), chosen.fit ? *chosen.fit : naturalFit(), *services_.surface);
    services_.surface->endDoc();
    Q_EMIT changed();
}

void SheetModel::printSheetAndKey() {
    if (!commandsEnabled_ || !services_.surface || !services_.printerDialog) return;
    PrinterDialog& dialog = *services_.printerDialog;
    if (!dialog.showPrinter()) {
        services_.surface->endDoc();
        return;
    }
    // The key holds every text of the sheet and the answers besides: its findings are the job's.
    SheetContent key = content();
    key.right.check = 1;
    key.left.check = 1;
    const PrintChoice choice = preflight(key, marginsOf(dialog));
    if (!choice.go) {
        services_.surface->endDoc();
        return;
    }
    if (services_.job) services_.job->beginJob();
    drawChosen(choice);
    const int saved1 = check1_;
    const int saved2 = check2_;
    check1_ = 1;
    check2_ = 1;
    drawChosen(choice);
    check1_ = saved1;
    check2_ = saved2;
    if (services_.job) services_.job->endJob();
    Q_EMIT changed();
}

void SheetModel::previewSheet() {
    if (!commandsEnabled_ || !services_.preview || !services_.surface) return;
    const PrintChoice choice = preflight(content(), {});
    if (!choice.go) return;
    services_.preview->showPreview([this, &choice] { drawChosen(choice); });
}

void SheetModel::exportPdf() {
    if (!commandsEnabled_ || !services_.files || !services_.pdf || !services_.surface) return;
    const std::optional<QString> path =
        services_.files->getSaveFileName(text::kPdfFilter, suggestedName(QStringLiteral("pdf")));
    if (!path || path->isEmpty()) return;
    const PrintChoice choice = preflight(content(), {});
    if (!choice.go) return;
    bool written = false;
    if (services_.pdf->begin(*path, questionFileName_)) {
        drawChosen(choice);
        written = services_.pdf->finish();
    }
    if (!written) {
        const QString why = services_.pdf->failureText();
        showMessage(text::kPdfNotWritten + displayPath(*path) +
                    (why.isEmpty() ? QString() : QLatin1Char('\n') + why));
    }
}

QString SheetModel::suggestedName(const QString& suffix) const {
    QString name = text3_.trimmed();
    if (name.isEmpty()) name = text::kDefaultTitle;
    // The title becomes one file name: no folders, and nothing a desktop file system refuses.
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
    }
    name += QLatin1Char('.') + suffix;
    if (questionFileName_.isEmpty()) return name;
    const QDir folder = QFileInfo(questionFileName_).absoluteDir();
    return folder.exists() ? folder.filePath(name) : name;
}

void SheetModel::showMessage(const QString& message) {
    messages_.append(message);
    Q_EMIT changed();
    if (services_.messages) services_.messages->showMessage(message);
}

// --- Sheet sets ----------------------------------------------------------------------------

SheetSet SheetModel::sheetSet(const QString& setFolder) const {
    SheetSet set;
    const QFileInfo question(questionFileName_);
    // A question file beside the set (or below its folder) is named relatively, so that the two
    // can move together; any other by its whole path.
    const QString relative = QDir(setFolder).relativeFilePath(question.absoluteFilePath());
    set.questionFile = relative.startsWith(QStringLiteral("../")) || QDir::isAbsolutePath(relative)
                           ? question.absoluteFilePath()
                           : relative;
    set.titleText = text3_;
    set.fontName = command1Caption_;
    set.bold = fontBold_;
    set.italic = fontItalic_;
    set.rightPageActive = rightPageActive();
    set.pages[0] = SheetSet::Page{variants_[0], label51_, check1_};
    set.pages[1] = SheetSet::Page{variants_[1], label52_, check2_};
    return set;
}

bool SheetModel::saveSet(const QString& path, QString* why) {
    if (questionFileName_.isEmpty()) {
        *why = QStringLiteral("問題ファイルが開かれていません。");
        return false;
    }
    SheetSet set = sheetSet(QFileInfo(path).absolutePath());
    set.sha256 = fileSha256(questionFileName_).value_or(QString());
    const QByteArray json = sheetSetJson(set);
    OutputTransaction output;
    const int target = output.add(path, QStringLiteral("the set file"));
    if (output.begin() && output.device(target)->write(json) == json.size() && output.commit())
        return true;
    *why = output.errorString();
    output.abandon();
    return false;
}

void SheetModel::saveSetCommand() {
    if (!commandsEnabled_ || !services_.files) return;
    const std::optional<QString> path =
        services_.files->getSaveFileName(text::kSetFilter, suggestedName(kSheetSetSuffix));
    if (!path || path->isEmpty()) return;
    QString why;
    if (!saveSet(*path, &why))
        showMessage(text::kSetNotWritten + displayPath(*path) + QLatin1Char('\n') + why);
}

void SheetModel::openSetCommand() {
    if (!services_.files) return;
    const std::optional<QString> chosen = services_.files->getOpenFileName(text::kSetFilter);
    if (chosen) openSet(*chosen);
}

bool SheetModel::openSet(const QString& path) {
    setChanged_ = false;
    QString why;
    const std::optional<SheetSet> set = readSheetSetFile(path, &why);
    if (!set) {
        showMessage(text::kSetNotRead + displayPath(path) + QLatin1Char('\n') + why);
        return false;
    }
    const QString question = questionFileOf(path, *set);
    const std::optional<QString> hash = fileSha256(question);
    loadAndList(question);
    if (combo1List_.isEmpty()) {
        if (lastLoad_.status != LoadStatus::FileNotFound)
            showMessage(text::kSetNotRead + displayPath(question));
        return false;
    }
    applySet(*set);
    // The questions may have changed under the set: the teacher is told before anything prints.
    if (!hash || *hash != set->sha256) {
        setChanged_ = true;
        showMessage(text::setQuestionFileChanged(question));
    }
    return true;
}

void SheetModel::applySet(const SheetSet& set) {
    const int count = int(combo1List_.size());
    for (int page = 0; page < 2; ++page) {
        PageVariant v = set.pages[page].variant;
        for (const ItemRef& ref : v.items) {
            if (!ref.isEmpty() && ref.record >= count) {
                showMessage(text::setHeadingMissing(ref.record + 1, count));
                v.items = PageItems();
                break;
            }
        }
        variants_[page] = v;
        fillPage(page);
        iconShown_[page == 0 ? RightBlank : LeftBlank] = !v.composed();
    }
    text3_ = set.titleText;
    label51_ = set.pages[0].title;
    label52_ = set.pages[1].title;
    check1_ = set.pages[0].answers;
    check2_ = set.pages[1].answers;
    if (!set.fontName.trimmed().isEmpty()) command1Caption_ = set.fontName;
    fontBold_ = set.bold;
    fontItalic_ = set.italic;
    commandsEnabled_ = variants_[0].composed() || variants_[1].composed();
    showActivePage(set.rightPageActive);
    setPageEnabled(set.rightPageActive);
    Q_EMIT changed();
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
