#pragma once

#include <QDialog>
#include <QPointer>
#include <QPrinter>
#include <QSaveFile>
#include <memory>

#include "paintersurface.h"
#include "services.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QListWidget;
class QPdfWriter;

namespace pobelo {

// "説明(*.a)|*.a|説明2|*.b;*.c|" as a Qt file dialog filter: "説明 (*.a);;説明2 (*.b *.c)".
QString toQtFileFilter(const QString& filter);

class QtFileDialog : public FileDialog {
  public:
    QPointer<QWidget> parent;
    // Only an existing file can be chosen.
    std::optional<QString> getOpenFileName(const QString& filter) override;
    // A name typed without an extension gets the filter's first one.
    std::optional<QString> getSaveFileName(const QString& filter,
                                           const QString& suggestedName) override;
};

// The extension of a filter's first pattern ("pdf" for "PDF (*.pdf)|*.pdf|"), or nothing.
QString firstFilterSuffix(const QString& filter);

// Shows a face name in its own font, upright or, for an "@" face, in a vertical column.
class FontPreview : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    void setChoice(const FontChoice& choice);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    FontChoice choice_;
};

// The font dialog: every installed Japanese family and its "@" (vertical-writing) form, size, bold
// and italic, and a preview. It opens on the preset; a preset face that is not installed (a
// Windows face name) is listed first under its own name.
class FontPickerDialog : public QDialog {
    Q_OBJECT
  public:
    FontPickerDialog(const QStringList& families, const FontChoice& preset,
                     QWidget* parent = nullptr);
    // What the dialog shows now; nothing while the size is not a valid number.
    std::optional<FontChoice> choice() const;
    QListWidget* faceList() const { return faces_; }
    QComboBox* sizeBox() const { return size_; }
    QCheckBox* boldBox() const { return bold_; }
    QCheckBox* italicBox() const { return italic_; }

  private:
    void update();

    QListWidget* faces_;
    QComboBox* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    FontPreview* preview_;
    QDialogButtonBox* buttons_;
};

class QtFontDialog : public FontDialog {
  public:
    QPointer<QWidget> parent;
    std::optional<FontChoice> chooseFont(const FontChoice& preset) override;
};

// The print dialog on the program's printer: it chooses the printer, paper and orientation.
class QtPrinterDialog : public PrinterDialog {
  public:
    QtPrinterDialog(QPrinter& printer, QWidget* parent = nullptr);
    void setParent(QWidget* parent) { parent_ = parent; }
    bool showPrinter() override;

  private:
    QPrinter& printer_;
    QPointer<QWidget> parent_;
};

// The print preview dialog on the program's printer. It draws the sheet with the print surface
// pointed at the preview's pages, zooms, and prints onto the printer from its own print dialog.
class QtSheetPreview : public SheetPreview {
  public:
    QtSheetPreview(QPrinter& printer, PainterSurface& surface);
    QPointer<QWidget> parent;
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
    bool begin(const QString& path) override;
    bool finish() override;

  private:
    void abandon();

    PainterSurface& surface_;
    QPagedPaintDevice* before_ = nullptr;
    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
};

// A message with only an OK button, titled with the window caption.
class QtMessageBox : public MessageBox {
  public:
    QPointer<QWidget> parent;
    void showMessage(const QString& text) override;
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
    SheetServices services();
    QPrinter& printer() { return printer_; }

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
};

}  // namespace pobelo
