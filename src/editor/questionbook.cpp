#include "questionbook.h"

#include <QDir>
#include <QStringList>
#include <QUndoCommand>

#include "localfile.h"
#include "outputtransaction.h"
#include "ownreadings.h"
#include "printjob.h"
#include "questionfile.h"
#include "readings.h"
#include "sheetmodel.h"

namespace pobelo {

const QString& fieldOf(const OwnItem& item, BookColumn column) {
    return fieldOf(const_cast<OwnItem&>(item), column);
}

QString& fieldOf(OwnItem& item, BookColumn column) {
    switch (column) {
        case BookColumn::Before:
            return item.before;
        case BookColumn::Asked:
            return item.asked;
        case BookColumn::After:
            return item.after;
        case BookColumn::Answer:
            break;
    }
    return item.answer;
}

namespace {

// The file holds one line a row: a line break typed or pasted into a field is a space there, and
// so it is in the editor from the start.
QString oneLine(const QString& text) {
    return oneLineField(text);
}

QString sentenceOf(const OwnItem& item) {
    return item.before + item.asked + item.after;
}

// The record a heading makes in the table, as a teacher's file is read into it.
void fillRecord(QuestionTable& table, int record, const OwnHeading& heading) {
    table.set(record, slot::kHeading, heading.name);
    table.set(record, 1, QString());
    for (int i = 0; i < kItemsPerHeading; ++i) {
        const OwnItem item = heading.items.value(i);
        table.set(record, slot::beforeText(i), item.before);
        table.set(record, slot::answer(i), item.answer);
        table.set(record, slot::askedText(i), item.asked);
        table.set(record, slot::afterText(i), item.after);
    }
    table.set(record, slot::kFontName, heading.font.isEmpty() ? kTeacherFileFont : heading.font);
}

QString refusalText(PastedQuestions::Refusal refusal) {
    switch (refusal) {
        case PastedQuestions::Refusal::None:
            break;
        case PastedQuestions::Refusal::NoAskedPart:
            return QStringLiteral("問題の部分がありません（［ ］で囲んでください）。");
        case PastedQuestions::Refusal::TwoAskedParts:
            return QStringLiteral("問題の部分は一行に一つです。");
        case PastedQuestions::Refusal::UnclosedBracket:
            return QStringLiteral("問題の部分の［ が閉じていません。");
        case PastedQuestions::Refusal::ColumnCount:
            return QStringLiteral("列が 見出し・前の文・問題の部分 より少ない行です。");
    }
    return {};
}

// Rows copied from the editor's own columns (前の文 問題の部分 後の文, with or without 答え) are
// rows of a table without its 見出し column: they get an empty one in front.
QString withHeadingColumn(const QString& text) {
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = normal.split(u'\n');
    bool any = false;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty()) continue;
        const qsizetype tabs = line.count(u'\t');
        if ((tabs != 2 && tabs != 3) || namesTeacherColumns(line)) return text;
        any = true;
    }
    if (!any) return text;
    for (QString& line : lines) {
        if (!line.trimmed().isEmpty()) line.prepend(u'\t');
    }
    return lines.join(u'\n');
}

// The name parsePastedQuestions gives items under no heading of their own (a character no
// heading holds).
const QString kNoHeading = QStringLiteral("\x01");

}  // namespace

// --- Headings --------------------------------------------------------------------------------

OwnHeading BookHeading::own() const {
    OwnHeading h{name, font, {}};
    for (const BookItem& row : rows) {
        if (!row.isEmpty()) h.items.append(row.item);
    }
    return h;
}

BookHeading BookHeading::from(const OwnHeading& own) {
    BookHeading h;
    h.name = oneLine(own.name);
    h.font = own.font == kTeacherFileFont ? QString() : own.font.trimmed();
    for (int i = 0; i < kItemsPerHeading && i < own.items.size(); ++i) {
        OwnItem item = own.items[i];
        for (BookColumn c :
             {BookColumn::Before, BookColumn::Asked, BookColumn::After, BookColumn::Answer})
            fieldOf(item, c) = oneLine(fieldOf(item, c));
        h.rows[i].item = item;
    }
    return h;
}

