// The dictionary ships beside the programs, in the mecab\ipadic folder of the install (or of the
// extracted zip).
#include <QCoreApplication>
#include <QDir>

#include "mecabanalyser.h"

namespace pobelo::reading {

QString dictionaryFolder() {
    const QString named = qEnvironmentVariable("POBELO_MECAB_DICTIONARY");
    if (!named.isEmpty()) return named;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("mecab/ipadic"));
}

}  // namespace pobelo::reading
