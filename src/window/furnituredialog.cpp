#include "furnituredialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace pobelo {

namespace {

constexpr int kPictureWidth = 72;
constexpr int kPictureHeight = 48;

// A small picture of an element as it stands on the sheet, drawn in the window's own colours.
QPixmap picture(FurnitureDialog::Element element, const QPalette& palette) {
    QPixmap pixmap(kPictureWidth, kPictureHeight);
    pixmap.fill(palette.color(QPalette::Base));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette.color(QPalette::Text);
    QPen pen(ink, 1);
    p.setPen(pen);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    switch (element) {
        case FurnitureDialog::Instruction:
            // A title column, the instruction beside it, the first item's column.
            p.drawRect(56, 4, 12, 40);
            p.drawText(QRect(58, 6, 10, 14), Qt::AlignCenter, QStringLiteral("小"));
            for (int y = 6; y < 42; y += 4) p.drawLine(48, y, 48, y + 2);
            p.drawLine(36, 6, 36, 30);
            p.drawLine(26, 6, 26, 26);
            break;
        case FurnitureDialog::ClassField:
            p.drawRect(28, 2, 16, 44);
            p.drawText(QRect(28, 4, 16, 14), Qt::AlignCenter, QStringLiteral("組"));
            p.drawText(QRect(28, 26, 16, 14), Qt::AlignCenter, QStringLiteral("番"));
            break;
        case FurnitureDialog::Score:
            p.drawRect(18, 6, 36, 36);
            p.drawText(QRect(20, 26, 32, 14), Qt::AlignRight | Qt::AlignBottom,
                       QStringLiteral("／10"));
            break;
        case FurnitureDialog::Squares: {
            for (int i = 0; i < 2; ++i) {
                const QRect square(22, 4 + 20 * i, 20, 20);
                p.setPen(QPen(ink, 1.5));
                p.drawRect(square);
                p.setPen(QPen(ink, 1, Qt::DotLine));
                p.drawLine(square.center().x(), square.top(), square.center().x(), square.bottom());
                p.drawLine(square.left(), square.center().y(), square.right(), square.center().y());
            }
            p.setPen(QPen(ink, 1.5));
            // A reading's bracket beside them.
            p.drawLine(52, 4, 62, 4);
            p.drawLine(52, 4, 52, 8);
            p.drawLine(62, 4, 62, 8);
            p.drawLine(52, 40, 62, 40);
            p.drawLine(52, 36, 52, 40);
            p.drawLine(62, 36, 62, 40);
            break;
        }
        case FurnitureDialog::CutLine:
            p.setPen(QPen(ink, 1, Qt::DashLine));
            p.drawLine(36, 2, 36, 16);
            p.drawLine(36, 32, 36, 46);
            p.setPen(pen);
            font.setPixelSize(8);
            p.setFont(font);
            p.drawText(QRect(30, 16, 12, 16), Qt::AlignCenter, QStringLiteral("き"));
            break;
    }
    return pixmap;
}

}  // namespace

