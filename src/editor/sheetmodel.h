#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

#include "localfile.h"
#include "printjob.h"
#include "questionfile.h"
#include "questiontable.h"
#include "services.h"
#include "sheet.h"
#include "sheetset.h"
#include "sheetvariant.h"

namespace pobelo {

// Window texts that the model and the window share.
namespace text {
inline const QString kCaption = QStringLiteral("Pobelo―小テスト作成ツール―（Orvaneファイル専用）");
// The drill program's files, and a teacher's own (a table Excel or Google Sheets saves).
inline const QString kFileFilter =
    QStringLiteral("問題ファイル(*.moj)|*.moj|自作の問題 (*.csv)|*.csv;*.tsv;*.txt|");
inline const QString kComboText = QStringLiteral("見出しを選択");
// The version entry's caption, "Pobelo　2009JAN　V.1_0_0" for the project's version 1.0.0.
QString versionCaption();
inline const QString kNoBrowser =
    QStringLiteral("ブラウザーを起動できませんでした。次のアドレスを開いてください: ");
inline const QString kPdfFilter = QStringLiteral("PDF (*.pdf)|*.pdf|");
inline const QString kPdfNotWritten = QStringLiteral("PDFファイルを保存できませんでした: ");
// A PDF file written whole, as the status line tells it.
inline QString pdfSaved(const QString& path) {
    return QStringLiteral("「%1」を保存しました").arg(displayFileName(path));
}
// The question file path asked for does not exist: the message names it without its folder.
inline QString fileNotFound(const QString& path) {
    return QStringLiteral("「%1」が見つかりません。").arg(displayFileName(path));
}
inline const QString kSetFilter = QStringLiteral("テストセット(*.pobelo-set)|*.pobelo-set|");
inline const QString kSetNotRead = QStringLiteral("テストセットを開けませんでした: ");
inline const QString kSetNotWritten = QStringLiteral("テストセットを保存できませんでした: ");
inline const QString kNothingToSave =
    QStringLiteral("保存する問題がありません。見出しを選んでから保存してください。");
}  // namespace text

// The label arrays of the two pages, by their designer names.
enum LabelArray {
    Label1 = 0,  // right page: item number
    Label2,      // right page: asked part
    Label3,      // right page: sentence
    Label4,      // left page: item number
    Label5,      // left page: asked part
    Label6,      // left page: sentence
};
inline constexpr int kLabelArrays = 6;
inline constexpr int kRows = 10;

// The page icons Image1 to Image6, numbered from 0.
enum PageIcon {
    ToLeftPage = 0,  // Image1: shown while the right page is active; makes the left one active
    ToRightPage,     // Image2: shown while the left page is active
    RightBlank,      // Image3: selects the right page; covers RightClear until it is composed
    RightClear,      // Image4: empties the right page
    LeftBlank,       // Image5: selects the left page; covers LeftClear until it is composed
    LeftClear,       // Image6: empties the left page
};
inline constexpr int kPageIcons = 6;

// The on-screen model of the test sheet: every control of the main window that holds state, by
// its designer name, and the window's event handlers. The window is a view of it; the command-line
// tool and the tests drive the same model.
class SheetModel : public QObject {
    Q_OBJECT
  public:
    explicit SheetModel(const SheetServices& services, QObject* parent = nullptr);

    // --- State -------------------------------------------------------------------------------
    // The sheet on the screen, and what the printers would draw of it.
    const Sheet& sheet() const { return sheet_; }
    const SheetContent& content() const { return content_; }

