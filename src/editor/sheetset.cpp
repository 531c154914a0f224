#include "sheetset.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "filesystem.h"

namespace pobelo {

namespace {

const QString kFormat = QStringLiteral("pobelo-set");

// The whole path with every link and ".." resolved where the file exists; its absolute path
// otherwise.
QString resolvedPath(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QString sourceName(const PageVariant& v) {
    if (!v.composed()) return QStringLiteral("none");
    switch (v.source) {
        case PageSource::Heading:
            return QStringLiteral("heading");
        case PageSource::Review:
            return QStringLiteral("review");
        case PageSource::Retest:
            return QStringLiteral("retest");
    }
    return {};
}

QJsonArray itemsJson(const QList<ItemRef>& items) {
    QJsonArray array;
    for (const ItemRef& ref : items) {
        if (!ref.isEmpty()) array.append(itemName(ref));
    }
    return array;
}

// The value as JSON writes it: 1.5, "7", true.
QString written(const QJsonValue& value) {
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

// A text no one-line box of the window holds: a line break, a NUL, any other control character.
bool holdsControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
               c.category() == QChar::Separator_Paragraph;
    });
}

// The keys of one object of a set file, each read as the type it takes. A key that is not there
// leaves the value as it was (its default); one of another type, or with a value no sheet can
// hold, is the problem, and every read after it fails too.
class Keys {
  public:
    Keys(const QJsonObject& object, const QString& path, SetProblem* problem)
        : object_(object), path_(path), problem_(problem) {}

    QString key(const QString& name) const {
        return path_.isEmpty() ? name : path_ + QLatin1Char('.') + name;
    }
    bool failed() const { return problem_->kind != SetProblem::None; }
    bool fail(SetProblem::Kind kind, const QString& name, const QString& value = QString()) {
        if (failed()) return false;
        problem_->kind = kind;
        problem_->key = key(name);
        problem_->value = value;
        return false;
    }
    bool has(const QString& name) const { return !object_.value(name).isUndefined(); }

    // A text; one of one line unless multiline.
    bool text(const QString& name, QString* out, bool multiline = false) {
        const QJsonValue v = object_.value(name);
        if (failed()) return false;
        if (v.isUndefined()) return true;
        if (!v.isString()) return wrongType(name, SetProblem::Type::Text);
        if (!multiline && holdsControlCharacter(v.toString()))
            return fail(SetProblem::ControlCharacter, name);
        *out = v.toString();
        return true;
    }
    bool boolean(const QString& name, bool* out) {
        const QJsonValue v = object_.value(name);
        if (failed()) return false;
        if (v.isUndefined()) return true;
        if (!v.isBool()) return wrongType(name, SetProblem::Type::Boolean);
        *out = v.toBool();
        return true;
    }
    bool whole(const QString& name, qint64 low, qint64 high, qint64* out) {
        const QJsonValue v = object_.value(name);
        if (failed()) return false;
        if (v.isUndefined()) return true;
        if (!v.isDouble()) return wrongType(name, SetProblem::Type::Number);
        const double d = v.toDouble();
        if (!(d >= double(low) && d <= double(high)) || d != std::floor(d)) {
            fail(SetProblem::OutOfRange, name, written(v));
            problem_->low = low;
            problem_->high = high;
            return false;
        }
        *out = qint64(d);
        return true;
    }
    // One of the words allowed, given as "a, b, c".
    bool oneOf(const QString& name, const QString& allowed, QString* out) {
        QString word = *out;
        if (!text(name, &word)) return false;
        if (!allowed.split(QStringLiteral(", ")).contains(word)) {
            fail(SetProblem::NotOneOf, name, written(object_.value(name)));
            problem_->allowed = allowed;
            return false;
        }
        *out = word;
        return true;
    }
    bool object(const QString& name, QJsonObject* out) {
        const QJsonValue v = object_.value(name);
        if (failed()) return false;
        if (v.isUndefined()) return true;
        if (!v.isObject()) return wrongType(name, SetProblem::Type::Object);
        *out = v.toObject();
        return true;
    }
    // A page's items ("HEADING:ITEM"), each once and ten at most, as a page holds them.
    bool items(const QString& name, QList<ItemRef>* out) {
        const QJsonValue v = object_.value(name);
        if (failed()) return false;
        if (v.isUndefined()) return true;
        if (!v.isArray()) return wrongType(name, SetProblem::Type::List);
        QList<ItemRef> items;
        for (const QJsonValue& element : v.toArray()) {
            const std::optional<ItemRef> ref =
                element.isString() ? itemNamed(element.toString()) : std::nullopt;
            if (!ref) return fail(SetProblem::NotAnItem, name, written(element));
            if (items.contains(*ref)) return fail(SetProblem::DuplicateItem, name, itemName(*ref));
            if (items.size() == kRows) {
                fail(SetProblem::TooManyItems, name);
                problem_->high = kRows;
                return false;
            }
            items.append(*ref);
        }
        *out = items;
        return true;
    }

