#pragma once

#include <QByteArray>
#include <QString>
#include <QTextStream>
#include <functional>
#include <vector>

#include "sheetsession.h"

namespace pobelo {

// Script lines over a session: one action a line, as the window's user would do it. Blank lines
// and lines starting with '#' are skipped.
class SheetScript {
  public:
    explicit SheetScript(SheetSession& session) : session_(session) {}
    // Runs one line. False, with a message in error, for an unknown action or a bad argument.
    bool runLine(const QString& line, QString* error);
    // Where dump lines go.
    std::function<void(const QString&)> output;
    // Whether the last failed line was a print or set-save whose file could not be written.
    bool writeFailed() const { return writeFailed_; }

  private:
    struct Line;
    struct Verb;
    // Every verb a line can start with, in the order they are tried.
    static const std::vector<Verb>& verbs();
    // The print verb with the rest of its line: an orientation word, then the PDF file's name.
    bool print(const QString& rest, QString* error);
    SheetSession& session_;
    bool writeFailed_ = false;
};

// "3-5" (or "3") as the first and last of a range of heading numbers counted from 1.
bool parseHeadingRange(const QString& text, int* first, int* last);

// Runs a whole script, its lines as the bytes they are (a file's name is kept as written); dumps go
// to out, messages to err. Returns the exit status: 0; 1 when a print or set-save could not be
// written or had nothing to write; 2 for a bad line (a NUL byte in it, a heading past the list, an
// output onto a file the run reads or writes among them). The run stops at a failed line.
// After each open, what the window would tell is told on err, and the run goes on: a file that
// could not be opened, a question file read in another encoding than CP932, records not read.
int runScript(const QByteArray& script, QTextStream& out, QTextStream& err, SheetSession& session);
// The same from a text stream.
int runScript(QTextStream& in, QTextStream& out, QTextStream& err, SheetSession& session);

}  // namespace pobelo
