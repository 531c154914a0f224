// pobelo-sheet's options, its usage and the request a command line makes.
#include "sheetoptions.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "filesystem.h"
#include "localfile.h"
#include "sheetscript.h"
#include "sheetset.h"
#include "teacherfile.h"

namespace pobelo {

namespace {

// The help option's own lines, which Qt's Japanese translation lacks: our translation carries
// them, so that the whole usage is in one language.
[[maybe_unused]] const char* const kQtHelpTexts[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help on commandline options."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help including Qt specific options."),
};

const char* const kDescription = QT_TRANSLATE_NOOP(
    "pobelo_sheet",
    "Makes kanji mini-test sheets from Orvane question files (.moj), or from a\n"
    "teacher's own (.csv, .tsv, .txt: one item a row under the header 見出し,\n"
    "前の文, 問題の部分, 後の文, 答え and, if wanted, 字体).\n"
    "\n"
    "  pobelo-sheet FILE --list\n"
    "      Lists the headings of FILE, numbered from 1, one a line.\n"
    "  pobelo-sheet FILE --right N [--left M] [--answers right|left|both]\n"
    "               [--title TEXT] [--font NAME] [--fit] [--strict] [--key KEY.pdf]\n"
    "               [--key-mark] [--paper A4|B4|A3] [--furniture LIST]\n"
    "               [--instruction TEXT] [--ruby none|1-6|all] -o OUT.pdf\n"
    "      One sheet: heading N on the right page and heading M on the left page\n"
    "      (numbers as --list gives them). Without --left the left page has no questions.\n"
    "  pobelo-sheet FILE --all [--answers ...] [--title TEXT] [--font NAME] -o OUT.pdf\n"
    "      Every heading in list order, two to a sheet (right page, then left page),\n"
    "      one sheet a page of OUT.pdf. With an odd count the last sheet's left page\n"
    "      has no questions. Progress goes to standard error.\n"
    "  pobelo-sheet --set SET.pobelo-set [--fit] [--strict] [--key KEY.pdf]\n"
    "               [--key-mark] [--paper A4|B4|A3] [--ruby none|1-6|all] -o OUT.pdf\n"
    "      The sheet a sheet set file saved in the window holds, from the question\n"
    "      file it names. A question file changed since the set was saved is told\n"
    "      and nothing is printed.\n"
    "  pobelo-sheet --import IN [--strict] -o OUT.csv\n"
    "      A teacher's questions typed as 前の文[問題の部分]後の文 (or a table whose\n"
    "      answers may be empty) as a question file, each empty answer filled with\n"
    "      the reading of its asked part and told on standard error.\n"
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
    "A school's test: --furniture instruction,class,score,squares,cut adds any of an\n"
    "instruction line under each title (by what the page asks, or --instruction\n"
    "TEXT; kana in the list puts it in hiragana), 組・番 after the name, a score box,\n"
    "answer squares (a square per kanji with a dotted cross, a bracket for a\n"
    "reading; the largest that fits, or squares=10|12|14|16 mm, never under 10 mm\n"
    "on the paper; --fit makes squares too large smaller and says so) and a cut line\n"
    "between the two tests. Without it the sheet is the plain one.\n"
    "--ruby N gives ruby (ふりがな) to the kanji a class has not learned by the end of\n"
    "grade N (1 to 6, by the 学年別漢字配当表), --ruby all to every kanji, --ruby none\n"
    "(as without it, unless a set says otherwise) to none. The readings come from the\n"
    "words around each kanji, or from a teacher's file (｜漢字《かんじ》). The asked\n"
    "part, a word another item of the page asks to be read, titles and answers never\n"
    "get ruby.\n"
    "\n"
    "Each sheet is checked before it prints: every text that would run off the\n"
    "paper, out of its frame or into another text's place is reported on standard\n"
    "error, one line each (\"sheet 1, 右ページ, ③: ③ の文が用紙の下にはみ出します（8字）\").\n"
    "--fit closes up and shrinks such texts so that they stay in place; --strict\n"
    "refuses to print a sheet with findings. --key writes KEY.pdf beside OUT: the\n"
    "same sheets with the answers on both pages, for the teacher. --key-mark prints\n"
    "「解答」 small beside the title of every page printed with its answers (the\n"
    "key's, and those of --answers), so that a key is not copied for the class.\n"
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

}  // namespace

QString tryHelp() {
    return Message::tr("Try pobelo-sheet --help.");
}

bool messagesInJapanese() {
    return tryHelp() != QLatin1String("Try pobelo-sheet --help.");
}

namespace {

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

}  // namespace

QString setMissText(const SetMiss& miss) {
    switch (miss.kind) {
        case SetMiss::HeadingPast:
            return Message::tr("the set names heading %1; the question file has headings 1 to %2")
                .arg(miss.number)
                .arg(miss.headingCount);
        case SetMiss::HeadingGone:
            return Message::tr("the question file has no heading \"%1\" any more")
                .arg(miss.heading);
        case SetMiss::ItemGone:
            return Message::tr("heading \"%1\" has no question \"%2\" any more")
                .arg(miss.heading, miss.asked);
    }
    return {};
}

QString setProblemText(const SetProblem& p) {
    switch (p.kind) {
        case SetProblem::None:
            break;
        case SetProblem::Missing:
            return Message::tr("no such file");
        case SetProblem::Unreadable:
            return Message::tr("cannot be read");
        case SetProblem::NotASet:
            return Message::tr("not a Pobelo sheet set file");
        case SetProblem::NoVersion:
            return Message::tr("no version number (version)");
        case SetProblem::NotAVersion:
            return Message::tr("version %1 is no version number").arg(p.value);
        case SetProblem::NewerVersion:
            return Message::tr("made by a newer Pobelo (version %1); this one reads version %2")
                .arg(p.value)
                .arg(kSheetSetVersion);
        case SetProblem::NoValue:
            return Message::tr("%1 is missing").arg(p.key);
        case SetProblem::WrongType: {
            const QString types[] = {Message::tr("text (\"…\")"), Message::tr("a number"),
                                     Message::tr("true or false"), Message::tr("a list ([…])"),
                                     Message::tr("an object ({…})")};
            return Message::tr("%1 must be %2, not %3").arg(p.key, types[int(p.type)], p.value);
        }
        case SetProblem::ControlCharacter:
            return Message::tr("%1 holds a line break or another control character").arg(p.key);
        case SetProblem::NotOneOf:
            return Message::tr("%1 must be one of %2, not %3").arg(p.key, p.allowed, p.value);
        case SetProblem::OutOfRange:
            return Message::tr("%1 must be a whole number from %2 to %3, not %4")
                .arg(p.key)
                .arg(p.low)
                .arg(p.high)
                .arg(p.value);
        case SetProblem::NotAnItem:
            return Message::tr("%1: %2 names no item (\"HEADING:ITEM\", as \"3:2\")")
                .arg(p.key, p.value);
        case SetProblem::DuplicateItem:
            return Message::tr("%1 holds the item %2 twice").arg(p.key, p.value);
        case SetProblem::TooManyItems:
            return Message::tr("%1 holds more than %2 items").arg(p.key).arg(p.high);
    }
    return {};
}

namespace {

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
    SetProblem problem;
    std::optional<Sheet> set = readSheetSetFile(r.set, &problem);
    if (!set)
        throw FileProblem(Message::tr("%1: %2").arg(displayPath(r.set), setProblemText(problem)));
    r.setSheet = std::move(*set);
    r.file = r.setSheet.questionFile;
    return r;
}

// The options every sheet-printing request shares: output, key, fit.
void parseOutputs(const QCommandLineParser& parser, const SheetOptions& o, SheetRequest& r) {
    if (const auto paper = single(parser, o.paper)) {
        const std::optional<Paper> named = paperNamed(*paper);
        if (!named)
            throw UsageError(Message::tr("--paper takes A4, B4 or A3, not \"%1\"").arg(*paper));
        r.paper = *named;
    }
    if (const auto list = single(parser, o.furniture)) {
        SheetFurniture furniture;
        QString bad;
        if (!parseFurnitureList(*list, &furniture, &bad))
            throw UsageError(Message::tr("--furniture takes instruction, class, score, squares, "
                                         "cut, kana and squares=10|12|14|16, not \"%1\"")
                                 .arg(bad));
        r.furniture = furniture;
    }
    if (const auto text = single(parser, o.instruction))
        r.instruction = oneLine(displayPath(*text), QStringLiteral("--instruction"))
                            .replace(QLatin1Char('\t'), QLatin1Char(' '));
    if (const auto ruby = single(parser, o.ruby)) {
        const std::optional<RubySetting> named = rubyNamed(*ruby);
        if (!named)
            throw UsageError(
                Message::tr("--ruby takes none, 1 to 6 or all, not \"%1\"").arg(*ruby));
        r.ruby = *named;
    }
    const auto output = single(parser, o.output);
    if (!output || output->isEmpty())
        throw UsageError(Message::tr("give the PDF file to write with -o OUT.pdf"));
    r.output = *output;
    r.fit = parser.isSet(o.fit);
    r.strict = parser.isSet(o.strict);
    r.key = single(parser, o.key);
    r.keyMark = parser.isSet(o.keyMark);
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

// --import IN -o OUT.csv [--strict]: nothing else goes with it.
SheetRequest parseImportRequest(const QCommandLineParser& parser, const SheetOptions& o) {
    for (const QCommandLineOption* option : requestOptions(o)) {
        if (option != &o.import && option != &o.output && option != &o.strict &&
            parser.isSet(*option))
            throw UsageError(Message::tr("--import takes only -o OUT.csv and --strict, not --%1")
                                 .arg(option->names().last()));
    }
    if (!parser.positionalArguments().isEmpty())
        throw UsageError(
            Message::tr("--import reads IN, not \"%1\"").arg(parser.positionalArguments().first()));
    SheetRequest r;
    r.mode = SheetRequest::Import;
    r.file = *single(parser, o.import);
    r.strict = parser.isSet(o.strict);
    const auto output = single(parser, o.output);
    if (!output || output->isEmpty())
        throw UsageError(Message::tr("give the question file to write with -o OUT.csv"));
    r.output = *output;
    // A drill program's file is never written, whatever it is called.
    if (!isTeacherFileDrop(r.output))
        throw UsageError(Message::tr("OUT %1 must be a teacher's question file (.csv or .tsv)")
                             .arg(displayPath(r.output)));
    if (sameFile(r.file, r.output))
        throw UsageError(
            Message::tr("OUT %1 is IN %2 itself").arg(displayPath(r.output), displayPath(r.file)));
    return r;
}

}  // namespace

SheetRequest parseRequest(const QCommandLineParser& parser, const SheetOptions& o) {
    if (parser.isSet(o.import)) return parseImportRequest(parser, o);
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
             {&o.answers, &o.title, &o.font, &o.fit, &o.strict, &o.key, &o.keyMark, &o.paper,
              &o.ruby, &o.output, &o.flip, &o.shuffle, &o.count, &o.seed, &o.furniture,
              &o.instruction}) {
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

void addOptions(QCommandLineParser& parser, const SheetOptions& o) {
    parser.setApplicationDescription(description());
    parser.addHelpOption();
    parser.addVersionOption();
    for (const QCommandLineOption* option :
         {&o.script,     &o.trace,       &o.list,   &o.right,  &o.left,    &o.all,     &o.review,
          &o.reviewLeft, &o.count,       &o.seed,   &o.flip,   &o.shuffle, &o.set,     &o.answers,
          &o.title,      &o.font,        &o.fit,    &o.strict, &o.key,     &o.keyMark, &o.paper,
          &o.furniture,  &o.instruction, &o.import, &o.ruby,   &o.output})
        parser.addOption(*option);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 Message::tr("A question file (.moj), or a teacher's own (.csv)."));
}

QList<const QCommandLineOption*> requestOptions(const SheetOptions& o) {
    return {&o.list,  &o.right,     &o.left,        &o.all,     &o.review, &o.reviewLeft,
            &o.count, &o.seed,      &o.flip,        &o.shuffle, &o.set,    &o.answers,
            &o.title, &o.font,      &o.fit,         &o.strict,  &o.key,    &o.keyMark,
            &o.paper, &o.furniture, &o.instruction, &o.import,  &o.ruby,   &o.output};
}

}  // namespace pobelo
