#include "sheetcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSet>
#include <memory>

#include "filesystem.h"
#include "fontresolver.h"
#include "localfile.h"
#include "outputtransaction.h"
#include "paintersurface.h"
#include "pdfdocument.h"
#include "questionfile.h"
#include "sheetsession.h"
#include "sheetset.h"

namespace pobelo {

namespace {

// The program's messages, in the language of the user's locale when it has a translation
// (Japanese); English otherwise.
struct Message {
    Q_DECLARE_TR_FUNCTIONS(pobelo_sheet)
};

// The help option's own lines, which Qt's Japanese translation lacks: our translation carries
// them, so that the whole usage is in one language.
[[maybe_unused]] const char* const kQtHelpTexts[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help on commandline options."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help including Qt specific options."),
};

const char* const kDescription = QT_TRANSLATE_NOOP(
    "pobelo_sheet",
    "Makes kanji mini-test sheets from Orvane question files (.moj).\n"
    "\n"
    "  pobelo-sheet FILE --list\n"
    "      Lists the headings of FILE, numbered from 1, one a line.\n"
    "  pobelo-sheet FILE --right N [--left M] [--answers right|left|both]\n"
    "               [--title TEXT] [--font NAME] [--fit] [--strict] [--key KEY.pdf]\n"
    "               [--paper A4|B4|A3] -o OUT.pdf\n"
    "      One sheet: heading N on the right page and heading M on the left page\n"
    "      (numbers as --list gives them). Without --left the left page has no questions.\n"
    "  pobelo-sheet FILE --all [--answers ...] [--title TEXT] [--font NAME] -o OUT.pdf\n"
    "      Every heading in list order, two to a sheet (right page, then left page),\n"
    "      one sheet a page of OUT.pdf. With an odd count the last sheet's left page\n"
    "      has no questions. Progress goes to standard error.\n"
    "  pobelo-sheet --set SET.pobelo-set [--fit] [--strict] [--key KEY.pdf]\n"
    "               [--paper A4|B4|A3] -o OUT.pdf\n"
    "      The sheet a sheet set file saved in the window holds, from the question\n"
    "      file it names. A question file changed since the set was saved is told\n"
    "      and nothing is printed.\n"
    "  pobelo-sheet --script FILE [--trace FILE]\n"
    "      Runs window actions, one a line, from FILE ('-' for standard input).\n"
    "\n"
    "Each page is titled with the title and its heading's number, \"TEXT 3\"; the title\n"
    "is set before the headings are chosen. Without --title it is \"小テスト\".\n"
    "Without --font each sheet prints in the font its question file names for the\n"
    "heading chosen last. A font name starting with \"@\" (\"@IPAexMincho\") prints\n"
    "the vertical layout on portrait paper, any other name the upright layout on\n"
    "landscape paper. A font that is not installed prints in a like one, and a line\n"
    "on standard error says which (\"@HG教科書体 is not installed: printed in Klee One\").\n"
    "\n"
    "Test variants: --flip right|left|both turns the pages' items between reading\n"
    "and writing (書き⇄読み): the sentence shows the answer beside the side line and\n"
    "the answer row asks for the marked part. --shuffle SEED prints the items in\n"
    "another order (an A/B version; the same seed gives the same sheet) and prints\n"
    "the seed small on the page. --review FIRST-LAST (instead of --right) and\n"
    "--review-left FIRST-LAST (instead of --left) make a review page (まとめテスト)\n"
    "of --count N items (10 unless given) drawn by --seed S (1 unless given) from\n"
    "the headings FIRST to LAST, in the order of the file.\n"
    "\n"
    "The sheets are A4. --paper B4 prints them on JIS B4 paper enlarged to fill it\n"
    "(122 %), --paper A3 on A3 paper (141 %), as a copier enlarges an A4 sheet; the\n"
    "key comes out on the same paper.\n"
    "\n"
    "Each sheet is checked before it prints: every text that would run off the\n"
    "paper, out of its frame or into another text's place is reported on standard\n"
    "error, one line each (\"sheet 1, 右ページ, ③: ③ の文が用紙の下にはみ出します（8字）\").\n"
    "--fit closes up and shrinks such texts so that they stay in place; --strict\n"
    "refuses to print a sheet with findings. --key writes KEY.pdf beside OUT: the\n"
    "same sheets with the answers on both pages, for the teacher.\n"
    "\n"
    "OUT, KEY and the trace FILE appear whole or not at all: they are replaced only\n"
    "when every sheet printed, and never when they name the question file, the\n"
    "script, a folder, a pipe or a device. The question file is never written.\n"
    "Exit status: 0 done; 1 the question file could not be read or a file could not\n"
    "be written; 2 bad arguments or script lines, a heading number not in the list\n"
    "among them; 3 a sheet had findings and --strict was given (nothing written).");

// The usage's description, translated.
QString description() {
    return Message::tr(kDescription);
}

QString tryHelp() {
    return Message::tr("Try pobelo-sheet --help.");
}

}  // namespace

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
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              Message::tr("Writes the sheets to the PDF file OUT."),
                              QStringLiteral("OUT")};
};

