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
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>

#include "filesystem.h"
#include "fontresolver.h"
#include "localfile.h"
#include "pdfdocument.h"
#include "pobeloconfig.h"
#include "sheetmodel.h"

namespace pobelo {

// --- Qt's own settings --------------------------------------------------------------------------

namespace {

const QString kQtProject = QStringLiteral("QtProject");
const QString kFileDialog = QStringLiteral("FileDialog");
#ifdef Q_OS_WIN
const QString kSoftware = QStringLiteral("HKEY_CURRENT_USER\\Software");
const QString kProjectKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\QtProject");
const QString kDefaults = QStringLiteral("OrganizationDefaults");
#endif

}  // namespace

QtSettingsPutBack::QtSettingsPutBack() {
    const QSettings qt(QSettings::UserScope, kQtProject);
#ifdef Q_OS_WIN
    storeExisted_ =
        QSettings(kSoftware, QSettings::NativeFormat).childGroups().contains(kQtProject);
    defaultsExisted_ =
        storeExisted_ &&
        QSettings(kProjectKey, QSettings::NativeFormat).childGroups().contains(kDefaults);
#else
    storeExisted_ = QFileInfo::exists(qt.fileName());
    defaultsExisted_ = storeExisted_;
#endif
    groupExisted_ = defaultsExisted_ && qt.childGroups().contains(kFileDialog);
    if (!groupExisted_) return;
    for (const QString& key : qt.allKeys()) {
        if (key.startsWith(kFileDialog + QLatin1Char('/'))) before_.append({key, qt.value(key)});
    }
}

QtSettingsPutBack::~QtSettingsPutBack() {
#ifdef Q_OS_WIN
    if (!storeExisted_) {
        QSettings(kSoftware, QSettings::NativeFormat).remove(kQtProject);
        return;
    }
    if (!defaultsExisted_) {
        QSettings(kProjectKey, QSettings::NativeFormat).remove(kDefaults);
        return;
    }
#else
    if (!storeExisted_) {
        QFile::remove(QSettings(QSettings::UserScope, kQtProject).fileName());
        return;
    }
#endif
    QSettings qt(QSettings::UserScope, kQtProject);
    qt.remove(kFileDialog);
    for (const auto& [key, value] : before_) qt.setValue(key, value);
}

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
    const QString current = currentFile ? currentFile() : QString();
    const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QtSettingsPutBack putBack;
    QFileDialog dialog(parent, QString(), QFileInfo(folder).isDir() ? folder : QString(),
                       toQtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    const QString chosen = files.isEmpty() ? QString() : files.first();
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

QString withFilterSuffix(const QString& path, const QString& filter) {
    const QString suffix = firstFilterSuffix(filter);
    const QString ending = QLatin1Char('.') + suffix;
    if (suffix.isEmpty() || path.isEmpty() || path.endsWith(ending, Qt::CaseInsensitive))
        return path;
    return path + ending;
}

std::optional<QString> QtFileDialog::getSaveFileName(const QString& filter,
                                                     const QString& suggestedName) {
    const QtSettingsPutBack putBack;
    QFileDialog dialog(parent, QString(), suggestedName, toQtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(firstFilterSuffix(filter));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    // A desktop's own dialog may leave the default extension off.
    return withFilterSuffix(chosen.first(), filter);
}

// --- Printer dialog, message box, browser ------------------------------------------------------

QtPrinterDialog::QtPrinterDialog(QPrinter& printer, QWidget* parent)
    : printer_(printer), parent_(parent) {}

namespace {

// The printer's output file when it prints into one (not while it draws a preview's pages).
QString printerFile(const QPrinter& printer) {
    const QPaintEngine* const engine = printer.paintEngine();
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat && engine &&
                     engine->type() == QPaintEngine::Pdf;
    return pdf ? printer.outputFileName() : QString();
}

// Why path may not be printed into, in Japanese; empty when it may.
QString refusedPrintFile(const QString& path) {
    PdfDocument document(path);
    return document.check() ? QString() : pdfFailureText(document);
}

void showRefusal(QWidget* parent, const QString& path, const QString& why) {
    QMessageBox box(QMessageBox::NoIcon, text::kCaption,
                    text::kPdfNotWritten + displayPath(path) + QLatin1Char('\n') + why,
                    QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

QString pdfFailureText(const PdfDocument& document) {
    QString why;
    switch (document.problem()) {
        case PdfDocument::Problem::None:
            return {};
        case PdfDocument::Problem::NotRegular:
            return QStringLiteral(
                "保存先はふつうのファイルではない（フォルダー、パイプ、デバイスなど）"
                "ため、置き換えません。");
        case PdfDocument::Problem::IsInput:
            return QStringLiteral(
                "保存先はこの作業で開いた問題ファイルです。問題ファイルは上書きしません。");
        case PdfDocument::Problem::SameTarget:
            return QStringLiteral("保存先はいま書き込んでいるファイルです。");
        case PdfDocument::Problem::Empty:
            return QStringLiteral("印刷されたページがありません。");
        case PdfDocument::Problem::System:
            break;
    }
    switch (platform::errorKind(document.osError())) {
        case platform::ErrorKind::NoSpace:
            why = QStringLiteral("ディスクの空きが足りません。");
            break;
        case platform::ErrorKind::NoPermission:
            why = QStringLiteral("この場所に書き込む権限がありません。");
            break;
        case platform::ErrorKind::ReadOnly:
            why = QStringLiteral("読み取り専用の場所です。");
            break;
        case platform::ErrorKind::NoFolder:
            why = QStringLiteral("保存先のフォルダーがありません。");
            break;
        case platform::ErrorKind::NameTooLong:
            why = QStringLiteral("ファイル名が長すぎます。");
            break;
        case platform::ErrorKind::TooLarge:
            why = QStringLiteral("ファイルが大きすぎます。");
            break;
        case platform::ErrorKind::Other:
            why = QStringLiteral("書き込みに失敗しました。");
            break;
    }
    return why + QStringLiteral("（") + document.errorString() + QStringLiteral("）");
}

bool printerInstalled() {
    return !QPrinterInfo::availablePrinters().isEmpty();
}

void QtPrinterDialog::tellNoPrinter() {
    QMessageBox box(QMessageBox::Warning, text::kCaption,
                    QStringLiteral("プリンターがインストールされていないため、印刷できません。"),
                    QMessageBox::NoButton, parent_);
    box.setInformativeText(
        savePdf ? QStringLiteral("プリンターを追加してから、もう一度印刷してください。"
                                 "このシートは、いま PDF ファイルに保存することもできます。")
                : QStringLiteral("プリンターを追加してから、もう一度印刷してください。"));
    QPushButton* pdf =
        savePdf ? box.addButton(QStringLiteral("PDFに保存…"), QMessageBox::AcceptRole) : nullptr;
    QPushButton* close = box.addButton(QStringLiteral("閉じる"), QMessageBox::RejectRole);
    box.setDefaultButton(pdf ? pdf : close);
    box.setEscapeButton(close);
    box.exec();
    if (pdf && box.clickedButton() == pdf) savePdf();
}

bool QtPrinterDialog::showPrinter() {
    if (describe) printer_.setDocName(describe().jobName());
    // Nothing to choose from: said so, not shown empty (or, on Windows, not shown at all).
    if (printer_.outputFileName().isEmpty() && !printerInstalled()) {
        printerMissing_ = true;
        tellNoPrinter();
        return false;
    }
    // Its "print to file" chooser is a Qt file dialog.
    const QtSettingsPutBack putBack;
    QPrintDialog dialog(&printer_, parent_);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return false;
    // Printing into a file that must not be written counts as cancelled, and says why.
    const QString file = printerFile(printer_);
    const QString why = file.isEmpty() ? QString() : refusedPrintFile(file);
    if (!why.isEmpty()) {
        showRefusal(parent_, file, why);
        return false;
    }
    if (paperChosen) paperChosen(PainterSurface::paperFor(printer_.pageLayout().pageSize()));
    return true;
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
    // On paper the A4 sheet is enlarged to, the edges are that much narrower on the sheet.
    const qreal enlarged = PainterSurface::enlargement(PainterSurface::paperFor(layout.pageSize()));
    return layout.minimumMargins() * (points * 20 / enlarged);
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
    if (describe) printer_.setDocName(describe().jobName());
    // Its print dialog's "print to file" chooser is a Qt file dialog.
    const QtSettingsPutBack putBack;
    QPrintPreviewDialog dialog(&printer_, parent);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    // Room for a whole landscape or portrait sheet at a readable size.
    const QRect screen =
        (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    dialog.resize(screen.width() * 3 / 4, screen.height() * 9 / 10);
    // The preview asks for the page again after each change of its own settings, and with the
    // real printer when the user prints from it (its print dialog has been shown by then).
    // A face printed in place of the one named is told in the caption, without stopping anyone.
    QObject::connect(
        &dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [this, &drawSheet, &dialog](QPrinter* target) {
            QPagedPaintDevice* const before = surface_.device();
            // The preview opens on the surface's paper; a paper size chosen in it since is the
            // user's choice, as in the printer dialog.
            const Paper paper = PainterSurface::paperFor(target->pageLayout().pageSize());
            if (paper != surface_.outputPaper() && paperChosen) paperChosen(paper);
            const QString file = target == &printer_ ? printerFile(printer_) : QString();
            if (file.isEmpty()) {
                surface_.setDevice(target);
                drawSheet();
                surface_.setDevice(before);
            } else {
                // Printed into a file: written whole, or not at all and said why.
                PdfDocument document(file);
                bool written = document.open();
                if (written) {
                    const DocumentInfo info = describe ? describe() : DocumentInfo{};
                    document.describe(
                        info.title.isEmpty() ? QFileInfo(file).completeBaseName() : info.title,
                        info.subject);
                    document.writer()->setPageLayout(target->pageLayout());
                    surface_.setDevice(document.writer());
                    drawSheet();
                    written = surface_.pagesBegun() > 0;
                    surface_.setDevice(before);
                    written = document.commit() && written;
                }
                if (!written) showRefusal(&dialog, file, pdfFailureText(document));
            }
            const QString note = surface_.faceNote(NoteLanguage::Japanese);
            dialog.setWindowTitle(note.isEmpty() ? QStringLiteral("印刷プレビュー")
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

bool QtPdfExport::begin(const QString& path, const QString& questionFile) {
    abandon();
    failure_.clear();
    // Registered when it was read; once more in case it was read by other means.
    registerReadFile(questionFile, QStringLiteral("the question file"));
    auto document = std::make_unique<PdfDocument>(path);
    if (!document->open()) {
        failure_ = pdfFailureText(*document);
        return false;
    }
    const DocumentInfo info = describe ? describe() : DocumentInfo{};
    document->describe(info.title.isEmpty() ? QFileInfo(path).completeBaseName() : info.title,
                       info.subject);
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
    if (!committed) {
        failure_ =
            drawn ? pdfFailureText(*document_) : QStringLiteral("印刷されたページがありません。");
    }
    document_.reset();
    return committed;
}

void QtMessageBox::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, text::kCaption, text, QMessageBox::Ok, parent);
    box.exec();
}

UnsavedAnswer QtMessageBox::askAboutUnsaved(const QString& text) {
    QMessageBox box(QMessageBox::Question, text::kCaption, text, QMessageBox::NoButton, parent);
    QPushButton* save = box.addButton(QStringLiteral("保存する(&S)"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(QStringLiteral("保存しない(&N)"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return UnsavedAnswer::Save;
    if (box.clickedButton() == discard) return UnsavedAnswer::Discard;
    return UnsavedAnswer::Cancel;
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
    printer_.setCreator(QStringLiteral("Pobelo " POBELO_VERSION));
    // The paper chosen in the printer dialog or the preview is the one the sheet comes out on;
    // the printer keeps the size as the dialog chose it.
    const auto chosen = [this](Paper paper) {
        surface_.setOutputPaper(paper);
        if (paperChosen_) paperChosen_(paper);
    };
    printerDialog_.paperChosen = chosen;
    preview_.paperChosen = chosen;
    // The printer dialog opens on the paper of 印刷 > 用紙, not on the printer's own default.
    setPaper(Paper::A4);
}
QtSheetServices::~QtSheetServices() = default;

void QtSheetServices::setPaper(Paper paper) {
    surface_.setOutputPaper(paper);
    printer_.setPageSize(QPageSize(PainterSurface::pageSizeId(paper)));
}

void QtSheetServices::setParentWidget(QWidget* parent) {
    files_.parent = parent;
    fonts_.parent = parent;
    printerDialog_.setParent(parent);
    messages_.parent = parent;
    preview_.parent = parent;
    findings_.parent = parent;
    review_.parent = parent;
}

void QtSheetServices::attachModel(SheetModel& model) {
    files_.currentFile = [&model] { return model.questionFileName(); };
    printerDialog_.savePdf = [&model] { model.exportPdf(); };
}

void QtSheetServices::describeJobsBy(const std::function<DocumentInfo()>& describe) {
    printerDialog_.describe = describe;
    preview_.describe = describe;
    pdf_.describe = describe;
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
    services.review = &review_;
    return services;
}

}  // namespace pobelo
