#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace pobelo {

class PdfTextLayer;

// Between QPdfWriter and the file: passes the document on as the writer writes it, object by
// object, and on the way writes what the writer cannot:
// - each page's content gets its text layer: the marks of the text layer's spans become
//   marked-content spans with the sheet's text as /ActualText (markSpans);
// - each ToUnicode map gives the characters the glyphs stand for, not the Kangxi radicals and
//   vertical presentation forms that share those glyphs (plainToUnicode);
// - every subset font's name gets its subset tag;
// - the information dictionary is written last, by finish(), with the cross-reference table of
//   the objects where they were written here and a trailer whose document ID is drawn from the
//   document's bytes, so that the same input gives the same file.
// Only an object being rewritten is held (a page's content, a font's dictionaries), never the
// document: a font file or an image passes through as it comes.
class PdfRewriter : public QIODevice {
  public:
    // The document goes to target; the marks are those of layer's spans (none without a layer).
    explicit PdfRewriter(QIODevice& target, PdfTextLayer* layer = nullptr);
    ~PdfRewriter() override;

    void setTextLayer(PdfTextLayer* layer) { layer_ = layer; }
    // Completes the document the writer has ended: the information dictionary holding entries
    // (name without "/", text), the cross-reference table and the trailer. True without writing
    // anything when the writer wrote nothing. False, with the reason, when the writer's output
    // was not what it was taken to be or has not ended.
    bool finish(const QList<std::pair<QByteArray, QString>>& entries, QString* reason);

    // Bytes taken from the writer so far, and bytes written to the target.
    qint64 received() const { return received_; }
    qint64 written() const { return written_; }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

  private:
    enum class State { Between, Object, StreamThrough, StreamHeld, Tail, Ended, Lost };

    void process();
    bool between();
    bool object();
    bool streamEnd(bool held);
    bool tail();
    bool lose(const char* why);

    // Writes bytes to the target, object n beginning at them (-1: no object begins).
    void put(QByteArrayView bytes, int n = -1);
    void take(qsizetype count) { pending_.remove(0, count); }
    // An object as it came (from "N 0 obj" to "endobj"), with its dictionary.
    void wholeObject(int n, const QByteArray& text, const QByteArray& dictionary);
    bool pagePart(int n, const QByteArray& text, const QByteArray& dictionary);
    void putPage();
    void directStream(int n, const QByteArray& text, const QByteArray& data);
    // A page's content as it came, the object of its length beginning at lengthAt.
    void pageContent(int n, const QByteArray& text, qsizetype lengthAt, const QByteArray& data);
    void descendantFont(int n, const QByteArray& text, const QByteArray& dictionary);
    void putStream(int n, const QByteArray& data);

    QIODevice& target_;
    PdfTextLayer* layer_ = nullptr;
    QByteArray pending_;  // taken from the writer, not yet handled
    State state_ = State::Between;
    QString lost_;
    qint64 received_ = 0;
    qint64 written_ = 0;
    bool atLineStart_ = true;
    QCryptographicHash hash_{QCryptographicHash::Md5};
    std::vector<qint64> offsets_;  // of each object as written; -1 where none is

    // The object being read.
    int number_ = 0;
    qsizetype bodyStart_ = 0;  // in pending_, after "N 0 obj"
    qsizetype scanned_ = 0;    // how far the object's body has been looked through
    int stringDepth_ = 0;      // in a literal string, its brackets' depth
    bool escaped_ = false;
    QByteArray dictionary_;    // of the stream being read
    qsizetype dataStart_ = 0;  // its data's first byte, in pending_
    qint64 dataPassed_ = 0;    // of its data already passed on
    int lengthObject_ = 0;     // the object that holds its length

    // A page waiting for its resources and annotations.
    struct HeldPage {
        int number = 0;
        QByteArray text;
        int resources = -1;
        int annotations = -1;
    };
    std::optional<HeldPage> page_;
    QHash<QByteArray, int> resources_;  // resource dictionaries written, by their text
    QSet<int> contents_;                // page contents still to come
    QMap<int, QByteArray> names_;       // a descendant font's tagged name, and its descriptor's
    QMap<int, QByteArray> heldDescriptors_;  // font descriptors waiting for their font's name
    QMap<int, std::pair<int, QByteArray>> heldFonts_;  // composite fonts, by descendant awaited
    int infoObject_ = 0;    // the writer's information dictionary, left out
    bool trailer_ = false;  // the writer's trailer has begun
    QByteArray root_;       // the catalog, as the writer's trailer names it
    int size_ = 0;          // of the writer's cross-reference table
};

}  // namespace pobelo