namespace {

class UsageError {
  public:
    explicit UsageError(QString message) : text(std::move(message)) {}
    QString text;
};

// The one value of an option given at most once.
std::optional<QString> single(const QCommandLineParser& parser, const QCommandLineOption& option) {
    const QStringList values = parser.values(option);
    if (values.isEmpty()) return std::nullopt;
    if (values.size() > 1)
        throw UsageError(Message::tr("--%1 is given more than once").arg(option.names().last()));
    return values.first();
}

// A title or face name, as the window's one-line boxes hold it.
QString oneLine(const QString& text, const QString& what) {
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        throw UsageError(Message::tr("%1 must be one line").arg(what));
    return text;
}

int headingNumber(const QString& text, const QString& option) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1)
        throw UsageError(Message::tr("--%1 needs a heading number from 1 (see --list), not \"%2\"")
                             .arg(option, text));
    return n;
}

// A file named on the command line that cannot be used (exit status 1).
class FileProblem {
  public:
    explicit FileProblem(QString message) : text(std::move(message)) {}
    QString text;
};

quint32 seedNumber(const QString& text, const QString& option) {
    bool ok = false;
    const uint seed = text.toUInt(&ok);
    if (!ok || seed == 0)
        throw UsageError(
            Message::tr("--%1 needs a number from 1 to 4294967295, not \"%2\"").arg(option, text));
    return seed;
}

SheetRequest::Review reviewRange(const QString& text, const QString& option) {
    SheetRequest::Review range;
    if (!parseHeadingRange(text, &range.first, &range.last))
        throw UsageError(
            Message::tr("--%1 needs the first and last heading numbers, as 3-5, not \"%2\"")
                .arg(option, text));
    return range;
}

// The variants the command line asks for.
void parseVariants(const QCommandLineParser& parser, const SheetOptions& o, SheetRequest& r) {
    if (const auto flip = single(parser, o.flip)) {
        if (*flip == QLatin1String("right") || *flip == QLatin1String("both")) r.flipRight = true;
        if (*flip == QLatin1String("left") || *flip == QLatin1String("both")) r.flipLeft = true;
        if (!r.flipRight && !r.flipLeft)
            throw UsageError(
                Message::tr("--flip takes right, left or both, not \"%1\"").arg(*flip));
    }
    if (const auto shuffle = single(parser, o.shuffle))
        r.shuffle = seedNumber(*shuffle, QStringLiteral("shuffle"));
    if (const auto review = single(parser, o.review))
        r.reviewRight = reviewRange(*review, QStringLiteral("review"));
    if (const auto review = single(parser, o.reviewLeft))
        r.reviewLeft = reviewRange(*review, QStringLiteral("review-left"));
    if (!r.reviewRight && !r.reviewLeft && (parser.isSet(o.count) || parser.isSet(o.seed)))
        throw UsageError(Message::tr("--count and --seed go with --review or --review-left"));
    if (const auto count = single(parser, o.count)) {
        bool ok = false;
        r.count = count->toInt(&ok);
        if (!ok || r.count < 1 || r.count > 10)
            throw UsageError(Message::tr("--count needs 1 to 10 items, not \"%1\"").arg(*count));
    }
    if (const auto seed = single(parser, o.seed))
        r.seed = seedNumber(*seed, QStringLiteral("seed"));
}

