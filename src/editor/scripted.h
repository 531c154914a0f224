#pragma once

#include <QStringList>
#include <deque>
#include <functional>

#include "services.h"

namespace pobelo {

// Dialogs that answer from a queue, for the scripted session and the tests. An empty queue
// answers as a cancel.

class ScriptedFileDialog : public FileDialog {
  public:
    std::deque<std::optional<QString>> answers;
    QStringList filtersSeen;
    std::optional<QString> getOpenFileName(const QString& filter) override;

    // The save dialog answers from its own queue.
    std::deque<std::optional<QString>> saveAnswers;
    QStringList saveFiltersSeen;
    QStringList suggestedNames;
    std::optional<QString> getSaveFileName(const QString& filter,
                                           const QString& suggestedName) override;
};

class ScriptedFontDialog : public FontDialog {
  public:
    std::deque<std::optional<FontChoice>> answers;
    std::vector<FontChoice> presetsSeen;
    std::optional<FontChoice> chooseFont(const FontChoice& preset) override;
};

class ScriptedPrinterDialog : public PrinterDialog {
  public:
    struct Answer {
        bool accept = true;
        int orientation = 1;  // as the user left it: 1 portrait, 2 landscape
        QString pdfPath;      // where the sheet goes; empty: nowhere but the trace
    };
    std::deque<Answer> answers;
    int shown = 0;
    // Runs for an accepted answer before showPrinter returns, so that the caller can point the
    // print surface at the chosen target.
    std::function<void(const Answer&)> onAccept;
    bool showPrinter() override;
};

// A preview that draws the sheet a given number of times while it is "shown", and is closed.
class ScriptedPreview : public SheetPreview {
  public:
    int draws = 1;
    int shown = 0;
    // Runs before each draw, so that the caller can point the print surface at the preview.
    std::function<void()> beforeDraw;
    void showPreview(const std::function<void()>& drawSheet) override;
};

// A document writer that writes nothing; it records the paths it was given.
class ScriptedDocumentWriter : public DocumentWriter {
  public:
    bool canBegin = true;
    bool canFinish = true;
    QString failure;
    QStringList begun;
    int finished = 0;
    bool begin(const QString& path, const QString& questionFile) override;
    bool finish() override;
    QString failureText() const override { return failure; }
};

// Answers the findings of the check before printing from a queue; an empty queue prints as it
// stands (このまま印刷).
class ScriptedFindingsDialog : public FindingsDialog {
  public:
    std::deque<PreflightAnswer> answers;
    // Every list of findings shown, and whether fitting was offered with it.
    QList<QList<Finding>> shown;
    QList<bool> fitOffered;
    PreflightAnswer askAboutFindings(const QList<Finding>& findings, bool offered) override;
};

// Answers the review dialog from a queue; it records the headings it was shown.
class ScriptedReviewDialog : public ReviewDialog {
  public:
    std::deque<std::optional<QList<ItemRef>>> answers;
    QList<QStringList> headingsSeen;
    std::optional<QList<ItemRef>> chooseItems(const QuestionTable& table,
                                              const QStringList& headings) override;
};

class ScriptedMessageBox : public MessageBox {
  public:
    QStringList shown;
    void showMessage(const QString& text) override { shown.append(text); }
    // The questions about unsaved changes are answered from a queue (empty: キャンセル).
    std::deque<UnsavedAnswer> unsavedAnswers;
    QStringList asked;
    UnsavedAnswer askAboutUnsaved(const QString& text) override {
        asked.append(text);
        if (unsavedAnswers.empty()) return UnsavedAnswer::Cancel;
        const UnsavedAnswer answer = unsavedAnswers.front();
        unsavedAnswers.pop_front();
        return answer;
    }
};

class ScriptedBrowserOpener : public BrowserOpener {
  public:
    QStringList opened;
    bool canOpen = true;
    bool openUrl(const QString& address) override;
};

}  // namespace pobelo
