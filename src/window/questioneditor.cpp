#include "questioneditor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewWidget>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "mainwindow.h"
#include "mecabanalyser.h"
#include "ownreadings.h"
#include "paintersurface.h"
#include "printjob.h"
#include "sheetmodel.h"

namespace pobelo {

namespace {

const QString kTextbookFace = QStringLiteral("教科書体（縦書き）");
// Faces offered in the 字体 box besides the textbook face; any other can be typed.
const char* const kFaces[] = {"@ＭＳ 明朝", "ＭＳ 明朝", "@ＭＳ ゴシック", "ＭＳ ゴシック",
                              "HG教科書体"};

// A suggestion stands out in yellow, an answer the teacher must give in pink.
const QColor kSuggestedBack(0xFF, 0xF0, 0xB0);
const QColor kSuggestedText(0x80, 0x50, 0x00);
const QColor kMissingBack(0xFF, 0xD0, 0xD0);

const QString kSelectFirst =
    QStringLiteral("文の中の、問題にする語を選んでから「傍線にする」を押してください。");

// The editors of the table's cells pass Ctrl+U (傍線にする) to the window: a line edit would
// take it as "delete the line".
class RowDelegate : public QStyledItemDelegate {
  public:
    RowDelegate(QObject* keys, QObject* parent) : QStyledItemDelegate(parent), keys_(keys) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor) editor->installEventFilter(keys_);
        return editor;
    }

  private:
    QObject* keys_;
};

// Ctrl+U on a line edit marks its selection instead of deleting its line.
class MarkKey : public QObject {
  public:
    MarkKey(QuestionEditor& editor) : QObject(&editor), editor_(editor) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_U && key->modifiers() == Qt::ControlModifier) {
                if (event->type() == QEvent::KeyPress) editor_.markSelection();
                event->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QuestionEditor& editor_;
};

void describe(QWidget* w, const QString& name, const QString& tip) {
    w->setAccessibleName(name);
    w->setToolTip(tip);
    w->setAccessibleDescription(tip);
}

// A menu caption without its access key: "見出しを足す(&A)" is "見出しを足す".
QString plainCaption(QString caption) {
    const qsizetype at = caption.indexOf(QStringLiteral("(&"));
    if (at >= 0) caption.remove(at, 4);
    return caption;
}

QString fieldOf(const OwnItem& item, int column) {
    return fieldOf(item, BookColumn(column));
}

}  // namespace

// --- QuestionEditor ----------------------------------------------------------------------------

