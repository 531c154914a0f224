#include "sheetmodel.h"

#include <QDir>
#include <QFileInfo>

#include "pobeloconfig.h"

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
    for (const qint16 record : pageRecords_) {
        if (QuestionTable::inRange(record, slot::kHeading))
            headings.append(table_.at(record, slot::kHeading));
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
    pageRecords_ = {-1, -1};
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
    const int r = currentRecord_;
    const bool right = rightPageActive();
    const LabelArray asked = right ? Label2 : Label5;
    const LabelArray sentence = right ? Label3 : Label6;
    std::array<qint16, 11>& lengths = right ? rightBeforeLengths_ : leftBeforeLengths_;
    std::array<QString, 11>& answers = right ? rightAnswers_ : leftAnswers_;
    emptyItems(asked, sentence);
    pageRecords_[right ? 0 : 1] = currentRecord_;
    for (int i = 0; i < kRows; ++i) {
        captions_[asked][i] = table_.at(r, slot::askedText(i));
        // Lengths count UTF-16 units, as the sentence labels hold them.
        lengths[i] = static_cast<qint16>(
            std::min<qsizetype>(table_.at(r, slot::beforeText(i)).size(), 32767));
        answers[i] = table_.at(r, slot::answer(i));
    }
    for (int i = 0; i < kRows; ++i) {
        captions_[sentence][i] = table_.at(r, slot::beforeText(i)) +
                                 table_.at(r, slot::askedText(i)) +
                                 table_.at(r, slot::afterText(i));
    }
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
            pageRecords_[0] = -1;
            setPageEnabled(true);
            label51_ = text3_;
            break;
        case LeftClear:
            iconShown_[LeftBlank] = true;
            showActivePage(false);
            emptyItems(Label5, Label6);
            pageRecords_[1] = -1;
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
    sheet.right = PageContent{label51_,          captions_[Label3],
                              captions_[Label2], rightBeforeLengths_,
                              rightAnswers_,     check1_};
    sheet.left = PageContent{label52_,           captions_[Label6], captions_[Label5],
                             leftBeforeLengths_, leftAnswers_,      check2_};
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
        services_.files->getSaveFileName(text::kPdfFilter, suggestedPdfName());
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

QString SheetModel::suggestedPdfName() const {
    QString name = text3_.trimmed();
    if (name.isEmpty()) name = text::kDefaultTitle;
    // The title becomes one file name: no folders, and nothing a desktop file system refuses.
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
    }
    name += QStringLiteral(".pdf");
    if (questionFileName_.isEmpty()) return name;
    const QDir folder = QFileInfo(questionFileName_).absoluteDir();
    return folder.exists() ? folder.filePath(name) : name;
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
