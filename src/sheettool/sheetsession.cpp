#include "sheetsession.h"

#include <QPdfWriter>

#include "fontresolver.h"
#include "localfile.h"
#include "paintersurface.h"

namespace pobelo {

namespace {

QString jsonBool(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

QString jsonStrings(const QStringList& list) {
    QStringList items;
    for (const QString& s : list) items.append(jsonString(s));
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

template <typename Array>
QString jsonStringArray(const Array& array) {
    QStringList items;
    for (const QString& s : array) items.append(jsonString(s));
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

template <typename Array>
QString jsonNumberArray(const Array& array) {
    QStringList items;
    for (auto n : array) items.append(QString::number(n));
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

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

}  // namespace

SheetSession::SheetSession() : painter_(std::make_unique<PainterSurface>()) {
    // The trace is written only for a reader: a sink (--trace) or a caller that keeps lines.
    trace_.setKeepLines(false);
    printer_.onAccept = [this](const ScriptedPrinterDialog::Answer& a) { pointSurfaceAt(a); };
    SheetServices services;
    services.files = &files_;
    services.fonts = &fonts_;
    services.printerDialog = &printer_;
    services.surface = &trace_;
    services.messages = &messages_;
    services.browser = &browser_;
    services.measurer = &measurer_;
    services.findings = &findings_;
    model_ = std::make_unique<SheetModel>(services);
}

SheetSession::~SheetSession() {
    trace_.setInner(nullptr);
    painter_->setDevice(nullptr);
}

void SheetSession::setPrintDevice(QPagedPaintDevice* device) {
    // The painter lets go of the device it is given back by, closing its document.
    if (printDevice_ && painter_->device() == printDevice_) painter_->setDevice(nullptr);
    printDevice_ = device;
}

void SheetSession::setPaper(Paper paper) {
    painter_->setOutputPaper(paper);
}

void SheetSession::pointSurfaceAt(const ScriptedPrinterDialog::Answer& answer) {
    // The dialog leaves the device in the orientation the user picked.
    trace_.setDeviceOrientation(answer.orientation);
    if (answer.pdfPath.isEmpty()) {
        if (printDevice_) {
            setUpA4(*printDevice_, answer.orientation);
            painter_->setDevice(printDevice_);
            trace_.setInner(painter_.get());
            printedOnPainter_ = true;
        } else {
            trace_.setInner(nullptr);
        }
        return;
    }
    // A sheet drawn without a usable face would be a crash or boxes.
    static const bool fontUsable = japaneseFontUsable();
    if (!fontUsable) {
        pdfError_ = noJapaneseFontMessage();
        trace_.setInner(nullptr);
        return;
    }
    auto document = std::make_unique<PdfDocument>(answer.pdfPath);
    if (!document->open()) {
        // The sheet still goes to the trace; the print reports the file as not written.
        pdfError_ = document->errorString();
        trace_.setInner(nullptr);
        return;
    }
    setUpA4(*document->writer(), answer.orientation);
    const DocumentInfo info = model_->documentInfo();
    document->describe(info.title, info.subject);
    painter_->setDevice(document->writer());
    pdf_ = std::move(document);
    trace_.setInner(painter_.get());
    printedOnPainter_ = true;
}

void SheetSession::forgetUnusedAnswers() {
    // A dialog that a disabled command never showed must not answer a later one.
    files_.answers.clear();
    fonts_.answers.clear();
    printer_.answers.clear();
}

void SheetSession::open(const QString& path) {
    ++opens_;
    files_.answers.push_back(path);
    model_->openCommand();
    forgetUnusedAnswers();
}

void SheetSession::openSet(const QString& path) {
    ++opens_;
    model_->openSet(path);
}

void SheetSession::openSameAs(const SheetSession& other) {
    model_->openSameAs(*other.model_);
}

void SheetSession::cancelOpen() {
    files_.answers.push_back(std::nullopt);
    model_->openCommand();
    forgetUnusedAnswers();
}

void SheetSession::choose(int position) {
    model_->chooseHeading(position);
}

void SheetSession::clickImage(int n) {
    model_->clickImage(n);
}

void SheetSession::type(const QString& text) {
    model_->setText3(text);
}

void SheetSession::tick(int n, int value) {
    model_->setCheck(n, value);
}

void SheetSession::chooseFont(const FontChoice& font) {
    fonts_.answers.push_back(font);
    model_->fontCommand();
    forgetUnusedAnswers();
}

void SheetSession::cancelFont() {
    fonts_.answers.push_back(std::nullopt);
    model_->fontCommand();
    forgetUnusedAnswers();
}

bool SheetSession::print(int orientation, const QString& pdfPath, QString* error) {
    pdfError_.clear();
    printer_.answers.push_back({true, orientation, pdfPath});
    printedOnPainter_ = false;
    const int shownBefore = printer_.shown;
    model_->printSheet();
    forgetUnusedAnswers();
    findings_.answers.clear();
    if (!pdfPath.isEmpty() && printer_.shown == shownBefore) {
        *error = QStringLiteral(
                     "nothing printed into %1: the print command is not available "
                     "(no heading chosen)")
                     .arg(displayPath(pdfPath));
        return false;
    }
    if (printedOnPainter_ && faceNotes && !painter_->faceNote().isEmpty())
        faceNotes(painter_->faceNote());
    if (!pdfError_.isEmpty()) {
        *error = QStringLiteral("cannot write %1: %2").arg(displayPath(pdfPath), pdfError_);
        return false;
    }
    if (!pdf_) return true;
    // The job has ended; the document is complete once the painter lets go of it.
    std::unique_ptr<PdfDocument> document = std::move(pdf_);
    painter_->setDevice(nullptr);
    trace_.setInner(nullptr);
    if (!document->commit()) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(displayPath(pdfPath), document->errorString());
        return false;
    }
    return true;
}

void SheetSession::cancelPrint() {
    printer_.answers.push_back(ScriptedPrinterDialog::Answer{false, kOrientationPortrait, {}});
    model_->printSheet();
    forgetUnusedAnswers();
    findings_.answers.clear();
}

void SheetSession::answerFindings(PreflightAnswer answer) {
    findings_.answers.clear();
    findings_.answers.push_back(answer);
}

void SheetSession::openWebSite() {
    model_->openWebSite();
}

void SheetSession::exit() {
    model_->exitCommand();
    closed_ = true;
}

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
             if (item == "prt"_L1) return s.print(QString(), error);
             if (item == "onl"_L1)
                 s.session_.openWebSite();
             else if (item == "ed"_L1)
                 s.session_.exit();
             else if (item != "vv"_L1)  // the version entry carries no command
                 return failWith(error, "menu takes prt, onl, ed or vv");
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
             m.composeReview(drawItems(m.table(), first - 1,
                                       std::min<int>(last, int(m.combo1List().size())) - 1, count,
                                       seed));
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

QString SheetSession::dump() const {
    const SheetModel& m = *model_;
    QStringList parts;
    for (int a = 0; a < kLabelArrays; ++a) {
        QStringList elements;
        for (int row = 0; row < kRows; ++row) {
            elements.append(QStringLiteral("{\"caption\":%1,\"enabled\":%2}")
                                .arg(jsonString(m.caption(LabelArray(a), row)),
                                     jsonBool(m.enabled(LabelArray(a), row))));
        }
        parts.append(
            QStringLiteral("\"Label%1\":[%2]").arg(a + 1).arg(elements.join(QLatin1Char(','))));
    }
    parts.append(QStringLiteral("\"Label51\":") + jsonString(m.label51()));
    parts.append(QStringLiteral("\"Label52\":") + jsonString(m.label52()));
    parts.append(QStringLiteral("\"Check1\":%1").arg(m.check1()));
    parts.append(QStringLiteral("\"Check2\":%1").arg(m.check2()));
    for (int n = 1; n <= 6; ++n)
        parts.append(QStringLiteral("\"Image%1\":%2").arg(n).arg(jsonBool(m.imageVisible(n))));
    parts.append(QStringLiteral("\"Command1\":{\"caption\":%1,\"enabled\":%2}")
                     .arg(jsonString(m.command1Caption()), jsonBool(m.command1Enabled())));
    parts.append(QStringLiteral("\"Command2\":{\"caption\":%1,\"enabled\":%2}")
                     .arg(jsonString(m.command2Caption()), jsonBool(m.command2Enabled())));
    parts.append(QStringLiteral("\"prt\":{\"enabled\":%1}").arg(jsonBool(m.prtEnabled())));
    parts.append(QStringLiteral("\"Text3\":") + jsonString(m.text3()));
    parts.append(QStringLiteral("\"Combo1\":{\"list\":%1,\"listIndex\":%2}")
                     .arg(jsonStrings(m.combo1List()))
                     .arg(m.combo1ListIndex()));
    parts.append(QStringLiteral("\"currentRecord\":%1").arg(m.currentRecord()));
    parts.append(QStringLiteral("\"recordCount\":") + traceNumber(m.recordCount()));
    parts.append(QStringLiteral("\"rightBeforeLengths\":") +
                 jsonNumberArray(m.rightBeforeLengths()));
    parts.append(QStringLiteral("\"rightAnswers\":") + jsonStringArray(m.rightAnswers()));
    parts.append(QStringLiteral("\"leftBeforeLengths\":") + jsonNumberArray(m.leftBeforeLengths()));
    parts.append(QStringLiteral("\"leftAnswers\":") + jsonStringArray(m.leftAnswers()));
    parts.append(QStringLiteral("\"messages\":") + jsonStrings(m.messages()));
    parts.append(QStringLiteral("\"browser\":") + jsonStrings(m.browserAddresses()));
    QStringList findings;
    for (const Finding& f : m.findings()) {
        findings.append(QStringLiteral("{\"page\":%1,\"item\":%2,\"what\":%3}")
                            .arg(jsonString(f.page()), jsonString(f.item), jsonString(f.what)));
    }
    parts.append(QStringLiteral("\"findings\":[") + findings.join(QLatin1Char(',')) +
                 QLatin1Char(']'));
    // Each page's variant, its items as printed ("3:2", item 2 of heading 3).
    QStringList pages;
    for (int page = 0; page < 2; ++page) {
        const PageVariant& v = m.variant(page);
        static const char* const kinds[] = {"heading", "review", "retest"};
        QStringList shown;
        QStringList missed;
        for (int row = 0; row < kRows; ++row) {
            const ItemRef ref = m.itemAt(page, row);
            if (ref.isEmpty()) continue;
            const QString name = itemName(ref);
            shown.append(name);
            if (m.missed(page, row)) missed.append(name);
        }
        pages.append(
            QStringLiteral(
                "{\"kind\":\"%1\",\"flip\":%2,\"shuffle\":%3,\"items\":%4,\"missed\":%5}")
                .arg(v.composed() ? QLatin1String(kinds[int(v.source)]) : QLatin1String("none"),
                     jsonBool(v.flipped))
                .arg(v.seed)
                .arg(jsonStrings(shown), jsonStrings(missed)));
    }
    parts.append(QStringLiteral("\"pages\":[") + pages.join(QLatin1Char(',')) + QLatin1Char(']'));
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

namespace {

// What the window would tell of the open on line, and what was not read as it stands.
void noteOpen(SheetSession& session, int line, qsizetype messagesBefore, QTextStream& err) {
    const SheetModel& model = session.model();
    const LoadResult& load = model.lastLoad();
    const QString name = displayPath(model.questionFileName());
    QStringList notes = model.messages().mid(messagesBefore);
    if (notes.isEmpty() &&
        (load.status == LoadStatus::OpenFailed ||
         (load.status == LoadStatus::ReadFailed && model.combo1List().isEmpty())))
        notes.append(QStringLiteral("%1 cannot be read").arg(name));
    if (load.status != LoadStatus::FileNotFound && load.status != LoadStatus::OpenFailed &&
        load.encoding != TextEncoding::Cp932)
        notes.append(
            QStringLiteral("%1 was read as %2, not as CP932").arg(name, encodingName(load)));
    for (const QString& note : loadNotes(load)) notes.append(name + QStringLiteral(": ") + note);
    for (const QString& note : notes)
        err << QStringLiteral("line %1: %2\n").arg(line).arg(terminalText(note));
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
