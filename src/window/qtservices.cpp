#include "qtservices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "fontresolver.h"
#include "pdfdocument.h"
#include "sheetmodel.h"

namespace pobelo {

// --- File dialog -------------------------------------------------------------------------------

QString toQtFileFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();
    QStringList qtFilters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description often repeats the patterns in brackets; Qt wants them once.
        const qsizetype bracket = description.lastIndexOf(QLatin1Char('('));
        if (bracket > 0 && description.endsWith(QLatin1Char(')'))) {
            description = description.left(bracket).trimmed();
        }
        QStringList patterns = parts.value(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) pattern = pattern.trimmed();
        if (patterns.isEmpty()) patterns.append(QStringLiteral("*"));
        qtFilters.append(
            QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' '))));
    }
    return qtFilters.join(QStringLiteral(";;"));
}

std::optional<QString> QtFileDialog::getOpenFileName(const QString& filter) {
    const QString chosen =
        QFileDialog::getOpenFileName(parent, QString(), QString(), toQtFileFilter(filter));
    if (chosen.isEmpty() || !QFileInfo::exists(chosen)) return std::nullopt;
    return chosen;
}

QString firstFilterSuffix(const QString& filter) {
    const QString patterns = filter.section(QLatin1Char('|'), 1, 1);
    const QString first = patterns.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!first.startsWith(QStringLiteral("*.")) || first.size() < 3) return {};
    const QString suffix = first.mid(2);
    return suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')) ? QString()
                                                                                  : suffix;
}

std::optional<QString> QtFileDialog::getSaveFileName(const QString& filter,
                                                     const QString& suggestedName) {
    QFileDialog dialog(parent, QString(), suggestedName, toQtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(firstFilterSuffix(filter));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    return chosen.first();
}

// --- Printer dialog, message box, browser ------------------------------------------------------

QtPrinterDialog::QtPrinterDialog(QPrinter& printer, QWidget* parent)
    : printer_(printer), parent_(parent) {}

bool QtPrinterDialog::showPrinter() {
    QPrintDialog dialog(&printer_, parent_);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QMarginsF> QtPrinterDialog::unprintableMargins(int orientation) {
    if (printer_.outputFormat() != QPrinter::NativeFormat) return std::nullopt;
    QPageLayout layout = printer_.pageLayout();
    layout.setOrientation(orientation == kOrientationLandscape ? QPageLayout::Landscape
                                                               : QPageLayout::Portrait);
    // From the layout's units to twips (20 to the point).
    qreal points = 1;
    switch (layout.units()) {
        case QPageLayout::Millimeter:
            points = 72 / 25.4;
            break;
        case QPageLayout::Point:
            points = 1;
            break;
        case QPageLayout::Inch:
            points = 72;
            break;
        case QPageLayout::Pica:
            points = 12;
            break;
        case QPageLayout::Didot:
            points = 1.065826771;
            break;
        case QPageLayout::Cicero:
            points = 12.789921252;
            break;
    }
    return layout.minimumMargins() * (points * 20);
}

PreflightAnswer QtFindingsDialog::askAboutFindings(const QList<Finding>& findings,
                                                   bool fitOffered) {
    QMessageBox box(QMessageBox::Warning, text::kCaption,
                    QStringLiteral("このまま印刷すると、用紙や枠からはみ出す文字、ほかの文字に"
                                   "かかる文字があります。"),
                    QMessageBox::NoButton, parent);
    QStringList lines;
    for (const Finding& f : findings) lines.append(f.line());
    box.setInformativeText(lines.join(QLatin1Char('\n')));
    QPushButton* asIs = box.addButton(QStringLiteral("このまま印刷"), QMessageBox::AcceptRole);
    QPushButton* fitted = nullptr;
    if (fitOffered)
        fitted = box.addButton(QStringLiteral("はみ出しを防いで印刷"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("やめる"), QMessageBox::RejectRole);
    box.setDefaultButton(fitted ? fitted : cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == asIs) return PreflightAnswer::PrintAsIs;
    if (fitted && box.clickedButton() == fitted) return PreflightAnswer::PrintFitted;
    return PreflightAnswer::Cancel;
}

// --- Print preview and PDF files ---------------------------------------------------------------

QtSheetPreview::QtSheetPreview(QPrinter& printer, PainterSurface& surface)
    : printer_(printer), surface_(surface) {}

void QtSheetPreview::showPreview(const std::function<void()>& drawSheet) {
    QPrintPreviewDialog dialog(&printer_, parent);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    // Room for a whole landscape or portrait sheet at a readable size.
    const QRect screen =
        (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    dialog.resize(screen.width() * 3 / 4, screen.height() * 9 / 10);
    // The preview asks for the page again after each change of its own settings, and with the
    // real printer when the user prints from it (its print dialog has been shown by then).
    // A face printed in place of the one named is told in the caption, without stopping anyone.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this, &drawSheet, &dialog](QPrinter* target) {
                         QPagedPaintDevice* const before = surface_.device();
                         surface_.setDevice(target);
                         drawSheet();
                         surface_.setDevice(before);
                         const QString note = surface_.faceNote(NoteLanguage::Japanese);
                         dialog.setWindowTitle(note.isEmpty()
                                                   ? QStringLiteral("印刷プレビュー")
                                                   : QStringLiteral("印刷プレビュー ― ") + note);
                     });
    dialog.exec();
}

QtPdfExport::QtPdfExport(PainterSurface& surface) : surface_(surface) {}

QtPdfExport::~QtPdfExport() {
    abandon();
}

void QtPdfExport::abandon() {
    if (!document_) return;
    // A job left unfinished: nothing of it reaches the named file.
    surface_.setDevice(before_);
    document_.reset();
}

bool QtPdfExport::begin(const QString& path) {
    abandon();
    auto document = std::make_unique<PdfDocument>(path);
    if (!document->open()) return false;
    document->writer()->setTitle(QFileInfo(path).completeBaseName());
    before_ = surface_.device();
    surface_.setDevice(document->writer());
    document_ = std::move(document);
    return true;
}

bool QtPdfExport::finish() {
    if (!document_) return false;
    const bool drawn = surface_.pagesBegun() > 0;
    // Closes the document on the writer if the job left it open.
    surface_.setDevice(before_);
    const bool committed = drawn && document_->commit();
    document_.reset();
    return committed;
}

void QtMessageBox::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, text::kCaption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtBrowserOpener::openUrl(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative()) return false;
    return QDesktopServices::openUrl(url);
}

// --- The bundle --------------------------------------------------------------------------------

QtSheetServices::QtSheetServices() {
    // The sheet is laid out over the whole sheet of paper, not inside the printer's margins.
    printer_.setFullPage(true);
}
QtSheetServices::~QtSheetServices() = default;

void QtSheetServices::setParentWidget(QWidget* parent) {
    files_.parent = parent;
    fonts_.parent = parent;
    printerDialog_.setParent(parent);
    messages_.parent = parent;
    preview_.parent = parent;
    findings_.parent = parent;
}

SheetServices QtSheetServices::services() {
    SheetServices services;
    services.files = &files_;
    services.fonts = &fonts_;
    services.printerDialog = &printerDialog_;
    services.surface = &surface_;
    services.messages = &messages_;
    services.browser = &browser_;
    services.preview = &preview_;
    services.pdf = &pdf_;
    services.measurer = &measurer_;
    services.findings = &findings_;
    services.job = &job_;
    return services;
}

}  // namespace pobelo