FurnitureDialog::FurnitureDialog(const SheetFurniture& f, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("用紙の形"));
    setObjectName(QStringLiteral("furnitureDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* elements = new QGroupBox(QStringLiteral("テストにつけるもの"), this);
    auto* grid = new QGridLayout(elements);
    struct Choice {
        Element element;
        const char* caption;
        const char* plain;  // the caption as read aloud
        const char* name;
        const char* tip;
        bool on;
    };
    const Choice choices[] = {
        {Instruction, "指示文(&I)", "指示文", "instruction",
         "表題の横に「――線の漢字の読みをひらがなで書きましょう。」のような一行を入れます。",
         f.instruction},
        {ClassField, "組・番(&C)", "組・番", "class", "名前の欄に「組」「番」を入れます。",
         f.classField},
        {Score, "点数の欄(&S)", "点数の欄", "score", "名前の欄の終わりに点数を書く欄を入れます。",
         f.score},
        {Squares, "解答のマス目(&M)", "解答のマス目", "squares",
         "漢字の答えには一字ずつ十字の点線つきのマス目を、読みの答えには答えの長さのかっこを"
         "入れます。解答では答えがマス目の中に入ります。",
         f.squares},
        {CutLine, "切り取り線(&T)", "切り取り線", "cut",
         "二つのテストの間に点線と「きりとり」を入れます。", f.cutLine},
    };
    int row = 0;
    for (const Choice& c : choices) {
        auto* pictureLabel = new QLabel(elements);
        pictureLabel->setPixmap(picture(c.element, palette()));
        pictureLabel->setAccessibleName(QString::fromUtf8(c.plain) + QStringLiteral("の見本"));
        auto* box = new QCheckBox(QString::fromUtf8(c.caption), elements);
        box->setObjectName(QString::fromUtf8(c.name));
        box->setChecked(c.on);
        box->setToolTip(QString::fromUtf8(c.tip));
        box->setAccessibleDescription(QString::fromUtf8(c.tip));
        grid->addWidget(pictureLabel, row / 3 * 2, row % 3);
        grid->addWidget(box, row / 3 * 2 + 1, row % 3);
        boxes_[size_t(c.element)] = box;
        ++row;
    }
    layout->addWidget(elements);

    auto* form = new QFormLayout;
    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("squareSize"));
    for (const int mm : kSquareSizeChoices) {
        size_->addItem(
            mm == 0 ? QStringLiteral("入るいちばん大きなマス目") : QStringLiteral("%1 mm").arg(mm),
            mm);
    }
    size_->setCurrentIndex(std::max(0, size_->findData(f.squareMillimetres)));
    size_->setToolTip(QStringLiteral(
        "用紙に印刷したときのマス目の大きさです。10 mm より小さくはなりません。B4・A3 では"
        "拡大される分、大きなマス目や長い答えが入ります。"));
    size_->setAccessibleName(QStringLiteral("マス目の大きさ"));
    auto* sizeLabel = new QLabel(QStringLiteral("マス目の大きさ(&Z):"), this);
    sizeLabel->setBuddy(size_);
    form->addRow(sizeLabel, size_);
    kana_ = new QCheckBox(QStringLiteral("指示文をひらがなで（1年生）(&H)"), this);
    kana_->setObjectName(QStringLiteral("kana"));
    kana_->setChecked(f.kanaInstruction);
    kana_->setToolTip(
        QStringLiteral("「――せんの　かんじの　よみを　ひらがなで　かきましょう。」"
                       "のように、ひらがなで書いた指示文にします。"));
    form->addRow(QString(), kana_);
    for (int page = 0; page < 2; ++page) {
        auto* edit = new QLineEdit(f.instructions[size_t(page)], this);
        edit->setObjectName(page == 0 ? QStringLiteral("rightInstruction")
                                      : QStringLiteral("leftInstruction"));
        edit->setPlaceholderText(QStringLiteral("問題にあわせて自動で入ります"));
        const QString caption = page == 0 ? QStringLiteral("右ページの指示文(&R):")
                                          : QStringLiteral("左ページの指示文(&L):");
        edit->setAccessibleName(page == 0 ? QStringLiteral("右ページの指示文")
                                          : QStringLiteral("左ページの指示文"));
        edit->setToolTip(QStringLiteral("空のときは、問題が読みか書きかで指示文を選びます。"));
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        form->addRow(label, edit);
        own_[size_t(page)] = edit;
    }
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    for (QCheckBox* b : {box(Instruction), box(Squares)})
        connect(b, &QCheckBox::toggled, this, &FurnitureDialog::showEnabled);
    showEnabled();
}

void FurnitureDialog::showEnabled() {
    const bool instruction = box(Instruction)->isChecked();
    kana_->setEnabled(instruction);
    for (QLineEdit* edit : own_) edit->setEnabled(instruction);
    size_->setEnabled(box(Squares)->isChecked());
}

SheetFurniture FurnitureDialog::furniture() const {
    SheetFurniture f;
    f.instruction = box(Instruction)->isChecked();
    f.classField = box(ClassField)->isChecked();
    f.score = box(Score)->isChecked();
    f.squares = box(Squares)->isChecked();
    f.cutLine = box(CutLine)->isChecked();
    f.kanaInstruction = kana_->isChecked();
    f.squareMillimetres = size_->currentData().toInt();
    for (int page = 0; page < 2; ++page)
        f.instructions[size_t(page)] = own_[size_t(page)]->text().trimmed();
    return f;
}

}  // namespace pobelo
