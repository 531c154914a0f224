#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

#include "ruby.h"
#include "teacherfile.h"

namespace pobelo {

namespace reading {
class Analyser;
}

// Which kanji of a sheet's sentences get ふりがな: none (as a sheet always printed), the kanji a
// class has not learned by the end of grade N (1 to 6, by the 学年別漢字配当表; a kanji outside
// it gets ruby at every grade), or every kanji.
enum class RubySetting { None, Grade1, Grade2, Grade3, Grade4, Grade5, Grade6, All };

// The setting as the command line, scripts and set files spell it: "none", "1" to "6", "all".
QString rubyName(RubySetting setting);
std::optional<RubySetting> rubyNamed(QStringView name);
// The setting as the window shows it: "ふりがな なし", "2年生までに習わない漢字に",
// "すべての漢字に".
QString rubyCaption(RubySetting setting);
// Whether a kanji gets ruby under setting.
bool kanjiGetsRuby(RubySetting setting, char32_t kanji);

// One sentence as its ruby is found: the item's three parts as printed, the readings a teacher's
// file gives them (each part's own positions), and the words other items of its page ask to be
// read, which must not be given away.
struct RubySentence {
    QString before, asked, after;
    QList<MarkedReading> teacher;
    QStringList readAsked;
};

// The ruby of a sentence under setting: readings from the dictionary over the whole sentence,
// mono ruby where a word's reading splits over its kanji, group ruby where it does not, and a
// teacher's own reading in place of the dictionary's. Never over the asked part or a word asked
// to be read. A kanji of mono ruby gets it where the setting asks for it, a group where any of its
// kanji does.
SentenceRuby sentenceRuby(const reading::Analyser& analyser, const RubySentence& sentence,
                          RubySetting setting);

struct SheetPage;
class QuestionTable;

// The ruby of each sentence of page (0 right, 1 left) as composePage lays it out from table.
std::array<SentenceRuby, 10> pageRuby(const SheetPage& page, int index, const QuestionTable& table,
                                      RubySetting setting, const reading::Analyser& analyser);

}  // namespace pobelo