// A sheet set on the command line: the set names the question file and holds every choice.
SheetRequest parseSetRequest(const QCommandLineParser& parser, const SheetOptions& o) {
    for (const QCommandLineOption* option :
         {&o.list, &o.right, &o.left, &o.all, &o.review, &o.reviewLeft, &o.count, &o.seed, &o.flip,
          &o.shuffle, &o.answers, &o.title, &o.font}) {
        if (parser.isSet(*option))
            throw UsageError(Message::tr("--set takes no --%1: the set holds the sheet's choices")
                                 .arg(option->names().last()));
    }
    if (!parser.positionalArguments().isEmpty())
        throw UsageError(Message::tr("--set names its own question file, not \"%1\"")
                             .arg(parser.positionalArguments().first()));
    SheetRequest r;
    r.mode = SheetRequest::Set;
    r.set = *single(parser, o.set);
    QString why;
    const std::optional<SheetSet> set = readSheetSetFile(r.set, &why);
    if (!set) throw FileProblem(Message::tr("%1: %2").arg(displayPath(r.set), why));
    r.file = questionFileOf(r.set, *set);
    return r;
}

// The options every sheet-printing request shares: output, key, fit.
void parseOutputs(const QCommandLineParser& parser, const SheetOptions& o, SheetRequest& r);

SheetRequest parseRequest(const QCommandLineParser& parser, const SheetOptions& o) {
    if (parser.isSet(o.set)) {
        SheetRequest r = parseSetRequest(parser, o);
        parseOutputs(parser, o, r);
        return r;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) throw UsageError(Message::tr("no question file given"));
    if (files.size() > 1)
        throw UsageError(Message::tr("one question file at a time, not \"%1\"").arg(files[1]));

    SheetRequest r;
    r.file = files.first();
    const bool rightPage = parser.isSet(o.right) || parser.isSet(o.review);
    if ((parser.isSet(o.left) || parser.isSet(o.reviewLeft)) && !rightPage)
        throw UsageError(Message::tr("--left and --review-left go with --right or --review"));
    if (parser.isSet(o.right) && parser.isSet(o.review))
        throw UsageError(Message::tr("give --right N or --review FIRST-LAST, not both"));
    if (parser.isSet(o.left) && parser.isSet(o.reviewLeft))
        throw UsageError(Message::tr("give --left M or --review-left FIRST-LAST, not both"));
    const int modes = int(parser.isSet(o.list)) + int(rightPage) + int(parser.isSet(o.all));
    if (modes != 1)
        throw UsageError(
            Message::tr("give one of --list, --right N, --review FIRST-LAST, --all or --set"));

    if (parser.isSet(o.list)) {
        for (const QCommandLineOption* option :
             {&o.answers, &o.title, &o.font, &o.fit, &o.strict, &o.key, &o.paper, &o.output,
              &o.flip, &o.shuffle, &o.count, &o.seed}) {
            if (parser.isSet(*option))
                throw UsageError(Message::tr("--list takes no --%1").arg(option->names().last()));
        }
        r.mode = SheetRequest::List;
        return r;
    }

    parseVariants(parser, o, r);
    if (rightPage) {
        r.mode = SheetRequest::Pair;
        if (const auto right = single(parser, o.right))
            r.right = headingNumber(*right, QStringLiteral("right"));
        if (const auto left = single(parser, o.left))
            r.left = headingNumber(*left, QStringLiteral("left"));
    } else {
        r.mode = SheetRequest::All;
    }
    if (const auto answers = single(parser, o.answers)) {
        if (*answers == QLatin1String("right")) {
            r.answersRight = true;
        } else if (*answers == QLatin1String("left")) {
            r.answersLeft = true;
        } else if (*answers == QLatin1String("both")) {
            r.answersRight = r.answersLeft = true;
        } else {
            throw UsageError(
                Message::tr("--answers takes right, left or both, not \"%1\"").arg(*answers));
        }
    }
    // Bytes that are not UTF-8 are taken as Windows Japanese text, as a question file holds it.
    // A tab is a space, as the window's title box would show it.
    if (const auto title = single(parser, o.title)) {
        r.title = oneLine(displayPath(*title), QStringLiteral("--title"))
                      .replace(QLatin1Char('\t'), QLatin1Char(' '));
    }
    if (const auto font = single(parser, o.font)) {
        if (font->trimmed().isEmpty()) throw UsageError(Message::tr("--font needs a name"));
        r.font = oneLine(displayPath(font->trimmed()), QStringLiteral("--font"));
    }
    parseOutputs(parser, o, r);
    return r;
}

