#include "mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "accessibility.h"
#include "fontresolver.h"
#include "furnituredialog.h"
#include "icons.h"
#include "itemnumber.h"
#include "livesheet.h"
#include "localfile.h"
#include "pobeloconfig.h"
#include "seedbox.h"
#include "windowdesign.h"
#include "windowfonts.h"

namespace pobelo {

using namespace design;

namespace {

// The face of every designed font of the window.
const QString kFace = QStringLiteral("ＭＳ Ｐゴシック");

// Design sizes in twips.
constexpr int kClientWidth = 11010;
// At load the window's outer height is 7800 twips, of which the caption bar, the borders and the
// menu bar take about 750; the controls therefore get 7050 twips, a little more than the bottom
// of the usage texts (6975).
constexpr int kVisibleClientHeight = 7800 - 750;
constexpr int kFirstRowTop = 1560;
constexpr int kRowStep = 500;
// The page strip under the designed area.
constexpr int kStripHeight = 480;
// The live sheet beside the design: at least this wide, and as wide as this when the screen has
// room (its sheet then stands about as tall as the design).
constexpr int kLiveSheetMinWidth = 6000;
constexpr int kLiveSheetWidth = 10200;
// Pixels it keeps on a screen with no room beside the design.
constexpr int kLiveSheetLeast = 120;
// The label under the font button.
constexpr int kFaceLabelTop = 855;
constexpr int kFaceLabelHeight = 225;

const QColor kDisabledText(0x80, 0x80, 0x80);

struct ArrayDesign {
    const char* name;
    int left;
    int width;
    int height;
    quint32 backColor;
    qreal points;
    bool centred;
};

// In LabelArray order.
const std::array<ArrayDesign, kLabelArrays> kArrays = {{
    {"Label1", 5880, 375, 255, 0x0080FF80, 12, true},
    {"Label2", 6480, 1335, 375, 0x00FFFF80, 14.25, false},
    {"Label3", 7920, 2895, 375, 0x0080FFFF, 14.25, false},
    {"Label4", 360, 375, 255, 0x0080FF80, 12, true},
    {"Label5", 960, 1335, 375, 0x00FFFF80, 14.25, false},
    {"Label6", 2400, 2895, 375, 0x0080FFFF, 14.25, false},
}};

// A label whose text is greyed while it is disabled, with a single-line border.
void giveBorder(QLabel* label) {
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
}

// Texts shown by buttons: "&" is shown, not taken as an access key.
QString literalAmpersands(const QString& text) {
    QString shown = text;
    return shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void setTextIfDifferent(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

QIcon makeIcon(Icon kind, int size) {
    QIcon icon;
    icon.addPixmap(drawIcon(kind, size, 1.0));
    icon.addPixmap(drawIcon(kind, size, 2.0));
    return icon;
}

// Under the font button: 縦書き or 横書き, and the face that prints when it stands in for the
// one named (「縦書き　HG教科書体 → Klee One」); nothing before a heading names the face.
QString faceLabelText(const QString& caption, bool chosen) {
    if (!chosen) return {};
    const QString layout =
        isVerticalFaceName(caption) ? QStringLiteral("縦書き") : QStringLiteral("横書き");
    const ResolvedFace face = resolveFace(caption);
    if (face.match == FaceMatch::Named || face.family.isEmpty()) return layout;
    return layout + QLatin1Char(' ') + stripVerticalMark(caption) + QStringLiteral(" → ") +
           face.family;
}

// Room the window manager's frame and caption bar take around the window.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

}  // namespace

QString aboutText() {
    return QStringLiteral(
               "<h3>Pobelo %1</h3>"
               "<p>Orvane の問題ファイル（.moj）から、A4 一枚の縦書きの漢字小テストを作ります。</p>"
               "<p>MIT ライセンスのフリーソフトウェアです。</p>"
               "<p>読みは MeCab（BSD ライセンス）と IPA "
               "辞書（IPADIC、奈良先端科学技術大学院大学）で"
               "調べます。漢字の学年と読みの表は KANJIDIC2（EDRDG、CC BY-SA "
               "4.0）から作りました。</p>"
               "<p>ホームページ: <a href=\"%2\">%2</a></p>")
        .arg(QStringLiteral(POBELO_VERSION), SheetModel::homePage());
}

// --- Dropped files -----------------------------------------------------------------------------

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedFileToOpen(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (droppedFileToOpen(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::optional<QString> path = droppedFileToOpen(event->mimeData());
    if (!path) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    openQuestionOrSetFile(model_, *path);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            // Alt with a letter is a menu's access key, never text for the boxes: one that no
            // menu takes is dropped instead of typed.
            const auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers held = key->modifiers();
            if ((held & Qt::AltModifier) && !(held & (Qt::ControlModifier | Qt::MetaModifier)) &&
                !key->text().isEmpty())
                return true;
            break;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            // Dragged text stays the boxes' own; dragged files are the window's.
            auto* drop = static_cast<QDropEvent*>(event);
            if (!drop->mimeData()->hasUrls()) break;
            if (event->type() == QEvent::Drop) {
                dropEvent(drop);
            } else if (droppedFileToOpen(drop->mimeData())) {
                drop->acceptProposedAction();
            } else {
                drop->ignore();
            }
            return true;
        }
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- MainWindow --------------------------------------------------------------------------------

MainWindow::MainWindow(SheetModel& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    setObjectName(QStringLiteral("pobelo"));
    setWindowTitle(text::kCaption);
    installAccessibleImageControls();
    dpi_ = logicalDpiY();
    // On a small (or strongly scaled) screen the whole design shrinks evenly, fonts and icons
    // with it, so that every control stays on the screen.
    if (const QScreen* shown = screen()) {
        const QSize room = shown->availableGeometry().size() - QSize(kFrameWidth, kFrameHeight);
        const qreal wide = px(kClientWidth);
        const qreal high =
            px(kVisibleClientHeight) + px(kStripHeight) + menuBar()->sizeHint().height();
        scale_ = std::min({1.0, room.width() / wide, room.height() / high});
        dpi_ *= scale_;
    }

    // The designed area on top, the page strip under it, both at their designed size; the live
    // sheet beside them takes whatever room the window has.
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    client_ = new QWidget(central);
    client_->setObjectName(QStringLiteral("client"));
    client_->setFont(designFont(9));
    client_->setFixedSize(px(kClientWidth), px(kVisibleClientHeight));
    strip_ = new QWidget(central);
    strip_->setObjectName(QStringLiteral("pageStrip"));
    strip_->setFont(designFont(9));
    strip_->setFixedSize(px(kClientWidth), px(kStripHeight));
    auto* design = new QVBoxLayout;
    design->setContentsMargins(0, 0, 0, 0);
    design->setSpacing(0);
    design->addWidget(client_);
    design->addWidget(strip_);
    design->addStretch(1);
    live_ = new LiveSheetPane(model_, 9 * scale_, central);

    auto* beside = new QHBoxLayout(central);
    beside->setContentsMargins(0, 0, 0, 0);
    beside->setSpacing(0);
    beside->addLayout(design);
    beside->addWidget(live_, 1);
    setCentralWidget(central);
    setAcceptDrops(true);

    buildControls();
    buildPageStrip();
    buildMenus();
    buildTestMenus();
    describeControls();
    connectEvents();
    connectVariants();
    refresh();

    // The live sheet takes the room the screen leaves beside the design, up to its own width; it
    // never makes the design smaller.
    int liveWidth = px(kLiveSheetWidth);
    if (const QScreen* shown = screen()) {
        const int room = shown->availableGeometry().width() - kFrameWidth - px(kClientWidth);
        liveWidth = std::min(liveWidth, std::max(kLiveSheetLeast, room));
    }
    live_->setMinimumWidth(std::min(px(kLiveSheetMinWidth), liveWidth));
    resize(px(kClientWidth) + liveWidth,
           menuBar()->sizeHint().height() + px(kVisibleClientHeight) + px(kStripHeight));
    // The window marks the answer keys it prints unless the teacher says otherwise.
    model_.setKeyMark(true);
}

QFont MainWindow::designFont(qreal points) const {
    return screenFont(kFace, points * scale_);
}

int MainWindow::px(int twips) const {
    return qRound(twips * dpi_ / 1440.0);
}

void MainWindow::place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

QLabel* MainWindow::addLabel(const QString& name, int left, int top, int width, int height,
                             bool itemNumber) {
    QLabel* label = itemNumber ? new ItemNumberLabel(client_) : new QLabel(client_);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label, left, top, width, height);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText, kDisabledText);
    label->setPalette(palette);
    return label;
}

void MainWindow::buildControls() {
    // Two thin lines under the menu bar.
    const std::pair<const char*, std::pair<int, QColor>> lines[] = {
        {"Line1", {0, QColor(Qt::black)}},
        {"Line2", {30, bgr(0x00E0E0E0)}},
    };
    for (const auto& [name, design] : lines) {
        auto* line = new QWidget(client_);
        line->setObjectName(QLatin1String(name));
        line->setGeometry(0, px(design.first), px(kLineLength), 1);
        setBackColor(line, design.second);
    }

    // Status icons: icon B first, so that icon A lies over it.
    const QPixmap hand = drawIcon(Icon::PointingHand, px(480), devicePixelRatioF());
    const QPixmap blank = drawIcon(Icon::BlankSheet, px(480), devicePixelRatioF());
    const QPixmap written = drawIcon(Icon::WrittenSheet, px(480), devicePixelRatioF());
    struct ImageDesign {
        int number;
        int left;
        int top;
        const QPixmap* picture;
    };
    const ImageDesign imageDesigns[] = {
        {4, 5640, 480, &written}, {3, 5640, 480, &blank}, {6, 5160, 480, &written},
        {5, 5160, 480, &blank},   {1, 5760, 1080, &hand}, {2, 240, 1080, &hand},
    };
    for (const ImageDesign& design : imageDesigns) {
        auto* image = new ImageControl(client_);
        image->setObjectName(QStringLiteral("Image%1").arg(design.number));
        image->setPixmap(*design.picture);
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        image->setCursor(Qt::PointingHandCursor);
        // Focusable before the tab order is set (refresh then follows what takes a click).
        image->setFocusPolicy(Qt::TabFocus);
        place(image, design.left, design.top, 480, 480);
        icons_[design.number - 1] = image;
    }

    // The page label arrays.
    for (int array = 0; array < kLabelArrays; ++array) {
        const ArrayDesign& design = kArrays[array];
        for (int row = 0; row < kRows; ++row) {
            QLabel* label =
                addLabel(QLatin1String(design.name), design.left, kFirstRowTop + kRowStep * row,
                         design.width, design.height, design.centred);
            label->setProperty("index", row);
            label->setFont(designFont(design.points));
            setBackColor(label, bgr(design.backColor));
            giveBorder(label);
            if (design.centred) label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            labels_[array][row] = label;
        }
    }

    // Page titles.
    label51_ = addLabel(QStringLiteral("Label51"), 7920, 1080, 2895, 375);
    label52_ = addLabel(QStringLiteral("Label52"), 2400, 1080, 2895, 375);
    for (QLabel* title : {label51_, label52_}) {
        title->setFont(designFont(14.25));
        setBackColor(title, bgr(0x0080C0FF));
        giveBorder(title);
    }

    // Page captions and marks.
    QLabel* label7 = addLabel(QStringLiteral("Label7"), 6840, 1320, 735, 240);
    label7->setText(QStringLiteral("右ページ"));
    setForeColor(label7, kMagenta);
    QLabel* label8 = addLabel(QStringLiteral("Label8"), 1320, 1320, 735, 240);
    label8->setText(QStringLiteral("左ページ"));
    setForeColor(label8, kBlue);
    QLabel* label12 = addLabel(QStringLiteral("Label12"), 5760, 120, 375, 255);
    label12->setText(QStringLiteral("右"));
    QLabel* label13 = addLabel(QStringLiteral("Label13"), 5160, 120, 375, 255);
    label13->setText(QStringLiteral("左"));
    for (QLabel* mark : {label12, label13}) {
        mark->setFont(designFont(11.25));
        mark->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    setForeColor(label12, kMagenta);
    setForeColor(label13, kBlue);

    // The answer switches.
    check1_ = new QCheckBox(QStringLiteral("解答つき"), client_);
    check1_->setObjectName(QStringLiteral("Check1"));
    place(check1_, 6600, 1080, 975, 255);
    check2_ = new QCheckBox(QStringLiteral("解答つき"), client_);
    check2_->setObjectName(QStringLiteral("Check2"));
    place(check2_, 1080, 1080, 975, 255);

    // The font and print buttons.
    command1_ = new QToolButton(client_);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setIcon(makeIcon(Icon::FontLetter, px(360)));
    place(command1_, 240, 120, 2175, 735);
    // Under it, what the font means for the sheet.
    faceLabel_ = addLabel(QStringLiteral("FaceLabel"), 120, kFaceLabelTop, 2340, kFaceLabelHeight);
    faceLabel_->setFont(designFont(7));
    faceLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    command2_ = new QToolButton(client_);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setIcon(makeIcon(Icon::Printer, px(360)));
    place(command2_, 8640, 120, 2175, 735);
    for (QToolButton* button : {command1_, command2_}) {
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(px(360), px(360)));
        button->setFocusPolicy(Qt::StrongFocus);
    }

    // The title box and the heading list.
    QLabel* label14 = addLabel(QStringLiteral("Label14"), 2520, 240, 1575, 255);
    label14->setText(QStringLiteral("表題入力ウインド"));
    label14->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text3_ = new QLineEdit(client_);
    text3_->setObjectName(QStringLiteral("Text3"));
    place(text3_, 2520, 480, 2175, 375);
    QLabel* label15 = addLabel(QStringLiteral("Label15"), 6360, 240, 1215, 255);
    label15->setText(QStringLiteral("現在の見だし"));
    combo1_ = new QComboBox(client_);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setEditable(true);
    combo1_->setInsertPolicy(QComboBox::NoInsert);
    combo1_->setMaxVisibleItems(20);
    combo1_->setGeometry(px(6360), px(480), px(2055), combo1_->sizeHint().height());
    combo1_->setEditText(text::kComboText);

    // Usage texts.
    addLabel(QStringLiteral("Label11"), 480, 6720, 735, 255)->setText(QStringLiteral("【使い方】"));
    addLabel(QStringLiteral("Label9"), 1920, 6600, 4335, 375)
        ->setText(QStringLiteral("①ファイルメニューから【開く】で（.moj）ファイルを選択\n"
                                 "②上のコンボボックスから問題を表示"));
    addLabel(QStringLiteral("Label10"), 7440, 6600, 2895, 375)
        ->setText(
            QStringLiteral("③問題が決まれば指マークをクリック\n④同様に左ページも作成できます"));
}

void MainWindow::describeControls() {
    describeFromHelpTable(this);
    // The font button's tooltip also tells a face that prints in place of the one named.
    command1Tip_ = command1_->toolTip();
    // Tab goes the way the sheet is made: heading, title, then the right page's pointer,
    // switch and status icon, the left page's, and the font and print buttons. Hidden icons and
    // icons that take no click are passed over.
    const QList<QWidget*> order = {combo1_,
                                   text3_,
                                   icons_[ToLeftPage],
                                   check1_,
                                   icons_[RightBlank],
                                   icons_[RightClear],
                                   icons_[ToRightPage],
                                   check2_,
                                   icons_[LeftBlank],
                                   icons_[LeftClear],
                                   command1_,
                                   command2_};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    // Then each page's item numbers (those with an item) and its test choices, right page first.
    QWidget* previous = command2_;
    for (int page = 0; page < 2; ++page) {
        for (int row = 0; row < kRows; ++row) {
            QLabel* number = labels_[page == 0 ? Label1 : Label4][row];
            describeItemNumber(number);
            setTabOrder(previous, number);
            previous = number;
        }
        for (QWidget* choice :
             {static_cast<QWidget*>(pages_[page].flip), static_cast<QWidget*>(pages_[page].shuffle),
              static_cast<QWidget*>(pages_[page].retest)}) {
            setTabOrder(previous, choice);
            previous = choice;
        }
    }
    // Then the live sheet's switch and the sheet.
    for (QWidget* live :
         {static_cast<QWidget*>(live_->questionsButton()),
          static_cast<QWidget*>(live_->keyButton()), static_cast<QWidget*>(live_->sheet())}) {
        setTabOrder(previous, live);
        previous = live;
    }
    // The labels' texts say what the boxes are.
    if (auto* title = client_->findChild<QLabel*>(QStringLiteral("Label14")))
        title->setBuddy(text3_);
    if (auto* heading = client_->findChild<QLabel*>(QStringLiteral("Label15")))
        heading->setBuddy(combo1_);
}

void MainWindow::buildMenus() {
    // Each caption keeps its text and gets an access key, shown in brackets after it.
    QMenu* f = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    f->setObjectName(QStringLiteral("f"));
    openAction_ = f->addAction(QStringLiteral("開く(&O)"));
    openAction_->setObjectName(QStringLiteral("fo"));
    openAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    f->addSeparator()->setObjectName(QStringLiteral("s2"));
    printAction_ = f->addAction(QStringLiteral("印刷(&P)"));
    printAction_->setObjectName(QStringLiteral("prt"));
    printAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    previewAction_ = f->addAction(QStringLiteral("印刷プレビュー(&V)"));
    previewAction_->setObjectName(QStringLiteral("pv"));
    previewAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    pdfAction_ = f->addAction(QStringLiteral("PDFに保存(&D)…"));
    pdfAction_->setObjectName(QStringLiteral("pdf"));
    keyPdfAction_ = f->addAction(QStringLiteral("解答をPDFに保存(&K)…"));
    keyPdfAction_->setObjectName(QStringLiteral("keyPdf"));
    f->addSeparator()->setObjectName(QStringLiteral("s1"));
    exitAction_ = f->addAction(QStringLiteral("終了(&X)"));
    exitAction_->setObjectName(QStringLiteral("ed"));
    exitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* pm = menuBar()->addMenu(QStringLiteral("印刷(&P)"));
    pm->setObjectName(QStringLiteral("pm"));
    fitAction_ = pm->addAction(QStringLiteral("はみ出しを防ぐ(&F)"));
    fitAction_->setObjectName(QStringLiteral("fit"));
    fitAction_->setCheckable(true);
    keyAction_ = pm->addAction(QStringLiteral("問題と解答を印刷(&K)"));
    keyAction_->setObjectName(QStringLiteral("key"));
    keyMarkAction_ = pm->addAction(QStringLiteral("解答のページに「解答」と入れる(&M)"));
    keyMarkAction_->setObjectName(QStringLiteral("keyMark"));
    keyMarkAction_->setCheckable(true);
    furnitureAction_ = pm->addAction(QStringLiteral("用紙の形(&L)…"));
    furnitureAction_->setObjectName(QStringLiteral("furniture"));
    furnitureAction_->setToolTip(
        QStringLiteral("指示文、組・番、点数の欄、解答のマス目、切り取り線をつけます"));
    // 用紙: the paper the printer dialog opens with, and the preview and PDF files print on.
    QMenu* paper = pm->addMenu(QStringLiteral("用紙(&S)"));
    paper->setObjectName(QStringLiteral("paper"));
    auto* papers = new QActionGroup(paper);
    for (const auto& [choice, caption] :
         {std::pair{Paper::A4, "A4(&4)"}, {Paper::B4, "B4（JIS）(&B)"}, {Paper::A3, "A3(&3)"}}) {
        QAction* action = paper->addAction(QString::fromUtf8(caption));
        action->setObjectName(QStringLiteral("paper") + paperName(choice));
        action->setCheckable(true);
        papers->addAction(action);
        // A structured binding cannot be captured by every compiler the project builds with.
        const Paper chosen = choice;
        connect(action, &QAction::triggered, this, [this, chosen] { Q_EMIT paperChosen(chosen); });
        paperActions_[size_t(choice)] = action;
    }
    showPaper(Paper::A4);
    // ふりがな: which kanji of the sentences get ruby, kept in the sheet and its set.
    QMenu* ruby = pm->addMenu(QStringLiteral("ふりがな(&R)"));
    ruby->setObjectName(QStringLiteral("ruby"));
    ruby->setToolTipsVisible(true);
    auto* rubies = new QActionGroup(ruby);
    for (int r = int(RubySetting::None); r <= int(RubySetting::All); ++r) {
        const RubySetting choice = RubySetting(r);
        const QString key = choice == RubySetting::None  ? QStringLiteral("&0")
                            : choice == RubySetting::All ? QStringLiteral("&A")
                                                         : QStringLiteral("&%1").arg(r);
        QAction* action = ruby->addAction(rubyCaption(choice) + u'(' + key + u')');
        action->setObjectName(QStringLiteral("ruby") + rubyName(choice));
        action->setCheckable(true);
        action->setToolTip(
            choice == RubySetting::None ? QStringLiteral("文にふりがなを付けません")
            : choice == RubySetting::All
                ? QStringLiteral("問題の部分のほかの、すべての漢字にふりがなを付けます")
                : QStringLiteral("学年別漢字配当表で%1年生までに習わない漢字に"
                                 "ふりがなを付けます")
                      .arg(r));
        rubies->addAction(action);
        connect(action, &QAction::triggered, this, [this, choice] { model_.setRuby(choice); });
        rubyActions_[size_t(r)] = action;
    }
    rubyActions_[0]->setChecked(true);

    QMenu* hp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    hp->setObjectName(QStringLiteral("hp"));
    webSiteAction_ = hp->addAction(QStringLiteral("WendroWebサイトへ(&W)"));
    webSiteAction_->setObjectName(QStringLiteral("onl"));
    QMenu* ad = hp->addMenu(QStringLiteral("バージョン情報(&V)"));
    ad->setObjectName(QStringLiteral("ad"));
    versionAction_ = ad->addAction(text::versionCaption());
    versionAction_->setObjectName(QStringLiteral("vv"));
    hp->addSeparator()->setObjectName(QStringLiteral("s3"));
    aboutAction_ = hp->addAction(QStringLiteral("Pobelo について(&A)"));
    aboutAction_->setObjectName(QStringLiteral("about"));
    aboutQtAction_ = hp->addAction(QStringLiteral("Qt について(&Q)"));
    aboutQtAction_->setObjectName(QStringLiteral("aboutQt"));
}

void MainWindow::connectEvents() {
    connect(&model_, &SheetModel::changed, this, &MainWindow::refresh);
    // The text boxes would take a dropped file's name as text; a question file opens instead.
    text3_->installEventFilter(this);
    if (combo1_->lineEdit()) combo1_->lineEdit()->installEventFilter(this);
    connect(&model_, &SheetModel::closeRequested, this, &QWidget::close);

    // One choice in the list (by mouse or keyboard) is one heading choice.
    connect(combo1_, &QComboBox::activated, &model_, &SheetModel::chooseHeading);
    connect(text3_, &QLineEdit::textEdited, &model_, &SheetModel::setText3);
    connect(check1_, &QCheckBox::clicked, this,
            [this](bool on) { model_.setCheck(1, on ? 1 : 0); });
    connect(check2_, &QCheckBox::clicked, this,
            [this](bool on) { model_.setCheck(2, on ? 1 : 0); });
    for (int n = 1; n <= kPageIcons; ++n) {
        connect(icons_[n - 1], &ImageControl::clicked, this, [this, n] {
            if (model_.imageClickable(n)) model_.clickImage(n);
        });
    }
    connect(command1_, &QToolButton::clicked, &model_, &SheetModel::fontCommand);
    connect(command2_, &QToolButton::clicked, &model_, &SheetModel::printSheet);
    connect(printAction_, &QAction::triggered, &model_, &SheetModel::printSheet);
    connect(previewAction_, &QAction::triggered, &model_, &SheetModel::previewSheet);
    connect(pdfAction_, &QAction::triggered, &model_, &SheetModel::exportPdf);
    connect(keyPdfAction_, &QAction::triggered, &model_, &SheetModel::exportKeyPdf);
    connect(keyMarkAction_, &QAction::toggled, &model_, &SheetModel::setKeyMark);
    connect(&model_, &SheetModel::pdfSaved, this,
            [this](const QString& path) { tellOnStatusLine(text::pdfSaved(path)); });
    // An item chosen on the live sheet is the item its number stands for in the design.
    connect(live_->sheet(), &LiveSheet::itemSelected, this, [this](int page, int row) {
        QLabel* number = labels_[page == 0 ? Label1 : Label4][row];
        if (number->focusPolicy() != Qt::NoFocus) number->setFocus(Qt::OtherFocusReason);
    });
    connect(fitAction_, &QAction::toggled, &model_, &SheetModel::setFitEnabled);
    connect(keyAction_, &QAction::triggered, &model_, &SheetModel::printSheetAndKey);
    connect(furnitureAction_, &QAction::triggered, this, &MainWindow::chooseFurniture);
    connect(openAction_, &QAction::triggered, &model_, &SheetModel::openCommand);
    connect(webSiteAction_, &QAction::triggered, &model_, &SheetModel::openWebSite);
    connect(exitAction_, &QAction::triggered, &model_, &SheetModel::exitCommand);
    connect(aboutAction_, &QAction::triggered, this,
            [this] { QMessageBox::about(this, QStringLiteral("Pobelo について"), aboutText()); });
    connect(aboutQtAction_, &QAction::triggered, qApp, &QApplication::aboutQt);
    // vv only shows the version; it has no command.
}

void MainWindow::showPaper(Paper paper) {
    paperActions_[size_t(paper)]->setChecked(true);
}

void MainWindow::refresh() {
    if (QAction* ruby = rubyActions_[size_t(model_.sheet().ruby)]; !ruby->isChecked())
        ruby->setChecked(true);
    for (int array = 0; array < kLabelArrays; ++array) {
        for (int row = 0; row < kRows; ++row) {
            QLabel* label = labels_[array][row];
            setTextIfDifferent(label, model_.caption(LabelArray(array), row));
            label->setEnabled(model_.enabled(LabelArray(array), row));
        }
    }
    setTextIfDifferent(label51_, model_.label51());
    setTextIfDifferent(label52_, model_.label52());

    const auto checkState = [](int value) {
        return value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked;
    };
    {
        const QSignalBlocker block1(check1_);
        const QSignalBlocker block2(check2_);
        check1_->setCheckState(checkState(model_.check1()));
        check2_->setCheckState(checkState(model_.check2()));
    }

    for (int n = 1; n <= kPageIcons; ++n) {
        icons_[n - 1]->setVisible(model_.imageVisible(n));
        // An icon the keyboard can reach is one a click would reach.
        icons_[n - 1]->setFocusPolicy(model_.imageClickable(n) ? Qt::TabFocus : Qt::NoFocus);
    }

    command1_->setText(literalAmpersands(model_.command1Caption()));
    // A screen reader says which font is chosen.
    command1_->setAccessibleName(fontButtonName(model_.command1Caption()));
    command1_->setEnabled(model_.command1Enabled());
    // A face that will print in place of the one named says so on the button, without asking.
    const QString faceNote =
        model_.command1Enabled()
            ? pobelo::faceNote(model_.command1Caption(), resolveFace(model_.command1Caption()),
                               NoteLanguage::Japanese)
            : QString();
    const QString tip =
        faceNote.isEmpty() ? command1Tip_ : command1Tip_ + QLatin1Char('\n') + faceNote;
    if (command1_->toolTip() != tip) command1_->setToolTip(tip);
    command2_->setText(literalAmpersands(model_.command2Caption()));
    command2_->setEnabled(model_.command2Enabled());
    printAction_->setEnabled(model_.prtEnabled());
    // Preview and PDF print the same sheet: they are there whenever 印刷 is.
    previewAction_->setEnabled(model_.prtEnabled());
    pdfAction_->setEnabled(model_.prtEnabled());
    keyPdfAction_->setEnabled(model_.prtEnabled());
    keyAction_->setEnabled(model_.prtEnabled());
    if (keyMarkAction_->isChecked() != model_.keyMark()) {
        const QSignalBlocker block(keyMarkAction_);
        keyMarkAction_->setChecked(model_.keyMark());
    }
    // Too long for its place, the label ends in "…"; a screen reader gets it whole.
    const QString face = faceLabelText(model_.command1Caption(), model_.command1Enabled());
    setTextIfDifferent(faceLabel_, faceLabel_->fontMetrics().elidedText(face, Qt::ElideRight,
                                                                        faceLabel_->width()));
    if (faceLabel_->accessibleDescription() != face) faceLabel_->setAccessibleDescription(face);
    if (fitAction_->isChecked() != model_.fitEnabled()) {
        const QSignalBlocker block(fitAction_);
        fitAction_->setChecked(model_.fitEnabled());
    }

    // A text set here is the model's own: it must not come back as an edit.
    if (text3_->text() != model_.text3()) {
        const QSignalBlocker block(text3_);
        text3_->setText(model_.text3());
    }

    showLoadNote();

    QStringList listed;
    for (int i = 0; i < combo1_->count(); ++i) listed.append(combo1_->itemText(i));
    if (listed != model_.combo1List()) {
        const QSignalBlocker block(combo1_);
        combo1_->clear();
        combo1_->addItems(model_.combo1List());
        combo1_->setCurrentIndex(-1);
        combo1_->setEditText(text::kComboText);
    }
    refreshVariants();
}

void MainWindow::showLoadNote() {
    const QStringList notes = loadNotes(model_.lastLoad(), true);
    const QString note = notes.isEmpty() ? QString()
                                         : displayFileName(model_.questionFileName()) +
                                               QStringLiteral("：") + notes.join(QString());
    if (note == loadNote_) return;
    loadNote_ = note;
    statusLine()->showMessage(note);
}

QStatusBar* MainWindow::statusLine() {
    // The window grows by the status line the first time one is needed; the design stays whole.
    const bool made = findChild<QStatusBar*>() != nullptr;
    QStatusBar* const line = statusBar();
    if (!made) {
        line->setObjectName(QStringLiteral("loadNote"));
        resize(width(), height() + line->sizeHint().height());
    }
    return line;
}

void MainWindow::chooseFurniture() {
    FurnitureDialog dialog(model_.sheet().furniture, this);
    if (dialog.exec() == QDialog::Accepted) model_.setFurniture(dialog.furniture());
}

}  // namespace pobelo
