#include "fileopening.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

#include "localfile.h"
#include "sheetmodel.h"
#include "sheetset.h"
#include "teacherfile.h"

namespace pobelo {

namespace {

bool isSheetSetFile(const QString& path) {
    return path.endsWith(QLatin1Char('.') + kSheetSetSuffix, Qt::CaseInsensitive);
}

// The local file a file: URL names, its bytes kept as they are (toLocalFile would turn those that
// are not UTF-8 into U+FFFD).
QString localFileOf(const QUrl& url) {
    const QString name = url.toLocalFile();
    if (!name.contains(QChar(0xFFFD))) return name;
    return localPathFromBytes(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

}  // namespace

void openQuestionOrSetFile(SheetModel& model, const QString& path) {
    if (isSheetSetFile(path))
        model.openSet(path);
    else
        model.openFile(path);
}

void openFromCommandLine(SheetModel& model, const QStringList& arguments) {
    if (arguments.size() < 2 || arguments.at(1).isEmpty()) return;
    const QString argument = arguments.at(1);
    const QUrl url(argument);
    // The file dialog gives whole paths; so does the command line from here on.
    const QString path = url.isLocalFile() ? localFileOf(url) : argument;
    openQuestionOrSetFile(model, QDir::cleanPath(QDir(QDir::currentPath()).filePath(path)));
}

std::optional<QString> droppedFileToOpen(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty()) return std::nullopt;
    const QUrl first = data->urls().first();
    if (!first.isLocalFile()) return std::nullopt;
    const QString path = localFileOf(first);
    if (!path.endsWith(QStringLiteral(".moj"), Qt::CaseInsensitive) && !isTeacherFileDrop(path) &&
        !isSheetSetFile(path))
        return std::nullopt;
    return path;
}

}  // namespace pobelo