void parseOutputs(const QCommandLineParser& parser, const SheetOptions& o, SheetRequest& r) {
    if (const auto paper = single(parser, o.paper)) {
        const std::optional<Paper> named = paperNamed(*paper);
        if (!named)
            throw UsageError(Message::tr("--paper takes A4, B4 or A3, not \"%1\"").arg(*paper));
        r.paper = *named;
    }
    const auto output = single(parser, o.output);
    if (!output || output->isEmpty())
        throw UsageError(Message::tr("give the PDF file to write with -o OUT.pdf"));
    r.output = *output;
    r.fit = parser.isSet(o.fit);
    r.strict = parser.isSet(o.strict);
    r.key = single(parser, o.key);
    if (r.key && r.key->isEmpty())
        throw UsageError(Message::tr("give the PDF file for the answer key with --key KEY.pdf"));
    // The question file is only ever read, whatever links lead to it.
    if (sameFile(r.file, r.output)) {
        throw UsageError(Message::tr("OUT %1 is the question file %2 itself")
                             .arg(displayPath(r.output), displayPath(r.file)));
    }
    if (r.key) {
        if (sameFile(*r.key, r.output))
            throw UsageError(Message::tr("KEY and OUT are the same file"));
        if (sameFile(r.file, *r.key)) {
            throw UsageError(Message::tr("KEY %1 is the question file %2 itself")
                                 .arg(displayPath(*r.key), displayPath(r.file)));
        }
    }
    // The set file is only ever read as well.
    for (const QString& written : {r.output, r.key.value_or(QString())}) {
        if (!r.set.isEmpty() && !written.isEmpty() && sameFile(r.set, written)) {
            throw UsageError(Message::tr("%1 is the set file %2 itself")
                                 .arg(displayPath(written), displayPath(r.set)));
        }
    }
}

// Prints one sheet: heading right on the right page and heading left (0: none) on the left page,
// with the answers as asked, or on both pages for the key. Before it the right page is the
// active page.
bool printSheet(const SheetRequest& r, SheetSession& session, int right, int left, bool clearLeft,
                bool key, QString* error) {
    SheetModel& model = session.model();
    if (r.mode == SheetRequest::Set) {
        // The set holds the sheet as it was saved; the key adds the answers to its pages.
        if (key) {
            session.tick(1, 1);
            session.tick(2, int(model.variant(1).composed()));
        }
        return session.print(kOrientationPortrait, QString(), error);
    }
    // The page choices first: they hold for every heading composed afterwards.
    model.setFlipped(0, r.flipRight);
    model.setFlipped(1, r.flipLeft);
    model.setShuffleSeed(0, r.shuffle);
    model.setShuffleSeed(1, r.shuffle);
    const auto review = [&](const SheetRequest::Review& range) {
        model.composeReview(
            drawItems(model.table(), range.first - 1, range.last - 1, r.count, r.seed));
    };
    if (r.reviewRight)
        review(*r.reviewRight);
    else
        session.choose(right - 1);
    if (r.reviewLeft) {
        review(*r.reviewLeft);
    } else if (left > 0) {
        session.choose(left - 1);
    } else if (clearLeft) {
        // A left page left over from the sheet before is cleared, as the user would with its
        // page-clear icon. (The icon takes no click while the page has never been filled.)
        session.clickImage(6);
    }
    session.tick(1, int(r.answersRight || key));
    // A page without questions gets no answers: a cleared page still knows its old ones.
    session.tick(2, int((r.answersLeft || key) && model.variant(1).composed()));
    // A heading choice takes the file's font, so the font is picked after the choices.
    if (r.font) session.chooseFont(FontChoice{*r.font, 15, false, false});
    return session.print(kOrientationPortrait, QString(), error);
}

