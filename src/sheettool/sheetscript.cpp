// The script language over a session: one window action a line.
#include "sheetscript.h"

#include <QFileInfo>

#include "localfile.h"
#include "outputtransaction.h"
#include "paper.h"
#include "sheetoptions.h"

namespace pobelo {

namespace {

bool parseInt(const QString& text, int low, int high, int* value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high) return false;
    *value = v;
    return true;
}

// The image or check box number in a designer name such as "Image3" or "Check1".
bool parseName(const QString& text, const QString& kind, int high, int* n) {
    if (!text.startsWith(kind)) return false;
    return parseInt(text.mid(kind.size()), 1, high, n);
}

// "right" is page 0, "left" page 1.
bool parsePage(const QString& text, int* page) {
    if (text != QLatin1String("right") && text != QLatin1String("left")) return false;
    *page = text == QLatin1String("right") ? 0 : 1;
    return true;
}

bool parseSeed(const QString& text, quint32* seed) {
    bool ok = false;
    *seed = text.toUInt(&ok);
    return ok;
}

}  // namespace

bool parseHeadingRange(const QString& text, int* first, int* last) {
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() == 1)
        return parseInt(parts[0], 1, QuestionTable::kRecords, first) &&
               parseInt(parts[0], 1, QuestionTable::kRecords, last);
    return parts.size() == 2 && parseInt(parts[0], 1, QuestionTable::kRecords, first) &&
           parseInt(parts[1], *first, QuestionTable::kRecords, last);
}

namespace {

// A script line that cannot run: how it should have been written.
bool failWith(QString* error, const char* usage) {
    *error = QString::fromLatin1(usage);
    return false;
}

// A page icon by what it does on the right or the left page (page, select, clear).
bool pageIcon(SheetSession& session, const QStringList& args, QString* error, PageIcon right,
              PageIcon left, const char* verb) {
    int page = 0;
    if (!parsePage(args.value(0), &page)) {
        *error = QStringLiteral("%1 needs right or left").arg(QLatin1String(verb));
        return false;
    }
    session.clickImage((page == 0 ? right : left) + 1);
    return true;
}

}  // namespace

namespace {

// An output onto a file the run reads (the question file, the script, a set) or writes (the
// trace) is refused as a bad line, as on the command line, before anything is drawn.
// savesDocument: the output is a set save, which may replace the set the session opened.
bool refusedTarget(const QString& path, QString* error, bool savesDocument = false) {
    OutputTransaction check;
    check.setSavesDocument(savesDocument);
    check.add(path);
    if (check.check() || (check.problem() != OutputTransaction::Problem::IsInput &&
                          check.problem() != OutputTransaction::Problem::SameTarget))
        return false;
    *error = QStringLiteral("cannot write %1: %2").arg(displayPath(path), check.errorString());
    return true;
}

}  // namespace

bool SheetScript::print(const QString& rest, QString* error) {
    // The orientation word, then the file's name as written: every byte and space of the rest.
    int orientation = kOrientationPortrait;
    QString pdfPath = rest;
    while (pdfPath.startsWith(QLatin1Char(' '))) pdfPath.remove(0, 1);
    const qsizetype space = pdfPath.indexOf(QLatin1Char(' '));
    const QString word = space < 0 ? pdfPath : pdfPath.left(space);
    if (word == QLatin1String("portrait") || word == QLatin1String("landscape")) {
        if (word == QLatin1String("landscape")) orientation = kOrientationLandscape;
        pdfPath = space < 0 ? QString() : pdfPath.mid(space + 1);
    }
    if (!pdfPath.isEmpty() && refusedTarget(pdfPath, error)) return false;
    const bool written = session_.print(orientation, pdfPath, error);
    writeFailed_ = !written;
    return written;
}

// One verb of the script: its name, how many words it takes (-1: any, checked by the verb),
// and what it does with the rest of its line.
struct SheetScript::Verb {
    QLatin1StringView name;
    int words;
    bool (*run)(SheetScript& script, const Line& line, QString* error);
};

struct SheetScript::Line {
    QString rest;  // everything after the verb and its space
    QStringList args;
};