QuestionEditor::QuestionEditor(FileDialog& files, MessageBox& messages, QWidget* parent)
    : QMainWindow(parent), files_(files), measurer_(std::make_unique<FontMeasurer>()) {
    setObjectName(QStringLiteral("questionEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    QuestionBook::Services services;
    services.files = &files;
    services.messages = &messages;
    services.analyser = &reading::sharedAnalyser();
    services.measurer = measurer_.get();
    book_ = std::make_unique<QuestionBook>(services);
    printer_.setFullPage(true);
    buildControls();
    buildMenus();
    connectEvents();
    book_->newBook();
    resize(1280, 720);
}

QuestionEditor::~QuestionEditor() {
    // The preview draws with the book: it goes first.
    delete preview_;
    preview_ = nullptr;
}

void QuestionEditor::buildControls() {
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("editorSplit"));
    setCentralWidget(split);

    // The headings.
    auto* left = new QWidget(split);
    auto* leftLayout = new QVBoxLayout(left);
    auto* headingLabel = new QLabel(QStringLiteral("見出し(&H)"), left);
    headingList_ = new QListWidget(left);
    headingList_->setObjectName(QStringLiteral("headingList"));
    headingList_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                  QAbstractItemView::EditKeyPressed);
    headingLabel->setBuddy(headingList_);
    describe(headingList_, QStringLiteral("見出し"),
             QStringLiteral("見出しの一覧：選んだ見出しの問題が右に出ます。名前はダブルクリックか "
                            "F2 で変えられます。"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (QToolButton** b :
         {&addButton_, &renameButton_, &removeButton_, &upButton_, &downButton_}) {
        *b = new QToolButton(left);
        (*b)->setToolButtonStyle(Qt::ToolButtonTextOnly);
        (*b)->setFocusPolicy(Qt::StrongFocus);
        buttons->addWidget(*b);
    }
    buttons->addStretch();
    leftLayout->addWidget(headingLabel);
    leftLayout->addWidget(headingList_, 1);
    leftLayout->addLayout(buttons);

    // The chosen heading's face and rows.
    auto* middle = new QWidget(split);
    auto* midLayout = new QVBoxLayout(middle);
    auto* faceRow = new QHBoxLayout;
    auto* faceLabel = new QLabel(QStringLiteral("字体(&F)"), middle);
    fontBox_ = new QComboBox(middle);
    fontBox_->setObjectName(QStringLiteral("fontBox"));
    fontBox_->setEditable(true);
    fontBox_->setInsertPolicy(QComboBox::NoInsert);
    fontBox_->addItem(kTextbookFace, QString());
    for (const char* face : kFaces)
        fontBox_->addItem(QString::fromUtf8(face), QString::fromUtf8(face));
    fontBox_->setMinimumContentsLength(16);
    faceLabel->setBuddy(fontBox_);
    describe(
        fontBox_, QStringLiteral("字体"),
        QStringLiteral("この見出しを印刷する字体。「@」で始まる字体は縦書きの用紙に印刷します。"));
    faceRow->addWidget(faceLabel);
    faceRow->addWidget(fontBox_);
    faceRow->addStretch();

    auto* sentenceRow = new QHBoxLayout;
    auto* sentenceLabel = new QLabel(QStringLiteral("文(&T)"), middle);
    sentenceBox_ = new QLineEdit(middle);
    sentenceBox_->setObjectName(QStringLiteral("sentenceBox"));
    sentenceBox_->setPlaceholderText(
        QStringLiteral("文をそのまま入れ、問題にする語を選んで「傍線にする」（Ctrl+U）"));
    sentenceLabel->setBuddy(sentenceBox_);
    describe(
        sentenceBox_, QStringLiteral("文"),
        QStringLiteral("選んだ行の文全体。問題にする語を選んで「傍線にする」（Ctrl+U）を押すと、"
                       "前の文・問題の部分・後の文に分かれます。"));
    markButton_ = new QToolButton(middle);
    markButton_->setObjectName(QStringLiteral("markButton"));
    markButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // A click leaves the selection where it is.
    markButton_->setFocusPolicy(Qt::NoFocus);
    sentenceRow->addWidget(sentenceLabel);
    sentenceRow->addWidget(sentenceBox_, 1);
    sentenceRow->addWidget(markButton_);

    rows_ = new QTableWidget(kItemsPerHeading, kBookColumns, middle);
    rows_->setObjectName(QStringLiteral("rowsTable"));
    rows_->setHorizontalHeaderLabels(
        {column::kBefore, column::kAsked, column::kAfter, column::kAnswer});
    rows_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    rows_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    markKey_ = new MarkKey(*this);
    rows_->setItemDelegate(new RowDelegate(markKey_, rows_));
    rows_->setTabKeyNavigation(true);
    for (int r = 0; r < kItemsPerHeading; ++r) {
        for (int c = 0; c < kBookColumns; ++c) rows_->setItem(r, c, new QTableWidgetItem);
    }
    describe(rows_, QStringLiteral("問題"),
             QStringLiteral("見出しの十問：前の文・問題の部分（傍線）・後の文・答え。Excel の表や "
                            "「前の文[問題の部分]後の文」の行を貼り付けられます（Ctrl+V）。"
                            "黄色の答えは読みの候補です。"));
    notes_ = new QLabel(middle);
    notes_->setObjectName(QStringLiteral("notesLine"));
    notes_->setWordWrap(true);
    notes_->setAccessibleName(QStringLiteral("答えのようす"));
    midLayout->addLayout(faceRow);
    midLayout->addLayout(sentenceRow);
    midLayout->addWidget(rows_, 1);
    midLayout->addWidget(notes_);

    // The heading as it prints.
    auto* right = new QWidget(split);
    auto* rightLayout = new QVBoxLayout(right);
    preview_ = new QPrintPreviewWidget(&printer_, right);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setZoomMode(QPrintPreviewWidget::FitInView);
    preview_->setAccessibleName(QStringLiteral("印刷の見本"));
    preview_->setToolTip(QStringLiteral("この見出しを右ページに入れて印刷したときの見本"));
    preview_->setFocusPolicy(Qt::NoFocus);
    previewAnswers_ = new QCheckBox(QStringLiteral("解答つきで見る(&K)"), right);
    previewAnswers_->setObjectName(QStringLiteral("previewAnswers"));
    describe(previewAnswers_, QStringLiteral("解答つきで見る"),
             QStringLiteral("見本に答えも入れて見ます。"));
    findings_ = new QLabel(right);
    findings_->setObjectName(QStringLiteral("findingsLine"));
    findings_->setWordWrap(true);
    findings_->setAccessibleName(QStringLiteral("はみ出し"));
    QPalette red = findings_->palette();
    red.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    findings_->setPalette(red);
    rightLayout->addWidget(preview_, 1);
    rightLayout->addWidget(previewAnswers_);
    rightLayout->addWidget(findings_);

    split->addWidget(left);
    split->addWidget(middle);
    split->addWidget(right);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 4);
    split->setStretchFactor(2, 3);
    split->setSizes({200, 620, 460});

    previewTimer_ = new QTimer(this);
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(150);

    setTabOrder(headingList_, addButton_);
    setTabOrder(addButton_, renameButton_);
    setTabOrder(renameButton_, removeButton_);
    setTabOrder(removeButton_, upButton_);
    setTabOrder(upButton_, downButton_);
    setTabOrder(downButton_, fontBox_);
    setTabOrder(fontBox_, sentenceBox_);
    setTabOrder(sentenceBox_, rows_);
    setTabOrder(rows_, previewAnswers_);
    sentenceBox_->installEventFilter(markKey_);
    statusBar()->setObjectName(QStringLiteral("editorStatus"));
}

void QuestionEditor::buildMenus() {
    const auto make = [](QMenu* menu, const char* caption, const char* name,
                         const QKeySequence& keys, const QString& tip) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QLatin1String(name));
        if (!keys.isEmpty()) a->setShortcut(keys);
        a->setToolTip(tip);
        a->setStatusTip(tip);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("editorFile"));
    newAction_ = make(file, "新しく作る(&N)", "editorNew", QKeySequence::New,
                      QStringLiteral("新しい問題ファイルを作ります。"));
    openAction_ = make(file, "開く(&O)…", "editorOpen", QKeySequence::Open,
                       QStringLiteral("自分で作った問題ファイル（.csv）を開きます。"));
    saveAction_ =
        make(file, "保存(&S)", "editorSave", QKeySequence::Save,
             QStringLiteral("問題ファイルを保存し、メインの画面で印刷できるようにします。"));
    saveAsAction_ = make(file, "名前を付けて保存(&A)…", "editorSaveAs", QKeySequence::SaveAs,
                         QStringLiteral("別の名前で保存します。"));
    file->addSeparator();
    closeAction_ = make(file, "閉じる(&C)", "editorClose", QKeySequence::Close,
                        QStringLiteral("この画面を閉じます。"));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("editorEdit"));
    undoAction_ = book_->undoStack().createUndoAction(this, QStringLiteral("元に戻す"));
    undoAction_->setObjectName(QStringLiteral("editorUndo"));
    undoAction_->setShortcut(QKeySequence::Undo);
    redoAction_ = book_->undoStack().createRedoAction(this, QStringLiteral("やり直し"));
    redoAction_->setObjectName(QStringLiteral("editorRedo"));
    redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
    edit->addAction(undoAction_);
    edit->addAction(redoAction_);
    edit->addSeparator();
    pasteAction_ =
        make(edit, "貼り付け(&P)", "editorPaste", QKeySequence::Paste,
             QStringLiteral("Excel の表の行（見出し・前の文・問題の部分・後の文・答え）や"
                            "「前の文[問題の部分]後の文」の行を、選んだ行から貼り付け、"
                            "答えのない問題に読みを入れます。"));
    markAction_ = make(edit, "傍線にする(&B)", "editorMark", QKeySequence(Qt::CTRL | Qt::Key_U),
                       QStringLiteral("文の中で選んだ語を問題の部分（傍線）にします（Ctrl+U）。"));
    confirmAction_ =
        make(edit, "読みを確かめた(&K)", "editorConfirm", QKeySequence(Qt::CTRL | Qt::Key_Return),
             QStringLiteral("選んだ行の読みの候補を、確かめた答えにします（Ctrl+Enter）。"));
    confirmAction_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    clearAction_ = make(edit, "行を消す(&D)", "editorClear", QKeySequence(Qt::Key_Delete),
                        QStringLiteral("選んだ行の問題を消します。"));
    // Delete empties rows only from the table; in a box it deletes a character.
    clearAction_->setShortcutContext(Qt::WidgetShortcut);
    rows_->addAction(clearAction_);
    markButton_->setDefaultAction(markAction_);
    describe(markButton_, QStringLiteral("傍線にする"), markAction_->toolTip());

    QMenu* headings = menuBar()->addMenu(QStringLiteral("見出し(&H)"));
    headings->setObjectName(QStringLiteral("editorHeadings"));
    QAction* add = make(headings, "見出しを足す(&A)", "headingAdd",
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
                        QStringLiteral("選んだ見出しの後に、新しい見出しを足します。"));
    QAction* rename = make(headings, "見出しの名前を変える(&R)", "headingRename", {},
                           QStringLiteral("選んだ見出しの名前を変えます（一覧で F2）。"));
    QAction* remove = make(headings, "見出しを消す(&D)", "headingRemove", {},
                           QStringLiteral("選んだ見出しを問題ごと消します（元に戻せます）。"));
    headings->addSeparator();
    QAction* up =
        make(headings, "上へ(&U)", "headingUp", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up),
             QStringLiteral("選んだ見出しを一つ上へ動かします。"));
    QAction* down =
        make(headings, "下へ(&W)", "headingDown", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down),
             QStringLiteral("選んだ見出しを一つ下へ動かします。"));
    const std::pair<QToolButton*, std::pair<QAction*, const char*>> bound[] = {
        {addButton_, {add, "足す"}},
        {renameButton_, {rename, "名前"}},
        {removeButton_, {remove, "消す"}},
        {upButton_, {up, "↑"}},
        {downButton_, {down, "↓"}}};
    for (const auto& [button, what] : bound) {
        what.first->setIconText(QString::fromUtf8(what.second));
        button->setDefaultAction(what.first);
        button->setObjectName(what.first->objectName() + QStringLiteral("Button"));
        describe(button, plainCaption(what.first->text()), what.first->toolTip());
    }

    connect(add, &QAction::triggered, this, [this] { book_->addHeading(); });
    connect(rename, &QAction::triggered, this, [this] {
        if (QListWidgetItem* item = headingList_->currentItem()) headingList_->editItem(item);
    });
    connect(remove, &QAction::triggered, this, [this] { book_->removeHeading(book_->current()); });
    connect(up, &QAction::triggered, this, [this] { book_->moveHeading(book_->current(), -1); });
    connect(down, &QAction::triggered, this, [this] { book_->moveHeading(book_->current(), 1); });
}

