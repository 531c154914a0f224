#pragma once

#include <QFile>
#include <QPdfWriter>
#include <QString>
#include <QTextStream>
#include <memory>

#include "recordingsurface.h"
#include "scripted.h"
#include "sheetmodel.h"

namespace pobelo {

class PainterSurface;

// The sheet model driven by script lines, with scripted dialogs: what the user does in the
// window, one action a line. Every print goes through a recording surface (the trace) and, when
// the printer dialog names a PDF file, on through the real painter surface into that file.
class SheetSession {
  public:
    SheetSession();
    ~SheetSession();

    // Runs one script line. False, with a message in error, for an unknown action or a bad
    // argument. Blank lines and lines starting with '#' do nothing.
    bool runLine(const QString& line, QString* error);
    // True once 終了 was chosen: the window is closed and nothing more runs.
    bool closed() const { return closed_; }

    // The model's state as one JSON line.
    QString dump() const;

    SheetModel& model() { return *model_; }
    RecordingSurface& trace() { return trace_; }
    PainterSurface& painter() { return *painter_; }

    // Sends every accepted print that names no PDF file onto device, set to A4 in the orientation
    // the dialog was left in, instead of only to the trace; nullptr goes back to the trace only.
    // With painter().setPagesInOneDocument(true) the sheets become the pages of one document.
    // The session does not own the device.
    void setPrintDevice(QPagedPaintDevice* device);
    // Where dump lines go.
    std::function<void(const QString&)> output;

  private:
    bool print(const QStringList& args, QString* error);
    void pointSurfaceAt(const ScriptedPrinterDialog::Answer& answer);
    void forgetUnusedAnswers();

    ScriptedFileDialog files_;
    ScriptedFontDialog fonts_;
    ScriptedPrinterDialog printer_;
    ScriptedMessageBox messages_;
    ScriptedBrowserOpener browser_;
    RecordingSurface trace_;
    std::unique_ptr<PainterSurface> painter_;
    std::unique_ptr<QPdfWriter> pdf_;
    QPagedPaintDevice* printDevice_ = nullptr;
    std::unique_ptr<SheetModel> model_;
    bool closed_ = false;
};

// Runs a whole script from in; dumps go to out, messages to err. Returns the exit status: 0, or
// 2 for a bad line (the run stops there).
int runScript(QTextStream& in, QTextStream& out, QTextStream& err, SheetSession& session);

}  // namespace pobelo