  private:
    bool wrongType(const QString& name, SetProblem::Type type) {
        fail(SetProblem::WrongType, name, written(object_.value(name)));
        problem_->type = type;
        return false;
    }

    static constexpr int kRows = 10;
    QJsonObject object_;
    QString path_;
    SetProblem* problem_;
};

// Reads one page of a set; false with the problem.
bool readPage(const QJsonObject& o, const QString& path, SheetPage& page, SetProblem* problem) {
    Keys keys(o, path, problem);
    PageVariant& v = page.variant;
    QString kind = QStringLiteral("none");
    qint64 heading = 0;
    qint64 seed = 0;
    bool answers = false;
    QList<ItemRef> items;
    QString label;
    keys.oneOf(QStringLiteral("kind"), QStringLiteral("none, heading, review, retest"), &kind);
    keys.text(QStringLiteral("title"), &page.title);
    if (kind == QLatin1String("heading") && !keys.has(QStringLiteral("heading")))
        keys.fail(SetProblem::NoValue, QStringLiteral("heading"));
    keys.whole(QStringLiteral("heading"), 1, QuestionTable::kRecords, &heading);
    keys.items(QStringLiteral("items"), &items);
    keys.text(QStringLiteral("label"), &label);
    keys.boolean(QStringLiteral("flip"), &v.flipped);
    keys.whole(QStringLiteral("shuffle"), 0, 4294967295LL, &seed);
    keys.boolean(QStringLiteral("answers"), &answers);
    keys.items(QStringLiteral("missed"), &v.missed);
    if (keys.failed()) return false;
    page.answers = answers ? 1 : 0;
    v.seed = quint32(seed);
    if (kind == QLatin1String("heading")) {
        v.source = PageSource::Heading;
        v.items = headingItems(int(heading) - 1);
        v.label = QString::number(heading);
    } else if (kind != QLatin1String("none") && !items.isEmpty()) {
        v.source = kind == QLatin1String("review") ? PageSource::Review : PageSource::Retest;
        v.items = pageItemsOf(items);
        v.label = label;
    }
    return true;
}

// What the headings and items the sheet names hold in table, by their names ("3", "3:4").
QJsonObject rememberedJson(const Sheet& set, const QuestionTable& table) {
    QJsonObject headings;
    QJsonObject items;
    for (const SheetPage& page : set.pages) {
        QList<ItemRef> named(page.variant.items.begin(), page.variant.items.end());
        named += page.variant.missed;
        for (const ItemRef& ref : named) {
            if (ref.isEmpty() || !QuestionTable::inRange(ref.record, slot::kFontName)) continue;
            headings[QString::number(ref.record + 1)] = table.at(ref.record, slot::kHeading);
            // A heading's own page is found by its heading.
            if (page.variant.source != PageSource::Heading || page.variant.missed.contains(ref))
                items[itemName(ref)] = QJsonArray::fromStringList(itemTexts(table, ref));
        }
    }
    return QJsonObject{{QStringLiteral("headings"), headings}, {QStringLiteral("items"), items}};
}

// Reads what a set remembers of its headings and items; a set without it finds them by their
// positions only.
// The furniture as a set holds it; nothing for a sheet without any, so that its set reads as it
// always did.
std::optional<QJsonObject> furnitureJson(const SheetFurniture& f) {
    if (f == SheetFurniture()) return std::nullopt;
    QJsonObject o;
    o[QStringLiteral("elements")] = QJsonArray::fromStringList(furnitureNames(f));
    o[QStringLiteral("kana")] = f.kanaInstruction;
    o[QStringLiteral("squareSize")] = f.squareMillimetres;
    o[QStringLiteral("instructions")] = QJsonObject{{QStringLiteral("right"), f.instructions[0]},
                                                    {QStringLiteral("left"), f.instructions[1]}};
    return o;
}

// The furniture a set holds: an element it does not name, or names in a word this program does
// not know, is not chosen; a size that is no choice is the largest that fits. Its kana switch
// and instructions are read as any other key.
bool readFurniture(Keys& keys, SheetFurniture* f, SetProblem* problem) {
    QJsonObject o;
    if (!keys.object(QStringLiteral("furniture"), &o)) return false;
    Keys furniture(o, keys.key(QStringLiteral("furniture")), problem);
    const QJsonValue elements = o.value(QStringLiteral("elements"));
    QStringList words;
    for (const QJsonValue& word : elements.toArray()) {
        if (word.isString() && word.toString() != QLatin1String("kana") &&
            !word.toString().startsWith(QLatin1String("squares=")))
            words << word.toString();
    }
    SheetFurniture read;
    QString unknown;
    for (const QString& word : words) {
        SheetFurniture one;
        if (parseFurnitureList(word, &one, &unknown)) {
            read.instruction |= one.instruction;
            read.classField |= one.classField;
            read.score |= one.score;
            read.squares |= one.squares;
            read.cutLine |= one.cutLine;
        }
    }
    furniture.boolean(QStringLiteral("kana"), &read.kanaInstruction);
    qint64 size = 0;
    const double mm = o.value(QStringLiteral("squareSize")).toDouble(0);
    if (mm == std::floor(mm) && std::find(kSquareSizeChoices.begin(), kSquareSizeChoices.end(),
                                          int(mm)) != kSquareSizeChoices.end())
        size = qint64(mm);
    read.squareMillimetres = int(size);
    QJsonObject own;
    furniture.object(QStringLiteral("instructions"), &own);
    Keys ownKeys(own, furniture.key(QStringLiteral("instructions")), problem);
    ownKeys.text(QStringLiteral("right"), &read.instructions[0]);
    ownKeys.text(QStringLiteral("left"), &read.instructions[1]);
    if (ownKeys.failed()) return false;
    *f = read;
    return true;
}

bool readRemembered(const QJsonValue& value, Sheet& set, SetProblem* problem) {
    if (value.isUndefined()) return true;
    const auto bad = [problem, &value] {
        problem->kind = SetProblem::WrongType;
        problem->key = QStringLiteral("remembered");
        problem->type = SetProblem::Type::Object;
        problem->value =
            QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact))
                .mid(1)
                .chopped(1)
                .left(40);
        return false;
    };
    if (!value.isObject()) return bad();
    const QJsonObject o = value.toObject();
    const QJsonObject headings = o[QStringLiteral("headings")].toObject();
    for (auto it = headings.begin(); it != headings.end(); ++it) {
        bool ok = false;
        const int number = it.key().toInt(&ok);
        if (!ok || number < 1 || number > QuestionTable::kRecords || !it.value().isString())
            return bad();
        set.remembered.headings[qint16(number - 1)] = it.value().toString();
    }
    const QJsonObject items = o[QStringLiteral("items")].toObject();
    for (auto it = items.begin(); it != items.end(); ++it) {
        const std::optional<ItemRef> ref = itemNamed(it.key());
        const QJsonArray texts = it.value().toArray();
        if (!ref || !it.value().isArray() || texts.size() != 4) return bad();
        QStringList fields;
        for (const QJsonValue& text : texts) {
            if (!text.isString()) return bad();
            fields.append(text.toString());
        }
        set.remembered.items[*ref] = fields;
    }
    return true;
}

}  // namespace

