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

// --- Font dialog -------------------------------------------------------------------------------

namespace {

const QString kPreviewText = QStringLiteral("亜あアAa漢字");

QString sizeText(float points) {
    return QString::number(double(points));
}

QFont previewFont(const FontChoice& choice) {
    QFont font(resolveFaceName(choice.name));
    font.setPointSizeF(qBound(1.0, double(choice.size), 72.0));
    font.setBold(choice.bold);
    font.setItalic(choice.italic);
    return font;
}

}  // namespace

void FontPreview::setChoice(const FontChoice& choice) {
    choice_ = choice;
    update();
}

QSize FontPreview::sizeHint() const {
    return QSize(320, 160);
}

void FontPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.setFont(previewFont(choice_));
    p.setClipRect(rect().adjusted(1, 1, -1, -1));
    if (isVerticalFaceName(choice_.name)) {
        // One column read top to bottom, as the sheet shows a vertical-writing face.
        const QFontMetricsF metrics(p.font());
        const qreal step = metrics.height();
        const qreal x = width() / 2.0;
        qreal y = 4;
        for (const QChar c : kPreviewText) {
            const QString s(c);
            p.drawText(QPointF(x - metrics.horizontalAdvance(s) / 2, y + metrics.ascent()), s);
            y += step;
        }
    } else {
        p.drawText(rect(), Qt::AlignCenter, kPreviewText);
    }
}

FontPickerDialog::FontPickerDialog(const QStringList& families, const FontChoice& preset,
                                   QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("フォント"));

    faces_ = new QListWidget(this);
    faces_->setObjectName(QStringLiteral("faces"));
    QStringList names;
    for (const QString& family : families) {
        names.append(family);
        names.append(QLatin1Char('@') + family);
    }
    if (!preset.name.isEmpty() && !names.contains(preset.name)) names.prepend(preset.name);
    faces_->addItems(names);
    const auto matching = faces_->findItems(preset.name, Qt::MatchExactly);
    if (!matching.isEmpty()) faces_->setCurrentItem(matching.first());

    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("size"));
    size_->setEditable(true);
    size_->setInsertPolicy(QComboBox::NoInsert);
    for (int points : {8, 9, 10, 11, 12, 14, 15, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}) {
        size_->addItem(QString::number(points));
    }
    auto* validator = new QDoubleValidator(1.0, 1638.0, 2, size_);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(QLocale::c());
    size_->setValidator(validator);
    size_->setEditText(sizeText(preset.size));

    bold_ = new QCheckBox(QStringLiteral("太字"), this);
    bold_->setObjectName(QStringLiteral("bold"));
    bold_->setChecked(preset.bold);
    italic_ = new QCheckBox(QStringLiteral("斜体"), this);
    italic_->setObjectName(QStringLiteral("italic"));
    italic_->setChecked(preset.italic);

    preview_ = new FontPreview(this);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* note = new QLabel(
        QStringLiteral("「@」の付いたフォントは縦書き用です（用紙を縦にして印刷します）。"), this);
    note->setWordWrap(true);

    auto* settings = new QFormLayout;
    settings->addRow(QStringLiteral("サイズ"), size_);
    settings->addRow(bold_);
    settings->addRow(italic_);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("フォント名"), this));
    left->addWidget(faces_);
    columns->addLayout(left, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(settings);
    right->addWidget(preview_, 1);
    columns->addLayout(right, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(note);
    layout->addWidget(buttons_);

    connect(faces_, &QListWidget::currentRowChanged, this, &FontPickerDialog::update);
    connect(size_, &QComboBox::editTextChanged, this, &FontPickerDialog::update);
    connect(bold_, &QCheckBox::toggled, this, &FontPickerDialog::update);
    connect(italic_, &QCheckBox::toggled, this, &FontPickerDialog::update);
    update();
}

std::optional<FontChoice> FontPickerDialog::choice() const {
    const QListWidgetItem* face = faces_->currentItem();
    if (!face) return std::nullopt;
    bool ok = false;
    const float size = QLocale::c().toFloat(size_->currentText().trimmed(), &ok);
    if (!ok || size < 1.0f || size > 1638.0f) return std::nullopt;
    return FontChoice{face->text(), size, bold_->isChecked(), italic_->isChecked()};
}

void FontPickerDialog::update() {
    const std::optional<FontChoice> now = choice();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(now.has_value());
    if (now) preview_->setChoice(*now);
}

std::optional<FontChoice> QtFontDialog::chooseFont(const FontChoice& preset) {
    FontPickerDialog dialog(japaneseFontFamilies(), preset, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
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
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this, &drawSheet](QPrinter* target) {
                         QPagedPaintDevice* const before = surface_.device();
                         surface_.setDevice(target);
                         drawSheet();
                         surface_.setDevice(before);
                     });
    dialog.exec();
}

QtPdfExport::QtPdfExport(PainterSurface& surface) : surface_(surface) {}

QtPdfExport::~QtPdfExport() {
    abandon();
}

void QtPdfExport::abandon() {
    if (!file_) return;
    // A job left unfinished: nothing of it reaches the named file.
    surface_.setDevice(before_);
    writer_.reset();
    file_->cancelWriting();
    file_.reset();
}

bool QtPdfExport::begin(const QString& path) {
    abandon();
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly)) return false;
    auto writer = std::make_unique<QPdfWriter>(file.get());
    writer->setResolution(1200);
    writer->setCreator(QStringLiteral("Pobelo"));
    writer->setTitle(QFileInfo(path).completeBaseName());
    before_ = surface_.device();
    surface_.setDevice(writer.get());
    file_ = std::move(file);
    writer_ = std::move(writer);
    return true;
}

bool QtPdfExport::finish() {
    if (!file_) return false;
    const bool drawn = surface_.pagesBegun() > 0;
    // Closes the document on the writer if the job left it open.
    surface_.setDevice(before_);
    writer_.reset();
    const bool complete = drawn && file_->error() == QFileDevice::NoError && file_->size() > 0;
    if (!complete) file_->cancelWriting();
    const bool committed = file_->commit();
    file_.reset();
    return complete && committed;
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
    return services;
}

}  // namespace pobelo