    const QString& caption(LabelArray array, int row) const;
    bool enabled(LabelArray array, int row) const {
        return (array <= Label3) == rightPageEnabled_ && row >= 0 && row < kRows;
    }
    const QString& label51() const { return sheet_.pages[0].title; }
    const QString& label52() const { return sheet_.pages[1].title; }
    int check1() const { return sheet_.pages[0].answers; }
    int check2() const { return sheet_.pages[1].answers; }
    // Visibility of Image1 ... Image6 (n from 1 to 6).
    bool imageVisible(int n) const;
    // Whether a click on Image n reaches its handler: it must be visible, and Image4/Image6 only
    // while the blank-sheet icon above them is hidden.
    bool imageClickable(int n) const;
    const QString& command1Caption() const { return sheet_.fontName; }
    bool command1Enabled() const { return commandsEnabled_; }
    const QString& command2Caption() const { return command2Caption_; }
    bool command2Enabled() const { return commandsEnabled_; }
    bool prtEnabled() const { return commandsEnabled_; }
    const QString& text3() const { return sheet_.titleText; }
    const QStringList& combo1List() const { return combo1List_; }
    int combo1ListIndex() const { return combo1ListIndex_; }
    qint16 currentRecord() const { return currentRecord_; }
    float recordCount() const { return recordCount_; }
    const QString& questionFileName() const { return sheet_.questionFile; }
    // How the last load of a question file ended.
    const LoadResult& lastLoad() const { return lastLoad_; }
    const std::array<qint16, 11>& rightBeforeLengths() const {
        return content_.right.beforeLengths;
    }
    const std::array<QString, 11>& rightAnswers() const { return content_.right.answers; }
    const std::array<qint16, 11>& leftBeforeLengths() const { return content_.left.beforeLengths; }
    const std::array<QString, 11>& leftAnswers() const { return content_.left.answers; }
    const QuestionTable& table() const { return table_; }
    // Every message box text shown so far, and every address the web-site command opened.
    const QStringList& messages() const { return messages_; }
    const QStringList& browserAddresses() const { return browser_; }
    // The window's own font, which the font dialog opens on.
    const FontChoice& windowFont() const { return windowFont_; }
    void setWindowFont(const FontChoice& font) { windowFont_ = font; }
    // The right page is active while Image1 is visible.
    bool rightPageActive() const { return sheet_.rightPageActive; }

    // --- Event handlers ----------------------------------------------------------------------
    // File > 開く (fo).
    void openCommand();
    // Opens path as File > 開く does with that file chosen in the dialog.
    void openFile(const QString& path);
    // Combo1 click: the user picked list position.
    void chooseHeading(int position);
    // Image1 ... Image6 click; a click the icon cannot take does nothing.
    void clickImage(int n);
    // Sets Text3's text; its change handler runs when the text really changes.
    void setText3(const QString& text);
    // Check1 (n = 1) or Check2 (n = 2).
    void setCheck(int n, int value);
    // Command1 click.
    void fontCommand();
    // Command2 click and the prt menu item.
    void printSheet();
    // 問題と解答を印刷: after one printer dialog, one job of two sheets: the sheet as it stands,
    // then the same sheet with the answers on both pages. The switches are as before afterwards.
    void printSheetAndKey();
    // 印刷プレビュー: the sheet as the print command would print it, in the preview.
    void previewSheet();
    // PDFに保存: the save dialog names a PDF file, and the sheet is printed into it; a file that
    // could not be written is reported in a message.
    void exportPdf();
    // 解答をPDFに保存: the answer key (withAllAnswers) into a PDF file, the save dialog proposing
    // "<title>の解答.pdf"; as PDFに保存 otherwise.
    void exportKeyPdf();
    // onl: the web-site command.
    void openWebSite();
    // ed: 終了.
    void exitCommand();

    static QString homePage();
    // What the sheet that the print command would print is.
    DocumentInfo documentInfo() const;

    // はみ出しを防ぐ: every print keeps each text inside its area.
    bool fitEnabled() const { return fitEnabled_; }
    void setFitEnabled(bool on);
    // What would not stay in its place if the sheet were printed now, as it stands (nothing before
    // a page has been composed).
    QList<Finding> findings() const;
    // The answer key's mark: every page printed with its answers carries 「解答」 beside its title.
    bool keyMark() const { return sheet_.keyMark; }
    void setKeyMark(bool on);

    // What the print command would draw now without asking anything, for the sheet on the screen:
    // the sheet (or, with key, its answer key), the fit it prints in unless the check's dialog
    // chooses another, and what the check finds in it (nothing before a heading is chosen).
    struct Shown {
        SheetContent content;
        SheetFit fit = naturalFit();
        QList<Finding> findings;
    };
    Shown shown(bool key) const;

