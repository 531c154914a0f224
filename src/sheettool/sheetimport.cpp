// pobelo-sheet --import: a teacher's questions in the plain notation, or a table whose answers
// may be empty, written as a teacher's question file with the readings filled in.
#include <QBuffer>
#include <QFile>

#include "filesystem.h"
#include "localfile.h"
#include "mecabanalyser.h"
#include "outputtransaction.h"
#include "ownquestions.h"
#include "ownreadings.h"
#include "questionfile.h"
#include "sheetcommand.h"
#include "sheetoptions.h"
#include "teacherfile.h"

namespace pobelo {

namespace {

QString refusalText(const PastedQuestions& pasted) {
    switch (pasted.refusal) {
        case PastedQuestions::Refusal::None:
            break;
        case PastedQuestions::Refusal::NoAskedPart:
            return Message::tr("no asked part in [brackets]");
        case PastedQuestions::Refusal::TwoAskedParts:
            return Message::tr("more than one asked part in [brackets]; one a line");
        case PastedQuestions::Refusal::UnclosedBracket:
            return Message::tr("the [ of the asked part is not closed");
        case PastedQuestions::Refusal::ColumnCount:
            return Message::tr("fewer columns than 見出し, 前の文, 問題の部分");
    }
    return {};
}

}  // namespace

int SheetCommand::runImport(const SheetRequest& r, OutputTransaction& outputs, int target) {
    const QString name = displayPath(r.file);
    QFile file;
    switch (openRegularForReading(file, r.file)) {
        case OpenResult::Opened:
            break;
        case OpenResult::Missing:
            report(Message::tr("%1: no such file").arg(name));
            return kExitFileProblem;
        case OpenResult::NotRegular:
        case OpenResult::Failed:
            report(Message::tr("%1: cannot be read").arg(name));
            return kExitFileProblem;
    }
    registerReadFile(r.file, QStringLiteral("the file to import"));
    if (file.size() > kMaxQuestionFileBytes) {
        report(Message::tr("%1: larger than %2 MB: not read")
                   .arg(name)
                   .arg(kMaxQuestionFileBytes >> 20));
        return kExitFileProblem;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError) {
        report(Message::tr("%1: cannot be read").arg(name));
        return kExitFileProblem;
    }

    // A table with the header of a teacher's file, or lines in the notation (or rows a
    // spreadsheet copied, tab-separated, without a header).
    QList<OwnHeading> headings;
    QList<QList<int>> lines;
    const QString text = decodeTeacherText(bytes);
    if (namesTeacherColumns(text)) {
        auto table = std::make_unique<QuestionTable>();
        int records = 0;
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const LoadResult load = loadTeacherDevice(
            buffer, *table, [&records](const QString&) { ++records; }, &lines);
        if (load.status != LoadStatus::Complete) {
            for (const QString& note : loadNotes(load, messagesInJapanese()))
                report(name + QStringLiteral(": ") + note);
            if (load.status == LoadStatus::TooManyRecords)
                report(
                    Message::tr("%1: more headings than a file holds: nothing written").arg(name));
            return kExitFileProblem;
        }
        headings = ownHeadingsFromTable(*table, records);
        // Rows of empty items are not kept; their lines go with them.
        for (int h = 0; h < headings.size(); ++h) {
            QList<int> kept;
            for (int i = 0; i < kItemsPerHeading && i < lines.value(h).size(); ++i) {
                const auto& t = *table;
                const bool holds = !(t.at(h, slot::beforeText(i)) + t.at(h, slot::askedText(i)) +
                                     t.at(h, slot::afterText(i)) + t.at(h, slot::answer(i)))
                                        .isEmpty();
                if (holds) kept.append(lines[h][i]);
            }
            lines[h] = kept;
        }
    } else {
        const PastedQuestions pasted = parsePastedQuestions(text, Message::tr("自作の問題"));
        if (!pasted.ok()) {
            report(Message::tr("%1: line %2: %3")
                       .arg(name)
                       .arg(pasted.refusedLine)
                       .arg(refusalText(pasted)));
            return kExitFileProblem;
        }
        headings = pasted.headings;
        lines = pasted.lines;
    }
    if (headings.isEmpty()) {
        report(Message::tr("%1: holds no questions: nothing written").arg(name));
        return kExitFileProblem;
    }

    const reading::Analyser& analyser = reading::sharedAnalyser();
    if (!analyser.available())
        report(
            Message::tr("the reading dictionary (mecab-ipadic-utf8) is not installed: readings "
                        "must be typed"));
    bool missing = false;
    for (const FilledReading& f : fillReadings(headings, analyser)) {
        const QString where = QString::number(lines.value(f.heading).value(f.item));
        switch (f.outcome) {
            case FilledReading::Outcome::Filled:
                err_ << terminalText(QStringLiteral("%1: %2 → %3").arg(where, f.asked, f.reading))
                     << '\n';
                break;
            case FilledReading::Outcome::NotFound:
                missing = true;
                err_ << terminalText(Message::tr("%1: %2 → no reading found; type the answer")
                                         .arg(where, f.asked))
                     << '\n';
                break;
            case FilledReading::Outcome::KanaAsked:
                missing = true;
                err_ << terminalText(Message::tr("%1: %2 → written in kana: give the answer in "
                                                 "kanji ([%2|答え])")
                                         .arg(where, f.asked))
                     << '\n';
                break;
        }
    }
    if (missing && r.strict) {
        report(Message::tr("an answer is missing and --strict was given: nothing written"));
        outputs.abandon();
        return kExitFindings;
    }
    QIODevice* device = outputs.device(target);
    const QByteArray written = ownQuestionFileBytes(headings);
    if (!device || device->write(written) != written.size()) return notWritten(outputs, false);
    return kExitDone;
}

}  // namespace pobelo
