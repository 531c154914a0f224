#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace pobelo::reading {

// A jōyō kanji as KANJIDIC2 describes it.
struct KanjidicEntry {
    char32_t kanji = 0;
    int grade = 0;         // 1 to 6 in elementary school, 8 later
    QStringList readings;  // hiragana: on'yomi, then kun'yomi stems, each once
};

// The jōyō kanji of a KANJIDIC2 file (kanjidic2.xml, or .xml.gz read through gzip), ordered by
// code point; created is set to the file's date of creation. Empty when the file cannot be read.
QList<KanjidicEntry> readKanjidic(const QString& path, QString* created = nullptr);

}  // namespace pobelo::reading