void QuestionEditor::connectEvents() {
    connect(book_.get(), &QuestionBook::changed, this, &QuestionEditor::refresh);
    connect(book_.get(), &QuestionBook::saved, this, &QuestionEditor::saved);
    connect(newAction_, &QAction::triggered, this, [this] {
        commitSentence();
        if (book_->confirmClose()) book_->newBook();
    });
    connect(openAction_, &QAction::triggered, this, [this] {
        commitSentence();
        if (!book_->confirmClose()) return;
        const std::optional<QString> path = files_.getOpenFileName(text::kOwnOpenFilter);
        if (path) book_->open(*path);
    });
    connect(saveAction_, &QAction::triggered, this, [this] {
        commitSentence();
        book_->save();
    });
    connect(saveAsAction_, &QAction::triggered, this, [this] {
        commitSentence();
        book_->saveAs();
    });
    connect(closeAction_, &QAction::triggered, this, &QWidget::close);
    connect(pasteAction_, &QAction::triggered, this, &QuestionEditor::pasteClipboard);
    connect(markAction_, &QAction::triggered, this, [this] { markSelection(); });
    connect(confirmAction_, &QAction::triggered, this, [this] {
        const QList<QTableWidgetSelectionRange> ranges = rows_->selectedRanges();
        if (ranges.isEmpty()) {
            book_->confirmReading(currentRow());
            return;
        }
        for (const QTableWidgetSelectionRange& r : ranges)
            for (int row = r.topRow(); row <= r.bottomRow(); ++row) book_->confirmReading(row);
    });
    connect(clearAction_, &QAction::triggered, this, [this] {
        const QList<QTableWidgetSelectionRange> ranges = rows_->selectedRanges();
        if (ranges.isEmpty()) return;
        const QTableWidgetSelectionRange r = ranges.first();
        book_->clearRows(r.topRow(), r.rowCount());
    });

    connect(headingList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_) return;
        commitSentence();
        book_->choose(row);
    });
    connect(headingList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (refreshing_) return;
        const int at = headingList_->row(item);
        // A name refused is shown as it was.
        if (!book_->renameHeading(at, item->text())) refresh();
    });
    connect(fontBox_, &QComboBox::activated, this, [this](int index) {
        if (refreshing_) return;
        book_->setFont(fontBox_->itemData(index).toString());
    });
    connect(fontBox_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (refreshing_) return;
        const QString typed = fontBox_->currentText().trimmed();
        book_->setFont(typed == kTextbookFace ? QString() : typed);
    });
    connect(sentenceBox_, &QLineEdit::editingFinished, this, &QuestionEditor::commitSentence);
    connect(rows_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (refreshing_) return;
        book_->setText(item->row(), BookColumn(item->column()), item->text());
    });
    connect(rows_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (refreshing_) return;
        if (row != sentenceRow_) {
            commitSentence();
            showSentence(true);
            refreshNotes();
        }
    });
    connect(previewAnswers_, &QCheckBox::toggled, this, &QuestionEditor::schedulePreview);
    connect(previewTimer_, &QTimer::timeout, preview_, &QPrintPreviewWidget::updatePreview);
    connect(preview_, &QPrintPreviewWidget::paintRequested, this, &QuestionEditor::drawPreview);
}

