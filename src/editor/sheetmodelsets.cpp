// The sheet model's set files: the sheet on the screen written down, and read back.
#include <QFileInfo>

#include "localfile.h"
#include "outputtransaction.h"
#include "sheetmodel.h"

namespace pobelo {

bool SheetModel::saveSet(const QString& path, QString* why) {
    if (sheet_.questionFile.isEmpty()) {
        *why = QStringLiteral("問題ファイルが開かれていません。");
        return false;
    }
    if (!commandsEnabled_ || !sheet_.anyComposed()) {
        *why = text::kNothingToSave;
        return false;
    }
    // The hash is that of the bytes the sheet's questions were read from.
    // The folder as named, "link/.." and all: the system resolves it where the set is written.
    const QByteArray json = sheetSetJson(sheet_, QFileInfo(path).path());
    // A set that would not be read back is not written (a title pasted on two lines).
    SetProblem problem;
    if (!readSheetSetJson(json, &problem)) {
        *why = text::setProblem(problem);
        return false;
    }
    OutputTransaction output;
    const int target = output.add(path, QStringLiteral("the set file"));
    if (output.begin() && output.device(target)->write(json) == json.size() && output.commit())
        return true;
    *why = output.errorString();
    output.abandon();
    return false;
}

void SheetModel::saveSetCommand() {
    if (!commandsEnabled_ || !services_.files) return;
    // A sheet without questions is told before a file is asked for.
    if (!sheet_.anyComposed()) {
        showMessage(text::kNothingToSave);
        return;
    }
    const std::optional<QString> path =
        services_.files->getSaveFileName(text::kSetFilter, suggestedName(kSheetSetSuffix));
    if (!path || path->isEmpty()) return;
    QString why;
    if (!saveSet(*path, &why))
        showMessage(text::kSetNotWritten + displayPath(*path) + QLatin1Char('\n') + why);
}

void SheetModel::openSetCommand() {
    if (!services_.files) return;
    const std::optional<QString> chosen = services_.files->getOpenFileName(text::kSetFilter);
    if (chosen) openSet(*chosen);
}

bool SheetModel::openSet(const QString& path) {
    setChanged_ = false;
    const std::optional<Sheet> set = readSheetSetFile(path, &setProblem_);
    if (!set) {
        showMessage(text::kSetNotRead + displayPath(path) + QLatin1Char('\n') +
                    text::setProblem(setProblem_));
        return false;
    }
    const QString question = set->questionFile;
    loadAndList(question);
    if (combo1List_.isEmpty()) {
        if (lastLoad_.status != LoadStatus::FileNotFound)
            showMessage(text::kSetNotRead + displayPath(question));
        return false;
    }
    applySet(*set);
    // The questions may have changed under the set: the teacher is told before anything prints.
    // The hash is taken from the same read as the questions.
    if (lastLoad_.sha256.isEmpty() || lastLoad_.sha256 != set->sha256) {
        setChanged_ = true;
        showMessage(text::setQuestionFileChanged(question));
    }
    return true;
}

void SheetModel::applySet(const Sheet& set) {
    Sheet placed = set;
    for (const QString& message : fitToHeadings(placed, int(combo1List_.size())))
        showMessage(message);
    for (int page = 0; page < 2; ++page) {
        const SheetPage& saved = placed.pages[page];
        sheet_.pages[page] = SheetPage{saved.variant, saved.title, saved.answers, {}, {}};
        (page == 0 ? rightBlankShown_ : leftBlankShown_) = !saved.composed();
    }
    sheet_.titleText = set.titleText;
    if (!set.fontName.trimmed().isEmpty()) sheet_.fontName = set.fontName;
    sheet_.bold = set.bold;
    sheet_.italic = set.italic;
    sheet_.paper = set.paper;
    commandsEnabled_ = sheet_.anyComposed();
    showActivePage(set.rightPageActive);
    setPageEnabled(set.rightPageActive);
    update();
}

}  // namespace pobelo
