#include "fontpicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "fontresolver.h"

namespace pobelo {

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

FontPickerDialog::FontPickerDialog(const QList<JapaneseFace>& faces, const FontChoice& preset,
                                   QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("フォント"));

    faces_ = new QListWidget(this);
    faces_->setObjectName(QStringLiteral("faces"));
    // The preset under another of its names ("IPAexMincho" for "IPAex明朝") is the same face.
    const ResolvedFace presetFace = resolveFace(preset.name);
    const bool presetVertical = isVerticalFaceName(preset.name);
    QListWidgetItem* current = nullptr;
    for (const JapaneseFace& face : faces) {
        for (const bool vertical : {false, true}) {
            const QString name =
                vertical ? QLatin1Char('@') + face.japaneseName : face.japaneseName;
            auto* item = new QListWidgetItem(name, faces_);
            const bool samePreset = name == preset.name || (presetFace.match == FaceMatch::Named &&
                                                            presetFace.family == face.family &&
                                                            vertical == presetVertical);
            if (samePreset && !current) current = item;
        }
    }
    if (!current && !preset.name.isEmpty()) {
        current = new QListWidgetItem(preset.name);
        faces_->insertItem(0, current);
    }
    if (current) faces_->setCurrentItem(current);

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
    FontChoice start = preset;
    if (const QString face = sheetFace ? sheetFace() : QString(); !face.isEmpty()) {
        start.name = face;
        start.size = kSheetFontPoints;
    }
    FontPickerDialog dialog(japaneseFaces(), start, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

}  // namespace pobelo
