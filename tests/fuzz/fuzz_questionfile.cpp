// libFuzzer target for the question file reader.
//
// Each input is read three ways and the results must agree: through a QBuffer (whole 64 KiB
// chunks), through a device that hands out a few bytes a read (so that every character, CR LF and
// field straddles reads), and, for inputs whose decoding is known, by a plain reference reader
// below. The encoding the reader chose must be the one Qt's own decoders imply. Each input is
// also read as a teacher's own table, whole and trickled, with the same outcome: a refusal reads
// nothing, and every heading listed is its record's.
#include <QBuffer>
#include <QIODevice>
#include <QStringDecoder>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "ownquestions.h"
#include "questionfile.h"
#include "teacherfile.h"

using namespace pobelo;

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_questionfile: %s %s\n", what, qPrintable(detail));
    std::abort();
}

void check(bool ok, const char* what, const QString& detail = {}) {
    if (!ok) fail(what, detail);
}

// A sequential device that serves the bytes at most `step` at a time.
class TrickleDevice : public QIODevice {
  public:
    TrickleDevice(QByteArrayView bytes, qint64 step) : bytes_(bytes), step_(step) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = std::min({max, step_, qint64(bytes_.size()) - pos_});
        std::memcpy(data, bytes_.data() + pos_, size_t(n));
        pos_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArrayView bytes_;
    qint64 step_;
    qint64 pos_ = 0;
};

// What a load left behind, for comparing two loads.
struct Outcome {
    LoadStatus status;
    TextEncoding encoding;
    int count;
    QStringList headings;
    std::vector<QString> partial;  // the 43 slots of the record after the last complete one
};

const QString kUntouched = QStringLiteral("\uFFFF untouched");

// The most records a file of this size can hold: every field but the very last needs a byte.
int recordBound(qsizetype size) {
    return int(
        std::min<qsizetype>(size / (slot::kFieldsPerRecord - 1) + 1, QuestionTable::kRecords - 1));
}

void clearFor(QuestionTable& table, qsizetype size) {
    const int bound = recordBound(size);
    for (int r = 0; r <= bound; ++r)
        for (int f = 0; f < slot::kFieldsPerRecord; ++f) table.set(r, f, kUntouched);
}

Outcome loadFrom(QIODevice& device, QuestionTable& table, qsizetype size) {
    const int bound = recordBound(size);
    clearFor(table, size);
    Outcome out;
    const LoadResult result =
        loadQuestionDevice(device, table, [&](const QString& h) { out.headings << h; });
    out.status = result.status;
    out.encoding = result.encoding;
    out.count = int(result.recordCount);
    check(float(out.count) == result.recordCount, "recordCount is not whole");
    check(out.headings.size() == out.count, "headings and recordCount differ");
    check(out.count <= bound + 1, "more records than the file can hold");
    for (int k = 0; k < out.count; ++k)
        check(out.headings[k] == table.at(k, slot::kHeading), "heading k is not slot 0 of k");
    if (out.count < QuestionTable::kRecords)
        for (int f = 0; f < slot::kFieldsPerRecord; ++f)
            out.partial.push_back(table.at(out.count, f));
    return out;
}

// The reading rules, written out plainly over text already decoded.
struct Reference {
    const QString& text;
    qsizetype pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    static bool endsField(QChar c) { return c == u',' || c == u'\r' || c == u'\n'; }
    void consumeEnd() {
        if (atEnd()) return;
        const bool cr = text[pos] == u'\r';
        ++pos;
        if (cr && !atEnd() && text[pos] == u'\n') ++pos;
    }
    bool field(QString& out) {
        if (atEnd()) return false;
        while (!atEnd() && text[pos] == u' ') ++pos;
        out.clear();
        if (atEnd()) return true;
        if (text[pos] == u'"') {
            ++pos;
            while (!atEnd() && text[pos] != u'"') out += text[pos++];
            if (!atEnd()) ++pos;
            while (!atEnd() && !endsField(text[pos])) ++pos;
            consumeEnd();
            return true;
        }
        while (!atEnd() && !endsField(text[pos])) out += text[pos++];
        while (out.endsWith(u' ')) out.chop(1);
        consumeEnd();
        return true;
    }
};

