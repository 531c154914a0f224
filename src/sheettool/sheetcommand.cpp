// pobelo-sheet's run: the sheets a request asks for, built as values and handed to the print job
// (PDF files and the trace in one output transaction), or a script over a session.
#include "sheetcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSet>
#include <memory>

#include "filesystem.h"
#include "fontmeasurer.h"
#include "fontresolver.h"
#include "localfile.h"
#include "outputtransaction.h"
#include "paintersurface.h"
#include "pdfdocument.h"
#include "printjob.h"
#include "questionfile.h"
#include "recordingsurface.h"
#include "sheetoptions.h"
#include "sheetscript.h"
#include "sheetset.h"

namespace pobelo {

// The question file of a run, read once for every sheet and key.
struct SheetCommand::Questions {
    QuestionTable table;
    QStringList headings;
    LoadResult load;
};

namespace {

// The check before printing on the command line: every list of findings is kept for the report;
// with --strict a sheet with findings is not printed.
class ReportedFindings : public FindingsDialog {
  public:
    explicit ReportedFindings(bool refuse) : refuse_(refuse) {}
    PreflightAnswer askAboutFindings(const QList<Finding>& findings, bool) override {
        shown.append(findings);
        return refuse_ ? PreflightAnswer::Cancel : PreflightAnswer::PrintAsIs;
    }
    QList<Finding> shown;

