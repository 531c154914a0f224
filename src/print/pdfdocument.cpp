#include "pdfdocument.h"

#include <QDateTime>
#include <QHashSeed>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "outputtransaction.h"
#include "pdfrewriter.h"
#include "pdftextlayer.h"
#include "pobeloconfig.h"
#include "printsurface.h"

namespace pobelo {

namespace {

const QString kCreator = QStringLiteral("Pobelo " POBELO_VERSION);

// The writer of a document: its pages keep their text layer here.
class LayeredPdfWriter : public QPdfWriter, public PdfTextLayer {
  public:
    using QPdfWriter::QPdfWriter;
};

// When the document is made: SOURCE_DATE_EPOCH's time where that is set (the reproducible-builds
// convention: seconds since 1970, UTC), now otherwise.
QDateTime documentTime() {
    bool ok = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").trimmed().toLongLong(&ok);
    if (ok && epoch >= 0 && epoch < 253402300800)  // before the year 10000
        return QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC);
    return QDateTime::currentDateTimeUtc();
}

}  // namespace

void makeDocumentsReproducible() {
    if (qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH")) QHashSeed::setDeterministicGlobalSeed();
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
    rewriter_ = std::make_unique<PdfRewriter>(*file);
    auto writer = std::make_unique<LayeredPdfWriter>(rewriter_.get());
    rewriter_->setTextLayer(writer.get());
    writer_ = std::move(writer);
    writer_->setResolution(1200);
    title_.clear();
    subject_.clear();
    opened_ = true;
    return true;
}

void PdfDocument::describe(const QString& title, const QString& subject) {
    title_ = title;
    subject_ = subject;
}

bool PdfDocument::finish() {
    if (!opened_) {
        if (!error_.isEmpty()) return false;
        return fail(Problem::Empty, QStringLiteral("the document was not started"));
    }
    // The writer has written the whole document once its painter ended; what it leaves to the
    // end is written now.
    writer_.reset();
    const QString date = documentTime().toString(QStringLiteral("'D:'yyyyMMddHHmmss'Z'"));
    QList<std::pair<QByteArray, QString>> entries;
    if (!title_.isEmpty()) entries.append({"Title", title_});
    if (!subject_.isEmpty()) entries.append({"Subject", subject_});
    entries.append({{"Creator", kCreator},
                    {"Producer", QStringLiteral("Qt ") + QLatin1String(qVersion())},
                    {"CreationDate", date},
                    {"ModDate", date}});
    QString reason;
    const bool understood = rewriter_->finish(entries, &reason);
    const qint64 size = rewriter_->written();
    rewriter_.reset();
    opened_ = false;
    if (transaction_->failed()) {
        failFromTransaction();
        return false;
    }
    if (!understood) return fail(Problem::System, reason);
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
    rewriter_.reset();
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