// --- Undo steps ------------------------------------------------------------------------------

class QuestionBook::Change : public QUndoCommand {
  public:
    Change(QuestionBook& book, State before, State after, const QString& what)
        : QUndoCommand(what), book_(book), before_(std::move(before)), after_(std::move(after)) {}
    void redo() override { book_.restore(after_); }
    void undo() override { book_.restore(before_); }

  private:
    QuestionBook& book_;
    State before_;
    State after_;
};

QuestionBook::QuestionBook(const Services& services, QObject* parent)
    : QObject(parent), services_(services) {
    connect(&undo_, &QUndoStack::cleanChanged, this, &QuestionBook::changed);
}

QuestionBook::~QuestionBook() = default;

void QuestionBook::apply(const State& after, const QString& what) {
    if (after == state_) return;
    undo_.push(new Change(*this, state_, after, what));
}

void QuestionBook::restore(const State& state) {
    state_ = state;
    Q_EMIT changed();
}

void QuestionBook::showMessage(const QString& text) {
    if (services_.messages) services_.messages->showMessage(text);
}

void QuestionBook::tellReadingsMissing() {
    if (toldNoReadings_) return;
    toldNoReadings_ = true;
    showMessage(text::kReadingsMustBeTyped);
}

void QuestionBook::suggest(BookItem& row) {
    if (row.mark == AnswerMark::Given && !row.item.answer.isEmpty()) return;
    row.item.answer.clear();
    row.mark = AnswerMark::Given;
    if (row.item.asked.trimmed().isEmpty()) return;
    if (!holdsKanji(row.item.asked)) {
        row.mark = AnswerMark::KanaAsked;
        return;
    }
    row.mark = AnswerMark::NotFound;
    if (!services_.analyser || !services_.analyser->available()) {
        tellReadingsMissing();
        return;
    }
    const reading::SuggestedReading found =
        reading::askedReading(*services_.analyser, row.item.before, row.item.asked, row.item.after);
    if (!found.found) return;
    row.item.answer = found.text;
    row.mark = AnswerMark::Suggested;
}

QString QuestionBook::freeName(const QString& wanted, const QList<BookHeading>& among,
                               int except) const {
    const QString base =
        oneLine(wanted).trimmed().isEmpty() ? text::kNewHeading : oneLine(wanted).trimmed();
    auto taken = [&among, except](const QString& name) {
        for (int i = 0; i < among.size(); ++i) {
            if (i != except && among[i].name == name) return true;
        }
        return false;
    };
    QString name = base;
    for (int n = 2; taken(name); ++n) name = QStringLiteral("%1（%2）").arg(base).arg(n);
    return name;
}

// --- State -----------------------------------------------------------------------------------

const BookHeading* QuestionBook::currentHeading() const {
    if (state_.current < 0 || state_.current >= state_.headings.size()) return nullptr;
    return &state_.headings[state_.current];
}

QString QuestionBook::displayName() const {
    return path_.isEmpty() ? text::kUntitledBook : displayFileName(path_);
}

BookItem QuestionBook::item(int row) const {
    const BookHeading* h = currentHeading();
    if (!h || row < 0 || row >= kItemsPerHeading) return {};
    return h->rows[size_t(row)];
}

bool QuestionBook::needsAnswer(int row) const {
    const BookItem i = item(row);
    return !i.item.asked.trimmed().isEmpty() && i.item.answer.isEmpty();
}

