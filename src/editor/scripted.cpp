#include "scripted.h"

namespace pobelo {

namespace {
template <typename T>
T takeFront(std::deque<T>& queue, T whenEmpty) {
    if (queue.empty()) return whenEmpty;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}
}  // namespace

std::optional<QString> ScriptedFileDialog::getOpenFileName(const QString& filter) {
    filtersSeen.append(filter);
    return takeFront<std::optional<QString>>(answers, std::nullopt);
}

std::optional<QString> ScriptedFileDialog::getSaveFileName(const QString& filter,
                                                           const QString& suggestedName) {
    saveFiltersSeen.append(filter);
    suggestedNames.append(suggestedName);
    return takeFront<std::optional<QString>>(saveAnswers, std::nullopt);
}

std::optional<FontChoice> ScriptedFontDialog::chooseFont(const FontChoice& preset) {
    presetsSeen.push_back(preset);
    return takeFront<std::optional<FontChoice>>(answers, std::nullopt);
}

bool ScriptedPrinterDialog::showPrinter() {
    ++shown;
    const Answer answer = takeFront(answers, Answer{false, 1, {}});
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

bool ScriptedDocumentWriter::begin(const QString& path) {
    if (!canBegin) return false;
    begun.append(path);
    return true;
}

bool ScriptedDocumentWriter::finish() {
    ++finished;
    return canFinish;
}

bool ScriptedBrowserOpener::openUrl(const QString& address) {
    if (!canOpen) return false;
    opened.append(address);
    return true;
}

}  // namespace pobelo