void addOptions(QCommandLineParser& parser, const SheetOptions& o) {
    parser.setApplicationDescription(description());
    parser.addHelpOption();
    parser.addVersionOption();
    for (const QCommandLineOption* option :
         {&o.script,     &o.trace, &o.list, &o.right,  &o.left,    &o.all,   &o.review,
          &o.reviewLeft, &o.count, &o.seed, &o.flip,   &o.shuffle, &o.set,   &o.answers,
          &o.title,      &o.font,  &o.fit,  &o.strict, &o.key,     &o.paper, &o.output})
        parser.addOption(*option);
    parser.addPositionalArgument(QStringLiteral("FILE"), Message::tr("A question file (.moj)."));
}

}  // namespace

// Prints the sheets of the request, answers on both pages for the key, into pdf (left
// uncommitted). Each sheet's findings go to err, one line each. Returns an exit status.
int SheetCommand::writeSheets(const SheetRequest& r, SheetSession& session, int count,
                              PdfDocument& pdf, bool key) {
    // The document's subject: the headings it holds, in print order.
    const QStringList headings = session.model().combo1List();
    QStringList held = headings;
    if (r.mode == SheetRequest::Pair) {
        held.clear();
        for (const auto& [number, range] :
             {std::pair{r.right, r.reviewRight}, std::pair{r.left, r.reviewLeft}}) {
            if (range)
                held.append(headings.mid(range->first - 1, range->last - range->first + 1));
            else if (number > 0)
                held.append(headings.value(number - 1));
        }
    }
    if (r.mode == SheetRequest::Set) {
        const DocumentInfo info = session.model().documentInfo();
        pdf.describe(info.title, info.subject);
    } else {
        pdf.describe(r.title.value_or(QFileInfo(r.file).completeBaseName()),
                     held.join(QStringLiteral(" / ")));
    }
    session.setPrintDevice(pdf.writer());
    session.setPaper(r.paper);
    session.painter().setPagesInOneDocument(true);
    session.model().setFitEnabled(r.fit);

    // The title first, so that each heading choice numbers it for its page.
    if (r.title) session.type(*r.title);
    const int sheets = r.mode == SheetRequest::All ? (count + 1) / 2 : 1;
    QString error;
    bool printed = true;
    bool refused = false;
    const QString what = key ? Message::tr("key sheet") : Message::tr("sheet");
    for (int sheet = 0; sheet < sheets && printed && !refused; ++sheet) {
        int right = r.right;
        int left = r.left;
        if (r.mode == SheetRequest::All) {
            err_ << what << ' ' << (sheet + 1) << '/' << sheets << '\n';
            err_.flush();
            right = 2 * sheet + 1;
            left = right + 1 <= count ? right + 1 : 0;
        }
        ScriptedFindingsDialog& findings = session.findingsDialog();
        findings.shown.clear();
        if (r.strict) session.answerFindings(PreflightAnswer::Cancel);
        printed = printSheet(r, session, right, left, sheet > 0, key, &error);
        for (const QList<Finding>& list : findings.shown) {
            for (const Finding& f : list) {
                err_ << Message::tr("%1 %2, %3ページ, %4: %5")
                            .arg(what)
                            .arg(sheet + 1)
                            .arg(f.page(), f.item, f.what)
                     << '\n';
            }
            refused = refused || (r.strict && !list.isEmpty());
        }
    }

    const bool ended = session.painter().endDocument();
    const int pages = session.painter().pagesBegun();
    session.setPrintDevice(nullptr);
    if (refused) {
        report(Message::tr("nothing written: the sheets have findings (--strict)"));
        return kExitFindings;
    }
    if (!printed || !ended || pages != sheets) {
        report(Message::tr("the sheets could not be drawn into %1 (%2 of %3 pages)")
                   .arg(displayPath(pdf.path()))
                   .arg(pages)
                   .arg(sheets));
        return kExitFileProblem;
    }
    return 0;
}

