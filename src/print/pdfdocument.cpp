#include "pdfdocument.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "localfile.h"
#include "printsurface.h"

namespace pobelo {

PdfDocument::PdfDocument(const QString& path) : path_(path) {}

PdfDocument::~PdfDocument() {
    abandon();
}

void PdfDocument::addInput(const QString& path, const QString& what) {
    inputs_.append({path, what});
}

void PdfDocument::failFromFile() {
    error_ = file_->errorString();
    osError_ = file_->osError();
    switch (file_->problem()) {
        case AtomicFile::Problem::NotRegular:
            problem_ = Problem::NotRegular;
            break;
        case AtomicFile::Problem::IsInput:
            problem_ = Problem::IsInput;
            break;
        case AtomicFile::Problem::None:
        case AtomicFile::Problem::System:
            problem_ = Problem::System;
            break;
    }
    abandon();
}

bool PdfDocument::check() {
    abandon();
    error_.clear();
    problem_ = Problem::None;
    osError_ = 0;
    file_ = std::make_unique<AtomicFile>(path_);
    for (const auto& [input, what] : inputs_) file_->addInput(input, what);
    const bool replaceable = file_->checkTarget();
    if (!replaceable) failFromFile();
    file_.reset();
    return replaceable;
}

bool PdfDocument::open() {
    abandon();
    error_.clear();
    problem_ = Problem::None;
    osError_ = 0;
    file_ = std::make_unique<AtomicFile>(path_);
    for (const auto& [input, what] : inputs_) file_->addInput(input, what);
    if (!file_->begin()) {
        failFromFile();
        return false;
    }
    writer_ = std::make_unique<QPdfWriter>(file_.get());
    writer_->setResolution(1200);
    writer_->setCreator(QStringLiteral("Pobelo"));
    return true;
}

bool PdfDocument::commit() {
    if (!file_) {
        if (error_.isEmpty()) {
            error_ = QStringLiteral("the document was not started");
            problem_ = Problem::Empty;
        }
        return false;
    }
    // The writer has written the whole document once its painter ended.
    writer_.reset();
    if (file_->problem() != AtomicFile::Problem::None) {
        failFromFile();
        return false;
    }
    if (file_->writtenSize() == 0) {
        error_ = QStringLiteral("no page was drawn");
        problem_ = Problem::Empty;
        abandon();
        return false;
    }
    if (!file_->commit()) {
        failFromFile();
        return false;
    }
    file_.reset();
    return true;
}

void PdfDocument::abandon() {
    writer_.reset();
    file_.reset();
}

void setUpA4(QPagedPaintDevice& device, int orientation) {
    device.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4),
        orientation == kOrientationLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

}  // namespace pobelo
