#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QPrinter>
#include <functional>
#include <memory>

#include "fontmeasurer.h"
#include "qtservices.h"
#include "questionbook.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrintPreviewWidget;
class QTableWidget;
class QTimer;
class QToolButton;

namespace pobelo {

class MainWindow;
class SheetModel;

// The question editor (問題を作る): a teacher's own question file, its headings on the left, the
// chosen heading's ten rows and its face in the middle, and the heading as it prints on the right
// with what would leave the paper. Every change goes to the book; the window redraws from it.
class QuestionEditor : public QMainWindow {
    Q_OBJECT
  public:
    // Dialogs and messages come from files and messages (the desktop's, or scripted ones).
    QuestionEditor(FileDialog& files, MessageBox& messages, QWidget* parent = nullptr);
    ~QuestionEditor() override;

    QuestionBook& book() { return *book_; }
    // Redraws every control from the book.
    void refresh();
    // The row the table's cursor is on (0 when none).
    int currentRow() const;
    // Puts the table's cursor on row.
    void setCurrentRow(int row);
    // 傍線にする: the selection in the sentence box, or in a sentence column being edited, becomes
    // the row's asked part. False when nothing is selected.
    bool markSelection();
    // 貼り付け: the clipboard's text into the current heading from the current row.
    void pasteClipboard();

  Q_SIGNALS:
    // The book was saved at path with heading chosen.
    void saved(const QString& path, int heading);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void connectEvents();
    void refreshHeadings();
    void refreshRows();
    void refreshNotes();
    void schedulePreview();
    void drawPreview(QPrinter* printer);
    void commitSentence();
    void showSentence(bool selectAsked);

    FileDialog& files_;
    std::unique_ptr<FontMeasurer> measurer_;
    std::unique_ptr<QuestionBook> book_;
    QPrinter printer_{QPrinter::HighResolution};

    QListWidget* headingList_ = nullptr;
    QToolButton* addButton_ = nullptr;
    QToolButton* renameButton_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    QToolButton* upButton_ = nullptr;
    QToolButton* downButton_ = nullptr;
    QComboBox* fontBox_ = nullptr;
    QLineEdit* sentenceBox_ = nullptr;
    QToolButton* markButton_ = nullptr;
    QTableWidget* rows_ = nullptr;
    QLabel* notes_ = nullptr;
    QPrintPreviewWidget* preview_ = nullptr;
    QCheckBox* previewAnswers_ = nullptr;
    QLabel* findings_ = nullptr;
    QTimer* previewTimer_ = nullptr;
    // Takes Ctrl+U from the line edits, where it would delete the line.
    QObject* markKey_ = nullptr;

    QAction* saveAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* newAction_ = nullptr;
    QAction* closeAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QAction* markAction_ = nullptr;
    QAction* confirmAction_ = nullptr;
    QAction* clearAction_ = nullptr;
    bool refreshing_ = false;
    // The sentence box's row and text as last shown.
    int sentenceRow_ = -1;
};

// The main window's entries of the question editor: ファイル > 問題を作る…, 問題ファイルを編集…
// and この見出しを自分の問題にする. One editor window at a time; what it saves opens in the main
// window with the heading chosen.
class QuestionEditorLauncher : public QObject {
    Q_OBJECT
  public:
    QuestionEditorLauncher(MainWindow& window, SheetModel& model, FileDialog& files,
                           MessageBox& messages);
    // The editor open now, or nullptr.
    QuestionEditor* editor() const { return editor_; }
    // 問題を作る…: a new book (after the open one's unsaved changes are asked about).
    QuestionEditor* newBook();
    // 問題ファイルを編集…: a teacher's file chosen in the open dialog; nullptr when cancelled or
    // not read.
    QuestionEditor* editFile();
    QuestionEditor* editFile(const QString& path);
    // この見出しを自分の問題にする: the headings on the sheet (or the one chosen in the list)
    // copied into the editor open now, or a new one.
    QuestionEditor* copyHeadings();
    // The headings the main window's sheet shows, right page first, else the one chosen.
    QList<int> chosenRecords() const;
    // Told each editor window as it is made, so that the desktop's dialogs open over it.
    std::function<void(QWidget* editor)> parentDialogsTo;

  protected:
    // The main window closes only after the editor has closed.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The editor window, made when first needed; false when the open one's changes were kept.
    QuestionEditor* ensureEditor(bool freshBook);
    QuestionEditor* openInEditor(const QString& path);
    void updateActions();
    void openSaved(const QString& path, int heading);

    MainWindow& window_;
    SheetModel& model_;
    FileDialog& files_;
    MessageBox& messages_;
    QPointer<QuestionEditor> editor_;
    QAction* newAction_ = nullptr;
    QAction* editAction_ = nullptr;
    QAction* copyAction_ = nullptr;
};

}  // namespace pobelo
