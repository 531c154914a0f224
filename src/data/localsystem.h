#pragma once

#include <QString>
#include <QStringList>

class QFile;

namespace pobelo {

enum class ReadOpen { Opened, NotFound, Failed };

// Opens the regular file at path for reading without blocking on it and without keeping others
// from reading, writing, renaming or deleting it meanwhile. A folder, a device or a pipe is no
// file to read (Failed).
ReadOpen openRegularFileForReading(const QString& path, QFile& file);

// The program's command line as the system gave it: on Linux as bytes (a name that is not UTF-8
// keeps its bytes, see localPathFromBytes), on Windows as the system's own UTF-16.
QStringList commandLineArguments(int argc, char** argv);

}  // namespace pobelo
