#pragma once

#include <QString>
#include <QTextStream>
#include <functional>
#include <memory>
#include <vector>

#include "fontmeasurer.h"
#include "paper.h"
#include "pdfdocument.h"
#include "recordingsurface.h"
#include "scripted.h"
#include "sheetmodel.h"

class QPagedPaintDevice;

namespace pobelo {

class PainterSurface;

// The sheet model with scripted dialogs: what the user does in the window, one typed verb an
// action. Every print goes through a recording surface (the trace) and, when it names a PDF file
// or the session has a print device, on through the real painter surface. The trace writes its
// lines to its sink and keeps none, unless trace().setKeepLines(true).
class SheetSession {
  public:
    SheetSession();
    ~SheetSession();

    // --- What the user does ------------------------------------------------------------------
    // File > 開く with path chosen in the dialog, or with the dialog cancelled.
    void open(const QString& path);
    // Opens a sheet set file: its question file, then its pages.
    void openSet(const QString& path);
    void cancelOpen();
    // Picks position (0-based) in the heading list.
    void choose(int position);
    // Clicks Image n (1 to 6); an icon that cannot take the click does nothing.
    void clickImage(int n);
    // Replaces the title box's text.
    void type(const QString& text);
    // Sets Check n (1 or 2) to value (0 or 1).
    void tick(int n, int value);
    // The font command with the dialog returning font, or cancelled.
    void chooseFont(const FontChoice& font);
    void cancelFont();
    // The print command with the printer dialog accepted and left in orientation (1 portrait,
    // 2 landscape). The sheet goes into the PDF file pdfPath, written whole or not at all; with
    // no path, to the print device if there is one, else only to the trace. False, with the
    // reason in error, when a PDF file was named and could not be written or nothing was printed
    // into it (the print command not available).
    bool print(int orientation, const QString& pdfPath, QString* error);
    // The print command with the printer dialog cancelled.
    void cancelPrint();
    // The answer the next print's findings dialog gets, if that print has findings; without one
    // it prints as it stands.
    void answerFindings(PreflightAnswer answer);
    // The web-site command and 終了.
    void openWebSite();
    void exit();

    // True once 終了 was chosen: the window is closed and nothing more runs.
    bool closed() const { return closed_; }
    // The model's state as one JSON line.
    QString dump() const;

    // How many times a file was opened (each question file read is protected from every output
    // of the process: see registerReadFile).
    int opens() const { return opens_; }
    // What the last open opened, and whether it was a set file.
    const QString& openedPath() const { return openedPath_; }
    bool openedSet() const { return openedSet_; }

    SheetModel& model() { return *model_; }
    // The findings dialog: every list of findings it showed.
    ScriptedFindingsDialog& findingsDialog() { return findings_; }
    RecordingSurface& trace() { return trace_; }
    PainterSurface& painter() { return *painter_; }

    // Sends every accepted print that names no PDF file onto device, set to A4 (or the paper set
    // by setPaper) in the orientation the dialog was left in, instead of only to the trace;
    // nullptr goes back to the trace only.
    // With painter().setPagesInOneDocument(true) the sheets become the pages of one document.
    // The session does not own the device.
    void setPrintDevice(QPagedPaintDevice* device);
    // The sheet's paper, which the following prints come out on: A4, or the A4 sheet enlarged to
    // JIS B4 or A3 (a set brings its own).
    // The trace stays that of the A4 sheet.
    void setPaper(Paper paper);
    // The ふりがな of the sentences the following prints give.
    void setRuby(RubySetting ruby);

    // Told after each print that reached the painter in another face than the one named, with
    // what to tell the user ("@HG教科書体 is not installed: printed in Klee One").
    std::function<void(const QString&)> faceNotes;

  private:
    void pointSurfaceAt(const ScriptedPrinterDialog::Answer& answer);
    void forgetUnusedAnswers();

    ScriptedFileDialog files_;
    ScriptedFontDialog fonts_;
    ScriptedPrinterDialog printer_;
    ScriptedMessageBox messages_;
    ScriptedBrowserOpener browser_;
    ScriptedFindingsDialog findings_;
    FontMeasurer measurer_;
    RecordingSurface trace_;
    std::unique_ptr<PainterSurface> painter_;
    std::unique_ptr<PdfDocument> pdf_;
    QString pdfError_;
    QPagedPaintDevice* printDevice_ = nullptr;
    bool printedOnPainter_ = false;
    int opens_ = 0;
    QString openedPath_;
    bool openedSet_ = false;
    std::unique_ptr<SheetModel> model_;
    bool closed_ = false;
};

}  // namespace pobelo
