// The sheet model's set files: the sheet on the screen written down, and read back.
#include <QFileInfo>

#include "filesystem.h"
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
    const QByteArray json = sheetSetJson(sheet_, QFileInfo(path).path(), table_);
    // A set that would not be read back is not written (a title pasted on two lines).
    SetProblem problem;
    if (!readSheetSetJson(json, &problem)) {
        *why = text::setProblem(problem);
        return false;
    }
    OutputTransaction output;
    // A set may be saved over the one it was opened from, as any document; no other output may.
    output.setSavesDocument(true);
    const int target = output.add(path, QStringLiteral("the set file"));
    if (!output.begin() || output.device(target)->write(json) != json.size() || !output.commit()) {
        *why = output.errorString();
        output.abandon();
        return false;
    }
    // The set vouches for the questions as they were read; a file rewritten since is told, and
    // opening the set will tell it again.
    if (fileSha256(sheet_.questionFile) != std::optional<QString>(sheet_.sha256))
        showMessage(text::questionFileChangedSinceRead(sheet_.questionFile));
    return true;
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
    registerOpenedDocument(path, QStringLiteral("the set file"));
    if (!set) {
        showMessage(text::kSetNotRead + displayPath(path) + QLatin1Char('\n') +
                    text::setProblem(setProblem_));
        return false;
    }
    // A question file moved or renamed since is asked for; a cancel leaves the sheet as it was.
    QString question = set->questionFile;
    if (fileKind(question) == FileKind::Missing) {
        showMessage(text::setQuestionFileMissing(question));
        const std::optional<QString> chosen =
            services_.files ? services_.files->getOpenFileName(text::kFileFilter) : std::nullopt;
        if (!chosen) return false;
        question = *chosen;
    }
    // Read aside first: a set that cannot be used never empties the sheet on the screen.
    auto loaded = std::make_unique<QuestionTable>();
    QStringList headings;
    const LoadResult load = loadQuestionFile(
        question, *loaded, [&headings](const QString& heading) { headings.append(heading); });
    if (headings.isEmpty()) {
        showMessage(load.status == LoadStatus::FileNotFound
                        ? text::fileNotFound(question)
                        : text::kSetNotRead + displayPath(question));
        return false;
    }
    table_ = std::move(*loaded);
    combo1List_ = headings;
    combo1ListIndex_ = -1;
    lastLoad_ = load;
    recordCount_ = load.recordCount;
    sheet_.questionFile = question;
    sheet_.sha256 = load.sha256;
    startOnNewFile();
    // The questions may have changed under the set: the teacher is told before anything prints.
    // The hash is taken from the same read as the questions.
    setChanged_ = load.sha256.isEmpty() || load.sha256 != set->sha256;
    applySet(*set);
    if (setChanged_) showMessage(text::setQuestionFileChanged(question));
    return true;
}

void SheetModel::applySet(const Sheet& set) {
    Sheet placed = set;
    for (const SetMiss& miss : findSetItems(placed, table_, int(combo1List_.size())))
        showMessage(text::setMiss(miss));
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
    sheet_.furniture = set.furniture;
    sheet_.ruby = set.ruby;
    // A set that marks its key turns the mark on; one that does not leaves the choice as it is.
    if (set.keyMark) sheet_.keyMark = true;
    commandsEnabled_ = sheet_.anyComposed();
    showActivePage(set.rightPageActive);
    setPageEnabled(set.rightPageActive);
    update();
}

}  // namespace pobelo
