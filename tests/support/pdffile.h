#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace pobelo::test {

// A PDF file read as a reader finds its objects: through the one classic cross-reference table
// that startxref points at. What the tests need of it, no more.
class PdfFile {
  public:
    explicit PdfFile(const QByteArray& bytes);
    // Whether the table was read, every object in use stands where the table says, and every
    // stream's data is as long as its dictionary says (and inflates, where it is compressed).
    bool ok() const;
    const QByteArray& trailer() const { return trailer_; }
    QList<int> objects() const { return offsets_.keys(); }
    // The free entries of the table, object 0 among them.
    int freeObjects() const { return free_; }

    // The object's dictionary (up to "stream" for a stream); empty when there is no such object.
    QByteArray dictionary(int n) const;
    // A stream's data, inflated when it is Flate-encoded; null when it cannot be read.
    std::optional<QByteArray> streamData(int n) const;
    // The text of entry name of the information dictionary, decoded; null when it has none.
    std::optional<QString> info(const QByteArray& name) const;
    // The numbers of the objects whose dictionary holds text.
    QList<int> objectsWith(const QByteArray& text) const;

    // The object an entry of a dictionary refers to ("/Contents 8 0 R",
    // "/DescendantFonts [14 0 R]"); -1 when it refers to none.
    static int reference(const QByteArray& dictionary, const QByteArray& key);

  private:
    qsizetype dictionaryStart(int n) const;
    bool readTable();

    QByteArray bytes_;
    QMap<int, qint64> offsets_;
    QByteArray trailer_;
    int free_ = 0;
    bool ok_ = false;
};

// The characters a ToUnicode map gives its codes, one for each code (bfchar lines and the
// ranges of bfrange lines).
QString toUnicodeTargets(const QByteArray& cmap);

}  // namespace pobelo::test
