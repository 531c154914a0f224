#include "kanjidicreader.h"

#include <QFile>
#include <QProcess>
#include <QXmlStreamReader>
#include <algorithm>

#include "kana.h"

namespace pobelo::reading {

namespace {

QByteArray fileBytes(const QString& path) {
    if (path.endsWith(QLatin1String(".gz"))) {
        QProcess gzip;
        gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
        if (!gzip.waitForFinished(60000) || gzip.exitStatus() != QProcess::NormalExit ||
            gzip.exitCode() != 0)
            return {};
        return gzip.readAllStandardOutput();
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A kun'yomi's stem: "うつく.しい" → "うつく", "-がた" → "がた".
QString kunStem(QString kun) {
    kun.remove(u'-');
    const qsizetype dot = kun.indexOf(u'.');
    return dot < 0 ? kun : kun.left(dot);
}

}  // namespace

QList<KanjidicEntry> readKanjidic(const QString& path, QString* created) {
    const QByteArray bytes = fileBytes(path);
    QList<KanjidicEntry> entries;
    if (bytes.isEmpty()) return entries;
    QXmlStreamReader xml(bytes);
    KanjidicEntry entry;
    QString element;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            element = xml.name().toString();
            if (element == QLatin1String("character")) {
                entry = {};
            } else if (element == QLatin1String("literal")) {
                const QString literal = xml.readElementText();
                entry.kanji = literal.isEmpty() ? 0 : literal.toUcs4().value(0);
            } else if (element == QLatin1String("grade")) {
                entry.grade = xml.readElementText().toInt();
            } else if (element == QLatin1String("reading")) {
                const QString type = xml.attributes().value(QLatin1String("r_type")).toString();
                const QString text = xml.readElementText();
                QString reading;
                if (type == QLatin1String("ja_on"))
                    reading = toHiragana(QString(text).remove(u'-'));
                else if (type == QLatin1String("ja_kun"))
                    reading = kunStem(text);
                if (!reading.isEmpty() && !entry.readings.contains(reading))
                    entry.readings.append(reading);
            } else if (element == QLatin1String("date_of_creation") && created) {
                *created = xml.readElementText();
            }
        } else if (token == QXmlStreamReader::EndElement &&
                   xml.name() == QLatin1String("character")) {
            if (entry.kanji && entry.grade >= 1 && entry.grade <= 8) entries.append(entry);
        }
    }
    if (xml.hasError()) return {};
    std::sort(entries.begin(), entries.end(),
              [](const KanjidicEntry& a, const KanjidicEntry& b) { return a.kanji < b.kanji; });
    return entries;
}

}  // namespace pobelo::reading