int QuestionEditor::currentRow() const {
    return std::max(0, rows_->currentRow());
}

void QuestionEditor::setCurrentRow(int row) {
    rows_->setCurrentCell(row, std::max(0, rows_->currentColumn()));
}

void QuestionEditor::commitSentence() {
    if (sentenceRow_ < 0 || !book_->currentHeading()) return;
    const OwnItem shown = book_->item(sentenceRow_).item;
    if (sentenceBox_->text() != shown.before + shown.asked + shown.after)
        book_->setSentence(sentenceRow_, sentenceBox_->text());
}

void QuestionEditor::showSentence(bool selectAsked) {
    sentenceRow_ = currentRow();
    const OwnItem item = book_->item(sentenceRow_).item;
    const QString sentence = item.before + item.asked + item.after;
    if (sentenceBox_->text() != sentence) {
        const QSignalBlocker block(sentenceBox_);
        sentenceBox_->setText(sentence);
        selectAsked = true;
    }
    // The asked part shows as the selection: a new one is marked by selecting it.
    if (selectAsked && !item.asked.isEmpty())
        sentenceBox_->setSelection(int(item.before.size()), int(item.asked.size()));
}

bool QuestionEditor::markSelection() {
    if (!book_->currentHeading()) return false;
    QWidget* focus = QApplication::focusWidget();
    auto* cell = qobject_cast<QLineEdit*>(focus);
    if (cell && cell != sentenceBox_ && rows_->isAncestorOf(cell)) {
        // The sentence as being typed into one of its columns.
        const int row = rows_->currentRow();
        const int column = rows_->currentColumn();
        if (row < 0 || column < 0 || column > int(BookColumn::After) || !cell->hasSelectedText()) {
            statusBar()->showMessage(kSelectFirst, 5000);
            return false;
        }
        const OwnItem item = book_->item(row).item;
        QString sentence;
        int from = 0;
        for (int c = 0; c <= int(BookColumn::After); ++c) {
            if (c == column) {
                from = int(sentence.size()) + cell->selectionStart();
                sentence += cell->text();
            } else {
                sentence += fieldOf(item, c);
            }
        }
        const int length = int(cell->selectedText().size());
        if (!book_->markAsked(row, sentence, from, length)) return false;
        // The editor closes on what the column holds now.
        cell->setText(fieldOf(book_->item(row).item, column));
        rows_->setFocus();
        return true;
    }
    if (!sentenceBox_->hasSelectedText()) {
        statusBar()->showMessage(kSelectFirst, 5000);
        return false;
    }
    const int row = sentenceRow_ < 0 ? currentRow() : sentenceRow_;
    if (!book_->markAsked(row, sentenceBox_->text(), sentenceBox_->selectionStart(),
                          int(sentenceBox_->selectedText().size())))
        return false;
    showSentence(true);
    return true;
}