QString QuestionBook::answerNote(int row) const {
    const BookItem i = item(row);
    if (i.item.asked.trimmed().isEmpty())
        return (i.item.before + i.item.after).trimmed().isEmpty() ? QString() : text::kNoAskedPart;
    if (i.mark == AnswerMark::Suggested) return text::kSuggestedReading;
    if (!i.item.answer.isEmpty()) return {};
    if (!holdsKanji(i.item.asked)) return text::kKanaAsked;
    return i.mark == AnswerMark::NotFound ? text::kReadingNotFound
                                          : QStringLiteral("答えを入れてください。");
}

int QuestionBook::suggestionCount() const {
    int n = 0;
    for (const BookHeading& h : state_.headings) {
        for (const BookItem& row : h.rows) n += row.mark == AnswerMark::Suggested;
    }
    return n;
}

int QuestionBook::missingCount() const {
    int n = 0;
    for (const BookHeading& h : state_.headings) {
        for (const BookItem& row : h.rows)
            n += !row.item.asked.trimmed().isEmpty() && row.item.answer.isEmpty();
    }
    return n;
}

QList<OwnHeading> QuestionBook::ownHeadings() const {
    QList<OwnHeading> out;
    for (const BookHeading& h : state_.headings) out.append(h.own());
    return out;
}

// --- Preview ---------------------------------------------------------------------------------

SheetContent QuestionBook::previewContent(bool answers) const {
    const BookHeading* h = currentHeading();
    if (!h) return SheetContent{};
    // The heading as the saved file reads into the window's table, at its own record.
    auto table = std::make_unique<QuestionTable>();
    fillRecord(*table, state_.current, h->own());
    Sheet sheet = Sheet::blank();
    sheet.composeHeading(0, state_.current, *table);
    sheet.pages[0].answers = answers ? 1 : 0;
    return composeSheet(sheet, *table);
}

QList<Finding> QuestionBook::previewFindings() const {
    if (!currentHeading()) return {};
    // With the answers: they are printed on the key.
    return SheetPrintJob({nullptr, services_.measurer, nullptr, nullptr}, false)
        .findings(previewContent(true));
}

// --- Commands --------------------------------------------------------------------------------

void QuestionBook::choose(int heading) {
    if (heading < -1 || heading >= state_.headings.size() || heading == state_.current) return;
    state_.current = heading;
    Q_EMIT changed();
}

bool QuestionBook::addHeading(const QString& name) {
    if (state_.headings.size() >= QuestionTable::kRecords) {
        showMessage(text::kTooManyHeadings);
        return false;
    }
    State after = state_;
    BookHeading h;
    h.name = freeName(name, after.headings);
    after.current = state_.current + 1;
    after.headings.insert(after.current, h);
    apply(after, QStringLiteral("見出しを足す"));
    return true;
}

bool QuestionBook::renameHeading(int heading, const QString& name) {
    if (heading < 0 || heading >= state_.headings.size()) return false;
    const QString wanted = oneLine(name).trimmed();
    if (wanted == state_.headings[heading].name) return true;
    if (wanted.isEmpty()) {
        showMessage(text::kHeadingNameEmpty);
        return false;
    }
    if (freeName(wanted, state_.headings, heading) != wanted) {
        showMessage(text::headingNameTaken(wanted));
        return false;
    }
    State after = state_;
    after.headings[heading].name = wanted;
    after.current = heading;
    apply(after, QStringLiteral("見出しの名前を変える"));
    return true;
}

void QuestionBook::removeHeading(int heading) {
    if (heading < 0 || heading >= state_.headings.size()) return;
    State after = state_;
    after.headings.removeAt(heading);
    // The chosen heading stays chosen; in place of one removed, the one after it.
    if (heading < state_.current)
        --after.current;
    else if (heading == state_.current)
        after.current = std::min<int>(heading, int(after.headings.size()) - 1);
    apply(after, QStringLiteral("見出しを消す"));
}

void QuestionBook::moveHeading(int heading, int delta) {
    const int to = heading + delta;
    if (heading < 0 || heading >= state_.headings.size() || to < 0 || to >= state_.headings.size())
        return;
    State after = state_;
    after.headings.move(heading, to);
    after.current = to;
    apply(after, QStringLiteral("見出しを動かす"));
}

