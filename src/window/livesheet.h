#pragma once

#include <QImage>
#include <QTransform>
#include <QWidget>

#include "paintersurface.h"
#include "preflight.h"
#include "sheetmodel.h"

class QRadioButton;

namespace pobelo {

// The printed sheet beside the designed controls, as it comes out of the printer: the model's
// sheet drawn by the printers through a painter surface onto an image, upright as a teacher
// reads it (a vertical-writing sheet turned a quarter turn), with its paper and orientation
// under it. What the check before printing finds is marked where it happens; a click on an item
// selects it. The picture is drawn again only when what the printers would draw changes, and
// only when the widget is next painted, so that typing a title never waits for it.
class LiveSheet : public QWidget {
    Q_OBJECT
  public:
    explicit LiveSheet(SheetModel& model, QWidget* parent = nullptr);

    // The answer key (every page with its answers) instead of the sheet.
    bool showsKey() const { return key_; }
    void setShowsKey(bool key);
    // The selected item, page (0 right) and row; -1 when none is.
    int selectedPage() const { return selectedPage_; }
    int selectedRow() const { return selectedRow_; }
    // What the picture shows now: the printers' input, fit and the check's findings.
    const SheetModel::Shown& shown() const { return shown_; }
    // The picture as drawn last (the sheet with the window's ground around it).
    const QImage& picture() const { return image_; }
    // Where the sheet's twips stand on the widget.
    const QTransform& view() const { return view_; }
    // The paper and its orientation, as the sheet shows them under it.
    QString paperText() const;
    // The model changed: the picture follows at the next paint.
    void modelChanged();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  Q_SIGNALS:
    // The user clicked (or chose with the keyboard) the item on row of page (0 right).
    void itemSelected(int page, int row);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // Draws the picture again when the sheet or the widget's size changed since it was drawn.
    void render();
    // The item part under a point of the widget; none (kind Frame) when there is none.
    std::optional<SheetPart> itemAt(const QPoint& point) const;
    // Where a finding is on the sheet, in twips; empty when it cannot be placed.
    QRectF placeOf(const Finding& finding) const;
    void select(int page, int row);

    SheetModel& model_;
    PainterSurface surface_;
    bool key_ = false;
    bool stale_ = true;
    SheetModel::Shown shown_;
    QList<LaidOutCell> cells_;
    QImage image_;
    QTransform view_;
    QRectF sheetOnWidget_;
    int selectedPage_ = -1;
    int selectedRow_ = -1;
};

// The live sheet with its 問題 / 解答 switch above it.
class LiveSheetPane : public QWidget {
    Q_OBJECT
  public:
    LiveSheetPane(SheetModel& model, qreal fontPoints, QWidget* parent = nullptr);
    LiveSheet* sheet() const { return sheet_; }
    QRadioButton* questionsButton() const { return questions_; }
    QRadioButton* keyButton() const { return key_; }

  private:
    LiveSheet* sheet_ = nullptr;
    QRadioButton* questions_ = nullptr;
    QRadioButton* key_ = nullptr;
};

}  // namespace pobelo
