// Where Debian's mecab-ipadic-utf8 puts the compiled dictionary.
#include "mecabanalyser.h"

namespace pobelo::reading {

QString dictionaryFolder() {
    const QString named = qEnvironmentVariable("POBELO_MECAB_DICTIONARY");
    return named.isEmpty() ? QStringLiteral("/var/lib/mecab/dic/ipadic-utf8") : named;
}

}  // namespace pobelo::reading