QByteArray sheetSetJson(const Sheet& set, const QString& setFolder, const QuestionTable& table) {
    QJsonObject pages;
    for (int p = 0; p < 2; ++p) {
        const SheetPage& page = set.pages[p];
        const PageVariant& v = page.variant;
        QJsonObject o;
        o[QStringLiteral("kind")] = sourceName(v);
        o[QStringLiteral("title")] = page.title;
        if (v.composed()) {
            if (v.source == PageSource::Heading) {
                o[QStringLiteral("heading")] = v.items[0].record + 1;
            } else {
                o[QStringLiteral("items")] = itemsJson({v.items.begin(), v.items.end()});
                o[QStringLiteral("label")] = v.label;
            }
        }
        o[QStringLiteral("flip")] = v.flipped;
        o[QStringLiteral("shuffle")] = qint64(v.seed);
        o[QStringLiteral("answers")] = page.answers != 0;
        o[QStringLiteral("missed")] = itemsJson(v.missed);
        pages[p == 0 ? QStringLiteral("right") : QStringLiteral("left")] = o;
    }
    QJsonObject root;
    root[QStringLiteral("format")] = kFormat;
    root[QStringLiteral("version")] = kSheetSetVersion;
    // Both as the system resolves them, so that a folder reached through a link names the file
    // that really lies beside the set.
    const QString question = resolvedPath(set.questionFile);
    const QString relative = QDir(resolvedPath(setFolder)).relativeFilePath(question);
    root[QStringLiteral("questionFile")] =
        relative.startsWith(QStringLiteral("../")) || QDir::isAbsolutePath(relative) ? question
                                                                                     : relative;
    root[QStringLiteral("sha256")] = set.sha256;
    root[QStringLiteral("title")] = set.titleText;
    root[QStringLiteral("font")] = QJsonObject{{QStringLiteral("name"), set.fontName},
                                               {QStringLiteral("bold"), set.bold},
                                               {QStringLiteral("italic"), set.italic}};
    root[QStringLiteral("activePage")] =
        set.rightPageActive ? QStringLiteral("right") : QStringLiteral("left");
    // Paper other than A4 only: a set of an A4 sheet reads as it always did.
    if (set.paper != Paper::A4) root[QStringLiteral("paper")] = paperName(set.paper);
    // Furniture only when chosen, for the same reason.
    if (const auto furniture = furnitureJson(set.furniture))
        root[QStringLiteral("furniture")] = *furniture;
    // Likewise ruby: a set without it reads as it always did.
    if (set.ruby != RubySetting::None) root[QStringLiteral("ruby")] = rubyName(set.ruby);
    // The key's mark only when it is on, likewise.
    if (set.keyMark) root[QStringLiteral("keyMark")] = true;
    root[QStringLiteral("pages")] = pages;
    root[QStringLiteral("remembered")] = rememberedJson(set, table);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<Sheet> readSheetSetJson(const QByteArray& json, SetProblem* problem) {
    *problem = SetProblem();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const QJsonObject root = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        root[QStringLiteral("format")] != QJsonValue(kFormat)) {
        problem->kind = SetProblem::NotASet;
        return std::nullopt;
    }
    const QJsonValue version = root[QStringLiteral("version")];
    problem->key = QStringLiteral("version");
    problem->value = written(version);
    if (version.isUndefined()) {
        problem->kind = SetProblem::NoVersion;
        return std::nullopt;
    }
    // Versions count 1, 2, 3…: anything else is no version number.
    const double number = version.toDouble(0);
    if (!version.isDouble() || number < 1 || number > 1e9 || number != std::floor(number)) {
        problem->kind = SetProblem::NotAVersion;
        return std::nullopt;
    }
    if (number > kSheetSetVersion) {
        problem->kind = SetProblem::NewerVersion;
        return std::nullopt;
    }
    *problem = SetProblem();

    Sheet set;
    Keys keys(root, QString(), problem);
    keys.text(QStringLiteral("questionFile"), &set.questionFile);
    if (set.questionFile.isEmpty()) keys.fail(SetProblem::NoValue, QStringLiteral("questionFile"));
    keys.text(QStringLiteral("sha256"), &set.sha256);
    set.sha256 = set.sha256.toLower();
    keys.text(QStringLiteral("title"), &set.titleText);
    QJsonObject font;
    keys.object(QStringLiteral("font"), &font);
    Keys fontKeys(font, QStringLiteral("font"), problem);
    fontKeys.text(QStringLiteral("name"), &set.fontName);
    fontKeys.boolean(QStringLiteral("bold"), &set.bold);
    fontKeys.boolean(QStringLiteral("italic"), &set.italic);
    QString active = QStringLiteral("right");
    keys.oneOf(QStringLiteral("activePage"), QStringLiteral("right, left"), &active);
    set.rightPageActive = active == QLatin1String("right");
    QString paper = paperName(Paper::A4);
    keys.oneOf(QStringLiteral("paper"),
               QStringList{paperName(Paper::A4), paperName(Paper::B4), paperName(Paper::A3)}.join(
                   QStringLiteral(", ")),
               &paper);
    set.paper = paperNamed(paper).value_or(Paper::A4);
    if (!keys.failed() && !readFurniture(keys, &set.furniture, problem)) return std::nullopt;
    QString ruby = rubyName(RubySetting::None);
    QStringList rubyNames;
    for (int r = int(RubySetting::None); r <= int(RubySetting::All); ++r)
        rubyNames << rubyName(RubySetting(r));
    keys.oneOf(QStringLiteral("ruby"), rubyNames.join(QStringLiteral(", ")), &ruby);
    set.ruby = rubyNamed(ruby).value_or(RubySetting::None);
    keys.boolean(QStringLiteral("keyMark"), &set.keyMark);
    QJsonObject pages;
    keys.object(QStringLiteral("pages"), &pages);
    if (keys.failed()) return std::nullopt;
    Keys pageKeys(pages, QStringLiteral("pages"), problem);
    for (int p = 0; p < 2; ++p) {
        const QString side = p == 0 ? QStringLiteral("right") : QStringLiteral("left");
        QJsonObject page;
        if (!pageKeys.object(side, &page) ||
            !readPage(page, pageKeys.key(side), set.pages[p], problem))
            return std::nullopt;
    }
    if (!readRemembered(root[QStringLiteral("remembered")], set, problem)) return std::nullopt;
    return set;
}

