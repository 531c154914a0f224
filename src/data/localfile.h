#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

class QTemporaryDir;

namespace pobelo {

// --- Local file names are bytes ------------------------------------------------------------------
// Qt turns every byte of a file name that is not UTF-8 into U+FFFD, so a name copied from a Windows
// share (CP932 bytes) could neither be opened nor written. Here each such byte is kept as a lone
// low surrogate (U+DC80 to U+DCFF) and given back unchanged when the name is used.

// The name the system gave as bytes (a command-line argument, a file: URL's path).
QString localPathFromBytes(QByteArrayView bytes);
// The bytes to hand to the system for path.
QByteArray localPathBytes(const QString& path);
// path for a message: kept bytes shown as Windows Japanese text where they decode as such.
QString displayPath(const QString& path);
// The last part of path (the file's name without its folder), as displayPath shows it.
QString displayFileName(const QString& path);

// text for a terminal: control characters (escape sequences among them) from a file or an
// argument shown as \x1B and the like, so that they cannot act on the terminal.
QString terminalText(const QString& text);

// Without XDG_RUNTIME_DIR in the environment (cron, ssh, a container) Qt warns on every run; the
// program then gets a private runtime folder of its own for as long as the returned folder lives.
std::unique_ptr<QTemporaryDir> provideRuntimeDir();

}  // namespace pobelo
