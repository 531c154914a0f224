#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

#include "localfile.h"
#include "questionfile.h"
#include "questiontable.h"
#include "services.h"
#include "sheetset.h"
#include "sheetvariant.h"

namespace pobelo {

// Window texts that the model and the window share.
namespace text {
inline const QString kCaption = QStringLiteral("Pobelo―小テスト作成ツール―（Orvaneファイル専用）");
inline const QString kFileFilter = QStringLiteral("問題ファイル(*.moj)|*.moj|");
inline const QString kComboText = QStringLiteral("見出しを選択");
inline const QString kDefaultTitle = QStringLiteral("小テスト");
// The version entry's caption, "Pobelo　2009JAN　V.1_0_0" for the project's version 1.0.0.
QString versionCaption();
inline const QString kNoBrowser =
    QStringLiteral("ブラウザーを起動できませんでした。次のアドレスを開いてください: ");
inline const QString kPdfFilter = QStringLiteral("PDF (*.pdf)|*.pdf|");
inline const QString kPdfNotWritten = QStringLiteral("PDFファイルを保存できませんでした: ");
// The question file path asked for does not exist: the message names it without its folder.
inline QString fileNotFound(const QString& path) {
    return QStringLiteral("「%1」が見つかりません。").arg(displayFileName(path));
}
inline const QString kSetFilter = QStringLiteral("テストセット(*.pobelo-set)|*.pobelo-set|");
inline const QString kSetNotRead = QStringLiteral("テストセットを開けませんでした: ");
inline const QString kSetNotWritten = QStringLiteral("テストセットを保存できませんでした: ");
// The question file a set names has changed since the set was saved.
inline QString setQuestionFileChanged(const QString& path) {
    return QStringLiteral(
               "問題ファイル「%1」は、このテストセットを保存したあとで書き換えられています。"
               "印刷する前に、問題と答えを確かめてください。")
        .arg(displayFileName(path));
}
// A set names a heading the question file does not have (any more).
inline QString setHeadingMissing(int heading, int count) {
    return QStringLiteral(
               "テストセットの見出し %1 が、問題ファイルにありません（見出しは %2 まで）。")
        .arg(heading)
        .arg(count);
}
}  // namespace text

// What a printed sheet is, as a print queue and a PDF reader show it.
struct DocumentInfo {
    QString title;     // the page titles, right page first, each once
    QString subject;   // the headings composed onto the pages, right page first
    QString fileName;  // the question file's name without its folder; empty before one is opened
    // The print job's name: the title and the question file's name.
    QString jobName() const;
};

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
    const QString& caption(LabelArray array, int row) const { return captions_[array][row]; }
    bool enabled(LabelArray array, int row) const { return enabled_[array][row]; }
    const QString& label51() const { return label51_; }
    const QString& label52() const { return label52_; }
    int check1() const { return check1_; }
    int check2() const { return check2_; }
    // Visibility of Image1 ... Image6 (n from 1 to 6).
    bool imageVisible(int n) const { return iconShown_[n - 1]; }
    // Whether a click on Image n reaches its handler: it must be visible, and Image4/Image6 only
    // while the blank-sheet icon above them is hidden.
    bool imageClickable(int n) const;
    const QString& command1Caption() const { return command1Caption_; }
    bool command1Enabled() const { return commandsEnabled_; }
    const QString& command2Caption() const { return command2Caption_; }
    bool command2Enabled() const { return commandsEnabled_; }
    bool prtEnabled() const { return commandsEnabled_; }
    const QString& text3() const { return text3_; }
    const QStringList& combo1List() const { return combo1List_; }
    int combo1ListIndex() const { return combo1ListIndex_; }
    qint16 currentRecord() const { return currentRecord_; }
    float recordCount() const { return recordCount_; }
    const QString& questionFileName() const { return questionFileName_; }
    // How the last load of a question file ended.
    const LoadResult& lastLoad() const { return lastLoad_; }
    const std::array<qint16, 11>& rightBeforeLengths() const { return rightBeforeLengths_; }
    const std::array<QString, 11>& rightAnswers() const { return rightAnswers_; }
    const std::array<qint16, 11>& leftBeforeLengths() const { return leftBeforeLengths_; }
    const std::array<QString, 11>& leftAnswers() const { return leftAnswers_; }
    const QuestionTable& table() const { return table_; }
    // Every message box text shown so far, and every address the web-site command opened.
    const QStringList& messages() const { return messages_; }
    const QStringList& browserAddresses() const { return browser_; }
    // The window's own font, which the font dialog opens on.
    const FontChoice& windowFont() const { return windowFont_; }
    void setWindowFont(const FontChoice& font) { windowFont_ = font; }
    // The right page is active while Image1 is visible.
    bool rightPageActive() const { return iconShown_[ToLeftPage]; }