  private:
    bool refuse_;
};

// The sheet of headings right and left (1-based; 0: none) with the request's choices.
Sheet pairSheet(const SheetRequest& r, const QuestionTable& table, int right, int left) {
    Sheet sheet = Sheet::blank();
    // The title first, so that each heading numbers it for its page.
    if (r.title) sheet.setTitleText(*r.title);
    for (int page = 0; page < 2; ++page) {
        sheet.pages[page].variant.flipped = page == 0 ? r.flipRight : r.flipLeft;
        sheet.pages[page].variant.seed = r.shuffle;
    }
    const auto compose = [&](int page, int heading,
                             const std::optional<SheetRequest::Review>& review) {
        if (review)
            sheet.composeReview(
                page, drawItems(table, review->first - 1, review->last - 1, r.count, r.seed),
                table);
        else if (heading > 0)
            sheet.composeHeading(page, heading - 1, table);
    };
    compose(0, right, r.reviewRight);
    compose(1, left, r.reviewLeft);
    sheet.pages[0].answers = int(r.answersRight);
    // A page without questions gets no answers.
    sheet.pages[1].answers = int(r.answersLeft && sheet.pages[1].composed());
    // A face named on the command line is picked as in the font dialog, after the headings.
    if (r.font) {
        sheet.fontName = *r.font;
        sheet.bold = false;
        sheet.italic = false;
    }
    return sheet;
}

}  // namespace

std::vector<Sheet> SheetCommand::sheetsOf(const SheetRequest& r, const Questions& q,
                                          QStringList* told) const {
    std::vector<Sheet> sheets;
    switch (r.mode) {
        case SheetRequest::List:
        case SheetRequest::Import:
            break;
        case SheetRequest::Set: {
            Sheet sheet = r.setSheet;
            for (const SetMiss& miss : findSetItems(sheet, q.table, int(q.headings.size())))
                told->append(setMissText(miss));
            if (sheet.fontName.trimmed().isEmpty()) sheet.fontName = text::kNoFontYet;
            sheets.push_back(sheet);
            break;
        }
        case SheetRequest::Pair:
            sheets.push_back(pairSheet(r, q.table, r.right, r.left));
            break;
        case SheetRequest::All: {
            const int count = int(q.headings.size());
            for (int right = 1; right <= count; right += 2)
                sheets.push_back(pairSheet(r, q.table, right, right + 1 <= count ? right + 1 : 0));
            break;
        }
    }
    for (Sheet& sheet : sheets) {
        sheet.questionFile = r.file;
        sheet.sha256 = q.load.sha256;
        if (r.paper) sheet.paper = *r.paper;
        if (r.furniture) {
            const std::array<QString, 2> own = sheet.furniture.instructions;
            sheet.furniture = *r.furniture;
            sheet.furniture.instructions = own;
        }
        if (r.instruction) {
            sheet.furniture.instruction = true;
            sheet.furniture.instructions = {*r.instruction, *r.instruction};
        }
        if (r.ruby) sheet.ruby = *r.ruby;
        if (r.keyMark) sheet.keyMark = true;
    }
    return sheets;
}

// Prints sheets, or their keys (answers on every page that holds questions), into pdf (left
// uncommitted). Each sheet's findings go to err, one line each. Returns an exit status.
int SheetCommand::writeSheets(const SheetRequest& r, const Questions& q,
                              const std::vector<Sheet>& sheets, PdfDocument& pdf, bool key) {
    if (r.mode == SheetRequest::Set) {
        const DocumentInfo info = documentInfo(sheets.front(), q.table);
        pdf.describe(info.title, info.subject);
    } else {
        // The document's subject: the headings it holds, in print order.
        QStringList held = q.headings;
        if (r.mode == SheetRequest::Pair) {
            held.clear();
            for (const auto& [number, range] :
                 {std::pair{r.right, r.reviewRight}, std::pair{r.left, r.reviewLeft}}) {
                if (range)
                    held.append(q.headings.mid(range->first - 1, range->last - range->first + 1));
                else if (number > 0)
                    held.append(q.headings.value(number - 1));
            }
        }
        pdf.describe(r.title.value_or(QFileInfo(r.file).completeBaseName()),
                     held.join(QStringLiteral(" / ")));
    }

    PainterSurface painter;
    painter.setOutputPaper(sheets.front().paper);
    painter.setPagesInOneDocument(true);
    RecordingSurface trace;
    trace.setKeepLines(false);
    trace.sink = traceSink_;
    ReportedFindings findings(r.strict);
    QList<Finding> notes;
    const SheetPrintJob job({&trace, &measurer(), &findings, nullptr,
                             [&notes](const QList<Finding>& told) { notes.append(told); }},
                            r.fit);

    const int count = int(sheets.size());
    const QString what = key ? Message::tr("key sheet") : Message::tr("sheet");
    bool refused = false;
    for (int n = 0; n < count && !refused; ++n) {
        if (r.mode == SheetRequest::All) {
            err_ << what << ' ' << (n + 1) << '/' << count << '\n';
            err_.flush();
        }
        findings.shown.clear();
        notes.clear();
        // The printer dialog leaves the device on A4, portrait.
        setUpA4(*pdf.writer(), kOrientationPortrait);
        painter.setDevice(pdf.writer());
        trace.setInner(&painter);
        const Sheet& sheet = sheets[size_t(n)];
        if (r.font) applyFontChoice(trace, FontChoice{sheet.fontName, 15, false, false});
        job.print(composeSheet(key ? sheet.withAllAnswers() : sheet, q.table), nullptr, {});
        if (faceNotes_ && !painter.faceNote().isEmpty()) faceNotes_(painter.faceNote());
        for (const Finding& f : findings.shown + notes) {
            err_ << Message::tr("%1 %2, %3ページ, %4: %5")
                        .arg(what)
                        .arg(n + 1)
                        .arg(f.page(), f.item, f.what)
                 << '\n';
        }
        refused = r.strict && !findings.shown.isEmpty();
    }
    trace.setInner(nullptr);
    const bool ended = painter.endDocument();
    const int pages = painter.pagesBegun();
    painter.setDevice(nullptr);
    if (refused) {
        report(Message::tr("nothing written: the sheets have findings (--strict)"));
        return kExitFindings;
    }
    if (!ended || pages != count) {
        report(Message::tr("the sheets could not be drawn into %1 (%2 of %3 pages)")
                   .arg(displayPath(pdf.path()))
                   .arg(pages)
                   .arg(count));
        return kExitFileProblem;
    }
    return kExitDone;
}

SheetCommand::SheetCommand(QTextStream& out, QTextStream& err) : out_(out), err_(err) {}

SheetCommand::~SheetCommand() = default;

FontMeasurer& SheetCommand::measurer() {
    if (!measurer_) measurer_ = std::make_unique<FontMeasurer>();
    return *measurer_;
}

int SheetCommand::runRequest(const SheetRequest& r, OutputTransaction& outputs,
                             const OutputTargets& targets) {
    const QString name = displayPath(r.file);
    auto questions = std::make_unique<Questions>();
    Questions& q = *questions;
    q.load = loadQuestionFile(r.file, q.table,
                              [&q](const QString& heading) { q.headings.append(heading); });
    // A teacher's file is in any of the encodings its programs save; a drill program's is CP932.
    if (q.load.format == QuestionFormat::Moj && q.load.encoding != TextEncoding::Cp932)
        report(Message::tr("%1: read as %2, not as CP932").arg(name, encodingName(q.load)));
    switch (q.load.status) {
        case LoadStatus::FileNotFound:
            report(Message::tr("%1: no such question file").arg(name));
            err_ << "(" << text::fileNotFound(r.file) << ")\n";
            return kExitFileProblem;
        case LoadStatus::OpenFailed:
            if (fileKind(r.file) == FileKind::Folder)
                report(Message::tr("%1: is a folder, not a question file").arg(name));
            else
                report(Message::tr("%1: cannot be read").arg(name));
            return kExitFileProblem;
        case LoadStatus::ReadFailed:
            if (q.headings.isEmpty()) {
                report(q.load.tooLarge ? Message::tr("%1: too large to read").arg(name)
                                       : Message::tr("%1: cannot be read").arg(name));
                return kExitFileProblem;
            }
            break;
        case LoadStatus::TooLarge:
            report(Message::tr("%1: larger than %2 MB, which no question file is: not read")
                       .arg(name)
                       .arg(kMaxQuestionFileBytes >> 20));
            return kExitFileProblem;
        case LoadStatus::Refused:
            for (const QString& note : loadNotes(q.load, messagesInJapanese()))
                report(name + QStringLiteral(": ") + note);
            return kExitFileProblem;
        case LoadStatus::Complete:
        case LoadStatus::Incomplete:
        case LoadStatus::TooManyRecords:
            break;
    }
    // What was not read as it stands is told; the run goes on with what was.
    for (const QString& note : loadNotes(q.load, messagesInJapanese()))
        report(name + QStringLiteral(": ") + note);
    const QStringList& headings = q.headings;
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
        return kExitDone;
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
        if (range && drawItems(q.table, range->first - 1, range->last - 1, 1, 1).isEmpty()) {
            report(Message::tr("%1: headings %2 to %3 ask nothing to review")
                       .arg(name)
                       .arg(range->first)
                       .arg(range->last));
            return kExitUsage;
        }
    }
    QStringList told;
    const std::vector<Sheet> sheets = sheetsOf(r, q, &told);
    if (r.mode == SheetRequest::Set) {
        // A changed question file stops the run; whatever the set could not put in place is told.
        if (q.load.sha256.isEmpty() || q.load.sha256 != r.setSheet.sha256) {
            report(Message::tr("nothing written: %1 has changed since the set %2 was saved; open "
                               "the set in Pobelo, check the sheet and save the set again")
                       .arg(name, displayPath(r.set)));
            return kExitFileProblem;
        }
        // A page the set names that the file does not have would print empty: nothing is.
        if (!told.isEmpty()) {
            for (const QString& message : told) report(message);
            report(Message::tr("nothing written: the set %1 names what %2 does not hold")
                       .arg(displayPath(r.set), name));
            return kExitUsage;
        }
        if (!sheets.front().anyComposed()) {
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
    PdfDocument pdf(outputs, targets.out);
    if (!pdf.open()) return notWritten(pdf);
    if (const int status = writeSheets(r, q, sheets, pdf, false); status != kExitDone)
        return status;
    if (!pdf.finish()) return notWritten(pdf);
    if (r.key) {
        PdfDocument key(outputs, targets.key);
        if (!key.open()) return notWritten(key);
        if (const int status = writeSheets(r, q, sheets, key, true); status != kExitDone)
            return status;
        if (!key.finish()) return notWritten(key);
    }
    return kExitDone;
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
        for (const QCommandLineOption* option : requestOptions(o))
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

    // Each face that prints in place of another is told once.
    faceNotes_ = [this, told = QSet<QString>()](const QString& note) mutable {
        if (told.contains(note)) return;
        told.insert(note);
        err_ << terminalText(note) << '\n';
        err_.flush();
    };
    // Nothing the run writes may replace what it reads: the script, the question file, and each
    // question file the script opens (registered as it is read).
    const QString scriptName = parser.value(o.script);
    if (!request && scriptName != QLatin1String("-"))
        registerReadFile(scriptName, QStringLiteral("the script"));
    if (request)
        registerReadFile(request->file, request->mode == SheetRequest::Import
                                            ? QStringLiteral("the file to import")
                                            : QStringLiteral("the question file"));
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
        traceSink_ = [&traceStream](const QString& line) { traceStream << line << '\n'; };
    }

    int status = kExitDone;
    if (request && request->mode == SheetRequest::Import) {
        status = runImport(*request, outputs, targets.out);
    } else if (request) {
        status = runRequest(*request, outputs, targets);
    } else {
        SheetSession session;
        session.faceNotes = faceNotes_;
        session.trace().sink = traceSink_;
        status = runScriptFile(scriptName, session);
    }
    out_.flush();
    traceStream.flush();
    if (status != kExitDone || outputs.count() == 0) return status;
    // A target found at the end to be a file the run read (a question file the script opened)
    // is refused as any output onto an input is.
    if (!outputs.commit()) return notWritten(outputs, outputs.failedTarget() == targets.trace);
    return status;
}

}  // namespace pobelo