void QuestionBook::setFont(const QString& font) {
    if (!currentHeading()) return;
    State after = state_;
    QString face = oneLine(font).trimmed();
    if (face == kTeacherFileFont) face.clear();
    after.headings[state_.current].font = face;
    apply(after, QStringLiteral("字体を変える"));
}

void QuestionBook::setText(int row, BookColumn column, const QString& text) {
    if (!currentHeading() || row < 0 || row >= kItemsPerHeading) return;
    State after = state_;
    BookItem& target = after.headings[state_.current].rows[size_t(row)];
    const QString value = oneLine(text);
    if (fieldOf(target.item, column) == value) return;
    fieldOf(target.item, column) = value;
    if (column == BookColumn::Answer)
        target.mark = AnswerMark::Given;
    else
        suggest(target);
    apply(after, column == BookColumn::Answer ? QStringLiteral("答えを変える")
                                              : QStringLiteral("文を変える"));
}

void QuestionBook::setSentence(int row, const QString& sentence) {
    if (!currentHeading() || row < 0 || row >= kItemsPerHeading) return;
    const QString text = oneLine(sentence);
    State after = state_;
    BookItem& target = after.headings[state_.current].rows[size_t(row)];
    OwnItem& it = target.item;
    if (sentenceOf(it) == text) return;
    const qsizetype at = it.asked.isEmpty() ? -1 : text.indexOf(it.asked);
    const bool once = at >= 0 && text.indexOf(it.asked, at + 1) < 0;
    if (once) {
        // The asked part is still there, once: the rest of the sentence is around it.
        it.before = text.left(at);
        it.after = text.mid(at + it.asked.size());
    } else if (!it.asked.isEmpty() && text.startsWith(it.before) && text.endsWith(it.after) &&
               text.size() > it.before.size() + it.after.size()) {
        // Typed inside the asked part: it is what stands between the same ends.
        it.asked = text.mid(it.before.size(), text.size() - it.before.size() - it.after.size());
    } else {
        // A new sentence waits for its asked part to be marked.
        it.before = text;
        it.asked.clear();
        it.after.clear();
    }
    suggest(target);
    apply(after, QStringLiteral("文を変える"));
}

bool QuestionBook::markAsked(int row, const QString& sentence, int from, int length) {
    if (!currentHeading() || row < 0 || row >= kItemsPerHeading) return false;
    const QString text = oneLine(sentence);
    if (from < 0 || length <= 0 || from + length > text.size()) return false;
    // Spaces at the ends of the selection stay in the sentence around the asked part.
    while (length > 0 && text[from].isSpace()) {
        ++from;
        --length;
    }
    while (length > 0 && text[from + length - 1].isSpace()) --length;
    if (length == 0) return false;
    State after = state_;
    BookItem& target = after.headings[state_.current].rows[size_t(row)];
    target.item.before = text.left(from);
    target.item.asked = text.mid(from, length);
    target.item.after = text.mid(from + length);
    suggest(target);
    apply(after, QStringLiteral("傍線にする"));
    return true;
}

void QuestionBook::confirmReading(int row) {
    if (item(row).mark != AnswerMark::Suggested) return;
    State after = state_;
    after.headings[state_.current].rows[size_t(row)].mark = AnswerMark::Given;
    apply(after, QStringLiteral("読みを確かめる"));
}

void QuestionBook::clearRows(int from, int count) {
    if (!currentHeading()) return;
    State after = state_;
    for (int row = std::max(0, from); row < from + count && row < kItemsPerHeading; ++row)
        after.headings[state_.current].rows[size_t(row)] = BookItem{};
    apply(after, QStringLiteral("行を消す"));
}

