#pragma once

#include <QDialog>
#include <QPointer>
#include <QPrinter>
#include <functional>
#include <memory>

#include "fontmeasurer.h"
#include "fontpicker.h"
#include "paintersurface.h"
#include "paper.h"
#include "pdfdocument.h"
#include "reviewdialog.h"
#include "services.h"
#include "sheetmodel.h"

namespace pobelo {

// Qt's file dialog writes its last folder and history, as it closes, into the settings that every
// Qt program of the user shares: on Windows the registry key
// HKCU\Software\QtProject\OrganizationDefaults\FileDialog, elsewhere ~/.config/QtProject.conf.
// Pobelo keeps nothing there, so that a copy run from a USB stick leaves no trace of it: while one
// of these lives a dialog may write, and then what was there before is put back; what was not
// there is removed.
class QtSettingsPutBack {
  public:
    QtSettingsPutBack();
    ~QtSettingsPutBack();
    QtSettingsPutBack(const QtSettingsPutBack&) = delete;
    QtSettingsPutBack& operator=(const QtSettingsPutBack&) = delete;

  private:
    bool storeExisted_ = false;     // QtProject (a registry key, a file)
    bool defaultsExisted_ = false;  // its OrganizationDefaults, where the dialog writes
    bool groupExisted_ = false;     // the dialog's group there
    QList<std::pair<QString, QVariant>> before_;
};

// "説明(*.a)|*.a|説明2|*.b;*.c|" as a Qt file dialog filter: "説明 (*.a);;説明2 (*.b *.c)".
QString toQtFileFilter(const QString& filter);

class QtFileDialog : public FileDialog {
  public:
    QPointer<QWidget> parent;
    // The question file open now, whose folder the open dialog starts in; nothing starts it in
    // the working folder.
    std::function<QString()> currentFile;
    // Only an existing file can be chosen.
    std::optional<QString> getOpenFileName(const QString& filter) override;
    // A name typed without an extension gets the filter's first one.
    std::optional<QString> getSaveFileName(const QString& filter,
                                           const QString& suggestedName) override;
};

// The extension of a filter's first pattern ("pdf" for "PDF (*.pdf)|*.pdf|"), or nothing.
QString firstFilterSuffix(const QString& filter);
// path with the filter's first extension added unless it ends in it already: "週1" and "第1.2回"
// become "週1.pobelo-set" and "第1.2回.pobelo-set".
QString withFilterSuffix(const QString& path, const QString& filter);

// Whether the system has a printer installed. (Windows' own printer dialog shows nothing and
// fails when it has none.)
bool printerInstalled();

// The print dialog on the program's printer: it chooses the printer, paper and orientation.
// A printer set to print into a file is refused (the dialog counts as cancelled, with a message)
// when that file is a question file opened in the session or no regular file.
// Where no printer is installed (and none is set to print into a file) there is nothing to
// choose: the dialog is not shown, the teacher is told so in a message that offers 「PDFに保存」
// (savePdf), and the dialog counts as cancelled.
class QtPrinterDialog : public PrinterDialog {
  public:
    QtPrinterDialog(QPrinter& printer, QWidget* parent = nullptr);
    void setParent(QWidget* parent) { parent_ = parent; }
    // Names the print job after the sheet (see QtSheetServices::describeJobsBy).
    bool showPrinter() override;
    // The printer's own margins; nothing when it prints into a file.
    std::optional<QMarginsF> unprintableMargins(int orientation) override;
    std::function<DocumentInfo()> describe;
    // Told, after the dialog was accepted, which paper the sheet comes out on: JIS B4 or A3
    // when the user chose it as the paper size, A4 for any other.
    std::function<void(Paper)> paperChosen;
    // ファイル > PDFに保存, offered when no printer is installed; without it nothing is offered.
    std::function<void()> savePdf;
    // Whether a print since the program started found no printer installed.
    bool printerMissing() const { return printerMissing_; }

  private:
    void tellNoPrinter();

    QPrinter& printer_;
    QPointer<QWidget> parent_;
    bool printerMissing_ = false;
};

// The print preview dialog on the program's printer. It draws the sheet with the print surface
// pointed at the preview's pages, zooms, and prints onto the printer from its own print dialog.
// What it prints into a PDF file is written as the PDF command writes it.
class QtSheetPreview : public SheetPreview {
  public:
    QtSheetPreview(QPrinter& printer, PainterSurface& surface);
    QPointer<QWidget> parent;
    std::function<DocumentInfo()> describe;
    // Told when the preview's own page setup or print dialog chose another paper than the one
    // the surface prints on (JIS B4 or A3; A4 for any other), before the sheet is drawn on it.
    std::function<void(Paper)> paperChosen;
    void showPreview(const std::function<void()>& drawSheet) override;

