#pragma once

#include <QString>
#include <functional>

#include "questiontable.h"

class QIODevice;

namespace pobelo {

// How a load of a question file ended.
enum class LoadStatus {
    Complete,        // read to the end of the file (every complete record listed)
    FileNotFound,    // no file of that name: the caller shows the file-not-found message
    OpenFailed,      // the file exists but could not be opened or is not a regular file
    ReadFailed,      // a read error part way; the records read so far stay
    Incomplete,      // the file ended inside a record; that record's heading is not listed
    TooManyRecords,  // the table is full; the load stopped before record 2001
};

struct LoadResult {
    LoadStatus status = LoadStatus::Complete;
    // Number of complete records read; record k's heading was reported k-th.
    float recordCount = 0;
};

// True when the decoder for Windows code page 932 is available in this Qt build.
bool cp932DecoderAvailable();

// Reads the question file at path into the table from record 0 upwards, calling appendHeading with
// each complete record's heading in file order. The file is opened read-only and never written.
// Only as much of the file is read and decoded as the records that fit in the table need.
LoadResult loadQuestionFile(const QString& path, QuestionTable& table,
                            const std::function<void(const QString&)>& appendHeading);

// The same load from a device that is already open for reading (loadQuestionFile opens the file and
// calls this). It reads the device in chunks and stops as soon as the table is full.
LoadResult loadQuestionDevice(QIODevice& device, QuestionTable& table,
                              const std::function<void(const QString&)>& appendHeading);

}  // namespace pobelo
