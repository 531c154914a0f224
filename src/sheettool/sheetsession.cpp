#include "sheetsession.h"

#include <QPdfWriter>

#include "fontresolver.h"
#include "localfile.h"
#include "paintersurface.h"
#include "sheetdump.h"

namespace pobelo {

SheetSession::SheetSession() : painter_(std::make_unique<PainterSurface>()) {
    // The trace is written only for a reader: a sink (--trace) or a caller that keeps lines.
    trace_.setKeepLines(false);
    printer_.onAccept = [this](const ScriptedPrinterDialog::Answer& a) { pointSurfaceAt(a); };
    SheetServices services;
    services.files = &files_;
    services.fonts = &fonts_;
    services.printerDialog = &printer_;
    services.surface = &trace_;
    services.messages = &messages_;
    services.browser = &browser_;
    services.measurer = &measurer_;
    services.findings = &findings_;
    model_ = std::make_unique<SheetModel>(services);
}

SheetSession::~SheetSession() {
    trace_.setInner(nullptr);
    painter_->setDevice(nullptr);
}

void SheetSession::setPrintDevice(QPagedPaintDevice* device) {
    // The painter lets go of the device it is given back by, closing its document.
    if (printDevice_ && painter_->device() == printDevice_) painter_->setDevice(nullptr);
    printDevice_ = device;
}

void SheetSession::setPaper(Paper paper) {
    model_->setPaper(paper);
}

void SheetSession::setRuby(RubySetting ruby) {
    model_->setRuby(ruby);
}

void SheetSession::pointSurfaceAt(const ScriptedPrinterDialog::Answer& answer) {
    // The dialog leaves the device in the orientation the user picked, on the sheet's paper.
    trace_.setDeviceOrientation(answer.orientation);
    painter_->setOutputPaper(model_->sheet().paper);
    if (answer.pdfPath.isEmpty()) {
        if (printDevice_) {
            setUpA4(*printDevice_, answer.orientation);
            painter_->setDevice(printDevice_);
            trace_.setInner(painter_.get());
            printedOnPainter_ = true;
        } else {
            trace_.setInner(nullptr);
        }
        return;
    }
    // A sheet drawn without a usable face would be a crash or boxes.
    static const bool fontUsable = japaneseFontUsable();
    if (!fontUsable) {
        pdfError_ = noJapaneseFontMessage();
        trace_.setInner(nullptr);
        return;
    }
    auto document = std::make_unique<PdfDocument>(answer.pdfPath);
    if (!document->open()) {
        // The sheet still goes to the trace; the print reports the file as not written.
        pdfError_ = document->errorString();
        trace_.setInner(nullptr);
        return;
    }
    setUpA4(*document->writer(), answer.orientation);
    const DocumentInfo info = model_->documentInfo();
    document->describe(info.title, info.subject);
    painter_->setDevice(document->writer());
    pdf_ = std::move(document);
    trace_.setInner(painter_.get());
    printedOnPainter_ = true;
}

void SheetSession::forgetUnusedAnswers() {
    // A dialog that a disabled command never showed must not answer a later one.
    files_.answers.clear();
    fonts_.answers.clear();
    printer_.answers.clear();
}

void SheetSession::open(const QString& path) {
    ++opens_;
    openedPath_ = path;
    openedSet_ = false;
    files_.answers.push_back(path);
    model_->openCommand();
    forgetUnusedAnswers();
}

void SheetSession::openSet(const QString& path) {
    ++opens_;
    openedPath_ = path;
    openedSet_ = true;
    model_->openSet(path);
}

void SheetSession::cancelOpen() {
    files_.answers.push_back(std::nullopt);
    model_->openCommand();
    forgetUnusedAnswers();
}

void SheetSession::choose(int position) {
    model_->chooseHeading(position);
}

void SheetSession::clickImage(int n) {
    model_->clickImage(n);
}

void SheetSession::type(const QString& text) {
    model_->setText3(text);
}

void SheetSession::tick(int n, int value) {
    model_->setCheck(n, value);
}

void SheetSession::chooseFont(const FontChoice& font) {
    fonts_.answers.push_back(font);
    model_->fontCommand();
    forgetUnusedAnswers();
}

void SheetSession::cancelFont() {
    fonts_.answers.push_back(std::nullopt);
    model_->fontCommand();
    forgetUnusedAnswers();
}

bool SheetSession::print(int orientation, const QString& pdfPath, QString* error) {
    pdfError_.clear();
    printer_.answers.push_back({true, orientation, pdfPath});
    printedOnPainter_ = false;
    const int shownBefore = printer_.shown;
    model_->printSheet();
    forgetUnusedAnswers();
    findings_.answers.clear();
    if (!pdfPath.isEmpty() && printer_.shown == shownBefore) {
        *error = QStringLiteral(
                     "nothing printed into %1: the print command is not available "
                     "(no heading chosen)")
                     .arg(displayPath(pdfPath));
        return false;
    }
    if (printedOnPainter_ && faceNotes && !painter_->faceNote().isEmpty())
        faceNotes(painter_->faceNote());
    if (!pdfError_.isEmpty()) {
        *error = QStringLiteral("cannot write %1: %2").arg(displayPath(pdfPath), pdfError_);
        return false;
    }
    if (!pdf_) return true;
    // The job has ended; the document is complete once the painter lets go of it.
    std::unique_ptr<PdfDocument> document = std::move(pdf_);
    painter_->setDevice(nullptr);
    trace_.setInner(nullptr);
    if (!document->commit()) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(displayPath(pdfPath), document->errorString());
        return false;
    }
    return true;
}

void SheetSession::cancelPrint() {
    printer_.answers.push_back(ScriptedPrinterDialog::Answer{false, kOrientationPortrait, {}});
    model_->printSheet();
    forgetUnusedAnswers();
    findings_.answers.clear();
}

void SheetSession::answerFindings(PreflightAnswer answer) {
    findings_.answers.clear();
    findings_.answers.push_back(answer);
}

void SheetSession::openWebSite() {
    model_->openWebSite();
}

void SheetSession::exit() {
    model_->exitCommand();
    closed_ = true;
}

QString SheetSession::dump() const {
    return dumpJson(*model_);
}

}  // namespace pobelo