const std::vector<SheetScript::Verb>& SheetScript::verbs() {
    using namespace Qt::Literals::StringLiterals;
    static const std::vector<Verb> table{
        {"open"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             if (l.rest.isEmpty()) return failWith(error, "open needs a file");
             s.session_.open(l.rest);
             return true;
         }},
        {"open-cancel"_L1, 0,
         [](SheetScript& s, const Line&, QString*) {
             s.session_.cancelOpen();
             return true;
         }},
        {"choose"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             int position = 0;
             if (l.args.size() != 1 || !parseInt(l.args[0], -32768, 32767, &position))
                 return failWith(error, "choose needs a list position");
             // Past the list there is nothing to choose: the window's list has no such entry.
             if (position >= s.session_.model().combo1List().size())
                 return failWith(error, "choose: the position is past the heading list");
             s.session_.choose(position);
             return true;
         }},
        {"click"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             int n = 0;
             if (l.args.size() != 1 || !parseName(l.args[0], QStringLiteral("Image"), 6, &n))
                 return failWith(error, "click needs Image1 to Image6");
             s.session_.clickImage(n);
             return true;
         }},
        // The plain spellings of the designer-named actions above.
        {"heading"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             int number = 0;
             if (l.args.size() != 1 || !parseInt(l.args[0], 1, QuestionTable::kRecords, &number))
                 return failWith(error,
                                 "heading needs a heading number from 1, as --list gives it");
             if (number > s.session_.model().combo1List().size())
                 return failWith(error, "heading: the number is past the heading list");
             s.session_.choose(number - 1);
             return true;
         }},
        {"page"_L1, 1,
         [](SheetScript& s, const Line& l, QString* error) {
             return pageIcon(s.session_, l.args, error, ToRightPage, ToLeftPage, "page");
         }},
        {"select"_L1, 1,
         [](SheetScript& s, const Line& l, QString* error) {
             return pageIcon(s.session_, l.args, error, RightBlank, LeftBlank, "select");
         }},
        {"clear"_L1, 1,
         [](SheetScript& s, const Line& l, QString* error) {
             return pageIcon(s.session_, l.args, error, RightClear, LeftClear, "clear");
         }},
        {"answers"_L1, 2,
         [](SheetScript& s, const Line& l, QString* error) {
             int page = 0;
             int value = 0;
             if (!parsePage(l.args[0], &page) || !parseInt(l.args[1], 0, 1, &value))
                 return failWith(error, "answers needs right or left and 0 or 1");
             s.session_.tick(page + 1, value);
             return true;
         }},
        {"title"_L1, -1,
         [](SheetScript& s, const Line& l, QString*) {
             s.session_.type(displayPath(l.rest));
             return true;
         }},
        {"type"_L1, -1,
         [](SheetScript& s, const Line& l, QString*) {
             // Bytes that are not UTF-8 are Windows Japanese text, as a question file holds it.
             s.session_.type(displayPath(l.rest));
             return true;
         }},
        {"tick"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             int n = 0;
             int value = 0;
             if (l.args.size() != 2 || !parseName(l.args[0], QStringLiteral("Check"), 2, &n) ||
                 !parseInt(l.args[1], 0, 1, &value))
                 return failWith(error, "tick needs Check1 or Check2 and 0 or 1");
             s.session_.tick(n, value);
             return true;
         }},
        {"font"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             bool sizeOk = false;
             int bold = 0;
             int italic = 0;
             const float size = l.args.value(0).toFloat(&sizeOk);
             if (l.args.size() < 4 || !sizeOk || size <= 0 || !parseInt(l.args[1], 0, 1, &bold) ||
                 !parseInt(l.args[2], 0, 1, &italic))
                 return failWith(error, "font needs SIZE BOLD ITALIC NAME");
             // The name is the rest of the line after the third argument.
             QString name = l.rest;
             for (int skip = 0; skip < 3; ++skip) {
                 name = name.trimmed();
                 name = name.mid(name.indexOf(QLatin1Char(' ')) + 1);
             }
             s.session_.chooseFont(
                 FontChoice{displayPath(name.trimmed()), size, bold != 0, italic != 0});
             return true;
         }},
        {"font-cancel"_L1, 0,
         [](SheetScript& s, const Line&, QString*) {
             s.session_.cancelFont();
             return true;
         }},
        {"print"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) { return s.print(l.rest, error); }},
        {"paper"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             // The A4 sheet, or it enlarged to JIS B4 or A3, for the prints that follow.
             const std::optional<Paper> paper =
                 l.args.size() == 1 ? paperNamed(l.args[0]) : std::nullopt;
             if (!paper) return failWith(error, "paper takes A4, B4 or A3");
             s.session_.setPaper(*paper);
             return true;
         }},
        {"furniture"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             // The sheet's furniture as 用紙の形 chooses it; an empty list for none.
             SheetFurniture furniture = s.session_.model().sheet().furniture;
             if (!parseFurnitureList(l.rest.trimmed(), &furniture, nullptr))
                 return failWith(error,
                                 "furniture takes instruction, class, score, squares, cut, kana "
                                 "and squares=10|12|14|16, comma-separated");
             s.session_.model().setFurniture(furniture);
             return true;
         }},
        {"instruction"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             int page = 0;
             if (l.args.isEmpty() || !parsePage(l.args[0], &page))
                 return failWith(error, "instruction needs right or left and the text");
             // The rest of the line after the page; empty: the one for what the page asks.
             const QString rest = l.rest.trimmed();
             SheetFurniture furniture = s.session_.model().sheet().furniture;
             furniture.instructions[size_t(page)] =
                 displayPath(rest.mid(l.args[0].size()).trimmed());
             s.session_.model().setFurniture(furniture);
             return true;
         }},
        {"ruby"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             // 印刷 > ふりがな: none, the kanji of grades past N (1 to 6), or all.
             const std::optional<RubySetting> ruby =
                 l.args.size() == 1 ? rubyNamed(l.args[0]) : std::nullopt;
             if (!ruby) return failWith(error, "ruby takes none, 1 to 6 or all");
             s.session_.setRuby(*ruby);
             return true;
         }},
        {"key-mark"_L1, 1,
         [](SheetScript& s, const Line& l, QString* error) {
             // 「解答」 beside the title of every page printed with its answers.
             int value = 0;
             if (!parseInt(l.args[0], 0, 1, &value))
                 return failWith(error, "key-mark takes 0 or 1");
             s.session_.model().setKeyMark(value != 0);
             return true;
         }},
        {"print-cancel"_L1, 0,
         [](SheetScript& s, const Line&, QString*) {
             s.session_.cancelPrint();
             return true;
         }},
        {"preflight"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             const QString answer = l.args.size() == 1 ? l.args[0] : QString();
             if (answer == "fit"_L1)
                 s.session_.answerFindings(PreflightAnswer::PrintFitted);
             else if (answer == "cancel"_L1)
                 s.session_.answerFindings(PreflightAnswer::Cancel);
             else if (answer == "print"_L1)
                 s.session_.answerFindings(PreflightAnswer::PrintAsIs);
             else
                 return failWith(error, "preflight takes fit, cancel or print");
             return true;
         }},
        {"menu"_L1, 1,
         [](SheetScript& s, const Line& l, QString* error) {
             const QString& item = l.args[0];
             if (item == "prt"_L1 || item == "print"_L1) return s.print(QString(), error);
             if (item == "onl"_L1 || item == "website"_L1)
                 s.session_.openWebSite();
             else if (item == "ed"_L1 || item == "exit"_L1)
                 s.session_.exit();
             else if (item != "vv"_L1 && item != "version"_L1)  // the version entry does nothing
                 return failWith(error, "menu takes print, website, exit or version");
             return true;
         }},
        {"flip"_L1, 2,
         [](SheetScript& s, const Line& l, QString* error) {
             int page = 0;
             int value = 0;
             if (!parsePage(l.args[0], &page) || !parseInt(l.args[1], 0, 1, &value))
                 return failWith(error, "flip needs right or left and 0 or 1");
             s.session_.model().setFlipped(page, value != 0);
             return true;
         }},
        {"shuffle"_L1, 2,
         [](SheetScript& s, const Line& l, QString* error) {
             int page = 0;
             quint32 seed = 0;
             if (!parsePage(l.args[0], &page) || !parseSeed(l.args[1], &seed))
                 return failWith(error, "shuffle needs right or left and a seed (0: own order)");
             s.session_.model().setShuffleSeed(page, seed);
             return true;
         }},
        {"review"_L1, 3,
         [](SheetScript& s, const Line& l, QString* error) {
             int first = 0;
             int last = 0;
             int count = 0;
             quint32 seed = 0;
             if (!parseHeadingRange(l.args[0], &first, &last) ||
                 !parseInt(l.args[1], 1, 10, &count) || !parseSeed(l.args[2], &seed))
                 return failWith(error, "review needs FIRST-LAST COUNT SEED");
             SheetModel& m = s.session_.model();
             // A range past the list, or one that asks nothing, would leave the page as it was.
             const int headings = int(m.combo1List().size());
             if (last > headings) {
                 *error = QStringLiteral("review: the heading list has %1 headings, not %2")
                              .arg(headings)
                              .arg(last);
                 return false;
             }
             const QList<ItemRef> items = drawItems(m.table(), first - 1, last - 1, count, seed);
             if (items.isEmpty()) {
                 *error = QStringLiteral("review: headings %1 to %2 ask nothing to review")
                              .arg(first)
                              .arg(last);
                 return false;
             }
             m.composeReview(items);
             return true;
         }},
        {"pick"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             QList<ItemRef> items;
             for (const QString& word : l.args) {
                 const std::optional<ItemRef> ref = itemNamed(word);
                 if (!ref || ref->record >= s.session_.model().combo1List().size())
                     return failWith(error, "pick needs items HEADING:ITEM of the heading list");
                 items.append(*ref);
             }
             if (items.isEmpty()) return failWith(error, "pick needs items HEADING:ITEM");
             s.session_.model().composeReview(items);
             return true;
         }},
        {"miss"_L1, 3,
         [](SheetScript& s, const Line& l, QString* error) {
             int page = 0;
             int row = 0;
             int value = 0;
             if (!parsePage(l.args[0], &page) || !parseInt(l.args[1], 1, 10, &row) ||
                 !parseInt(l.args[2], 0, 1, &value))
                 return failWith(error, "miss needs right or left, a row 1 to 10 and 0 or 1");
             s.session_.model().setMissed(page, row - 1, value != 0);
             return true;
         }},
        {"retest"_L1, 1,
         [](SheetScript& s, const Line& l, QString* error) {
             int page = 0;
             if (!parsePage(l.args[0], &page)) return failWith(error, "retest needs right or left");
             s.session_.model().makeRetest(page);
             return true;
         }},
        {"set-save"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             if (l.rest.isEmpty()) return failWith(error, "set-save needs a file");
             if (refusedTarget(l.rest, error, true)) return false;
             // The window's entry is greyed while no page holds questions: nothing is saved.
             const SheetModel& m = s.session_.model();
             if (!m.prtEnabled() || !m.sheet().anyComposed()) {
                 *error = QStringLiteral(
                              "nothing written into %1: no page holds questions to save "
                              "(no heading chosen)")
                              .arg(displayPath(l.rest));
                 s.writeFailed_ = true;
                 return false;
             }
             // Nor a set that would not read back, in the program's words.
             SetProblem problem;
             if (!readSheetSetJson(sheetSetJson(m.sheet(), QFileInfo(l.rest).path(), m.table()),
                                   &problem)) {
                 *error = QStringLiteral("nothing written into %1: %2")
                              .arg(displayPath(l.rest), setProblemText(problem));
                 s.writeFailed_ = true;
                 return false;
             }
             QString why;
             if (s.session_.model().saveSet(l.rest, &why)) return true;
             *error = QStringLiteral("cannot write %1: %2").arg(displayPath(l.rest), why);
             s.writeFailed_ = true;
             return false;
         }},
        {"set-open"_L1, -1,
         [](SheetScript& s, const Line& l, QString* error) {
             if (l.rest.isEmpty()) return failWith(error, "set-open needs a file");
             s.session_.openSet(l.rest);
             return true;
         }},
        {"dump"_L1, 0,
         [](SheetScript& s, const Line&, QString*) {
             if (s.output) s.output(s.session_.dump());
             return true;
         }},
    };
    return table;
}