void compareWithReference(const QString& text, const QuestionTable& table, const Outcome& got) {
    Reference ref{text};
    int record = 0;
    for (;;) {
        if (ref.atEnd()) {
            check(got.status == LoadStatus::Complete, "reference: expected Complete");
            break;
        }
        if (record >= QuestionTable::kRecords) {
            check(got.status == LoadStatus::TooManyRecords, "reference: expected TooManyRecords");
            break;
        }
        int f = 0;
        QString value;
        for (; f < slot::kFieldsPerRecord && ref.field(value); ++f) {
            const QString& slotValue =
                record < got.count ? table.at(record, f) : got.partial[size_t(f)];
            if (slotValue != value)
                fail("reference: field differs",
                     QStringLiteral("record %1 field %2: got \"%3\" want \"%4\"")
                         .arg(record)
                         .arg(f)
                         .arg(slotValue, value));
        }
        if (f < slot::kFieldsPerRecord) {
            check(got.status == LoadStatus::Incomplete, "reference: expected Incomplete");
            check(record == got.count, "reference: incomplete record is not the next one");
            for (; f < slot::kFieldsPerRecord; ++f)
                check(got.partial[size_t(f)] == kUntouched, "reference: slot past the end written");
            break;
        }
        ++record;
    }
    if (record != got.count)
        fail("reference: record count differs",
             QStringLiteral("%1 vs %2").arg(record).arg(got.count));
}

// The encoding a file is read in: a byte-order mark's, else UTF-8 when Qt decodes the whole file
// as UTF-8 without error and it holds a byte beyond ASCII, else CP932.
TextEncoding referenceEncoding(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return TextEncoding::Utf8Bom;
    if (bytes.startsWith("\xFF\xFE")) return TextEncoding::Utf16LE;
    if (bytes.startsWith("\xFE\xFF")) return TextEncoding::Utf16BE;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return TextEncoding::Cp932;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf8.decode(QByteArray(bytes.data(), bytes.size()) + "\n");
    return utf8.hasError() ? TextEncoding::Cp932 : TextEncoding::Utf8;
}

// The text a file stands for, when the reader's decoding of it is known without the reader. A
// UTF file is Qt's decoding of it after its mark (an incomplete character at the end as U+FFFD).
// In a CP932 file bytes below 0x80 are themselves; otherwise, without the three control bytes that
// the reader decodes apart, it is ICU's decoding with its substitute character taken as U+FFFD.
std::optional<QString> referenceText(QByteArrayView bytes) {
    const TextEncoding encoding = referenceEncoding(bytes);
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        QStringDecoder utf16(encoding == TextEncoding::Utf16LE ? QStringConverter::Utf16LE
                                                               : QStringConverter::Utf16BE,
                             QStringConverter::Flag::ConvertInitialBom);
        QString text = utf16.decode(QByteArray(bytes.sliced(2).data(), bytes.size() - 2));
        if (bytes.size() % 2 != 0) text += QChar(0xFFFD);
        return text;
    }
    if (encoding != TextEncoding::Cp932) {
        // Known only where Qt finds no fault: replacements for bad bytes are the reader's own.
        const qsizetype mark = encoding == TextEncoding::Utf8Bom ? 3 : 0;
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        // A line feed pushes out a character cut short at the end, as an error.
        QString text =
            utf8.decode(QByteArray(bytes.sliced(mark).data(), bytes.size() - mark) + "\n");
        if (utf8.hasError()) return std::nullopt;
        text.chop(1);
        return text;
    }
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return QString::fromLatin1(bytes.data(), bytes.size());
    for (char c : bytes)
        if (c == 0x1A || c == 0x1C || c == 0x7F) return std::nullopt;
    QStringDecoder decoder("windows-31j");
    QString text = decoder.decode(QByteArray(bytes.data(), bytes.size()) + "\n");
    check(text.endsWith(u'\n'), "decoder swallowed the final line feed");
    text.chop(1);
    text.replace(QChar(0x1A), QChar(0xFFFD));
    return text;
}