    // --- Test variants; page 0 is the right page, 1 the left -----------------------------------
    const PageVariant& variant(int page) const { return sheet_.pages[page].variant; }
    // The item printed on row of page, after any reordering; empty for an empty row.
    ItemRef itemAt(int page, int row) const;
    // 書き⇄読み: page shows each item's answer in its sentence and asks for the asked part.
    void setFlipped(int page, bool on);
    // Prints page's items in the order seed gives (an A/B version); 0 back to their own order.
    void setShuffleSeed(int page, quint32 seed);
    // Composes items (the first ten, in the order given) onto the active page as a review test
    // (まとめテスト), as a heading choice composes a heading's items; nothing when items is empty.
    void composeReview(const QList<ItemRef>& items);
    // Whether the class missed the item on row of page, as the teacher marked it.
    bool missed(int page, int row) const;
    void setMissed(int page, int row, bool on);
    // Makes page a retest: the items marked missed on it, in the order they were printed, the
    // rows after them empty. Nothing when no item is marked.
    void makeRetest(int page);
    // まとめテストを作る: the review dialog lists the headings and their items; the items ticked
    // there are composed onto the active page. A cancel changes nothing.
    void reviewCommand();
    // Whether there are headings to draw a review test from.
    bool reviewEnabled() const { return !combo1List_.isEmpty(); }

    // --- Sheet sets --------------------------------------------------------------------------
    // ファイル > テストセットを保存: the save dialog names the set file.
    void saveSetCommand();
    // ファイル > テストセットを開く.
    void openSetCommand();
    // Writes the set file at path, whole or not at all; false, with the reason in why. Nothing is
    // written while no page holds questions, nor a set that would not read back (a title pasted
    // on two lines).
    bool saveSet(const QString& path, QString* why);
    // Opens the set file at path: its question file, then its pages. Every problem is told in a
    // message; false when the set or its question file could not be read. A question file that
    // changed since the set was saved is read and told (setChanged()).
    bool openSet(const QString& path);
    // Whether the question file of the set opened last differs from the one it was saved with.
    bool setChanged() const { return setChanged_; }
    // Why the set opened last could not be read; of kind None when it was read.
    const SetProblem& setProblem() const { return setProblem_; }
    // Puts set's pages, titles, font and answer boxes onto the headings of the file open now.
    void applySet(const Sheet& set);
    // The paper the sheet prints on (A4, or enlarged onto JIS B4 or A3).
    void setPaper(Paper paper);
    // The instruction, 組・番, score box, squares and cut line the sheet carries (用紙の形).
    void setFurniture(const SheetFurniture& furniture);
    // The ふりがな the sentences get (印刷 > ふりがな).
    void setRuby(RubySetting ruby);

  Q_SIGNALS:
    // Any state above changed.
    void changed();
    // A PDF file was written whole at path.
    void pdfSaved(const QString& path);
    // 終了 was chosen.
    void closeRequested();

  private:
    // The print job over the model's services.
    SheetPrintJob printJob() const;
    // The sheet changed: what the printers would draw follows it, and the view is told.
    void update();

    void loadAndList(const QString& path);
    // After a load: no heading chosen, both pages empty.
    void startOnNewFile();
    void setPageEnabled(bool rightEnabled) { rightPageEnabled_ = rightEnabled; }
    // The page is active while the icon that switches away from it is shown.
    void showActivePage(bool rightPage) { sheet_.rightPageActive = rightPage; }
    // Empties page's rows; what the printers would show of its answers stays.
    void emptyPage(int page);
    void showMessage(const QString& message);
    // A file name from the title and ending (before the suffix), beside the question file.
    QString suggestedName(const QString& suffix, const QString& ending = QString()) const;
    // The PDFに保存 of content, the save dialog proposing suggested.
    void writePdf(const SheetContent& content, const QString& suggested);

    SheetServices services_;
    QuestionTable table_;
    LoadResult lastLoad_;
    float recordCount_ = 0;

    Sheet sheet_ = Sheet::blank();
    SheetContent content_;
    // The icons that stand for an empty page (Image3, Image5) until a page is composed.
    bool rightBlankShown_ = true;
    bool leftBlankShown_ = true;
    bool rightPageEnabled_ = true;
    QString command2Caption_ = QStringLiteral("Print");
    bool commandsEnabled_ = false;
    QStringList combo1List_;
    int combo1ListIndex_ = -1;

    qint16 currentRecord_ = 0;
    bool setChanged_ = false;
    SetProblem setProblem_;

    bool fitEnabled_ = false;
    FontChoice windowFont_{QStringLiteral("ＭＳ Ｐゴシック"), 9.0f, false, false};
    QStringList messages_;
    QStringList browser_;
};

}  // namespace pobelo
