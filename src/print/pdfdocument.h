#pragma once

#include <QString>
#include <memory>

class QIODevice;
class QPagedPaintDevice;
class QPdfWriter;

namespace pobelo {

// Where SOURCE_DATE_EPOCH is set, the same sheets must give the same PDF byte for byte: Qt writes
// the document's fonts in the order of a hash, whose seed then must not change from run to run.
// Called first thing in main, before anything is hashed.
void makeDocumentsReproducible();

class OutputTransaction;
class PdfRewriter;

// A PDF file that appears whole or not at all. The pages are drawn on writer(), through a
// painter surface pointed at it; commit() then puts the finished document in place of the named
// file. Until commit succeeds, and after any failure, the named file stays as it was and no
// temporary file is left behind. A target that is no regular file, or that is a file the process
// has read, is refused. A document is written by an output transaction of its own, or as one
// target of a transaction shared with the other files of one action.
class PdfDocument {
  public:
    // Why a document could not be written.
    enum class Problem { None, NotRegular, IsInput, SameTarget, System, Empty };

    explicit PdfDocument(const QString& path);
    // The document as target of transaction, which the caller begins and commits: open() takes
    // the begun target, finish() completes the document in it.
    PdfDocument(OutputTransaction& transaction, int target);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    // Whether the named file may be replaced, without writing anything. False, with problem() and
    // errorString(), when it is no regular file or one of the inputs.
    bool check();
    // Starts the document in a temporary file beside the named one. False, with errorString(),
    // when it cannot be written there.
    bool open();
    // Completes the document: the painter on writer() must have ended. False, with errorString(),
    // when the document is empty or a write failed.
    bool finish();
    // The device to draw on, while the document is open; nullptr otherwise.
    QPdfWriter* writer() const { return writer_.get(); }
    // What the document is, as PDF readers and file managers show it: its title and subject.
    // The creator is always the program and its version. Call it while the document is open, at
    // any time before finish(). The document's dates are SOURCE_DATE_EPOCH's time when that is
    // set (seconds since 1970), so that the same sheets give the same file byte for byte.
    void describe(const QString& title, const QString& subject);
    // Finishes the document and replaces the named file with it (with a transaction of its own).
    // The painter on writer() must have ended (the surface let go of the device). False, with
    // errorString(), when the document is empty or any write failed; the named file is then
    // untouched.
    bool commit();
    // Drops the document; the named file stays as it was.
    void abandon();

    const QString& path() const { return path_; }
    QString errorString() const { return error_; }
    Problem problem() const { return problem_; }
    // The system's error number when problem() is System.
    int osError() const { return osError_; }

  private:
    // Starts again with no failure.
    void reset();
    void failFromTransaction();
    bool fail(Problem problem, const QString& reason);

    QString path_;
    std::unique_ptr<OutputTransaction> own_;
    OutputTransaction* transaction_ = nullptr;
    int target_ = 0;
    bool opened_ = false;
    // Between the writer and the file: writes the text layer, the information dictionary and the
    // cross-reference table into the document as it passes.
    std::unique_ptr<PdfRewriter> rewriter_;
    std::unique_ptr<QPdfWriter> writer_;
    QString title_;
    QString subject_;
    QString error_;
    Problem problem_ = Problem::None;
    int osError_ = 0;
};

// Sets device to A4 in orientation (1 portrait, 2 landscape) without margins, as the printer
// dialog leaves a printer.
void setUpA4(QPagedPaintDevice& device, int orientation);

}  // namespace pobelo