bool QuestionBook::paste(const QString& text, int row) {
    const PastedQuestions pasted = parsePastedQuestions(withHeadingColumn(text), kNoHeading);
    if (!pasted.ok()) {
        showMessage(text::pasteRefused(pasted.refusedLine, refusalText(pasted.refusal)));
        return false;
    }
    // The items under no heading, and the headings the text names, each with its readings.
    QList<BookItem> loose;
    QList<BookHeading> named;
    for (int h = 0; h < pasted.headings.size(); ++h) {
        const OwnHeading& from = pasted.headings[h];
        QList<BookItem> items;
        for (int i = 0; i < from.items.size(); ++i) {
            BookItem b{from.items[i], AnswerMark::Given};
            for (BookColumn c :
                 {BookColumn::Before, BookColumn::Asked, BookColumn::After, BookColumn::Answer})
                fieldOf(b.item, c) = oneLine(fieldOf(b.item, c));
            // An answer not given is looked up, as a changed sentence's is.
            if (!pasted.answerGiven.value(h).value(i)) b.mark = AnswerMark::NotFound;
            suggest(b);
            items.append(b);
        }
        if (from.name.startsWith(kNoHeading)) {
            loose.append(items);
            continue;
        }
        BookHeading made;
        made.name = from.name;
        made.font = from.font == kTeacherFileFont ? QString() : from.font;
        for (int i = 0; i < items.size() && i < kItemsPerHeading; ++i)
            made.rows[size_t(i)] = items[i];
        named.append(made);
    }

    State after = state_;
    int at = after.current;
    if (!loose.isEmpty()) {
        if (at < 0) {
            BookHeading h;
            h.name = freeName(text::kOwnHeading, after.headings);
            after.headings.insert(0, h);
            at = after.current = 0;
        }
        // Row by row from row on, as a spreadsheet takes a paste; the rest in headings after it.
        int r = std::clamp(row, 0, kItemsPerHeading - 1);
        int target = at;
        int part = 1;
        const QString base = after.headings[at].name;
        for (const BookItem& b : loose) {
            if (r == kItemsPerHeading) {
                BookHeading next;
                next.name =
                    freeName(QStringLiteral("%1 (%2)").arg(base).arg(++part), after.headings);
                after.headings.insert(++target, next);
                r = 0;
            }
            after.headings[target].rows[size_t(r++)] = b;
        }
        at = target;
    }
    int first = -1;
    for (BookHeading h : named) {
        h.name = freeName(h.name, after.headings);
        after.headings.insert(++at, h);
        if (first < 0) first = at;
    }
    if (after.headings.size() > QuestionTable::kRecords) {
        showMessage(text::kTooManyHeadings);
        return false;
    }
    if (loose.isEmpty() && first >= 0) after.current = first;
    apply(after, QStringLiteral("貼り付け"));
    return true;
}

void QuestionBook::addHeadings(const QList<OwnHeading>& headings) {
    if (headings.isEmpty()) return;
    if (state_.headings.size() + headings.size() > QuestionTable::kRecords) {
        showMessage(text::kTooManyHeadings);
        return;
    }
    State after = state_;
    int at = after.current;
    const int first = at + 1;
    for (const OwnHeading& own : headings) {
        BookHeading h = BookHeading::from(own);
        h.name = freeName(h.name, after.headings);
        after.headings.insert(++at, h);
    }
    after.current = first;
    apply(after, QStringLiteral("見出しを写す"));
}

// --- Files -----------------------------------------------------------------------------------

void QuestionBook::newBook(const QList<OwnHeading>& headings) {
    undo_.clear();
    path_.clear();
    if (headings.isEmpty()) {
        BookHeading h;
        h.name = text::kOwnHeading;
        state_ = State{{h}, 0};
        Q_EMIT changed();
        return;
    }
    state_ = State{};
    addHeadings(headings);
}

