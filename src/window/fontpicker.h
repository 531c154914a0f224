#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

#include "fontresolver.h"
#include "services.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QListWidget;

namespace pobelo {

// Shows a face name in its own font, upright or, for an "@" face, in a vertical column.
class FontPreview : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    void setChoice(const FontChoice& choice);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    FontChoice choice_;
};

// The font dialog: every installed Japanese face, by its Japanese name where it has one, and its
// "@" (vertical-writing) form, size, bold and italic, and a preview. It opens on the preset, found
// under any of its names; a preset face that is not installed (a Windows face name) is listed
// first under its own name.
class FontPickerDialog : public QDialog {
    Q_OBJECT
  public:
    FontPickerDialog(const QList<JapaneseFace>& faces, const FontChoice& preset,
                     QWidget* parent = nullptr);
    // What the dialog shows now; nothing while the size is not a valid number.
    std::optional<FontChoice> choice() const;
    QListWidget* faceList() const { return faces_; }
    QComboBox* sizeBox() const { return size_; }
    QCheckBox* boldBox() const { return bold_; }
    QCheckBox* italicBox() const { return italic_; }

  private:
    void update();

    QListWidget* faces_;
    QComboBox* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    FontPreview* preview_;
    QDialogButtonBox* buttons_;
};

// Opens the font dialog on the sheet's current face at the printed size, when there is one.
class QtFontDialog : public FontDialog {
  public:
    QPointer<QWidget> parent;
    // The face the sheet prints in now (the font button's caption); empty: the preset's face.
    std::function<QString()> sheetFace;
    std::optional<FontChoice> chooseFont(const FontChoice& preset) override;
};

}  // namespace pobelo
