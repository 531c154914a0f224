#pragma once

#include <QString>
#include <QStringList>
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
    TooLarge,        // larger than any question file (kMaxQuestionFileBytes): a file is not
                     // read at all, a device no further than that
    Refused,         // a teacher's file that cannot be read as it stands (LoadResult::refusal
                     // says why): nothing is read
};

// Which kind of question file was read.
enum class QuestionFormat {
    Moj,      // a drill program's file: 43 comma-separated fields a record
    Teacher,  // a teacher's own table: one item a row under a header (teacherfile.h)
};

// Why a teacher's file was refused, at LoadResult::refusedLine.
enum class Refusal {
    None,
    NoHeader,          // the first line does not name the columns (missingColumns: those it lacks)
    LineBreakInField,  // a quoted field holds a line break, or its quote is not closed
    ColumnCount,       // the line holds refusedFields fields, the header headerFields
};

// A heading of a teacher's file with more items than a heading holds: its items continue in
// headings named "heading (2)" to "heading (parts)".
struct ContinuedHeading {
    QString heading;
    int parts = 2;
};

// The largest question file read: 32 MiB. 2001 records of 43 fields, every sentence as long as
// a column of the sheet holds, come to a few megabytes; anything larger is no question file, and
// reading it would only cost time and memory.
inline constexpr qint64 kMaxQuestionFileBytes = qint64(32) << 20;

// The text encoding a question file was read in. Files are Windows Japanese (CP932); one that a
// modern editor saved again is UTF-8 or UTF-16.
enum class TextEncoding {
    Cp932,
    Utf8,     // valid UTF-8 throughout with at least one character beyond ASCII
    Utf8Bom,  // starts with the UTF-8 byte-order mark
    Utf16LE,  // starts with a UTF-16 byte-order mark
    Utf16BE,
};

struct LoadResult {
    LoadStatus status = LoadStatus::Complete;
    TextEncoding encoding = TextEncoding::Cp932;
    // Number of complete records read; record k's heading was reported k-th.
    float recordCount = 0;
    // The first line that does not hold one record of 43 fields (the records after it are read
    // shifted), and how many fields it holds; 0 when every line held one record.
    int badLine = 0;
    int badLineFields = 0;
    // A field was too large for the memory (ReadFailed).
    bool tooLarge = false;
    // The SHA-256 of the bytes read (the whole file when it was read to its end), in lower-case
    // hex; empty for a load from a device, or when nothing could be read.
    QString sha256;
    QuestionFormat format = QuestionFormat::Moj;
    // A teacher's file: why it was refused (Refused), and the headings continued under a number.
    Refusal refusal = Refusal::None;
    int refusedLine = 0;
    int refusedFields = 0;
    int headerFields = 0;
    QStringList missingColumns;
    QList<ContinuedHeading> continued;
};

// What the reader of a file should know about its load, one line each: a file too large to be a
// question file, records past the table's end not read, a line with a wrong count of fields, a
// field too large; of a teacher's file, why it was refused and the headings continued.
QStringList loadNotes(const LoadResult& result, bool japanese = false);

// "UTF-8", "UTF-16LE (byte-order mark)" and so on, for messages.
QString encodingName(const LoadResult& result);

// True when the decoder for Windows code page 932 is available in this Qt build.
bool cp932DecoderAvailable();

// Reads the question file at path into the table from record 0 upwards, calling appendHeading with
// each complete record's heading in file order. The file is opened read-only and never written;
// path may hold bytes kept by localPathFromBytes. A file that starts with a byte-order mark is read
// as UTF-8 or UTF-16; one that is valid UTF-8 throughout with at least one multi-byte character is
// read as UTF-8 (CP932 Japanese text never is); any other as CP932. Deciding on UTF-8 takes one
// pass over the bytes, which ends at the first that is not UTF-8. Beyond that, only as much of the
// file is read and decoded as the records that fit in the table need. A file larger than
// kMaxQuestionFileBytes is not read (TooLarge). A file named as a teacher's own (.csv, .tsv, .txt:
// isTeacherFileName) is read as one (loadTeacherDevice), whatever it holds.
LoadResult loadQuestionFile(const QString& path, QuestionTable& table,
                            const std::function<void(const QString&)>& appendHeading);

// The same load from a device that is already open for reading (loadQuestionFile opens the file and
// calls this). It reads the device in chunks and stops as soon as the table is full, or with
// TooLarge past kMaxQuestionFileBytes (the records before stay). A device that cannot seek keeps
// the bytes it scanned for UTF-8 in memory.
LoadResult loadQuestionDevice(QIODevice& device, QuestionTable& table,
                              const std::function<void(const QString&)>& appendHeading);

}  // namespace pobelo
