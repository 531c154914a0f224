#include "reviewdialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "seedbox.h"
#include "sheetmodel.h"

namespace pobelo {

namespace {

constexpr int kRecordRole = Qt::UserRole;
constexpr int kItemRole = Qt::UserRole + 1;
// How much of a sentence the list shows.
constexpr int kSentenceShown = 24;

QString shortened(const QString& text) {
    return text.size() <= kSentenceShown ? text : text.left(kSentenceShown - 1) + QChar(0x2026);
}

QSpinBox* numberBox(QWidget* parent, int low, int high, int value, const QString& name) {
    auto* box = new QSpinBox(parent);
    box->setRange(low, high);
    box->setValue(value);
    box->setAccessibleName(name);
    return box;
}

}  // namespace

ReviewItemsDialog::ReviewItemsDialog(const QuestionTable& table, const QStringList& headings,
                                     QWidget* parent)
    : QDialog(parent), table_(table) {
    setWindowTitle(QStringLiteral("まとめテストを作る"));
    setObjectName(QStringLiteral("reviewDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("まとめテストに入れる問題に印を付けてください（%1 問まで）。"
                                  "印を付けた問題が、指マークのページにファイルの順に入ります。")
                       .arg(kMostItems)));

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("reviewItems"));
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({QStringLiteral("問題"), QStringLiteral("文")});
    tree_->setAccessibleName(QStringLiteral("見出しと問題"));
    tree_->setUniformRowHeights(true);
    const int count = int(std::min<qsizetype>(headings.size(), QuestionTable::kRecords));
    for (int record = 0; record < count; ++record) {
        auto* heading = new QTreeWidgetItem(
            tree_, {QStringLiteral("%1　%2").arg(record + 1).arg(headings[record])});
        heading->setFlags(Qt::ItemIsEnabled);
        for (int i = 0; i < 10; ++i) {
            const ItemRef ref{qint16(record), qint16(i)};
            if (!itemHasText(table, ref)) continue;
            const QString asked = table.at(record, slot::askedText(i));
            const QString sentence = table.at(record, slot::beforeText(i)) + asked +
                                     table.at(record, slot::afterText(i));
            auto* item = new QTreeWidgetItem(
                heading, {QStringLiteral("%1. %2").arg(i + 1).arg(asked), shortened(sentence)});
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            item->setCheckState(0, Qt::Unchecked);
            item->setData(0, kRecordRole, record);
            item->setData(0, kItemRole, i);
        }
        heading->setFirstColumnSpanned(true);
    }
    if (tree_->topLevelItemCount() > 0) tree_->topLevelItem(0)->setExpanded(true);
    tree_->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    tree_->setColumnWidth(0, fontMetrics().horizontalAdvance(QString(14, QChar(0x6F22))));
    layout->addWidget(tree_, 1);
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0) itemTicked(item);
    });

    // 見出し [first]〜[last] から [N] 問を選ぶ（番号 [seed]） [選ぶ]
    auto* drawRow = new QHBoxLayout;
    const int last = std::max(count, 1);
    first_ = numberBox(this, 1, last, 1, QStringLiteral("最初の見出し"));
    last_ = numberBox(this, 1, last, last, QStringLiteral("最後の見出し"));
    count_ = numberBox(this, 1, kMostItems, kMostItems, QStringLiteral("選ぶ問題の数"));
    seed_ = new SeedBox(1, QString(), this);
    seed_->setAccessibleName(QStringLiteral("選び方の番号"));
    seed_->setToolTip(QStringLiteral("同じ番号なら、同じ問題が選ばれます。"));
    drawRow->addWidget(new QLabel(QStringLiteral("見出し")));
    drawRow->addWidget(first_);
    drawRow->addWidget(new QLabel(QStringLiteral("〜")));
    drawRow->addWidget(last_);
    drawRow->addWidget(new QLabel(QStringLiteral("から")));
    drawRow->addWidget(count_);
    drawRow->addWidget(new QLabel(QStringLiteral("問を選ぶ（番号")));
    drawRow->addWidget(seed_);
    drawRow->addWidget(new QLabel(QStringLiteral("）")));
    auto* draw = new QPushButton(QStringLiteral("選ぶ"), this);
    draw->setObjectName(QStringLiteral("drawItems"));
    draw->setAutoDefault(false);
    draw->setToolTip(
        QStringLiteral("見出しの範囲から問題を選んで印を付けます（前の印は外れます）。"));
    connect(draw, &QPushButton::clicked, this, &ReviewItemsDialog::drawAndTick);
    drawRow->addWidget(draw);
    drawRow->addStretch(1);
    layout->addLayout(drawRow);

    auto* bottom = new QHBoxLayout;
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("tickedCount"));
    bottom->addWidget(countLabel_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("ページに入れる"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("やめる"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    showCount();
    resize(fontMetrics().horizontalAdvance(QString(44, QChar(0x6F22))),
           fontMetrics().height() * 30);
}

QTreeWidgetItem* ReviewItemsDialog::itemOf(const ItemRef& ref) const {
    if (ref.record < 0 || ref.record >= tree_->topLevelItemCount()) return nullptr;
    const QTreeWidgetItem* heading = tree_->topLevelItem(ref.record);
    for (int i = 0; i < heading->childCount(); ++i) {
        QTreeWidgetItem* item = heading->child(i);
        if (item->data(0, kItemRole).toInt() == ref.item) return item;
    }
    return nullptr;
}

QList<ItemRef> ReviewItemsDialog::ticked() const {
    QList<ItemRef> out;
    for (int h = 0; h < tree_->topLevelItemCount(); ++h) {
        const QTreeWidgetItem* heading = tree_->topLevelItem(h);
        for (int i = 0; i < heading->childCount(); ++i) {
            const QTreeWidgetItem* item = heading->child(i);
            if (item->checkState(0) == Qt::Checked)
                out.append(ItemRef{qint16(item->data(0, kRecordRole).toInt()),
                                   qint16(item->data(0, kItemRole).toInt())});
        }
    }
    return out;
}

bool ReviewItemsDialog::tick(const ItemRef& ref, bool on) {
    QTreeWidgetItem* item = itemOf(ref);
    if (!item) return false;
    item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    return (item->checkState(0) == Qt::Checked) == on;
}

void ReviewItemsDialog::itemTicked(QTreeWidgetItem* item) {
    if (!item->parent()) return;
    const QList<ItemRef> now = ticked();
    if (now.size() > kMostItems) {
        // One tick past the limit is taken back.
        const QSignalBlocker block(tree_);
        item->setCheckState(0, Qt::Unchecked);
    }
    tickedCount_ = int(std::min<qsizetype>(now.size(), kMostItems));
    showCount();
}

void ReviewItemsDialog::showCount() {
    countLabel_->setText(QStringLiteral("選んだ問題：%1 / %2").arg(tickedCount_).arg(kMostItems));
    ok_->setEnabled(tickedCount_ > 0);
}

void ReviewItemsDialog::drawAndTick() {
    const int first = std::min(first_->value(), last_->value()) - 1;
    const int last = std::max(first_->value(), last_->value()) - 1;
    const QList<ItemRef> drawn = drawItems(table_, first, last, count_->value(), seed_->value());
    {
        const QSignalBlocker block(tree_);
        for (int h = 0; h < tree_->topLevelItemCount(); ++h) {
            QTreeWidgetItem* heading = tree_->topLevelItem(h);
            for (int i = 0; i < heading->childCount(); ++i)
                heading->child(i)->setCheckState(0, Qt::Unchecked);
        }
        for (const ItemRef& ref : drawn) {
            if (QTreeWidgetItem* item = itemOf(ref)) {
                item->setCheckState(0, Qt::Checked);
                item->parent()->setExpanded(true);
            }
        }
    }
    tickedCount_ = int(ticked().size());
    showCount();
    if (!drawn.isEmpty()) tree_->scrollToItem(itemOf(drawn.first()));
}

std::optional<QList<ItemRef>> QtReviewDialog::chooseItems(const QuestionTable& table,
                                                          const QStringList& headings) {
    ReviewItemsDialog dialog(table, headings, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.ticked();
}

}  // namespace pobelo