// The input as a teacher's table, whole and trickled.
void checkTeacherReads(const QByteArray& bytes, qint64 step, QuestionTable& table) {
    QList<LoadResult> results;
    QList<QStringList> headings;
    for (int way = 0; way < 2; ++way) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        TrickleDevice trickle(bytes, step);
        QIODevice& device = way == 0 ? static_cast<QIODevice&>(buffer) : trickle;
        QStringList listed;
        results << loadTeacherDevice(device, table, [&](const QString& h) { listed << h; });
        headings << listed;
        const LoadResult& r = results.last();
        check(float(listed.size()) == r.recordCount, "teacher: headings and recordCount differ");
        check(r.status != LoadStatus::Refused || (listed.isEmpty() && r.refusedLine > 0),
              "teacher: a refusal read something, or has no line");
        for (int k = 0; k < listed.size(); ++k)
            check(listed[k] == table.at(k, slot::kHeading), "teacher: heading k is not slot 0");
    }
    check(results[0].status == results[1].status, "teacher: status differs when trickled");
    check(results[0].refusedLine == results[1].refusedLine, "teacher: line differs");
    check(headings[0] == headings[1], "teacher: headings differ when trickled");
    check(results[0].status == LoadStatus::TooLarge ||
              results[0].encoding == referenceEncoding(bytes),
          "teacher: encoding differs from Qt's decoders");

    // What was read, saved as the editor saves it, reads back the same.
    if (results[0].status == LoadStatus::Complete) {
        // A heading of no name and nothing asked (a row whose text is all in other columns) has
        // nothing to save.
        QList<OwnHeading> read = ownHeadingsFromTable(table, int(headings[0].size()));
        read.removeIf([](const OwnHeading& h) { return h.name.isEmpty() && h.items.isEmpty(); });
        QBuffer saved;
        saved.setData(ownQuestionFileBytes(read));
        saved.open(QIODevice::ReadOnly);
        int count = 0;
        const LoadResult again = loadTeacherDevice(saved, table, [&](const QString&) { ++count; });
        check(again.status == LoadStatus::Complete, "teacher: a saved file is not read back");
        QList<OwnHeading> back = ownHeadingsFromTable(table, count);
        back.removeIf([](const OwnHeading& h) { return h.name.isEmpty() && h.items.isEmpty(); });
        check(back == read, "teacher: a saved file reads otherwise");
    }
    // The same text typed or pasted: refused with a line, or headings of ten items at most.
    const PastedQuestions pasted =
        parsePastedQuestions(decodeTeacherText(bytes), QStringLiteral("x"));
    check(pasted.ok() != (pasted.refusedLine > 0), "paste: a refusal without a line");
    check(pasted.answerGiven.size() == pasted.headings.size() &&
              pasted.lines.size() == pasted.headings.size(),
          "paste: the items' notes are not the headings'");
    for (qsizetype h = 0; h < pasted.headings.size(); ++h) {
        check(pasted.headings[h].items.size() <= kItemsPerHeading, "paste: more than ten items");
        check(pasted.headings[h].items.size() == pasted.lines[h].size(), "paste: lines differ");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Two tables for the whole run, as the program has one: allocating 92 000 strings for
    // every input would be most of the work.
    static QuestionTable* const whole = new QuestionTable;
    static QuestionTable* const trickled = new QuestionTable;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const Outcome a = loadFrom(buffer, *whole, bytes.size());

    // 1 to 7 bytes a read, chosen by the input so that the fuzzer can steer it.
    const qint64 step = size ? 1 + data[size / 2] % 7 : 1;
    TrickleDevice trickle(bytes, step);
    const Outcome b = loadFrom(trickle, *trickled, bytes.size());
    check(a.status == b.status, "status differs between whole and trickled reads");
    check(a.encoding == b.encoding, "encoding differs between whole and trickled reads");
    // A load that stopped with the table full may not have met the bytes that decide.
    if (a.status != LoadStatus::TooManyRecords)
        check(a.encoding == referenceEncoding(bytes), "encoding differs from Qt's decoders");
    check(a.headings == b.headings, "headings differ between whole and trickled reads");
    check(a.partial == b.partial, "partial record differs between whole and trickled reads");
    for (int r = 0; r < a.count; ++r)
        for (int f = 0; f < slot::kFieldsPerRecord; ++f)
            if (whole->at(r, f) != trickled->at(r, f))
                fail("slot differs between reads",
                     QStringLiteral("record %1 field %2").arg(r).arg(f));

    if (const std::optional<QString> text = referenceText(bytes))
        compareWithReference(*text, *whole, a);
    checkTeacherReads(bytes, step, *trickled);

    // Give back what this input put in the tables, so that a leak check sees only real leaks.
    for (QuestionTable* table : {whole, trickled}) clearFor(*table, bytes.size());
    return 0;
}