void QuestionEditor::pasteClipboard() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) return;
    book_->paste(text, currentRow());
}

void QuestionEditor::closeEvent(QCloseEvent* event) {
    commitSentence();
    if (book_->confirmClose())
        event->accept();
    else
        event->ignore();
}

void QuestionEditor::refresh() {
    refreshing_ = true;
    setWindowTitle(QStringLiteral("問題を作る ― %1[*]").arg(book_->displayName()));
    setWindowModified(book_->modified());
    refreshHeadings();
    refreshRows();
    refreshing_ = false;
    if (!sentenceBox_->hasFocus()) showSentence(false);
    refreshNotes();
    schedulePreview();
}

void QuestionEditor::refreshHeadings() {
    const QList<BookHeading>& headings = book_->headings();
    const QSignalBlocker block(headingList_);
    bool same = headingList_->count() == headings.size();
    for (int i = 0; same && i < headings.size(); ++i)
        same = headingList_->item(i)->text() == headings[i].name;
    if (!same) {
        headingList_->clear();
        for (const BookHeading& h : headings) {
            auto* item = new QListWidgetItem(h.name, headingList_);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
    }
    headingList_->setCurrentRow(book_->current());
    const bool chosen = book_->current() >= 0;
    renameButton_->defaultAction()->setEnabled(chosen);
    removeButton_->defaultAction()->setEnabled(chosen);
    upButton_->defaultAction()->setEnabled(book_->current() > 0);
    downButton_->defaultAction()->setEnabled(chosen && book_->current() + 1 < headings.size());
    addButton_->defaultAction()->setEnabled(headings.size() < QuestionTable::kRecords);
}

void QuestionEditor::refreshRows() {
    const BookHeading* h = book_->currentHeading();
    rows_->setEnabled(h != nullptr);
    sentenceBox_->setEnabled(h != nullptr);
    fontBox_->setEnabled(h != nullptr);
    markAction_->setEnabled(h != nullptr);
    pasteAction_->setEnabled(true);
    {
        const QSignalBlocker block(fontBox_);
        const QString face = h ? h->font : QString();
        const QString shown = face.isEmpty() ? kTextbookFace : face;
        if (fontBox_->currentText() != shown) fontBox_->setEditText(shown);
    }
    const QSignalBlocker block(rows_);
    for (int r = 0; r < kItemsPerHeading; ++r) {
        const BookItem item = book_->item(r);
        const QString note = book_->answerNote(r);
        for (int c = 0; c < kBookColumns; ++c) {
            QTableWidgetItem* cell = rows_->item(r, c);
            const QString text = fieldOf(item.item, c);
            if (cell->text() != text) cell->setText(text);
            QBrush back;
            QBrush fore;
            QString tip;
            if (c == int(BookColumn::Answer)) {
                if (item.mark == AnswerMark::Suggested) {
                    back = kSuggestedBack;
                    fore = kSuggestedText;
                    tip = note;
                } else if (book_->needsAnswer(r)) {
                    back = kMissingBack;
                    tip = note;
                }
            } else if (c == int(BookColumn::Asked) && note == text::kNoAskedPart) {
                back = kMissingBack;
                tip = note;
            }
            cell->setBackground(back);
            cell->setForeground(fore);
            cell->setToolTip(tip);
            cell->setData(Qt::AccessibleDescriptionRole, tip);
        }
    }
}

void QuestionEditor::refreshNotes() {
    QStringList parts;
    if (const int n = book_->suggestionCount())
        parts << QStringLiteral("読みの候補 %1 問（黄色）：確かめてください").arg(n);
    if (const int n = book_->missingCount())
        parts << QStringLiteral("答えのない問題 %1 問（赤）").arg(n);
    const QString rowNote = book_->answerNote(currentRow());
    QString text = parts.join(QStringLiteral("　"));
    if (!rowNote.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                QStringLiteral("%1 行目：").arg(currentRow() + 1) + rowNote;
    notes_->setText(text);
}

void QuestionEditor::schedulePreview() {
    QStringList lines;
    for (const Finding& f : book_->previewFindings()) lines << f.what;
    findings_->setText(lines.isEmpty() ? QString()
                                       : QStringLiteral("用紙からはみ出します：\n") +
                                             lines.join(QLatin1Char('\n')));
    previewTimer_->start();
}

void QuestionEditor::drawPreview(QPrinter* printer) {
    PainterSurface surface(printer);
    const SheetPrintJob job({&surface, measurer_.get(), nullptr, nullptr}, false);
    if (!book_->currentHeading()) {
        // An empty sheet: the page with nothing on it.
        job.draw(SheetContent{}, PrintChoice{});
        return;
    }
    job.draw(book_->previewContent(previewAnswers_->isChecked()), PrintChoice{});
}

// --- QuestionEditorLauncher --------------------------------------------------------------------

QuestionEditorLauncher::QuestionEditorLauncher(MainWindow& window, SheetModel& model,
                                               FileDialog& files, MessageBox& messages)
    : window_(window), model_(model), files_(files), messages_(messages) {
    auto* f = window.findChild<QMenu*>(QStringLiteral("f"));
    newAction_ = new QAction(QStringLiteral("問題を作る(&M)…"), f);
    newAction_->setObjectName(QStringLiteral("own"));
    newAction_->setToolTip(QStringLiteral("自分の問題を作ります（問題の編集画面）。"));
    editAction_ = new QAction(QStringLiteral("問題ファイルを編集(&E)…"), f);
    editAction_->setObjectName(QStringLiteral("ownEdit"));
    editAction_->setToolTip(QStringLiteral("自分で作った問題ファイル（.csv）を編集します。"));
    copyAction_ = new QAction(QStringLiteral("この見出しを自分の問題にする(&C)"), f);
    copyAction_->setObjectName(QStringLiteral("ownCopy"));
    copyAction_->setToolTip(
        QStringLiteral("用紙に入れた見出しの問題を、自分の問題ファイルに写して直せるようにします"
                       "（もとのファイルは書き換えません）。"));
    for (QAction* a : {newAction_, editAction_, copyAction_}) a->setStatusTip(a->toolTip());
    if (f) {
        // After the set entries, before the print entries.
        const QList<QAction*> entries = f->actions();
        qsizetype at = 0;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries[i]->objectName() == QStringLiteral("s2")) at = i;
        }
        QAction* before = entries.value(at);
        QAction* separator = new QAction(f);
        separator->setSeparator(true);
        separator->setObjectName(QStringLiteral("s6"));
        f->insertActions(before, {separator, newAction_, editAction_, copyAction_});
    }
    connect(newAction_, &QAction::triggered, this, [this] { newBook(); });
    connect(editAction_, &QAction::triggered, this, [this] { editFile(); });
    connect(copyAction_, &QAction::triggered, this, [this] { copyHeadings(); });
    connect(&model_, &SheetModel::changed, this, &QuestionEditorLauncher::updateActions);
    window.installEventFilter(this);
    updateActions();
}

