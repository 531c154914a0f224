#pragma once

#include <QList>
#include <QString>

namespace pobelo::reading {

// A word of a sentence as the dictionary splits it, with its reading in hiragana (empty when the
// dictionary has none, as for a name it does not know).
struct Morpheme {
    enum class Role { Word, Number, Counter };
    QString surface;
    QString reading;
    Role role = Role::Word;  // a numeral, or a counter that follows one (本, 人, 日 …)
};

// What splits a sentence into words and reads them. A broken install has no dictionary: then
// available() is false and every sentence comes back unread.
class Analyser {
  public:
    virtual ~Analyser() = default;
    virtual bool available() const = 0;
    // The words of sentence in order; the characters between them (spaces) are left out.
    virtual QList<Morpheme> analyse(const QString& sentence) const = 0;
};

}  // namespace pobelo::reading
