#pragma once

#include <QDialog>
#include <array>

#include "furniture.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace pobelo {

// 用紙の形: which of the instruction, 組・番, score box, answer squares and cut line the sheet
// carries, each with a small picture of it, the squares' size, the instruction in hiragana, and
// each page's own instruction (empty: the one for what the page asks).
class FurnitureDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FurnitureDialog(const SheetFurniture& furniture, QWidget* parent = nullptr);

    SheetFurniture furniture() const;

    enum Element { Instruction, ClassField, Score, Squares, CutLine };
    QCheckBox* box(Element element) const { return boxes_[size_t(element)]; }
    QCheckBox* kanaBox() const { return kana_; }
    QComboBox* sizeBox() const { return size_; }
    QLineEdit* instructionEdit(int page) const { return own_[size_t(page)]; }

  private:
    void showEnabled();

    std::array<QCheckBox*, 5> boxes_{};
    QCheckBox* kana_ = nullptr;
    QComboBox* size_ = nullptr;
    std::array<QLineEdit*, 2> own_{};
};

}  // namespace pobelo
