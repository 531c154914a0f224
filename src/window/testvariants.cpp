// The main window's test variants of the model: each page's test choices in the page strip (the
// 書き⇄読み switch, the order and the retest button), the item numbers' missed marks, the test
// menu and the set entries of the file menu.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "accessibility.h"
#include "itemnumber.h"
#include "mainwindow.h"
#include "seedbox.h"
#include "windowdesign.h"

namespace pobelo {

namespace text {
const QString kGreyedPageMark = QStringLiteral(
    "このページは灰色になっています。できなかった問題の印は、指のアイコンでこのページを選んでから"
    "つけてください。");
}  // namespace text

namespace {

// Tells of a click on a widget that is disabled, which the widget itself never sees.
class GreyedClickFilter : public QObject {
  public:
    GreyedClickFilter(QWidget* watched, std::function<void()> clicked)
        : QObject(watched), clicked_(std::move(clicked)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress &&
            !static_cast<QWidget*>(watched)->isEnabled())
            clicked_();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> clicked_;
};

}  // namespace

using namespace design;

namespace {

// Where each page's columns begin in the page strip (the left edges of Label1 and Label4), right
// page first.
constexpr std::array<int, 2> kPageLeft = {5880, 360};

}  // namespace

void MainWindow::buildPageStrip() {
    // A thin line parts the strip from the designed area above it.
    auto* line = new QWidget(strip_);
    line->setObjectName(QStringLiteral("Line3"));
    line->setGeometry(0, 0, px(kLineLength), 1);
    setBackColor(line, bgr(0x00E0E0E0));
    const std::array<QString, 2> suffix = {QStringLiteral("1"), QStringLiteral("2")};
    const std::array<QColor, 2> pageColour = {kMagenta, kBlue};
    for (int page = 0; page < 2; ++page) {
        const int left = kPageLeft[page];
        const auto at = [&](QWidget* control, int offset, int width) {
            control->setGeometry(px(left + offset), px(60), px(width), px(360));
        };
        PageChoices& choices = pages_[page];
        choices.flip = new QCheckBox(QStringLiteral("書き⇄読み"), strip_);
        choices.flip->setObjectName(QStringLiteral("Flip") + suffix[page]);
        at(choices.flip, 0, 1320);
        auto* order = new QLabel(QStringLiteral("並べ替え"), strip_);
        order->setObjectName(QStringLiteral("ShuffleLabel") + suffix[page]);
        order->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setForeColor(order, pageColour[page]);
        at(order, 1350, 870);
        // A number typed in is one choice, taken when it is finished, not one per digit.
        choices.shuffle = new SeedBox(0, QStringLiteral("元の順"), strip_);
        choices.shuffle->setObjectName(QStringLiteral("Shuffle") + suffix[page]);
        at(choices.shuffle, 2250, 1500);
        order->setBuddy(choices.shuffle);
        choices.retest = new QPushButton(QStringLiteral("再テスト"), strip_);
        choices.retest->setObjectName(QStringLiteral("Retest") + suffix[page]);
        at(choices.retest, 3795, 1125);
    }
}

void MainWindow::buildTestMenus() {
    // The set entries follow 開く in the file menu.
    auto* f = findChild<QMenu*>(QStringLiteral("f"));
    QAction* afterOpen = f->actions().value(f->actions().indexOf(openAction_) + 1);
    openSetAction_ = new QAction(QStringLiteral("テストセットを開く(&T)…"), f);
    openSetAction_->setObjectName(QStringLiteral("tso"));
    saveSetAction_ = new QAction(QStringLiteral("テストセットを保存(&S)…"), f);
    saveSetAction_->setObjectName(QStringLiteral("tss"));
    f->insertActions(afterOpen, {openSetAction_, saveSetAction_});

    // The test menu stands before the print menu.
    auto* tm = new QMenu(QStringLiteral("テスト(&T)"), this);
    tm->setObjectName(QStringLiteral("tm"));
    auto* pm = findChild<QMenu*>(QStringLiteral("pm"));
    menuBar()->insertMenu(pm ? pm->menuAction() : nullptr, tm);
    const auto add = [tm](const char* caption, const char* name) {
        QAction* action = tm->addAction(QString::fromUtf8(caption));
        action->setObjectName(QLatin1String(name));
        return action;
    };
    pages_[0].flipAction = add("右ページを書き⇄読み(&R)", "fr");
    pages_[1].flipAction = add("左ページを書き⇄読み(&L)", "fl");
    for (const PageChoices& choices : pages_) choices.flipAction->setCheckable(true);
    tm->addSeparator()->setObjectName(QStringLiteral("s4"));
    reviewAction_ = add("まとめテストを作る(&M)…", "rv");
    tm->addSeparator()->setObjectName(QStringLiteral("s5"));
    pages_[0].retestAction = add("右ページを再テストに(&E)", "rr");
    pages_[1].retestAction = add("左ページを再テストに(&G)", "rl");
}

void MainWindow::connectVariants() {
    connect(openSetAction_, &QAction::triggered, &model_, &SheetModel::openSetCommand);
    connect(saveSetAction_, &QAction::triggered, &model_, &SheetModel::saveSetCommand);
    connect(reviewAction_, &QAction::triggered, &model_, &SheetModel::reviewCommand);
    for (int page = 0; page < 2; ++page) {
        const PageChoices& choices = pages_[page];
        const auto flip = [this, page](bool on) { model_.setFlipped(page, on); };
        connect(choices.flip, &QCheckBox::clicked, this, flip);
        connect(choices.flipAction, &QAction::triggered, this, flip);
        connect(choices.shuffle, &SeedBox::valueChanged, this,
                [this, page](quint32 seed) { model_.setShuffleSeed(page, seed); });
        const auto retest = [this, page] { model_.makeRetest(page); };
        connect(choices.retest, &QPushButton::clicked, this, retest);
        connect(choices.retestAction, &QAction::triggered, this, retest);
        for (int row = 0; row < kRows; ++row) {
            auto* number = static_cast<ImageControl*>(labels_[page == 0 ? Label1 : Label4][row]);
            connect(number, &ImageControl::clicked, this,
                    [this, page, row] { model_.setMissed(page, row, !model_.missed(page, row)); });
            // A greyed page takes no mark: a click on one of its numbers says why.
            number->installEventFilter(new GreyedClickFilter(number, [this, page, row] {
                if (!model_.itemAt(page, row).isEmpty()) tellOnStatusLine(text::kGreyedPageMark);
            }));
        }
    }
}

void MainWindow::tellOnStatusLine(const QString& message) {
    QStatusBar* const line = statusLine();
    line->showMessage(message);
    QTimer::singleShot(8000, line, [this, line, message] {
        if (line->currentMessage() == message) line->showMessage(loadNote_);
    });
}

void MainWindow::refreshVariants() {
    const bool fileOpen = model_.reviewEnabled();
    reviewAction_->setEnabled(fileOpen);
    saveSetAction_->setEnabled(model_.prtEnabled());
    for (int page = 0; page < 2; ++page) {
        const PageChoices& choices = pages_[page];
        const PageVariant& variant = model_.variant(page);
        bool anyMissed = false;
        for (int row = 0; row < kRows; ++row) {
            auto* number = static_cast<ItemNumberLabel*>(labels_[page == 0 ? Label1 : Label4][row]);
            const bool missed = model_.missed(page, row);
            anyMissed = anyMissed || missed;
            number->setMissed(missed);
            // Only a row with an item takes a mark, and only on the page that is not greyed.
            const bool markable = !model_.itemAt(page, row).isEmpty();
            number->setFocusPolicy(markable && number->isEnabled() ? Qt::TabFocus : Qt::NoFocus);
            number->setCursor(markable ? Qt::PointingHandCursor : Qt::ArrowCursor);
            number->setAccessibleName(itemNumberName(page, row, missed));
        }
        {
            const QSignalBlocker blockBox(choices.flip);
            const QSignalBlocker blockSpin(choices.shuffle);
            choices.flip->setChecked(variant.flipped);
            choices.flipAction->setChecked(variant.flipped);
            choices.shuffle->setValue(variant.seed);
        }
        choices.flip->setEnabled(fileOpen);
        choices.flipAction->setEnabled(fileOpen);
        choices.shuffle->setEnabled(fileOpen);
        choices.retest->setEnabled(anyMissed);
        choices.retestAction->setEnabled(anyMissed);
    }
}

}  // namespace pobelo