QList<int> QuestionEditorLauncher::chosenRecords() const {
    QList<int> records;
    for (int page = 0; page < 2; ++page) {
        const PageVariant& v = model_.variant(page);
        if (v.source == PageSource::Heading && v.composed() && !records.contains(v.items[0].record))
            records.append(v.items[0].record);
    }
    if (records.isEmpty() && model_.combo1ListIndex() >= 0 &&
        model_.combo1ListIndex() < model_.combo1List().size())
        records.append(model_.combo1ListIndex());
    return records;
}

void QuestionEditorLauncher::updateActions() {
    copyAction_->setEnabled(!chosenRecords().isEmpty());
}

QuestionEditor* QuestionEditorLauncher::ensureEditor(bool freshBook) {
    if (editor_) {
        if (freshBook && !editor_->book().confirmClose()) return nullptr;
    } else {
        editor_ = new QuestionEditor(files_, messages_, &window_);
        editor_->setWindowFlag(Qt::Window);
        connect(editor_, &QuestionEditor::saved, this, &QuestionEditorLauncher::openSaved);
        if (parentDialogsTo) parentDialogsTo(editor_);
    }
    const QString file = model_.questionFileName();
    if (!file.isEmpty()) editor_->book().setFolder(QFileInfo(file).absolutePath());
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
    return editor_;
}