int SheetCommand::runRequest(const SheetRequest& r, SheetSession& session,
                             OutputTransaction& outputs, const OutputTargets& targets) {
    const QString name = displayPath(r.file);
    if (r.mode == SheetRequest::Set)
        session.openSet(r.set);
    else
        session.open(r.file);
    const SheetModel& model = session.model();
    if (model.lastLoad().encoding != TextEncoding::Cp932)
        report(
            Message::tr("%1: read as %2, not as CP932").arg(name, encodingName(model.lastLoad())));
    switch (model.lastLoad().status) {
        case LoadStatus::FileNotFound:
            report(Message::tr("%1: no such question file").arg(name));
            err_ << "(" << model.messages().value(model.messages().size() - 1) << ")\n";
            return kExitFileProblem;
        case LoadStatus::OpenFailed:
            if (fileKind(r.file) == FileKind::Folder)
                report(Message::tr("%1: is a folder, not a question file").arg(name));
            else
                report(Message::tr("%1: cannot be read").arg(name));
            return kExitFileProblem;
        case LoadStatus::ReadFailed:
            if (model.combo1List().isEmpty()) {
                report(model.lastLoad().tooLarge ? Message::tr("%1: too large to read").arg(name)
                                                 : Message::tr("%1: cannot be read").arg(name));
                return kExitFileProblem;
            }
            break;
        case LoadStatus::Complete:
        case LoadStatus::Incomplete:
        case LoadStatus::TooManyRecords:
            break;
    }
    // What was not read as it stands is told; the run goes on with what was.
    for (const QString& note : loadNotes(model.lastLoad()))
        report(name + QStringLiteral(": ") + note);
    const QStringList headings = model.combo1List();
    if (headings.isEmpty()) {
        report(Message::tr("%1: holds no complete question record").arg(name));
        return kExitFileProblem;
    }

    if (r.mode == SheetRequest::List) {
        for (int i = 0; i < headings.size(); ++i) {
            QString heading = headings[i];
            // One heading a line, whatever a quoted field held.
            for (QChar& c : heading) {
                if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
            }
            out_ << (i + 1) << '\t' << heading << '\n';
        }
        return 0;
    }

    for (int n : {r.right, r.left, r.reviewRight ? r.reviewRight->last : 0,
                  r.reviewLeft ? r.reviewLeft->last : 0}) {
        if (n > headings.size()) {
            report(Message::tr("%1 has headings 1 to %2, not %3 (see --list)")
                       .arg(name)
                       .arg(headings.size())
                       .arg(n));
            return kExitUsage;
        }
    }
    for (const auto& range : {r.reviewRight, r.reviewLeft}) {
        if (range && drawItems(model.table(), range->first - 1, range->last - 1, 1, 1).isEmpty()) {
            report(Message::tr("%1: headings %2 to %3 ask nothing to review")
                       .arg(name)
                       .arg(range->first)
                       .arg(range->last));
            return kExitUsage;
        }
    }
    if (r.mode == SheetRequest::Set) {
        // Whatever the set could not put in place is told; a changed question file stops the run.
        if (!model.setChanged()) {
            for (const QString& message : model.messages()) report(message);
        } else {
            report(Message::tr("nothing written: %1 has changed since the set %2 was saved; open "
                               "the set in Pobelo, check the sheet and save the set again")
                       .arg(name, displayPath(r.set)));
            return kExitFileProblem;
        }
        if (!model.command1Enabled()) {
            report(Message::tr("%1: the set holds no page to print").arg(displayPath(r.set)));
            return kExitFileProblem;
        }
    }
    if (!japaneseFontUsable()) {
        report(noJapaneseFontMessage());
        return kExitFileProblem;
    }

    // The sheets, then the key from the same read of the file; both are put in place with the
    // trace by the caller, once everything is written.
    const int count = int(headings.size());
    PdfDocument pdf(outputs, targets.out);
    if (!pdf.open()) return notWritten(pdf);
    if (const int status = writeSheets(r, session, count, pdf, false); status != 0) return status;
    if (!pdf.finish()) return notWritten(pdf);
    if (r.key) {
        // The key is printed by a session of its own, as a second teacher would: the sheets' own
        // session has moved on.
        SheetSession keySession;
        keySession.trace().sink = session.trace().sink;
        keySession.openSameAs(session);
        if (r.mode == SheetRequest::Set) keySession.model().applySet(session.model().sheetSet({}));
        PdfDocument key(outputs, targets.key);
        if (!key.open()) return notWritten(key);
        if (const int status = writeSheets(r, keySession, count, key, true); status != 0)
            return status;
        if (!key.finish()) return notWritten(key);
    }
    return 0;
}