namespace text {

QString setMiss(const SetMiss& miss) {
    switch (miss.kind) {
        case SetMiss::HeadingPast:
            return setHeadingMissing(miss.number, miss.headingCount);
        case SetMiss::HeadingGone:
            return setHeadingNotFound(miss.heading);
        case SetMiss::ItemGone:
            return setItemNotFound(miss.heading, miss.asked);
    }
    return {};
}

QString setProblem(const SetProblem& p) {
    switch (p.kind) {
        case SetProblem::None:
            break;
        case SetProblem::Missing:
            return QStringLiteral("ファイルがありません。");
        case SetProblem::Unreadable:
            return QStringLiteral("ファイルを読めません。");
        case SetProblem::NotASet:
            return QStringLiteral("Pobelo のテストセットファイルではありません。");
        case SetProblem::NoVersion:
            return QStringLiteral("版の番号（version）がありません。");
        case SetProblem::NotAVersion:
            return QStringLiteral("版の番号（version）%1 が読めません。").arg(p.value);
        case SetProblem::NewerVersion:
            return QStringLiteral("新しい版の Pobelo で作られたファイルです（第%1版）。")
                .arg(p.value);
        case SetProblem::NoValue:
            return QStringLiteral("%1 がありません。").arg(p.key);
        case SetProblem::WrongType: {
            static const QString types[] = {QStringLiteral("文字列（\"…\"）"), QStringLiteral("数"),
                                            QStringLiteral(" true か false "),
                                            QStringLiteral("一覧（[…]）"),
                                            QStringLiteral("まとまり（{…}）")};
            return QStringLiteral("%1 は%2でなければなりません（%3 になっています）。")
                .arg(p.key, types[int(p.type)], p.value);
        }
        case SetProblem::ControlCharacter:
            return QStringLiteral("%1 に改行などの制御文字があります。").arg(p.key);
        case SetProblem::NotOneOf:
            return QStringLiteral("%1 の %2 は使えません（%3 のどれかです）。")
                .arg(p.key, p.value, p.allowed);
        case SetProblem::OutOfRange:
            return QStringLiteral("%1 は %2〜%3 の整数でなければなりません（%4 になっています）。")
                .arg(p.key)
                .arg(p.low)
                .arg(p.high)
                .arg(p.value);
        case SetProblem::NotAnItem:
            return QStringLiteral(
                       "%1 の %2 は問題の番号（\"見出し:問題\"、例 \"3:2\"）ではありません。")
                .arg(p.key, p.value);
        case SetProblem::DuplicateItem:
            return QStringLiteral("%1 に問題 %2 が二度あります。").arg(p.key, p.value);
        case SetProblem::TooManyItems:
            return QStringLiteral("%1 の問題が %2 を超えています。").arg(p.key).arg(p.high);
    }
    return {};
}

}  // namespace text

