// pobelo-sheet: the sheet model without a window, driven from the command line. Teachers list a
// question file's headings and print sheets to PDF; a script drives the model action by action.
// Every mode is a scripted session over the same model as the window.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPdfWriter>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <optional>

#include "localfile.h"
#include "paintersurface.h"
#include "pdfdocument.h"
#include "pobeloconfig.h"
#include "questionfile.h"
#include "sheetsession.h"

namespace {

constexpr int kExitFileProblem = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFindings = 3;

// The program's messages, in the language of the user's locale when it has a translation
// (Japanese); English otherwise.
struct Message {
    Q_DECLARE_TR_FUNCTIONS(pobelo_sheet)
};

// Installs the translations of this program's messages and of Qt's own (the usage's headings
// and the option parser's errors) for the user's locale.
void translateMessages(QCoreApplication& app) {
    const QLocale locale;
    static QTranslator qtTexts;
    if (qtTexts.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    // Installed under share/pobelo/translations; in the build tree beside the program.
    const QDir programDir(QCoreApplication::applicationDirPath());
    static QTranslator ownTexts;
    for (const QString& dir : {programDir.filePath(QStringLiteral("../share/pobelo/translations")),
                               programDir.filePath(QStringLiteral("translations"))}) {
        if (ownTexts.load(locale, QStringLiteral("pobelo-sheet"), QStringLiteral("_"), dir)) {
            app.installTranslator(&ownTexts);
            break;
        }
    }
}

const char* const kDescription = QT_TRANSLATE_NOOP(
    "pobelo_sheet",
    "Makes kanji mini-test sheets from Orvane question files (.moj).\n"
    "\n"
    "  pobelo-sheet FILE --list\n"
    "      Lists the headings of FILE, numbered from 1, one a line.\n"
    "  pobelo-sheet FILE --right N [--left M] [--answers right|left|both]\n"
    "               [--title TEXT] [--font NAME] [--fit] [--strict] [--key KEY.pdf]\n"
    "               -o OUT.pdf\n"
    "      One sheet: heading N on the right page and heading M on the left page\n"
    "      (numbers as --list gives them). Without --left the left page has no questions.\n"
    "  pobelo-sheet FILE --all [--answers ...] [--title TEXT] [--font NAME] -o OUT.pdf\n"
    "      Every heading in list order, two to a sheet (right page, then left page),\n"
    "      one sheet a page of OUT.pdf. With an odd count the last sheet's left page\n"
    "      has no questions. Progress goes to standard error.\n"
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

struct Options {
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
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              Message::tr("Writes the sheets to the PDF file OUT."),
                              QStringLiteral("OUT")};
};

// What a teacher asked for.
struct Request {
    enum Mode { List, Pair, All };
    Mode mode = List;
    QString file;
    int right = 0;  // 1-based heading numbers; 0: none
    int left = 0;
    bool answersRight = false;
    bool answersLeft = false;
    std::optional<QString> title;
    std::optional<QString> font;
    bool fit = false;
    bool strict = false;
    std::optional<QString> key;
    QString output;
};

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

Request parseRequest(const QCommandLineParser& parser, const Options& o) {
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) throw UsageError(Message::tr("no question file given"));
    if (files.size() > 1)
        throw UsageError(Message::tr("one question file at a time, not \"%1\"").arg(files[1]));

    Request r;
    r.file = files.first();
    if (parser.isSet(o.left) && !parser.isSet(o.right))
        throw UsageError(Message::tr("--left goes with --right"));
    const int modes =
        int(parser.isSet(o.list)) + int(parser.isSet(o.right)) + int(parser.isSet(o.all));
    if (modes != 1) throw UsageError(Message::tr("give one of --list, --right N or --all"));

    if (parser.isSet(o.list)) {
        for (const QCommandLineOption* option :
             {&o.answers, &o.title, &o.font, &o.fit, &o.strict, &o.key, &o.output}) {
            if (parser.isSet(*option))
                throw UsageError(Message::tr("--list takes no --%1").arg(option->names().last()));
        }
        r.mode = Request::List;
        return r;
    }

    if (parser.isSet(o.right)) {
        r.mode = Request::Pair;
        r.right = headingNumber(*single(parser, o.right), QStringLiteral("right"));
        if (const auto left = single(parser, o.left))
            r.left = headingNumber(*left, QStringLiteral("left"));
    } else {
        r.mode = Request::All;
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
    if (const auto title = single(parser, o.title))
        r.title = oneLine(pobelo::displayPath(*title), QStringLiteral("--title"));
    if (const auto font = single(parser, o.font)) {
        if (font->trimmed().isEmpty()) throw UsageError(Message::tr("--font needs a name"));
        r.font = oneLine(pobelo::displayPath(font->trimmed()), QStringLiteral("--font"));
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
    if (pobelo::sameFile(r.file, r.output)) {
        throw UsageError(Message::tr("OUT %1 is the question file %2 itself")
                             .arg(pobelo::displayPath(r.output), pobelo::displayPath(r.file)));
    }
    if (r.key) {
        const QFileInfo key(*r.key);
        const QFileInfo out(r.output);
        if (key.absoluteFilePath() == out.absoluteFilePath() || pobelo::sameFile(*r.key, r.output))
            throw UsageError(Message::tr("KEY and OUT are the same file"));
        if (pobelo::sameFile(r.file, *r.key)) {
            throw UsageError(Message::tr("KEY %1 is the question file %2 itself")
                                 .arg(pobelo::displayPath(*r.key), pobelo::displayPath(r.file)));
        }
    }
    return r;
}

// Prints one sheet: heading right on the right page and heading left (0: none) on the left page,
// with the answers as asked, or on both pages for the key. Before it the right page is the
// active page.
bool printSheet(const Request& r, pobelo::SheetSession& session, int right, int left,
                bool clearLeft, bool key, QString* error) {
    session.choose(right - 1);
    if (left > 0) {
        session.choose(left - 1);
    } else if (clearLeft) {
        // A left page left over from the sheet before is cleared, as the user would with its
        // page-clear icon. (The icon takes no click while the page has never been filled.)
        session.clickImage(6);
    }
    session.tick(1, int(r.answersRight || key));
    // A page without questions gets no answers: a cleared page still knows its old ones.
    session.tick(2, int((r.answersLeft || key) && left > 0));
    // A heading choice takes the file's font, so the font is picked after the choices.
    if (r.font) session.chooseFont(pobelo::FontChoice{*r.font, 15, false, false});
    return session.print(pobelo::kOrientationPortrait, QString(), error);
}

// Prints the sheets of the request, answers on both pages for the key, into pdf (left
// uncommitted). Each sheet's findings go to err, one line each. Returns an exit status.
int writeSheets(const Request& r, pobelo::SheetSession& session, int count,
                pobelo::PdfDocument& pdf, bool key, QTextStream& err) {
    // The document's subject: the headings it holds, in print order.
    const QStringList headings = session.model().combo1List();
    QStringList held = headings;
    if (r.mode == Request::Pair) {
        held = QStringList{headings.value(r.right - 1)};
        if (r.left > 0) held.append(headings.value(r.left - 1));
    }
    pdf.describe(r.title.value_or(QFileInfo(r.file).completeBaseName()),
                 held.join(QStringLiteral(" / ")));
    session.setPrintDevice(pdf.writer());
    session.painter().setPagesInOneDocument(true);
    session.model().setFitEnabled(r.fit);

    // The title first, so that each heading choice numbers it for its page.
    if (r.title) session.type(*r.title);
    const int sheets = r.mode == Request::Pair ? 1 : (count + 1) / 2;
    QString error;
    bool printed = true;
    bool refused = false;
    const QString what = key ? Message::tr("key sheet") : Message::tr("sheet");
    for (int sheet = 0; sheet < sheets && printed && !refused; ++sheet) {
        int right = r.right;
        int left = r.left;
        if (r.mode == Request::All) {
            err << what << ' ' << (sheet + 1) << '/' << sheets << '\n';
            err.flush();
            right = 2 * sheet + 1;
            left = right + 1 <= count ? right + 1 : 0;
        }
        pobelo::ScriptedFindingsDialog& findings = session.findingsDialog();
        findings.shown.clear();
        if (r.strict) session.answerFindings(pobelo::PreflightAnswer::Cancel);
        printed = printSheet(r, session, right, left, sheet > 0, key, &error);
        for (const QList<pobelo::Finding>& list : findings.shown) {
            for (const pobelo::Finding& f : list) {
                err << Message::tr("%1 %2, %3ページ, %4: %5")
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
        err << "pobelo-sheet: "
            << Message::tr("nothing written: the sheets have findings (--strict)") << '\n';
        return kExitFindings;
    }
    if (!printed || !ended || pages != sheets) {
        err << "pobelo-sheet: "
            << Message::tr("the sheets could not be drawn into %1 (%2 of %3 pages)")
                   .arg(pobelo::displayPath(pdf.path()))
                   .arg(pages)
                   .arg(sheets)
            << '\n';
        return kExitFileProblem;
    }
    return 0;
}

int runRequest(const Request& r, pobelo::SheetSession& session, QTextStream& out,
               QTextStream& err) {
    const QString name = pobelo::displayPath(r.file);
    session.open(r.file);
    const pobelo::SheetModel& model = session.model();
    if (model.lastLoad().encoding != pobelo::TextEncoding::Cp932)
        err << "pobelo-sheet: "
            << Message::tr("%1: read as %2, not as CP932")
                   .arg(name, pobelo::encodingName(model.lastLoad()))
            << '\n';
    switch (model.lastLoad().status) {
        case pobelo::LoadStatus::FileNotFound:
            err << "pobelo-sheet: " << Message::tr("%1: no such question file").arg(name) << '\n'
                << "(" << model.messages().value(model.messages().size() - 1) << ")\n";
            return kExitFileProblem;
        case pobelo::LoadStatus::OpenFailed:
            if (struct stat info{};
                ::stat(pobelo::localPathBytes(r.file).constData(), &info) == 0 &&
                S_ISDIR(info.st_mode))
                err << "pobelo-sheet: "
                    << Message::tr("%1: is a folder, not a question file").arg(name) << '\n';
            else
                err << "pobelo-sheet: " << Message::tr("%1: cannot be read").arg(name) << '\n';
            return kExitFileProblem;
        case pobelo::LoadStatus::ReadFailed:
            if (model.combo1List().isEmpty()) {
                err << "pobelo-sheet: " << Message::tr("%1: cannot be read").arg(name) << '\n';
                return kExitFileProblem;
            }
            break;
        case pobelo::LoadStatus::Complete:
        case pobelo::LoadStatus::Incomplete:
        case pobelo::LoadStatus::TooManyRecords:
            break;
    }
    const QStringList headings = model.combo1List();
    if (headings.isEmpty()) {
        err << "pobelo-sheet: " << Message::tr("%1: holds no complete question record").arg(name)
            << '\n';
        return kExitFileProblem;
    }

    if (r.mode == Request::List) {
        for (int i = 0; i < headings.size(); ++i) {
            QString heading = headings[i];
            // One heading a line, whatever a quoted field held.
            for (QChar& c : heading) {
                if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
            }
            out << (i + 1) << '\t' << heading << '\n';
        }
        return 0;
    }

    for (int n : {r.right, r.left}) {
        if (n > headings.size()) {
            err << "pobelo-sheet: "
                << Message::tr("%1 has headings 1 to %2, not %3 (see --list)")
                       .arg(name)
                       .arg(headings.size())
                       .arg(n)
                << '\n';
            return kExitUsage;
        }
    }

    const QString output = pobelo::displayPath(r.output);
    const QString keyOutput = pobelo::displayPath(r.key.value_or(QString()));
    pobelo::PdfDocument pdf(r.output);
    for (const auto& [input, what] : session.inputs()) pdf.addInput(input, what);
    if (!pdf.open()) {
        err << "pobelo-sheet: " << Message::tr("cannot write %1: %2").arg(output, pdf.errorString())
            << '\n';
        return kExitFileProblem;
    }
    const int count = int(headings.size());
    if (const int status = writeSheets(r, session, count, pdf, false, err); status != 0)
        return status;

    std::optional<pobelo::PdfDocument> key;
    if (r.key) {
        // The key is printed by a session of its own, from the same file, as a second teacher
        // would: the sheets' own session has moved on.
        pobelo::SheetSession keySession;
        keySession.trace().sink = session.trace().sink;
        keySession.open(r.file);
        if (keySession.model().combo1List().size() != count) {
            err << "pobelo-sheet: "
                << Message::tr("%1 changed while the sheets were printed").arg(name) << '\n';
            return kExitFileProblem;
        }
        key.emplace(*r.key);
        for (const auto& [input, what] : session.inputs()) key->addInput(input, what);
        if (!key->open()) {
            err << "pobelo-sheet: "
                << Message::tr("cannot write %1: %2").arg(keyOutput, key->errorString()) << '\n';
            return kExitFileProblem;
        }
        if (const int status = writeSheets(r, keySession, count, *key, true, err); status != 0)
            return status;
    }
    // Both documents are complete; the key goes in place first, so that OUT is never there
    // without it.
    if (key && !key->commit()) {
        err << "pobelo-sheet: "
            << Message::tr("cannot write %1: %2").arg(keyOutput, key->errorString()) << '\n';
        return kExitFileProblem;
    }
    if (!pdf.commit()) {
        err << "pobelo-sheet: " << Message::tr("cannot write %1: %2").arg(output, pdf.errorString())
            << '\n';
        return kExitFileProblem;
    }
    return 0;
}

int runScriptFile(const QString& scriptName, pobelo::SheetSession& session, QTextStream& out,
                  QTextStream& err) {
    QFile scriptFile;
    bool opened = false;
    if (scriptName == QLatin1String("-")) {
        opened = scriptFile.open(stdin, QIODevice::ReadOnly | QIODevice::Text);
    } else {
        const int fd = ::open(pobelo::localPathBytes(scriptName).constData(), O_RDONLY | O_CLOEXEC);
        opened = fd >= 0 &&
                 scriptFile.open(fd, QIODevice::ReadOnly | QIODevice::Text, QFile::AutoCloseHandle);
        if (fd >= 0 && !opened) ::close(fd);
    }
    if (!opened) {
        err << Message::tr("Cannot read the script %1").arg(pobelo::displayPath(scriptName))
            << '\n';
        return kExitUsage;
    }
    QTextStream in(&scriptFile);
    return pobelo::runScript(in, out, err, session);
}

void addOptions(QCommandLineParser& parser, const Options& o) {
    parser.setApplicationDescription(description());
    parser.addHelpOption();
    parser.addVersionOption();
    for (const QCommandLineOption* option :
         {&o.script, &o.trace, &o.list, &o.right, &o.left, &o.all, &o.answers, &o.title, &o.font,
          &o.fit, &o.strict, &o.key, &o.output})
        parser.addOption(*option);
    parser.addPositionalArgument(QStringLiteral("FILE"), Message::tr("A question file (.moj)."));
}

// Whether the command line asks for a listing only. A listing draws nothing, so it needs no
// fonts and starts without the GUI application's set-up.
bool listsOnly(int argc, char* argv[]) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    const Options o;
    addOptions(parser, o);
    return parser.parse(args) && parser.isSet(o.list) && !parser.isSet(o.script);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Declared first, so that the runtime folder outlives the application.
    std::unique_ptr<QTemporaryDir> runtimeDir;
    std::unique_ptr<QCoreApplication> app;
    if (listsOnly(argc, argv)) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        // Fonts need a GUI application, not a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        runtimeDir = pobelo::provideRuntimeDir();
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("pobelo-sheet"));
    QCoreApplication::setApplicationVersion(QStringLiteral(POBELO_VERSION));
    translateMessages(*app);
    // File names are taken as the bytes the system gave (Qt's own list loses those that are not
    // UTF-8); the application has taken out the arguments that were its own.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(pobelo::localPathFromBytes(argv[i]));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QCommandLineParser parser;
    const Options o;
    addOptions(parser, o);
    if (!parser.parse(arguments)) {
        err << "pobelo-sheet: " << parser.errorText() << '\n' << tryHelp() << '\n';
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << '\n';
        return 0;
    }

    std::optional<Request> request;
    if (parser.isSet(o.script)) {
        bool teacherOption = !parser.positionalArguments().isEmpty();
        for (const QCommandLineOption* option :
             {&o.list, &o.right, &o.left, &o.all, &o.answers, &o.title, &o.font, &o.fit, &o.strict,
              &o.key, &o.output})
            teacherOption = teacherOption || parser.isSet(*option);
        if (teacherOption) {
            err << "pobelo-sheet: "
                << Message::tr("--script takes only --trace; the script opens the file and prints.")
                << '\n'
                << tryHelp() << '\n';
            return kExitUsage;
        }
    } else if (parser.positionalArguments().isEmpty() && parser.optionNames().isEmpty()) {
        err << Message::tr("Nothing to do: give a question file or --script FILE (see --help).")
            << '\n';
        return kExitUsage;
    } else {
        try {
            request = parseRequest(parser, o);
        } catch (const UsageError& e) {
            err << "pobelo-sheet: " << e.text << '\n' << tryHelp() << '\n';
            return kExitUsage;
        }
    }
    if (!pobelo::cp932DecoderAvailable()) {
        err << Message::tr(
                   "This Qt build cannot decode Windows code page 932; question files "
                   "cannot be read.")
            << '\n';
        return kExitFileProblem;
    }

    pobelo::SheetSession session;
    // Each face that prints in place of another is told once.
    QSet<QString> toldNotes;
    session.faceNotes = [&err, &toldNotes](const QString& note) {
        if (toldNotes.contains(note)) return;
        toldNotes.insert(note);
        err << note << '\n';
        err.flush();
    };
    const QString scriptName = parser.value(o.script);
    if (!request && scriptName != QLatin1String("-"))
        session.addInput(scriptName, QStringLiteral("the script"));
    if (request) session.addInput(request->file, QStringLiteral("the question file"));
    // The trace goes into a temporary file; the named one is replaced only at the end, and never
    // when it is the script or a question file the run read.
    std::unique_ptr<pobelo::AtomicFile> traceFile;
    QTextStream traceStream;
    if (parser.isSet(o.trace)) {
        traceFile = std::make_unique<pobelo::AtomicFile>(parser.value(o.trace));
        for (const auto& [input, what] : session.inputs()) traceFile->addInput(input, what);
        if (!traceFile->begin()) {
            err << "pobelo-sheet: "
                << Message::tr("cannot write the trace file %1: %2")
                       .arg(pobelo::displayPath(traceFile->path()), traceFile->errorString())
                << '\n';
            return traceFile->problem() == pobelo::AtomicFile::Problem::IsInput ? kExitUsage
                                                                                : kExitFileProblem;
        }
        traceStream.setDevice(traceFile.get());
        session.trace().sink = [&traceStream](const QString& line) { traceStream << line << '\n'; };
    }

    int status = request ? runRequest(*request, session, out, err)
                         : runScriptFile(scriptName, session, out, err);
    out.flush();
    if (traceFile) {
        traceStream.flush();
        for (const auto& [input, what] : session.inputs()) traceFile->addInput(input, what);
        if (!traceFile->commit()) {
            err << "pobelo-sheet: "
                << Message::tr("cannot write the trace file %1: %2")
                       .arg(pobelo::displayPath(traceFile->path()), traceFile->errorString())
                << '\n';
            if (status == 0) status = kExitFileProblem;
        }
    }
    err.flush();
    return status;
}