QuestionEditor* QuestionEditorLauncher::newBook() {
    QuestionEditor* e = ensureEditor(true);
    if (e) e->book().newBook();
    return e;
}

QuestionEditor* QuestionEditorLauncher::editFile() {
    if (editor_ && !editor_->book().confirmClose()) return nullptr;
    const std::optional<QString> path = files_.getOpenFileName(text::kOwnOpenFilter);
    if (!path) return nullptr;
    return openInEditor(*path);
}

QuestionEditor* QuestionEditorLauncher::editFile(const QString& path) {
    if (editor_ && !editor_->book().confirmClose()) return nullptr;
    return openInEditor(path);
}

QuestionEditor* QuestionEditorLauncher::openInEditor(const QString& path) {
    QuestionEditor* e = ensureEditor(false);
    if (!e || !e->book().open(path)) return nullptr;
    return e;
}

QuestionEditor* QuestionEditorLauncher::copyHeadings() {
    const QList<int> records = chosenRecords();
    if (records.isEmpty()) return nullptr;
    QList<OwnHeading> copies;
    for (int r : records) copies.append(ownHeadingFromRecord(model_.table(), r));
    const bool open = editor_ != nullptr;
    QuestionEditor* e = ensureEditor(false);
    if (!e) return nullptr;
    if (open)
        e->book().addHeadings(copies);
    else
        e->book().newBook(copies);
    return e;
}

void QuestionEditorLauncher::openSaved(const QString& path, int heading) {
    model_.openFile(path);
    if (heading >= 0 && heading < model_.combo1List().size()) model_.chooseHeading(heading);
}

bool QuestionEditorLauncher::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Close && editor_ && editor_->isVisible()) {
        // The editor asks about its changes first; kept, the program stays.
        if (!editor_->close()) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace pobelo