bool SheetScript::runLine(const QString& rawLine, QString* error) {
    QString line = rawLine;
    while (line.endsWith(QLatin1Char('\r')) || line.endsWith(QLatin1Char('\n'))) line.chop(1);
    if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#'))) return true;
    if (session_.closed()) return true;
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    const QString action = (space < 0 ? line : line.left(space)).trimmed();
    Line words;
    words.rest = space < 0 ? QString() : line.mid(space + 1);
    words.args = words.rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);

    writeFailed_ = false;
    for (const Verb& verb : verbs()) {
        if (action == verb.name && (verb.words < 0 || verb.words == words.args.size()))
            return verb.run(*this, words, error);
    }
    *error = QStringLiteral("unknown action \"%1\"").arg(line.trimmed());
    return false;
}

namespace {

// What the window would tell of the open on line, and what was not read as it stands.
void noteOpen(SheetSession& session, int line, qsizetype messagesBefore, QTextStream& err) {
    const SheetModel& model = session.model();
    const LoadResult& load = model.lastLoad();
    const QString name = displayPath(model.questionFileName());
    QStringList notes = model.messages().mid(messagesBefore);
    // A set that cannot be read is told in the program's words, its reason on the same line.
    if (session.openedSet() && model.setProblem().kind != SetProblem::None) {
        err << QStringLiteral("line %1: cannot open the set %2: %3\n")
                   .arg(line)
                   .arg(terminalText(displayPath(session.openedPath())),
                        terminalText(setProblemText(model.setProblem())));
        err.flush();
        return;
    }
    if (notes.isEmpty() &&
        (load.status == LoadStatus::OpenFailed ||
         (load.status == LoadStatus::ReadFailed && model.combo1List().isEmpty())))
        notes.append(QStringLiteral("%1 cannot be read").arg(name));
    if (load.status != LoadStatus::FileNotFound && load.status != LoadStatus::OpenFailed &&
        load.format == QuestionFormat::Moj && load.encoding != TextEncoding::Cp932)
        notes.append(
            QStringLiteral("%1 was read as %2, not as CP932").arg(name, encodingName(load)));
    for (const QString& note : loadNotes(load)) notes.append(name + QStringLiteral(": ") + note);
    // Each line of a message the window shows on two is a line of its own.
    for (const QString& note : notes) {
        for (const QString& part : note.split(QLatin1Char('\n')))
            err << QStringLiteral("line %1: %2\n").arg(line).arg(terminalText(part));
    }
    err.flush();
}

}  // namespace

