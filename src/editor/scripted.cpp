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

bool ScriptedBrowserOpener::openUrl(const QString& address) {
    if (!canOpen) return false;
    opened.append(address);
    return true;
}

}  // namespace pobelo
