#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>
#include <vector>

#include "sheet.h"

class QCommandLineParser;

namespace pobelo {

class FontMeasurer;
class OutputTransaction;
class PdfDocument;
class SheetSession;
struct SheetOptions;
struct SheetRequest;

// pobelo-sheet's exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFileProblem = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFindings = 3;

// pobelo-sheet's work: its options, the request they make, and the run of that request (the
// sheets it asks for, built as values and printed by the print job) or of a script over a
// session. Listings, messages and progress go to the streams it is given; every
// message of its own starts with the program's name.
class SheetCommand {
  public:
    SheetCommand(QTextStream& out, QTextStream& err);
    ~SheetCommand();

    // Whether arguments (the program's name first) ask for a listing only. A listing draws
    // nothing, so it needs no fonts and starts without the GUI application's set-up.
    static bool listsOnly(const QStringList& arguments);

    // Runs the command line arguments, the program's name first; returns the exit status.
    int run(const QStringList& arguments);

  private:
    // The numbers of the run's files in its output transaction; -1 for those not written.
    struct OutputTargets {
        int out = -1;
        int key = -1;
        int trace = -1;
    };
    struct Questions;
    int runParsed(const QCommandLineParser& parser, const SheetOptions& o);
    int runRequest(const SheetRequest& r, OutputTransaction& outputs, const OutputTargets& targets);
    // --import: the questions of r.file with their readings filled, to the target.
    int runImport(const SheetRequest& r, OutputTransaction& outputs, int target);
    // The sheets of the request, in print order; what a set could not put in place goes to told.
    std::vector<Sheet> sheetsOf(const SheetRequest& r, const Questions& q, QStringList* told) const;
    int writeSheets(const SheetRequest& r, const Questions& q, const std::vector<Sheet>& sheets,
                    PdfDocument& pdf, bool key);
    // Tells why a file was not written; returns the exit status.
    int notWritten(const PdfDocument& document);
    int notWritten(const OutputTransaction& outputs, bool traceTarget);
    FontMeasurer& measurer();
    int runScriptFile(const QString& scriptName, SheetSession& session);
    // "pobelo-sheet: " and message on a line of its own.
    void report(const QString& message);
    // A bad command line: the message, then where to find help.
    void reportUsage(const QString& message);

    QTextStream& out_;
    QTextStream& err_;
    std::unique_ptr<FontMeasurer> measurer_;
    // Where the trace's lines go (--trace), and how a face printed instead of another is told.
    std::function<void(const QString&)> traceSink_;
    std::function<void(const QString&)> faceNotes_;
};

}  // namespace pobelo