int SheetCommand::notWritten(const PdfDocument& document) {
    report(Message::tr("cannot write %1: %2")
               .arg(displayPath(document.path()), document.errorString()));
    return kExitFileProblem;
}

int SheetCommand::notWritten(const OutputTransaction& outputs, bool traceTarget) {
    const QString path = displayPath(outputs.path(outputs.failedTarget()));
    report(traceTarget
               ? Message::tr("cannot write the trace file %1: %2").arg(path, outputs.errorString())
               : Message::tr("cannot write %1: %2").arg(path, outputs.errorString()));
    const bool refused = outputs.problem() == OutputTransaction::Problem::IsInput ||
                         outputs.problem() == OutputTransaction::Problem::SameTarget;
    return refused ? kExitUsage : kExitFileProblem;
}

int SheetCommand::runScriptFile(const QString& scriptName, SheetSession& session) {
    QFile scriptFile;
    bool opened = false;
    const bool standardInput = scriptName == QLatin1String("-");
    if (standardInput) {
        opened = scriptFile.open(stdin, QIODevice::ReadOnly);
    } else if (fileKind(scriptName) == FileKind::Folder) {
        err_
            << Message::tr("Cannot read the script %1: it is a folder").arg(displayPath(scriptName))
            << '\n';
        return kExitUsage;
    } else {
        opened = openForReading(scriptFile, scriptName);
    }
    // Read to its end before anything runs: a pipe or FIFO gives its lines as they come.
    QByteArray script;
    bool read = opened;
    while (read) {
        char chunk[65536];
        const qint64 n = scriptFile.read(chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0)
            read = false;
        else
            script.append(chunk, n);
    }
    if (!read) {
        err_ << Message::tr("Cannot read the script %1").arg(displayPath(scriptName)) << '\n';
        return kExitUsage;
    }
    return runScript(script, out_, err_, session);
}

void SheetCommand::report(const QString& message) {
    err_ << "pobelo-sheet: " << terminalText(message) << '\n';
}

void SheetCommand::reportUsage(const QString& message) {
    report(message);
    err_ << tryHelp() << '\n';
}

bool SheetCommand::listsOnly(const QStringList& arguments) {
    QCommandLineParser parser;
    const SheetOptions o;
    addOptions(parser, o);
    return parser.parse(arguments) && parser.isSet(o.list) && !parser.isSet(o.script);
}

int SheetCommand::run(const QStringList& arguments) {
    QCommandLineParser parser;
    const SheetOptions o;
    addOptions(parser, o);
    if (!parser.parse(arguments)) {
        reportUsage(parser.errorText());
        return kExitUsage;
    }
    const int status = runParsed(parser, o);
    out_.flush();
    err_.flush();
    return status;
}

