#pragma once

#include <QDialog>
#include <QPointer>

#include "services.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace pobelo {

class SeedBox;

// The review-test dialog (まとめテスト): every heading with its items under it, each item with a
// tick box, at most ten ticked. A row draws items at random from a range of headings
// ("見出し 1〜5 から 10 問を選ぶ（番号 1）"), ticking what it drew in place of the ticks before.
class ReviewItemsDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMostItems = 10;

    ReviewItemsDialog(const QuestionTable& table, const QStringList& headings,
                      QWidget* parent = nullptr);

    // The ticked items in the order of the file.
    QList<ItemRef> ticked() const;
    // Ticks or unticks item as a click on its box would; false when it is not listed or the
    // limit kept the tick out.
    bool tick(const ItemRef& item, bool on);
    // The 選ぶ button: ticks the items drawn from the range, seed and count of the row.
    void drawAndTick();

    QTreeWidget* tree() const { return tree_; }
    QSpinBox* firstBox() const { return first_; }
    QSpinBox* lastBox() const { return last_; }
    QSpinBox* countBox() const { return count_; }
    SeedBox* seedBox() const { return seed_; }
    QLabel* countLabel() const { return countLabel_; }
    QPushButton* okButton() const { return ok_; }

  private:
    void itemTicked(QTreeWidgetItem* item);
    void showCount();
    QTreeWidgetItem* itemOf(const ItemRef& ref) const;

    const QuestionTable& table_;
    QTreeWidget* tree_ = nullptr;
    QSpinBox* first_ = nullptr;
    QSpinBox* last_ = nullptr;
    QSpinBox* count_ = nullptr;
    SeedBox* seed_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QPushButton* ok_ = nullptr;
    int tickedCount_ = 0;
};

// The review dialog over the main window.
class QtReviewDialog : public ReviewDialog {
  public:
    QPointer<QWidget> parent;
    std::optional<QList<ItemRef>> chooseItems(const QuestionTable& table,
                                              const QStringList& headings) override;
};

}  // namespace pobelo