bool QuestionBook::open(const QString& path) {
    auto table = std::make_unique<QuestionTable>();
    int count = 0;
    const LoadResult load = loadQuestionFile(path, *table, [&count](const QString&) { ++count; });
    if (load.status == LoadStatus::FileNotFound) {
        showMessage(text::fileNotFound(path));
        return false;
    }
    if (load.status != LoadStatus::Complete) {
        // Saving what was read would lose the rest: nothing is taken.
        showMessage(text::kOwnNotRead + displayPath(path) + QLatin1Char('\n') +
                    loadNotes(load, true).join(QLatin1Char('\n')));
        return false;
    }
    State opened;
    for (const OwnHeading& own : ownHeadingsFromTable(*table, count))
        opened.headings.append(BookHeading::from(own));
    opened.current = opened.headings.isEmpty() ? -1 : 0;
    undo_.clear();
    if (isTeacherFileName(path)) {
        path_ = path;
        state_ = opened;
        Q_EMIT changed();
    } else {
        // A drill program's file is never written: its headings become a new book.
        path_.clear();
        state_ = State{};
        apply(opened, QStringLiteral("見出しを写す"));
    }
    return true;
}

bool QuestionBook::save() {
    if (path_.isEmpty() || !path_.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return saveAs();
    return saveTo(path_);
}

bool QuestionBook::saveAs() {
    if (!services_.files) return false;
    QString suggested;
    if (!path_.isEmpty()) {
        suggested = path_;
        const qsizetype dot = suggested.lastIndexOf(u'.');
        const qsizetype slash = std::max(suggested.lastIndexOf(u'/'), suggested.lastIndexOf(u'\\'));
        if (dot > slash) suggested.truncate(dot);
        suggested += QStringLiteral(".csv");
    } else {
        QString name = currentHeading() ? currentHeading()->name : text::kUntitledBook;
        for (QChar& c : name) {
            if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
                c = QLatin1Char('_');
        }
        suggested = name + QStringLiteral(".csv");
        if (!folder_.isEmpty() && QDir(folder_).exists())
            suggested = QDir(folder_).filePath(suggested);
    }
    const std::optional<QString> chosen =
        services_.files->getSaveFileName(text::kOwnSaveFilter, suggested);
    if (!chosen || chosen->isEmpty()) return false;
    return saveTo(*chosen);
}

bool QuestionBook::saveTo(const QString& path) {
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        showMessage(text::kOwnNotWritten + displayPath(path) + QLatin1Char('\n') +
                    text::kSaveAsCsv);
        return false;
    }
    OutputTransaction outputs;
    // The file being edited may be replaced, though the window has read it to print from.
    if (!path_.isEmpty()) outputs.setEditedDocument(path_);
    const int target = outputs.add(path, QStringLiteral("the question file"));
    const QByteArray bytes = ownQuestionFileBytes(ownHeadings());
    bool written = outputs.begin();
    if (written) {
        QIODevice* device = outputs.device(target);
        written = device && device->write(bytes) == bytes.size() && outputs.commit();
    }
    if (!written) {
        outputs.abandon();
        QString why = outputs.errorString();
        if (outputs.problem() == OutputTransaction::Problem::IsInput)
            why = QStringLiteral("印刷するために開いているほかの問題ファイルには上書きしません。");
        else if (outputs.problem() == OutputTransaction::Problem::NotRegular)
            why = QStringLiteral("ふつうのファイルではありません（フォルダーなど）。");
        showMessage(text::kOwnNotWritten + displayPath(path) + QLatin1Char('\n') + why);
        return false;
    }
    path_ = path;
    undo_.setClean();
    Q_EMIT changed();
    Q_EMIT saved(path_, state_.current);
    return true;
}

bool QuestionBook::confirmClose() {
    if (!modified() || !services_.messages) return true;
    switch (services_.messages->askAboutUnsaved(text::askUnsaved(displayName()))) {
        case UnsavedAnswer::Save:
            return save();
        case UnsavedAnswer::Discard:
            return true;
        case UnsavedAnswer::Cancel:
            break;
    }
    return false;
}

}  // namespace pobelo