    // --- Event handlers ----------------------------------------------------------------------
    // File > 開く (fo).
    void openCommand();
    // Opens path as File > 開く does with that file chosen in the dialog.
    void openFile(const QString& path);
    // Opens the file other has open as other read it, without reading it again: a second
    // session over the same questions (the answer key beside the sheets).
    void openSameAs(const SheetModel& other);
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

    // --- Test variants; page 0 is the right page, 1 the left -----------------------------------
    const PageVariant& variant(int page) const { return variants_[page]; }
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
    // The sheet on the screen as a set saved into the folder setFolder (without the hash).
    SheetSet sheetSet(const QString& setFolder) const;
    // Writes the set file at path, whole or not at all; false, with the reason in why.
    bool saveSet(const QString& path, QString* why);
    // Opens the set file at path: its question file, then its pages. Every problem is told in a
    // message; false when the set or its question file could not be read. A question file that
    // changed since the set was saved is read and told (setChanged()).
    bool openSet(const QString& path);
    // Whether the question file of the set opened last differs from the one it was saved with.
    bool setChanged() const { return setChanged_; }
    // Puts set's pages, titles, font and answer boxes onto the headings of the file open now.
    void applySet(const SheetSet& set);

  Q_SIGNALS:
    // Any state above changed.
    void changed();
    // 終了 was chosen.
    void closeRequested();

  private:
    // What the check before printing decided: whether to print, and with which fit.
    struct PrintChoice {
        bool go = true;
        std::optional<SheetFit> fit;
    };
    SheetContent content() const;
    PrintChoice preflight(const SheetContent& sheet, const UnprintableMargins& margins);
    // Draws the sheet as chosen onto the print surface and ends the surface's document.
    void drawChosen(const PrintChoice& chosen);

    void loadAndList(const QString& path);
    // After a load: no heading chosen, both pages empty.
    void startOnNewFile();
    void composePage();
    // Fills page's labels, before-lengths and answers from its variant.
    void fillPage(int page);
    // Puts a composed page's title in place and makes the other page the active one, as a
    // heading choice does.
    void finishComposition(int page);
    PageItems shownItems(int page) const;
    void onText3Change();
    void setPageEnabled(bool rightEnabled);
    // The page is active while the icon that switches away from it is shown.
    void showActivePage(bool rightPage);
    void emptyItems(LabelArray asked, LabelArray sentence);
    void showMessage(const QString& message);
    // A file name from the title, beside the question file.
    QString suggestedName(const QString& suffix) const;

    SheetServices services_;
    QuestionTable table_;
    QString questionFileName_;
    LoadResult lastLoad_;
    float recordCount_ = 0;

    std::array<std::array<QString, kRows>, kLabelArrays> captions_;
    std::array<std::array<bool, kRows>, kLabelArrays> enabled_;
    QString label51_, label52_;
    int check1_ = 0, check2_ = 0;
    std::array<bool, kPageIcons> iconShown_{true, false, true, true, true, true};
    QString command1Caption_ = QStringLiteral("Font");
    QString command2Caption_ = QStringLiteral("Print");
    bool commandsEnabled_ = false;
    QString text3_;
    QStringList combo1List_;
    int combo1ListIndex_ = -1;

    qint16 currentRecord_ = 0;
    std::array<qint16, 11> rightBeforeLengths_{};
    std::array<QString, 11> rightAnswers_;
    std::array<qint16, 11> leftBeforeLengths_{};
    std::array<QString, 11> leftAnswers_;
    std::array<PageVariant, 2> variants_;
    bool setChanged_ = false;

    bool fontBold_ = false, fontItalic_ = false;
    bool fitEnabled_ = false;
    FontChoice windowFont_{QStringLiteral("ＭＳ Ｐゴシック"), 9.0f, false, false};
    QStringList messages_;
    QStringList browser_;
};

}  // namespace pobelo
