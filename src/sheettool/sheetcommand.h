#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

#include "paper.h"

class QCommandLineParser;

namespace pobelo {

class OutputTransaction;
class PdfDocument;
class SheetSession;
struct SheetOptions;

// pobelo-sheet's exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFileProblem = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFindings = 3;

// What a teacher asked for on the command line.
struct SheetRequest {
    enum Mode { List, Pair, All, Set };
    Mode mode = List;
    QString file;
    int right = 0;  // 1-based heading numbers; 0: none
    int left = 0;
    // A review page (まとめテスト) instead of a heading: count items drawn by seed from the
    // headings first to last (1-based).
    struct Review {
        int first = 0;
        int last = 0;
    };
    std::optional<Review> reviewRight;
    std::optional<Review> reviewLeft;
    int count = 10;
    quint32 seed = 1;
    bool flipRight = false;
    bool flipLeft = false;
    quint32 shuffle = 0;  // 0: the items in their own order
    QString set;          // a sheet set file, which names the question file
    bool answersRight = false;
    bool answersLeft = false;
    std::optional<QString> title;
    std::optional<QString> font;
    bool fit = false;
    bool strict = false;
    std::optional<QString> key;
    Paper paper = Paper::A4;
    QString output;
};

// pobelo-sheet's work: its options, the request they make, and the run of that request or of a
// script over a session. Listings, messages and progress go to the streams it is given; every
// message of its own starts with the program's name.
class SheetCommand {
  public:
    SheetCommand(QTextStream& out, QTextStream& err) : out_(out), err_(err) {}

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
    int runParsed(const QCommandLineParser& parser, const SheetOptions& o);
    int runRequest(const SheetRequest& r, SheetSession& session, OutputTransaction& outputs,
                   const OutputTargets& targets);
    // Tells why a file was not written; returns the exit status.
    int notWritten(const PdfDocument& document);
    int notWritten(const OutputTransaction& outputs, bool traceTarget);
    int writeSheets(const SheetRequest& r, SheetSession& session, int count, PdfDocument& pdf,
                    bool key);
    int runScriptFile(const QString& scriptName, SheetSession& session);
    // "pobelo-sheet: " and message on a line of its own.
    void report(const QString& message);
    // A bad command line: the message, then where to find help.
    void reportUsage(const QString& message);

    QTextStream& out_;
    QTextStream& err_;
};

}  // namespace pobelo
