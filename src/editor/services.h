#pragma once

#include <QMarginsF>
#include <QString>
#include <functional>
#include <optional>

#include "preflight.h"
#include "questiontable.h"
#include "sheetprinters.h"
#include "sheetvariant.h"

namespace pobelo {

// A font as the font dialog shows and returns it.
struct FontChoice {
    QString name;
    float size = 9.0f;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

// The printer dialog, shown before each print.
class PrinterDialog {
  public:
    virtual ~PrinterDialog() = default;
    // Shows the dialog; false when it was cancelled or failed.
    virtual bool showPrinter() = 0;
    // After the dialog: the edges of A4 paper in orientation (1 portrait, 2 landscape) that the
    // chosen printer cannot print on, in twips; nothing when it prints the whole sheet.
    virtual std::optional<QMarginsF> unprintableMargins(int orientation) {
        (void)orientation;
        return std::nullopt;
    }
};

// The file-open dialog. filter is in the form "問題ファイル(*.moj)|*.moj|", one description and
// its patterns (separated by ';') after another.
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    // The chosen file, or nothing when the dialog was cancelled.
    virtual std::optional<QString> getOpenFileName(const QString& filter) = 0;
    // The save dialog, opening on suggestedName (a file name, possibly in a folder). It asks
    // before an existing file is replaced. The file to write, or nothing when it was cancelled.
    virtual std::optional<QString> getSaveFileName(const QString& filter,
                                                   const QString& suggestedName) = 0;
};

// The font dialog; it opens on preset.
class FontDialog {
  public:
    virtual ~FontDialog() = default;
    virtual std::optional<FontChoice> chooseFont(const FontChoice& preset) = 0;
};

// The answer to the question before a window with unsaved changes closes.
enum class UnsavedAnswer {
    Save,     // 保存する
    Discard,  // 保存しない
    Cancel,   // キャンセル: the window stays open
};

class MessageBox {
  public:
    virtual ~MessageBox() = default;
    // A message with only an OK button; returns when the user has read it.
    virtual void showMessage(const QString& text) = 0;
    // Asks whether to save the changes text names before they are lost.
    virtual UnsavedAnswer askAboutUnsaved(const QString& text) {
        (void)text;
        return UnsavedAnswer::Cancel;
    }
};

class BrowserOpener {
  public:
    virtual ~BrowserOpener() = default;
    // Opens address in the user's browser without waiting for it; false if none could be started.
    virtual bool openUrl(const QString& address) = 0;
};

// The print preview: shows the sheet as it would print and lets the user print it from there.
// drawSheet prints the sheet onto the print surface, which the preview has pointed at its own
// device first; it runs as often as the preview needs the page. Returns when the preview closes.
class SheetPreview {
  public:
    virtual ~SheetPreview() = default;
    virtual void showPreview(const std::function<void()>& drawSheet) = 0;
};

// A document file as the target of one print job, instead of the printer.
class DocumentWriter {
  public:
    virtual ~DocumentWriter() = default;
    // Points the print surface at a new document that is to become the file path, which must not
    // be questionFile (the open question file). False when it cannot be started; the surface then
    // stays as it was.
    virtual bool begin(const QString& path, const QString& questionFile) = 0;
    // After the job has ended: puts the finished document in place at path and points the
    // surface back where it was. False when no complete document was written; path is then left
    // as it was before begin.
    virtual bool finish() = 0;
    // Why the last begin or finish failed, in the user's words; empty when not known.
    virtual QString failureText() const { return {}; }
};

// The user's answer to the findings of the check before printing.
enum class PreflightAnswer {
    PrintAsIs,    // このまま印刷
    PrintFitted,  // はみ出しを防いで印刷
    Cancel,       // やめる
};

// Lists what would not stay in its place on paper and asks whether to print. fitOffered: whether
// fitting the texts into their areas would cure some of them.
class FindingsDialog {
  public:
    virtual ~FindingsDialog() = default;
    virtual PreflightAnswer askAboutFindings(const QList<Finding>& findings, bool fitOffered) = 0;
};

// Several sheets as the pages of one print job: between begin and end, the end of a sheet's job
// on the print surface only ends its page.
class PrintJob {
  public:
    virtual ~PrintJob() = default;
    virtual void beginJob() = 0;
    virtual void endJob() = 0;
};

// The review-test dialog (まとめテスト): lists every heading of table (its names in headings)
// with its items and lets the teacher tick the items for one page. The ticked items in file
// order, or nothing when it was cancelled.
class ReviewDialog {
  public:
    virtual ~ReviewDialog() = default;
    virtual std::optional<QList<ItemRef>> chooseItems(const QuestionTable& table,
                                                      const QStringList& headings) = 0;
};

// What the sheet model asks of the platform. None is owned by the model; all must outlive it.
struct SheetServices {
    FileDialog* files = nullptr;
    FontDialog* fonts = nullptr;
    PrinterDialog* printerDialog = nullptr;
    PrintSurface* surface = nullptr;
    MessageBox* messages = nullptr;
    BrowserOpener* browser = nullptr;
    SheetPreview* preview = nullptr;
    DocumentWriter* pdf = nullptr;
    // The font's real advances for the check before printing; without it every character is
    // taken as one em.
    TextMeasurer* measurer = nullptr;
    // Without it, a sheet with findings prints as it stands.
    FindingsDialog* findings = nullptr;
    PrintJob* job = nullptr;
    ReviewDialog* review = nullptr;
};

}  // namespace pobelo
