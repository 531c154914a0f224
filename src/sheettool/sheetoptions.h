#pragma once

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QString>
#include <optional>

#include "paper.h"
#include "sheet.h"
#include "sheetset.h"

class QCommandLineParser;

namespace pobelo {

// The program's messages, in the language of the user's locale when it has a translation
// (Japanese); English otherwise.
struct Message {
    Q_DECLARE_TR_FUNCTIONS(pobelo_sheet)
};

// What a teacher asked for on the command line.
struct SheetRequest {
    enum Mode { List, Pair, All, Set, Import };
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
    Sheet setSheet;       // the sheet it holds
    bool answersRight = false;
    bool answersLeft = false;
    std::optional<QString> title;
    std::optional<QString> font;
    bool fit = false;
    bool strict = false;
    std::optional<QString> key;
    bool keyMark = false;        // 「解答」 beside the title of every page with answers
    std::optional<Paper> paper;  // the set's paper, or A4, unless given
    // The furniture (--furniture) and both pages' own instruction (--instruction), the set's
    // unless given.
    std::optional<SheetFurniture> furniture;
    std::optional<QString> instruction;
    std::optional<RubySetting> ruby;  // the set's ruby, or none, unless given
    QString output;
};

// Every option of pobelo-sheet.
struct SheetOptions {
    QCommandLineOption script{QStringLiteral("script"),
                              Message::tr("Runs the actions in FILE ('-' for standard input)."),
                              QStringLiteral("FILE")};
    QCommandLineOption trace{QStringLiteral("trace"),
                             Message::tr("Writes every print-surface operation to FILE."),
                             QStringLiteral("FILE")};
    QCommandLineOption list{QStringLiteral("list"),
                            Message::tr("Lists the headings of the question file.")};
    QCommandLineOption right{QStringLiteral("right"),
                             Message::tr("Heading N goes on the right page."), QStringLiteral("N")};
    QCommandLineOption left{QStringLiteral("left"), Message::tr("Heading M goes on the left page."),
                            QStringLiteral("M")};
    QCommandLineOption all{QStringLiteral("all"),
                           Message::tr("Prints every heading, two to a sheet.")};
    QCommandLineOption answers{QStringLiteral("answers"),
                               Message::tr("Prints the answers (解答つき) on the right pages, "
                                           "the left pages or both."),
                               QStringLiteral("right|left|both")};
    QCommandLineOption title{QStringLiteral("title"),
                             Message::tr("The pages' title, numbered per heading."),
                             QStringLiteral("TEXT")};
    QCommandLineOption font{QStringLiteral("font"),
                            Message::tr("Prints in font NAME, as picked in the font dialog."),
                            QStringLiteral("NAME")};
    QCommandLineOption fit{QStringLiteral("fit"),
                           Message::tr("Keeps every text inside its place (はみ出しを防ぐ).")};
    QCommandLineOption strict{QStringLiteral("strict"),
                              Message::tr("Writes nothing when a sheet has findings.")};
    QCommandLineOption key{QStringLiteral("key"),
                           Message::tr("Also writes the sheets with all answers to KEY."),
                           QStringLiteral("KEY")};
    QCommandLineOption keyMark{QStringLiteral("key-mark"),
                               Message::tr("Prints 「解答」 beside the title of every page printed "
                                           "with its answers (the key's pages among them).")};
    QCommandLineOption flip{QStringLiteral("flip"),
                            Message::tr("Turns the items of the right, left or both pages between "
                                        "reading and writing (書き⇄読み)."),
                            QStringLiteral("right|left|both")};
    QCommandLineOption shuffle{QStringLiteral("shuffle"),
                               Message::tr("Prints the items in the order SEED gives."),
                               QStringLiteral("SEED")};
    QCommandLineOption review{QStringLiteral("review"),
                              Message::tr("A review page of the headings FIRST to LAST on the "
                                          "right page."),
                              QStringLiteral("FIRST-LAST")};
    QCommandLineOption reviewLeft{QStringLiteral("review-left"),
                                  Message::tr("A review page of the headings FIRST to LAST on the "
                                              "left page."),
                                  QStringLiteral("FIRST-LAST")};
    QCommandLineOption count{QStringLiteral("count"),
                             Message::tr("How many items a review page draws (1 to 10)."),
                             QStringLiteral("N")};
    QCommandLineOption seed{QStringLiteral("seed"),
                            Message::tr("The seed a review page draws its items by."),
                            QStringLiteral("S")};
    QCommandLineOption set{QStringLiteral("set"),
                           Message::tr("Prints the sheet a sheet set file holds."),
                           QStringLiteral("SET")};
    QCommandLineOption paper{QStringLiteral("paper"),
                             Message::tr("Prints on A4, or the A4 sheet enlarged to fill JIS B4 "
                                         "or A3 paper."),
                             QStringLiteral("A4|B4|A3")};
    QCommandLineOption import{
        QStringLiteral("import"),
        Message::tr("Reads questions in the notation 前の文[問題の部分]後の文 "
                    "(or a table whose answers may be empty) and writes them "
                    "to OUT.csv with the readings filled in."),
        QStringLiteral("IN")};
    QCommandLineOption furniture{
        QStringLiteral("furniture"),
        Message::tr("Adds to each sheet the elements LIST names, comma-separated: "
                    "instruction (指示文), class (組・番), score (点数), squares (マス目), cut "
                    "(切り取り線); kana puts the instruction in hiragana, squares=MM sets the "
                    "squares' size (10, 12, 14 or 16 mm). Empty for none."),
        QStringLiteral("LIST")};
    QCommandLineOption instruction{
        QStringLiteral("instruction"),
        Message::tr("Both pages' instruction line, instead of the one for what they ask."),
        QStringLiteral("TEXT")};
    QCommandLineOption ruby{QStringLiteral("ruby"),
                            Message::tr("Gives ruby (ふりがな) to no kanji, to the kanji a class "
                                        "has not learned by the end of grade N, or to all."),
                            QStringLiteral("none|1|2|3|4|5|6|all")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              Message::tr("Writes the sheets to the PDF file OUT."),
                              QStringLiteral("OUT")};
};

// The options and the usage, on parser.
void addOptions(QCommandLineParser& parser, const SheetOptions& o);
// Every option that asks for sheets or a listing (all but --script and --trace).
QList<const QCommandLineOption*> requestOptions(const SheetOptions& o);

// A command line that asks for nothing the program can do (exit status 2).
class UsageError {
  public:
    explicit UsageError(QString message) : text(std::move(message)) {}
    QString text;
};

// A file named on the command line that cannot be used (exit status 1).
class FileProblem {
  public:
    explicit FileProblem(QString message) : text(std::move(message)) {}
    QString text;
};

// The request a command line makes; throws UsageError or FileProblem.
SheetRequest parseRequest(const QCommandLineParser& parser, const SheetOptions& o);

// Why a set file cannot be used, in the program's language.
QString setProblemText(const SetProblem& problem);
// What a set names that its question file does not hold, in the program's words.
QString setMissText(const SetMiss& miss);

// Where to find help, translated.
QString tryHelp();

// Whether the program's messages are in Japanese (its translation is installed for the locale):
// the notes of a question file's load are then worded in Japanese too.
bool messagesInJapanese();

}  // namespace pobelo