  private:
    QPrinter& printer_;
    PainterSurface& surface_;
};

// PDF files written through the print surface. A file appears whole or not at all: the document
// goes into a temporary file beside it, which replaces the named file only once complete.
class QtPdfExport : public DocumentWriter {
  public:
    explicit QtPdfExport(PainterSurface& surface);
    ~QtPdfExport() override;
    // The document's title and subject are the sheet's (see QtSheetServices::describeJobsBy).
    // Every question file of the session is protected, the open one included.
    bool begin(const QString& path, const QString& questionFile) override;
    bool finish() override;
    QString failureText() const override { return failure_; }
    std::function<DocumentInfo()> describe;

  private:
    void abandon();

    PainterSurface& surface_;
    QPagedPaintDevice* before_ = nullptr;
    std::unique_ptr<PdfDocument> document_;
    QString failure_;
};

// Why a PDF file could not be written, in Japanese, with the system's own words after it.
QString pdfFailureText(const PdfDocument& document);

// A message with only an OK button, titled with the window caption.
class QtMessageBox : public MessageBox {
  public:
    QPointer<QWidget> parent;
    void showMessage(const QString& text) override;
    // With 「保存する」, 「保存しない」 and 「キャンセル」.
    UnsavedAnswer askAboutUnsaved(const QString& text) override;
};

// The findings of the check before printing, with 「このまま印刷」, 「はみ出しを防いで印刷」 (when
// offered) and 「やめる」.
class QtFindingsDialog : public FindingsDialog {
  public:
    QPointer<QWidget> parent;
    PreflightAnswer askAboutFindings(const QList<Finding>& findings, bool fitOffered) override;
};

// Sheets as the pages of one job on the print surface's device.
class QtPrintJob : public PrintJob {
  public:
    explicit QtPrintJob(PainterSurface& surface) : surface_(surface) {}
    void beginJob() override { surface_.setPagesInOneDocument(true); }
    void endJob() override {
        surface_.endDocument();
        surface_.setPagesInOneDocument(false);
    }

  private:
    PainterSurface& surface_;
};

class QtBrowserOpener : public BrowserOpener {
  public:
    bool openUrl(const QString& address) override;
};

// Everything the sheet model needs of the desktop: the dialogs, the message box, the browser and
// the program's one printer with the print surface on it.
class QtSheetServices {
  public:
    QtSheetServices();
    ~QtSheetServices();
    QtSheetServices(const QtSheetServices&) = delete;
    QtSheetServices& operator=(const QtSheetServices&) = delete;

    // The window the dialogs and messages belong to.
    void setParentWidget(QWidget* parent);
    // What the sheet being printed is: print jobs are named after it, and PDF files carry its
    // title and subject.
    void describeJobsBy(const std::function<DocumentInfo()>& describe);
    SheetServices services();
    QPrinter& printer() { return printer_; }
    // The paper the sheets come out on (印刷 > 用紙): the printer dialog opens with it, and the
    // preview and PDF files print on it. A paper chosen in the printer dialog replaces it and is
    // told to the function given to onPaperChosen.
    void setPaper(Paper paper);
    Paper paper() const { return surface_.outputPaper(); }
    void onPaperChosen(std::function<void(Paper)> told) { paperChosen_ = std::move(told); }
    // Where the font dialog learns the face the sheet prints in now.
    void setSheetFace(std::function<QString()> face) { fonts_.sheetFace = std::move(face); }
    // What the dialogs take from the model: the open question file's folder, where the open
    // dialog starts, and its PDFに保存, which a print offers when no printer is installed.
    void attachModel(SheetModel& model);
    // Whether a print found no printer installed (the file manager's print then printed nothing).
    bool printerMissing() const { return printerDialog_.printerMissing(); }

  private:
    QPrinter printer_{QPrinter::HighResolution};
    PainterSurface surface_{&printer_};
    QtFileDialog files_;
    QtFontDialog fonts_;
    QtPrinterDialog printerDialog_{printer_};
    QtMessageBox messages_;
    QtBrowserOpener browser_;
    QtSheetPreview preview_{printer_, surface_};
    QtPdfExport pdf_{surface_};
    FontMeasurer measurer_;
    QtFindingsDialog findings_;
    QtPrintJob job_{surface_};
    std::function<void(Paper)> paperChosen_;
    QtReviewDialog review_;
};

}  // namespace pobelo