namespace {

// The record holding heading among the first count, nearest to hint; -1 when none does.
int recordOfHeading(const QuestionTable& table, int count, const QString& heading, int hint) {
    int found = -1;
    for (int r = 0; r < count; ++r) {
        if (table.at(r, slot::kHeading) == heading &&
            (found < 0 || std::abs(r - hint) < std::abs(found - hint)))
            found = r;
    }
    return found;
}

// The item holding texts: in its own heading first (as the set remembers it), then anywhere.
std::optional<ItemRef> findItem(const QuestionTable& table, int count, const Sheet& set,
                                const ItemRef& ref) {
    const QStringList texts = set.remembered.items.value(ref);
    if (ref.record < count && itemTexts(table, ref) == texts) return ref;
    QList<int> records;
    if (set.remembered.headings.contains(ref.record)) {
        const int own =
            recordOfHeading(table, count, set.remembered.headings[ref.record], ref.record);
        if (own >= 0) records.append(own);
    }
    for (int r = 0; r < count; ++r) records.append(r);
    for (const int r : records) {
        for (int i = 0; i < 10; ++i) {
            const ItemRef candidate{qint16(r), qint16(i)};
            if (itemTexts(table, candidate) == texts) return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

QList<SetMiss> findSetItems(Sheet& set, const QuestionTable& table, int headingCount) {
    QList<SetMiss> told;
    const Sheet::Remembered& memory = set.remembered;
    for (SheetPage& page : set.pages) {
        PageVariant& v = page.variant;
        if (!v.composed()) continue;
        if (v.source == PageSource::Heading) {
            const qint16 record = v.items[0].record;
            int found = record < headingCount ? record : -1;
            if (memory.headings.contains(record)) {
                const QString& heading = memory.headings[record];
                found = recordOfHeading(table, headingCount, heading, record);
                if (found < 0)
                    told.append({SetMiss::HeadingGone, record + 1, headingCount, heading, {}});
            } else if (found < 0) {
                told.append({SetMiss::HeadingPast, record + 1, headingCount, {}, {}});
            }
            if (found < 0) {
                v.items = PageItems();
                continue;
            }
            if (found != record) {
                // The title carries the heading's number: its new one.
                const QString label = QString::number(found + 1);
                if (page.title.endsWith(QLatin1Char(' ') + v.label))
                    page.title = page.title.left(page.title.size() - v.label.size()) + label;
                v.items = headingItems(found);
                v.label = label;
            }
        } else {
            QList<ItemRef> kept;
            for (const ItemRef& ref : v.items) {
                if (ref.isEmpty()) continue;
                std::optional<ItemRef> found;
                if (memory.items.contains(ref))
                    found = findItem(table, headingCount, set, ref);
                else if (ref.record < headingCount)
                    found = ref;
                if (found) {
                    kept.append(*found);
                } else if (memory.items.contains(ref)) {
                    told.append({SetMiss::ItemGone, ref.record + 1, headingCount,
                                 memory.headings.value(ref.record), memory.items[ref].value(1)});
                } else {
                    told.append({SetMiss::HeadingPast, ref.record + 1, headingCount, {}, {}});
                }
            }
            v.items = pageItemsOf(kept);
        }
        // The marks follow their items; one that cannot be found is dropped without a word.
        QList<ItemRef> missed;
        for (const ItemRef& ref : v.missed) {
            const std::optional<ItemRef> found =
                memory.items.contains(ref)  ? findItem(table, headingCount, set, ref)
                : ref.record < headingCount ? std::optional<ItemRef>(ref)
                                            : std::nullopt;
            if (found) missed.append(*found);
        }
        v.missed = missed;
    }
    return told;
}

std::optional<Sheet> readSheetSetFile(const QString& path, SetProblem* problem) {
    *problem = SetProblem();
    QFile file;
    switch (openRegularForReading(file, path)) {
        case OpenResult::Opened:
            break;
        case OpenResult::Missing:
            problem->kind = SetProblem::Missing;
            return std::nullopt;
        case OpenResult::NotRegular:
        case OpenResult::Failed:
            problem->kind = SetProblem::Unreadable;
            return std::nullopt;
    }
    // A set is a few hundred bytes; anything past a megabyte is no set.
    const QByteArray bytes = file.read(1 << 20);
    if (file.error() != QFileDevice::NoError) {
        problem->kind = SetProblem::Unreadable;
        return std::nullopt;
    }
    std::optional<Sheet> sheet = readSheetSetJson(bytes, problem);
    if (sheet)
        sheet->questionFile =
            QDir(QFileInfo(resolvedPath(path)).absolutePath()).filePath(sheet->questionFile);
    return sheet;
}

std::optional<Sheet> readSheetSetFile(const QString& path, QString* why) {
    SetProblem problem;
    std::optional<Sheet> sheet = readSheetSetFile(path, &problem);
    if (!sheet) *why = text::setProblem(problem);
    return sheet;
}

std::optional<QString> fileSha256(const QString& path) {
    QFile file;
    if (openRegularForReading(file, path) != OpenResult::Opened) return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError) return std::nullopt;
    return QString::fromLatin1(hash.result().toHex());
}

}  // namespace pobelo
