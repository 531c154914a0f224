#include "pdfdocument.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

#include "printsurface.h"

namespace pobelo {

PdfDocument::PdfDocument(const QString& path) : path_(path) {}

PdfDocument::~PdfDocument() {
    abandon();
}

bool PdfDocument::open() {
    abandon();
    error_.clear();
    auto file = std::make_unique<QSaveFile>(path_);
    if (!file->open(QIODevice::WriteOnly)) {
        error_ = file->errorString();
        return false;
    }
    auto writer = std::make_unique<QPdfWriter>(file.get());
    writer->setResolution(1200);
    writer->setCreator(QStringLiteral("Pobelo"));
    file_ = std::move(file);
    writer_ = std::move(writer);
    return true;
}

bool PdfDocument::commit() {
    if (!file_) {
        if (error_.isEmpty()) error_ = QStringLiteral("the document was not started");
        return false;
    }
    // The writer has written the whole document once its painter ended.
    writer_.reset();
    if (file_->error() != QFileDevice::NoError) {
        error_ = file_->errorString();
        abandon();
        return false;
    }
    if (file_->size() == 0) {
        error_ = QStringLiteral("no page was drawn");
        abandon();
        return false;
    }
    const bool committed = file_->commit();
    if (!committed) error_ = file_->errorString();
    file_.reset();
    return committed;
}

void PdfDocument::abandon() {
    writer_.reset();
    if (file_) file_->cancelWriting();
    file_.reset();
}

void setUpA4(QPagedPaintDevice& device, int orientation) {
    device.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4),
        orientation == kOrientationLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

}  // namespace pobelo
