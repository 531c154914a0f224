#include "pdfdocument.h"

#include <QDateTime>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>

#include "outputtransaction.h"
#include "pobeloconfig.h"
#include "printsurface.h"

namespace pobelo {

namespace {

const QString kCreator = QStringLiteral("Pobelo " POBELO_VERSION);

// Passes every byte on to the file and keeps the last few kilobytes, where a PDF's trailer is.
class TailKeeper : public QIODevice {
  public:
    explicit TailKeeper(QIODevice& target) : target_(target) { open(QIODevice::WriteOnly); }
    const QByteArray& tail() const { return tail_; }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        const qint64 written = target_.write(data, size);
        if (written > 0) {
            tail_.append(data, written);
            if (tail_.size() > 2 * kKept) tail_.remove(0, tail_.size() - kKept);
        }
        return written;
    }

  private:
    static constexpr qsizetype kKept = 4096;
    QIODevice& target_;
    QByteArray tail_;
};

// A PDF text string: plain ASCII as a literal string (as dates must be), anything else as
// UTF-16BE with its byte order mark, in hexadecimal.
QByteArray pdfText(const QString& text) {
    bool ascii = true;
    for (const QChar c : text) ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (ascii) {
        QByteArray literal = text.toLatin1();
        literal.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
        return '(' + literal + ')';
    }
    QByteArray hex = "<FEFF";
    for (const QChar c : text) hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return hex.toUpper() + '>';
}

}  // namespace

QByteArray pdfInfoUpdate(const QByteArray& tail, qint64 size,
                         const QList<std::pair<QByteArray, QString>>& entries) {
    const qsizetype trailer = tail.lastIndexOf("trailer");
    const qsizetype startxref = tail.lastIndexOf("startxref");
    if (trailer < 0 || startxref < trailer) return {};
    const QString dictionary = QString::fromLatin1(tail.mid(trailer, startxref - trailer));
    const auto number = [&dictionary](const QString& pattern) {
        const QRegularExpressionMatch match = QRegularExpression(pattern).match(dictionary);
        return match.hasMatch() ? match.captured(1).toLongLong() : -1;
    };
    const qint64 objects = number(QStringLiteral("/Size\\s+(\\d+)"));
    const qint64 info = number(QStringLiteral("/Info\\s+(\\d+)\\s+0\\s+R"));
    const qint64 root = number(QStringLiteral("/Root\\s+(\\d+)\\s+0\\s+R"));
    bool ok = false;
    const qint64 previous = tail.mid(startxref + 9).replace("%%EOF", "").trimmed().toLongLong(&ok);
    if (objects <= 0 || info <= 0 || info >= objects || root <= 0 || !ok) return {};

    QByteArray update;
    if (!tail.endsWith('\n')) update += '\n';
    const qint64 objectOffset = size + update.size();
    update += QByteArray::number(info) + " 0 obj\n<<\n";
    for (const auto& [name, text] : entries) update += '/' + name + ' ' + pdfText(text) + '\n';
    update += ">>\nendobj\n";
    const qint64 xrefOffset = size + update.size();
    // Each cross-reference entry is exactly 20 bytes.
    update += "xref\n" + QByteArray::number(info) + " 1\n" +
              QByteArray::number(objectOffset).rightJustified(10, '0') + " 00000 n \n";
    update += "trailer\n<<\n/Size " + QByteArray::number(objects) + "\n/Info " +
              QByteArray::number(info) + " 0 R\n/Root " + QByteArray::number(root) +
              " 0 R\n/Prev " + QByteArray::number(previous) + "\n>>\nstartxref\n" +
              QByteArray::number(xrefOffset) + "\n%%EOF\n";
    return update;
}

PdfDocument::PdfDocument(const QString& path)
    : path_(path), own_(std::make_unique<OutputTransaction>()), transaction_(own_.get()) {
    target_ = own_->add(path, QStringLiteral("the PDF file"));
}

PdfDocument::PdfDocument(OutputTransaction& transaction, int target)
    : path_(transaction.path(target)), transaction_(&transaction), target_(target) {}

PdfDocument::~PdfDocument() {
    abandon();
}

bool PdfDocument::fail(Problem problem, const QString& reason) {
    problem_ = problem;
    error_ = reason;
    abandon();
    return false;
}

void PdfDocument::failFromTransaction() {
    error_ = transaction_->errorString();
    osError_ = transaction_->osError();
    switch (transaction_->problem()) {
        case OutputTransaction::Problem::NotRegular:
            problem_ = Problem::NotRegular;
            break;
        case OutputTransaction::Problem::IsInput:
            problem_ = Problem::IsInput;
            break;
        case OutputTransaction::Problem::SameTarget:
            problem_ = Problem::SameTarget;
            break;
        case OutputTransaction::Problem::None:
        case OutputTransaction::Problem::System:
            problem_ = Problem::System;
            break;
    }
    abandon();
}

void PdfDocument::reset() {
    abandon();
    error_.clear();
    problem_ = Problem::None;
    osError_ = 0;
}

bool PdfDocument::check() {
    reset();
    if (transaction_->check()) return true;
    failFromTransaction();
    return false;
}

bool PdfDocument::open() {
    reset();
    if (own_ && !own_->begin()) {
        failFromTransaction();
        return false;
    }
    QIODevice* const file = transaction_->device(target_);
    if (!file) {
        if (transaction_->failed()) {
            failFromTransaction();
            return false;
        }
        return fail(Problem::System, QStringLiteral("the document was not started"));
    }
    tail_ = std::make_unique<TailKeeper>(*file);
    writer_ = std::make_unique<QPdfWriter>(tail_.get());
    writer_->setResolution(1200);
    writer_->setCreator(kCreator);
    title_.clear();
    subject_.clear();
    opened_ = true;
    return true;
}

void PdfDocument::describe(const QString& title, const QString& subject) {
    title_ = title;
    subject_ = subject;
    if (writer_) writer_->setTitle(title);
}

bool PdfDocument::finish() {
    if (!opened_) {
        if (!error_.isEmpty()) return false;
        return fail(Problem::Empty, QStringLiteral("the document was not started"));
    }
    // The writer has written the whole document once its painter ended.
    writer_.reset();
    const qint64 size = transaction_->writtenSize(target_);
    // QPdfWriter writes no subject: the information dictionary is written again with it.
    if (!subject_.isEmpty() && size > 0) {
        const QString now =
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("'D:'yyyyMMddHHmmss'Z'"));
        const QByteArray update =
            pdfInfoUpdate(static_cast<TailKeeper*>(tail_.get())->tail(), size,
                          {{"Title", title_},
                           {"Subject", subject_},
                           {"Creator", kCreator},
                           {"Producer", QStringLiteral("Qt ") + QLatin1String(qVersion())},
                           {"CreationDate", now}});
        transaction_->device(target_)->write(update);
    }
    tail_.reset();
    opened_ = false;
    if (transaction_->failed()) {
        failFromTransaction();
        return false;
    }
    if (size == 0) return fail(Problem::Empty, QStringLiteral("no page was drawn"));
    return true;
}

bool PdfDocument::commit() {
    if (!finish()) return false;
    if (own_ && !own_->commit()) {
        failFromTransaction();
        return false;
    }
    return true;
}

void PdfDocument::abandon() {
    writer_.reset();
    tail_.reset();
    opened_ = false;
    // A shared transaction is its owner's to abandon.
    if (own_) own_->abandon();
}

void setUpA4(QPagedPaintDevice& device, int orientation) {
    device.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4),
        orientation == kOrientationLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

}  // namespace pobelo
