#include "sheetset.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

}  // namespace

QByteArray sheetSetJson(const Sheet& set, const QString& setFolder) {
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
    return set;
}

QStringList fitToHeadings(Sheet& set, int headingCount) {
    QStringList told;
    for (SheetPage& page : set.pages) {
        for (const ItemRef& ref : page.variant.items) {
            if (!ref.isEmpty() && ref.record >= headingCount) {
                told.append(text::setHeadingMissing(ref.record + 1, headingCount));
                page.variant.items = PageItems();
                break;
            }
        }
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
