#pragma once

#include <QLabel>
#include <QMainWindow>
#include <array>
#include <optional>

#include "fileopening.h"   // the start-up's openFromCommandLine comes with the window
#include "imagecontrol.h"  // the page icons
#include "paper.h"
#include "sheetmodel.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMimeData;
class QPushButton;
class QToolButton;

class QLabel;
class QStatusBar;

namespace pobelo {

class LiveSheetPane;
class SeedBox;

// The text of Help > Pobelo について: the version, the licence and the home page.
QString aboutText();

// The main window: every control at its designed place, showing the sheet model's state. Every
// user event goes to the model's handler, and the controls are redrawn from the model whenever it
// changes. Controls are named by their designer names; the elements of a label array are named
// after the array and carry their element number in the property "index".
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(SheetModel& model, QWidget* parent = nullptr);

    // Element row of a page label array.
    QLabel* arrayLabel(LabelArray array, int row) const { return labels_[array][row]; }
    // A length in twips as pixels at this window's logical dpi, shrunk evenly when the designed
    // window would not fit on the screen.
    int px(int twips) const;
    // How much the design is shrunk to fit on the screen: 1 when it fits as designed.
    qreal designScale() const { return scale_; }
    // The area that holds the controls; control positions are relative to it.
    QWidget* clientArea() const { return client_; }
    // The strip under the designed area with each page's test choices: the 書き⇄読み switch,
    // the order (並べ替え) and the retest button, each under its page.
    QWidget* pageStrip() const { return strip_; }
    // The printed sheet beside the design, with its 問題 / 解答 switch.
    LiveSheetPane* liveSheet() const { return live_; }

    // Redraws every control from the model.
    void refresh();
    // Checks paper in 印刷 > 用紙, as the printer dialog chose it.
    void showPaper(Paper paper);

    // The file a drop would open (see droppedFileToOpen).
    static std::optional<QString> droppedQuestionFile(const QMimeData* data) {
        return droppedFileToOpen(data);
    }

  Q_SIGNALS:
    // The user chose paper in 印刷 > 用紙.
    void paperChosen(pobelo::Paper paper);

  protected:
    // A question file dropped on the window is opened as File > 開く opens a chosen file.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Files dropped on the title box or the heading list go to the window as well (they would
    // otherwise land there as text); dragged text stays theirs.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // 印刷 > 用紙の形: the furniture dialog, its choice kept in the sheet.
    void chooseFurniture();
    void showLoadNote();
    // The status line under the design, made the first time it is needed.
    QStatusBar* statusLine();
    // A message on the status line for a few seconds; the load note comes back after it.
    void tellOnStatusLine(const QString& message);
    void buildControls();
    // The page strip, the item numbers' missed marks, the test menu and the set entries of the
    // file menu: the test variants of the model (in testvariants.cpp).
    void buildPageStrip();
    void buildTestMenus();
    void connectVariants();
    void refreshVariants();
    void buildMenus();
    void describeControls();
    QFont designFont(qreal points) const;
    void connectEvents();
    // A label of the client area; an item-number label centres its digits by their ink.
    QLabel* addLabel(const QString& name, int left, int top, int width, int height,
                     bool itemNumber = false);
    void place(QWidget* widget, int left, int top, int width, int height);

    SheetModel& model_;
    qreal dpi_ = 96;
    qreal scale_ = 1;
    QWidget* client_ = nullptr;
    std::array<std::array<QLabel*, kRows>, kLabelArrays> labels_{};
    QLabel* label51_ = nullptr;
    QLabel* label52_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QCheckBox* check2_ = nullptr;
    // Image1 to Image6, by PageIcon.
    std::array<ImageControl*, kPageIcons> icons_{};
    QToolButton* command1_ = nullptr;
    QString command1Tip_;
    // What the last load of a question file should tell without interrupting anyone (records
    // not read, a line with a wrong count of fields), on a status line made when first needed.
    QString loadNote_;
    QToolButton* command2_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QComboBox* combo1_ = nullptr;
    // The menu entries; their object names are the designer's (fo, prt, pv, pdf, keyPdf, ed, fit,
    // key, keyMark, onl, vv, about, aboutQt).
    QAction* openAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* previewAction_ = nullptr;
    QAction* pdfAction_ = nullptr;
    QAction* keyPdfAction_ = nullptr;
    QAction* keyMarkAction_ = nullptr;
    // By the font button: the layout and the face that prints, when it stands in for another.
    QLabel* faceLabel_ = nullptr;
    LiveSheetPane* live_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction* fitAction_ = nullptr;
    QAction* furnitureAction_ = nullptr;
    QAction* keyAction_ = nullptr;
    QAction* webSiteAction_ = nullptr;
    QAction* versionAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    QAction* aboutQtAction_ = nullptr;
    // 印刷 > 用紙, by Paper.
    std::array<QAction*, 3> paperActions_{};
    // 印刷 > ふりがな, by RubySetting.
    std::array<QAction*, 8> rubyActions_{};

    // Each page's test choices, right page first; the menu entries are tso, tss, tm's fr, fl,
    // rv, rr and rl.
    struct PageChoices {
        QCheckBox* flip = nullptr;
        SeedBox* shuffle = nullptr;
        QPushButton* retest = nullptr;
        QAction* flipAction = nullptr;
        QAction* retestAction = nullptr;
    };
    std::array<PageChoices, 2> pages_{};
    QWidget* strip_ = nullptr;
    QAction* openSetAction_ = nullptr;
    QAction* saveSetAction_ = nullptr;
    QAction* reviewAction_ = nullptr;
};

}  // namespace pobelo
