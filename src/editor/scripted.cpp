#include "scripted.h"

namespace pobelo {

namespace {
// The first answer in the queue, taken out; nothing (a cancel) when the queue is empty.
template <typename T>
std::optional<T> takeFront(std::deque<std::optional<T>>& queue) {
    std::optional<T> front;
    if (!queue.empty()) {
        front.swap(queue.front());
        queue.pop_front();
    }
    return front;
}
}  // namespace

std::optional<QString> ScriptedFileDialog::getOpenFileName(const QString& filter) {
    filtersSeen.append(filter);
    return takeFront(answers);
}

std::optional<QString> ScriptedFileDialog::getSaveFileName(const QString& filter,
                                                           const QString& suggestedName) {
    saveFiltersSeen.append(filter);
    suggestedNames.append(suggestedName);
    return takeFront(saveAnswers);
}

std::optional<QList<ItemRef>> ScriptedReviewDialog::chooseItems(const QuestionTable&,
                                                                const QStringList& headings) {
    headingsSeen.append(headings);
    return takeFront(answers);
}

std::optional<FontChoice> ScriptedFontDialog::chooseFont(const FontChoice& preset) {
    presetsSeen.push_back(preset);
    return takeFront(answers);
}

bool ScriptedPrinterDialog::showPrinter() {
    ++shown;
    Answer answer{false, 1, {}};
    if (!answers.empty()) {
        answer = std::move(answers.front());
        answers.pop_front();
    }
    if (answer.accept && onAccept) onAccept(answer);
    return answer.accept;
}

void ScriptedPreview::showPreview(const std::function<void()>& drawSheet) {
    ++shown;
    for (int i = 0; i < draws; ++i) {
        if (beforeDraw) beforeDraw();
        drawSheet();
    }
}

bool ScriptedDocumentWriter::begin(const QString& path, const QString&) {
    if (!canBegin) return false;
    begun.append(path);
    return true;
}

bool ScriptedDocumentWriter::finish() {
    ++finished;
    return canFinish;
}

PreflightAnswer ScriptedFindingsDialog::askAboutFindings(const QList<Finding>& findings,
                                                         bool offered) {
    shown.append(findings);
    fitOffered.append(offered);
    if (answers.empty()) return PreflightAnswer::PrintAsIs;
    const PreflightAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

bool ScriptedBrowserOpener::openUrl(const QString& address) {
    if (!canOpen) return false;
    opened.append(address);
    return true;
}

}  // namespace pobelo