int runScript(const QByteArray& script, QTextStream& out, QTextStream& err, SheetSession& session) {
    SheetScript sheetScript(session);
    sheetScript.output = [&out](const QString& line) {
        out << line << '\n';
        out.flush();
    };
    const QList<QByteArray> lines = script.split('\n');
    // A final line end ends the last line; it starts no empty one.
    const qsizetype count = script.endsWith('\n') ? lines.size() - 1 : lines.size();
    for (int number = 1; number <= count; ++number) {
        const QByteArray& bytes = lines[number - 1];
        QString error;
        const int opensBefore = session.opens();
        const qsizetype messagesBefore = session.model().messages().size();
        bool ok = !bytes.contains('\0');
        if (!ok)
            error = QStringLiteral("a NUL byte in the line");
        else
            ok = sheetScript.runLine(localPathFromBytes(bytes), &error);
        if (!ok) {
            err << QStringLiteral("line %1: %2\n").arg(number).arg(terminalText(error));
            err.flush();
            return sheetScript.writeFailed() ? 1 : 2;
        }
        if (session.opens() != opensBefore) noteOpen(session, number, messagesBefore, err);
        if (session.closed()) break;
    }
    return 0;
}

int runScript(QTextStream& in, QTextStream& out, QTextStream& err, SheetSession& session) {
    return runScript(in.readAll().toUtf8(), out, err, session);
}

}  // namespace pobelo
