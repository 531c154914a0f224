// The sheet model's font and print commands: each hands the sheet on the screen to the print job.
#include <QDir>
#include <QFileInfo>

#include "localfile.h"
#include "sheetmodel.h"

namespace pobelo {

void SheetModel::fontCommand() {
    if (!commandsEnabled_ || !services_.fonts) return;
    const std::optional<FontChoice> choice = services_.fonts->chooseFont(windowFont_);
    if (!choice) return;
    // The caption changes only when the surface took all four settings.
    if (services_.surface && !applyFontChoice(*services_.surface, *choice)) return;
    sheet_.fontName = choice->name;
    sheet_.bold = choice->bold;
    sheet_.italic = choice->italic;
    update();
}

namespace {
// The margins a printer dialog reports, for a printer that cannot print the whole sheet.
UnprintableMargins marginsOf(PrinterDialog& dialog) {
    if (!dialog.unprintableMargins(kOrientationPortrait)) return {};
    return [&dialog](int orientation) {
        return dialog.unprintableMargins(orientation).value_or(QMarginsF());
    };
}
}  // namespace

SheetPrintJob SheetModel::printJob() const {
    return SheetPrintJob({services_.surface, services_.measurer, services_.findings, services_.job},
                         fitEnabled_);
}

void SheetModel::printSheet() {
    PrinterDialog* const dialog = services_.printerDialog;
    if (!dialog || !commandsEnabled_ || !services_.surface) return;
    // The sheet is checked once the printer is chosen, before anything is drawn; a sheet the user
    // does not want printed goes as a cancelled printer dialog does.
    if (dialog->showPrinter())
        printJob().print(content_, nullptr, marginsOf(*dialog));
    else
        services_.surface->endDoc();
    Q_EMIT changed();
}

void SheetModel::printSheetAndKey() {
    if (!commandsEnabled_ || !services_.surface || !services_.printerDialog) return;
    PrinterDialog& dialog = *services_.printerDialog;
    if (!dialog.showPrinter()) {
        services_.surface->endDoc();
        return;
    }
    const SheetContent keyContent = composeSheet(sheet_.withAllAnswers(), table_);
    if (printJob().print(content_, &keyContent, marginsOf(dialog))) Q_EMIT changed();
}

void SheetModel::setFitEnabled(bool on) {
    if (fitEnabled_ == on) return;
    fitEnabled_ = on;
    Q_EMIT changed();
}

QList<Finding> SheetModel::findings() const {
    if (!commandsEnabled_) return {};
    return SheetPrintJob({services_.surface, services_.measurer, nullptr, nullptr}, false)
        .findings(content_);
}

void SheetModel::previewSheet() {
    if (!commandsEnabled_ || !services_.preview || !services_.surface) return;
    const SheetPrintJob job = printJob();
    const PrintChoice choice = job.check(content_, {});
    if (!choice.go) return;
    const SheetContent shown = content_;
    services_.preview->showPreview([&job, &shown, &choice] { job.draw(shown, choice); });
}

void SheetModel::setKeyMark(bool on) {
    if (sheet_.keyMark == on) return;
    sheet_.keyMark = on;
    update();
}

SheetModel::Shown SheetModel::shown(bool key) const {
    Shown shown;
    shown.content = key ? composeSheet(sheet_.withAllAnswers(), table_) : content_;
    if (!commandsEnabled_) return shown;
    std::optional<SheetFit> fit;
    shown.findings = printJob().findings(shown.content, {}, &fit);
    if (fit) shown.fit = *fit;
    return shown;
}

void SheetModel::exportPdf() {
    if (!commandsEnabled_) return;
    writePdf(content_, suggestedName(QStringLiteral("pdf")));
}

void SheetModel::exportKeyPdf() {
    if (!commandsEnabled_) return;
    writePdf(composeSheet(sheet_.withAllAnswers(), table_),
             suggestedName(QStringLiteral("pdf"), QStringLiteral("の解答")));
}

void SheetModel::writePdf(const SheetContent& content, const QString& suggested) {
    if (!services_.files || !services_.pdf || !services_.surface) return;
    const std::optional<QString> path =
        services_.files->getSaveFileName(text::kPdfFilter, suggested);
    if (!path || path->isEmpty()) return;
    const SheetPrintJob job = printJob();
    const PrintChoice choice = job.check(content, {});
    if (!choice.go) return;
    bool written = false;
    if (services_.pdf->begin(*path, sheet_.questionFile)) {
        job.draw(content, choice);
        Q_EMIT changed();
        written = services_.pdf->finish();
    }
    if (!written) {
        const QString why = services_.pdf->failureText();
        showMessage(text::kPdfNotWritten + displayPath(*path) +
                    (why.isEmpty() ? QString() : QLatin1Char('\n') + why));
        return;
    }
    Q_EMIT pdfSaved(*path);
}

QString SheetModel::suggestedName(const QString& suffix, const QString& ending) const {
    QString name = sheet_.titleText.trimmed();
    if (name.isEmpty()) name = text::kDefaultTitle;
    name += ending;
    // The title becomes one file name: no folders, and nothing a desktop file system refuses.
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
    }
    name += QLatin1Char('.') + suffix;
    if (sheet_.questionFile.isEmpty()) return name;
    const QDir folder = QFileInfo(sheet_.questionFile).absoluteDir();
    return folder.exists() ? folder.filePath(name) : name;
}

}  // namespace pobelo