int SheetCommand::runParsed(const QCommandLineParser& parser, const SheetOptions& o) {
    // --help-all, which the help option brings along, shows the same usage: no Qt option is for
    // a teacher.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        out_ << parser.helpText();
        return kExitDone;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out_ << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
             << '\n';
        return kExitDone;
    }

    std::optional<SheetRequest> request;
    if (parser.isSet(o.script)) {
        bool teacherOption = !parser.positionalArguments().isEmpty();
        for (const QCommandLineOption* option :
             {&o.list, &o.right, &o.left, &o.all, &o.review, &o.reviewLeft, &o.count, &o.seed,
              &o.flip, &o.shuffle, &o.set, &o.answers, &o.title, &o.font, &o.fit, &o.strict, &o.key,
              &o.paper, &o.output})
            teacherOption = teacherOption || parser.isSet(*option);
        if (teacherOption) {
            reportUsage(
                Message::tr("--script takes only --trace; the script opens the file and prints."));
            return kExitUsage;
        }
    } else if (parser.positionalArguments().isEmpty() && parser.optionNames().isEmpty()) {
        err_ << Message::tr("Nothing to do: give a question file or --script FILE (see --help).")
             << '\n';
        return kExitUsage;
    } else {
        try {
            request = parseRequest(parser, o);
        } catch (const UsageError& e) {
            reportUsage(e.text);
            return kExitUsage;
        } catch (const FileProblem& e) {
            report(e.text);
            return kExitFileProblem;
        }
    }
    if (!cp932DecoderAvailable()) {
        err_ << Message::tr(
                    "This Qt build cannot decode Windows code page 932; question files "
                    "cannot be read.")
             << '\n';
        return kExitFileProblem;
    }

    SheetSession session;
    // Each face that prints in place of another is told once.
    QSet<QString> toldNotes;
    session.faceNotes = [this, &toldNotes](const QString& note) {
        if (toldNotes.contains(note)) return;
        toldNotes.insert(note);
        err_ << terminalText(note) << '\n';
        err_.flush();
    };
    // Nothing the run writes may replace what it reads: the script, the question file, and each
    // question file the script opens (registered as it is read).
    const QString scriptName = parser.value(o.script);
    if (!request && scriptName != QLatin1String("-"))
        registerReadFile(scriptName, QStringLiteral("the script"));
    if (request) registerReadFile(request->file, QStringLiteral("the question file"));
    if (request && !request->set.isEmpty())
        registerReadFile(request->set, QStringLiteral("the set file"));

    // Every file of the run is one transaction: OUT, KEY and the trace appear together when the
    // run succeeded, or none of them changes.
    OutputTransaction outputs;
    OutputTargets targets;
    if (request && request->mode != SheetRequest::List) {
        targets.out = outputs.add(request->output, QStringLiteral("OUT"));
        if (request->key) targets.key = outputs.add(*request->key, QStringLiteral("KEY"));
    }
    if (parser.isSet(o.trace))
        targets.trace = outputs.add(parser.value(o.trace), QStringLiteral("the trace file"));
    if (outputs.count() > 0 && !outputs.begin())
        return notWritten(outputs, outputs.failedTarget() == targets.trace);
    QTextStream traceStream;
    if (targets.trace >= 0) {
        traceStream.setDevice(outputs.device(targets.trace));
        session.trace().sink = [&traceStream](const QString& line) { traceStream << line << '\n'; };
    }

    int status = request ? runRequest(*request, session, outputs, targets)
                         : runScriptFile(scriptName, session);
    out_.flush();
    traceStream.flush();
    if (status != kExitDone || outputs.count() == 0) return status;
    if (!outputs.commit()) {
        notWritten(outputs, outputs.failedTarget() == targets.trace);
        return kExitFileProblem;
    }
    return status;
}

}  // namespace pobelo
