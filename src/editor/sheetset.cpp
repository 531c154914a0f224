#include "sheetset.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

std::optional<QList<ItemRef>> itemsFrom(const QJsonValue& value) {
    if (value.isUndefined()) return QList<ItemRef>();
    if (!value.isArray()) return std::nullopt;
    QList<ItemRef> items;
    for (const QJsonValue& name : value.toArray()) {
        const std::optional<ItemRef> ref = itemNamed(name.toString());
        if (!ref) return std::nullopt;
        items.append(*ref);
    }
    return items;
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
bool readRemembered(const QJsonValue& value, Sheet& set, QString* why) {
    if (value.isUndefined()) return true;
    const auto bad = [why] {
        *why = QStringLiteral("remembered の内容が読めません。");
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
    root[QStringLiteral("pages")] = pages;
    root[QStringLiteral("remembered")] = rememberedJson(set, table);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<Sheet> readSheetSetJson(const QByteArray& json, QString* why) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const QJsonObject root = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        root[QStringLiteral("format")].toString() != kFormat) {
        *why = QStringLiteral("Pobelo のテストセットファイルではありません。");
        return std::nullopt;
    }
    const int version = root[QStringLiteral("version")].toInt(0);
    if (version < 1) {
        *why = QStringLiteral("版の番号がありません。");
        return std::nullopt;
    }
    if (version > kSheetSetVersion) {
        *why = QStringLiteral("新しい版の Pobelo で作られたファイルです（第%1版）。").arg(version);
        return std::nullopt;
    }
    Sheet set;
    set.questionFile = root[QStringLiteral("questionFile")].toString();
    set.sha256 = root[QStringLiteral("sha256")].toString().toLower();
    set.titleText = root[QStringLiteral("title")].toString();
    const QJsonObject font = root[QStringLiteral("font")].toObject();
    set.fontName = font[QStringLiteral("name")].toString();
    set.bold = font[QStringLiteral("bold")].toBool();
    set.italic = font[QStringLiteral("italic")].toBool();
    set.rightPageActive = root[QStringLiteral("activePage")].toString() != QLatin1String("left");
    if (set.questionFile.isEmpty()) {
        *why = QStringLiteral("問題ファイルの名前がありません。");
        return std::nullopt;
    }
    if (const QJsonValue paper = root[QStringLiteral("paper")]; !paper.isUndefined()) {
        const std::optional<Paper> named = paperNamed(paper.toString());
        if (!named) {
            *why = QStringLiteral("用紙が読めません。");
            return std::nullopt;
        }
        set.paper = *named;
    }
    const QJsonObject pages = root[QStringLiteral("pages")].toObject();
    for (int p = 0; p < 2; ++p) {
        const QJsonObject o =
            pages[p == 0 ? QStringLiteral("right") : QStringLiteral("left")].toObject();
        SheetPage& page = set.pages[p];
        PageVariant& v = page.variant;
        page.title = o[QStringLiteral("title")].toString();
        page.answers = o[QStringLiteral("answers")].toBool() ? 1 : 0;
        v.flipped = o[QStringLiteral("flip")].toBool();
        const double seed = o[QStringLiteral("shuffle")].toDouble(0);
        const std::optional<QList<ItemRef>> items = itemsFrom(o[QStringLiteral("items")]);
        const std::optional<QList<ItemRef>> missed = itemsFrom(o[QStringLiteral("missed")]);
        const QString kind = o[QStringLiteral("kind")].toString(QStringLiteral("none"));
        const int heading = o[QStringLiteral("heading")].toInt(0);
        const bool known = kind == QLatin1String("none") || kind == QLatin1String("heading") ||
                           kind == QLatin1String("review") || kind == QLatin1String("retest");
        if (!items || !missed || !known || seed < 0 || seed > 4294967295.0 ||
            seed != qint64(seed) ||
            (kind == QLatin1String("heading") &&
             (heading < 1 || heading > QuestionTable::kRecords))) {
            *why = QStringLiteral("%1ページの内容が読めません。")
                       .arg(p == 0 ? QStringLiteral("右") : QStringLiteral("左"));
            return std::nullopt;
        }
        v.seed = quint32(seed);
        v.missed = *missed;
        if (kind == QLatin1String("heading")) {
            v.source = PageSource::Heading;
            v.items = headingItems(heading - 1);
            v.label = QString::number(heading);
        } else if (kind != QLatin1String("none") && !items->isEmpty()) {
            v.source = kind == QLatin1String("review") ? PageSource::Review : PageSource::Retest;
            v.items = pageItemsOf(*items);
            v.label = o[QStringLiteral("label")].toString();
        }
    }
    if (!readRemembered(root[QStringLiteral("remembered")], set, why)) return std::nullopt;
    return set;
}

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

QStringList findSetItems(Sheet& set, const QuestionTable& table, int headingCount) {
    QStringList told;
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
                if (found < 0) told.append(text::setHeadingNotFound(heading));
            } else if (found < 0) {
                told.append(text::setHeadingMissing(record + 1, headingCount));
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
                    told.append(text::setItemNotFound(memory.headings.value(ref.record),
                                                      memory.items[ref].value(1)));
                } else {
                    told.append(text::setHeadingMissing(ref.record + 1, headingCount));
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

std::optional<Sheet> readSheetSetFile(const QString& path, QString* why) {
    QFile file;
    switch (openRegularForReading(file, path)) {
        case OpenResult::Opened:
            break;
        case OpenResult::Missing:
            *why = QStringLiteral("ファイルがありません。");
            return std::nullopt;
        case OpenResult::NotRegular:
        case OpenResult::Failed:
            *why = QStringLiteral("ファイルを読めません。");
            return std::nullopt;
    }
    // A set is a few hundred bytes; anything past a megabyte is no set.
    const QByteArray bytes = file.read(1 << 20);
    if (file.error() != QFileDevice::NoError) {
        *why = QStringLiteral("ファイルを読めません。");
        return std::nullopt;
    }
    std::optional<Sheet> sheet = readSheetSetJson(bytes, why);
    if (sheet)
        sheet->questionFile =
            QDir(QFileInfo(resolvedPath(path)).absolutePath()).filePath(sheet->questionFile);
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
