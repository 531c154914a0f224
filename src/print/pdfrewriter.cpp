#include "pdfrewriter.h"

#include <QtEndian>

#include "pdftextlayer.h"

namespace pobelo {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c) {
    return isSpace(c) || c == '/' || c == '<' || c == '>' || c == '[' || c == ']' || c == '(' ||
           c == ')' || c == '{' || c == '}' || c == '%';
}

// Where key (a name: "/Length") stands in dictionary as a whole name, just past it; -1 when it
// does not.
qsizetype entry(QByteArrayView dictionary, QByteArrayView key) {
    for (qsizetype at = dictionary.indexOf(key); at >= 0; at = dictionary.indexOf(key, at + 1)) {
        const qsizetype end = at + key.size();
        if (end == dictionary.size() || isDelimiter(dictionary[end])) return end;
    }
    return -1;
}

// The number of the object that key refers to ("/Contents 8 0 R", "/DescendantFonts [14 0 R]");
// -1 when it is no reference.
int reference(QByteArrayView dictionary, QByteArrayView key) {
    qsizetype at = entry(dictionary, key);
    if (at < 0) return -1;
    while (at < dictionary.size() && (isSpace(dictionary[at]) || dictionary[at] == '[')) ++at;
    const QList<QByteArray> words = dictionary.sliced(at)
                                        .first(qMin<qsizetype>(40, dictionary.size() - at))
                                        .toByteArray()
                                        .simplified()
                                        .replace('[', ' ')
                                        .replace(']', ' ')
                                        .split(' ');
    bool ok = false;
    const int n = words.size() >= 3 && words[2].startsWith('R') ? words[0].toInt(&ok) : -1;
    return ok ? n : -1;
}

// The number that key gives directly ("/Length 672"); -1 when it gives none, or a reference.
qint64 directNumber(QByteArrayView dictionary, QByteArrayView key) {
    qsizetype at = entry(dictionary, key);
    if (at < 0 || reference(dictionary, key) >= 0) return -1;
    while (at < dictionary.size() && isSpace(dictionary[at])) ++at;
    qsizetype end = at;
    while (end < dictionary.size() && dictionary[end] >= '0' && dictionary[end] <= '9') ++end;
    bool ok = false;
    const qint64 length = dictionary.sliced(at, end - at).toLongLong(&ok);
    return ok ? length : -1;
}

// The name that key gives (without its "/"), as [start, end) in text; false when there is none.
bool nameAt(QByteArrayView text, QByteArrayView key, qsizetype* start, qsizetype* end) {
    qsizetype at = entry(text, key);
    if (at < 0) return false;
    while (at < text.size() && isSpace(text[at])) ++at;
    if (at >= text.size() || text[at] != '/') return false;
    *start = at + 1;
    *end = *start;
    while (*end < text.size() && !isDelimiter(text[*end])) ++*end;
    return *end > *start;
}

// A font's name without the subset tag the writer may have put before it ("QMAAAA+").
QByteArray untagged(QByteArrayView name) {
    bool tagged = name.size() > 7 && name[6] == '+';
    for (int i = 0; tagged && i < 6; ++i) tagged = name[i] >= 'A' && name[i] <= 'Z';
    return (tagged ? name.sliced(7) : name).toByteArray();
}

// text with the name that key gives replaced by name.
QByteArray renamed(const QByteArray& text, QByteArrayView key, const QByteArray& name) {
    qsizetype start = 0;
    qsizetype end = 0;
    if (!nameAt(text, key, &start, &end)) return text;
    return text.left(start) + name + text.mid(end);
}

// A page's content as the writer compressed it, inflated; null when it cannot be.
std::optional<QByteArray> inflated(const QByteArray& dictionary, const QByteArray& data) {
    if (entry(dictionary, "/FlateDecode") < 0 || entry(dictionary, "/DecodeParms") >= 0)
        return std::nullopt;
    // qUncompress wants the size first; it grows its buffer when the guess is short.
    QByteArray framed(4, '\0');
    qToBigEndian<quint32>(quint32(qMin<qint64>(data.size() * 16 + 64, 1 << 28)), framed.data());
    framed += data;
    QByteArray content = qUncompress(framed);
    if (content.isEmpty() && !data.isEmpty()) return std::nullopt;
    return content;
}

QByteArrayView deflated(const QByteArray& compressed) {
    // qCompress puts the size before zlib's stream.
    return QByteArrayView(compressed).sliced(qMin<qsizetype>(4, compressed.size()));
}

const QByteArray kEndStream = "\nendstream\nendobj\n";
// Resource dictionaries kept for later pages to share, at most.
constexpr qsizetype kMostResources = 16;

}  // namespace

PdfRewriter::PdfRewriter(QIODevice& target, PdfTextLayer* layer) : target_(target), layer_(layer) {
    open(QIODevice::WriteOnly);
}

PdfRewriter::~PdfRewriter() = default;

qint64 PdfRewriter::writeData(const char* data, qint64 size) {
    received_ += size;
    if (state_ == State::Lost) return size;
    pending_.append(data, size);
    process();
    return size;
}

void PdfRewriter::put(QByteArrayView bytes, int n) {
    if (n >= 0) {
        // An object begins on a line of its own, also where it was held back.
        if (!atLineStart_) put("\n");
        if (size_t(n) >= offsets_.size()) offsets_.resize(size_t(n) + 1, -1);
        offsets_[size_t(n)] = written_;
    }
    if (bytes.isEmpty()) return;
    // A failed write fails the target's transaction; the document goes on to be read all the same.
    target_.write(bytes.data(), bytes.size());
    hash_.addData(bytes);
    written_ += bytes.size();
    atLineStart_ = bytes.back() == '\n';
}

bool PdfRewriter::lose(const char* why) {
    state_ = State::Lost;
    lost_ = QString::fromLatin1(why);
    pending_.clear();
    return false;
}

void PdfRewriter::process() {
    bool more = true;
    while (more) {
        switch (state_) {
            case State::Between:
                more = between();
                break;
            case State::Object:
                more = object();
                break;
            case State::StreamThrough:
                more = streamEnd(false);
                break;
            case State::StreamHeld:
                more = streamEnd(true);
                break;
            case State::Tail:
                more = tail();
                break;
            case State::Ended: {
                for (const char c : std::as_const(pending_)) {
                    if (!isSpace(c)) return void(lose("bytes after the end of the document"));
                }
                pending_.clear();
                more = false;
                break;
            }
            case State::Lost:
                more = false;
                break;
        }
    }
}

bool PdfRewriter::between() {
    qsizetype at = 0;
    while (at < pending_.size() && isSpace(pending_[at])) ++at;
    if (at > 0) {
        put(QByteArrayView(pending_).first(at));
        take(at);
    }
    if (pending_.isEmpty()) return false;
    const char c = pending_[0];
    if (c == '%') {
        const qsizetype end = pending_.indexOf('\n');
        if (end < 0) return false;
        put(QByteArrayView(pending_).first(end + 1));
        take(end + 1);
        return true;
    }
    if (c == 'x') {
        if (pending_.size() < 4) return false;
        if (!pending_.startsWith("xref")) return lose("an unknown keyword between objects");
        state_ = State::Tail;
        return true;
    }
    if (c < '0' || c > '9') return lose("no object where one should begin");
    // "N 0 obj"
    const qsizetype obj = pending_.indexOf("obj");
    if (obj < 0) return pending_.size() < 32 ? false : lose("an object without its header");
    const QList<QByteArray> words = pending_.left(obj).simplified().split(' ');
    bool ok = false;
    number_ = words.size() == 2 && words[1] == "0" ? words[0].toInt(&ok) : -1;
    if (!ok || number_ <= 0) return lose("an object's header not understood");
    bodyStart_ = obj + 3;
    scanned_ = bodyStart_;
    stringDepth_ = 0;
    escaped_ = false;
    state_ = State::Object;
    return true;
}

bool PdfRewriter::object() {
    // Looks through the body for "stream" or "endobj", past the strings.
    for (qsizetype at = scanned_; at < pending_.size(); ++at) {
        const char c = pending_[at];
        if (stringDepth_ > 0) {
            if (escaped_)
                escaped_ = false;
            else if (c == '\\')
                escaped_ = true;
            else if (c == '(')
                ++stringDepth_;
            else if (c == ')')
                --stringDepth_;
            continue;
        }
        if (c == '(') {
            stringDepth_ = 1;
            continue;
        }
        if (c != 's' && c != 'e') continue;
        if (!isDelimiter(pending_[at - 1])) continue;
        const char* keyword = c == 's' ? "stream" : "endobj";
        // Room for the keyword and the line end after "stream".
        if (pending_.size() - at < 8) {
            scanned_ = at;
            return false;
        }
        if (!QByteArrayView(pending_).sliced(at).startsWith(keyword)) continue;
        if (c == 'e') {
            const QByteArray text = pending_.left(at + 6);
            const QByteArray dictionary = pending_.mid(bodyStart_, at - bodyStart_).trimmed();
            take(at + 6);
            state_ = State::Between;
            wholeObject(number_, text, dictionary);
            return true;
        }
        qsizetype data = at + 6;
        if (pending_[data] == '\r') ++data;
        if (pending_[data] != '\n') return lose("a stream without its line end");
        ++data;
        dictionary_ = pending_.mid(bodyStart_, at - bodyStart_).trimmed();
        dataStart_ = data;
        putPage();
        const qint64 length = directNumber(dictionary_, "/Length");
        if (length >= 0) {
            // The data, then "endstream" and "endobj".
            const qsizetype end = pending_.indexOf("endobj", dataStart_ + length);
            if (end < 0) {
                scanned_ = at;
                return false;
            }
            const qsizetype endStream = pending_.indexOf("endstream", dataStart_ + length);
            if (endStream < 0 || endStream > end) return lose("a stream longer than it says");
            const QByteArray text = pending_.left(end + 6);
            const QByteArray streamData = pending_.mid(dataStart_, length);
            take(end + 6);
            state_ = State::Between;
            directStream(number_, text, streamData);
            return true;
        }
        lengthObject_ = reference(dictionary_, "/Length");
        if (lengthObject_ <= 0) return lose("a stream of no known length");
        dataPassed_ = 0;
        if (layer_ && contents_.contains(number_)) {
            scanned_ = dataStart_;
            state_ = State::StreamHeld;
        } else {
            put(QByteArrayView(pending_).first(dataStart_), number_);
            take(dataStart_);
            dataStart_ = 0;
            scanned_ = 0;
            state_ = State::StreamThrough;
        }
        return true;
    }
    scanned_ = pending_.size();
    return false;
}

// The writer puts a stream's length in an object of its own right after the stream: the stream
// ends where "endstream", "endobj" and that object follow, holding the length of the data before
// them. A font's or image's data may hold those words; it never holds them with its own length.
bool PdfRewriter::streamEnd(bool held) {
    static const QByteArray endStream = kEndStream.left(10);  // "\nendstream"
    const QByteArray head = QByteArray::number(lengthObject_) + " 0 obj\n";
    // What cannot be the beginning of the end yet is passed on (or kept, for a held stream).
    qsizetype keep = qMax(scanned_, pending_.size() - (endStream.size() - 1));
    for (qsizetype at = pending_.indexOf(endStream, scanned_); at >= 0;
         at = pending_.indexOf(endStream, at + 1)) {
        const qint64 length = dataPassed_ + (at - dataStart_);
        const QByteArray tail =
            kEndStream + head + QByteArray::number(length) + QByteArrayLiteral("\nendobj\n");
        if (pending_.size() - at < tail.size()) {
            keep = at;
            break;
        }
        if (!QByteArrayView(pending_).sliced(at).startsWith(tail)) continue;
        const qsizetype end = at + tail.size();
        state_ = State::Between;
        if (held) {
            const QByteArray text = pending_.left(end);
            const QByteArray data = pending_.mid(dataStart_, at - dataStart_);
            take(end);
            pageContent(number_, text, at + kEndStream.size(), data);
        } else {
            const qsizetype lengthAt = at + kEndStream.size();
            put(QByteArrayView(pending_).first(lengthAt));
            put(QByteArrayView(pending_).sliced(lengthAt, end - lengthAt), lengthObject_);
            take(end);
        }
        return true;
    }
    keep = qMax(keep, dataStart_);
    if (held) {
        scanned_ = keep;
    } else if (keep > 0) {
        put(QByteArrayView(pending_).first(keep));
        dataPassed_ += keep;
        take(keep);
        scanned_ = 0;
    }
    return false;
}

bool PdfRewriter::tail() {
    if (!trailer_) {
        const qsizetype at = pending_.indexOf("trailer");
        if (at < 0) {
            take(qMax<qsizetype>(0, pending_.size() - 7));
            return false;
        }
        take(at);
        trailer_ = true;
    }
    const qsizetype end = pending_.indexOf("%%EOF");
    if (end < 0) return false;
    const QByteArray trailer = pending_.left(end);
    take(end + 5);
    const int root = reference(trailer, "/Root");
    const qint64 size = directNumber(trailer, "/Size");
    if (root <= 0 || size <= 0 || size > (1 << 24)) return lose("a trailer not understood");
    root_ = QByteArray::number(root) + " 0 R";
    size_ = int(size);
    state_ = State::Ended;
    return true;
}

// The writer gives every page resources and annotations of its own, written right after the
// page: a page whose resources are those of an earlier page shares that page's, and one without
// annotations names none.
bool PdfRewriter::pagePart(int n, const QByteArray& text, const QByteArray& dictionary) {
    if (!page_) return false;
    const QByteArray named = ' ' + QByteArray::number(n) + " 0 R";
    if (n == page_->resources) {
        page_->resources = -1;
        const auto earlier = resources_.constFind(dictionary);
        if (earlier != resources_.cend() && page_->text.contains("/Resources" + named)) {
            page_->text.replace("/Resources" + named,
                                "/Resources " + QByteArray::number(*earlier) + " 0 R");
        } else {
            if (resources_.size() < kMostResources) resources_.insert(dictionary, n);
            put(text, n);
        }
    } else if (n == page_->annotations) {
        page_->annotations = -1;
        if (dictionary.simplified().replace(' ', "") == "[]" &&
            page_->text.contains("/Annots" + named + '\n'))
            page_->text.replace("/Annots" + named + '\n', "");
        else
            put(text, n);
    } else {
        putPage();
        return false;
    }
    if (page_->resources < 0 && page_->annotations < 0) putPage();
    return true;
}

void PdfRewriter::putPage() {
    if (!page_) return;
    const HeldPage page = *std::exchange(page_, std::nullopt);
    put(page.text, page.number);
}

void PdfRewriter::wholeObject(int n, const QByteArray& text, const QByteArray& dictionary) {
    if (pagePart(n, text, dictionary)) return;
    if (entry(dictionary, "/Type /Page") >= 0) {
        const int contents = reference(dictionary, "/Contents");
        if (contents > 0) contents_.insert(contents);
        page_ = HeldPage{n, text, reference(dictionary, "/Resources"),
                         reference(dictionary, "/Annots")};
        if (page_->resources < 0 && page_->annotations < 0) putPage();
    } else if (infoObject_ == 0 && entry(dictionary, "/Producer") >= 0 &&
               entry(dictionary, "/CreationDate") >= 0 && entry(dictionary, "/Type") < 0) {
        // Written again, complete, by finish().
        infoObject_ = n;
    } else if (entry(dictionary, "/Type /FontDescriptor") >= 0) {
        if (names_.contains(n))
            put(renamed(text, "/FontName", names_.take(n)), n);
        else
            heldDescriptors_.insert(n, text);
    } else if (entry(dictionary, "/Subtype /CIDFontType2") >= 0 ||
               entry(dictionary, "/Subtype /CIDFontType0") >= 0) {
        descendantFont(n, text, dictionary);
    } else if (entry(dictionary, "/Subtype /Type0") >= 0) {
        const int descendant = reference(dictionary, "/DescendantFonts");
        if (names_.contains(descendant))
            put(renamed(text, "/BaseFont", names_.value(descendant)), n);
        else
            heldFonts_.insert(descendant, {n, text});
    } else {
        put(text, n);
    }
}

// The composite font, its descendant and their descriptor share one tagged name; the writer
// writes the descriptor before the descendant whose widths set the subset apart, and the
// composite font after it.
void PdfRewriter::descendantFont(int n, const QByteArray& text, const QByteArray& dictionary) {
    qsizetype start = 0;
    qsizetype end = 0;
    if (!nameAt(dictionary, "/BaseFont", &start, &end)) return put(text, n);
    const QByteArray name = untagged(QByteArrayView(dictionary).sliced(start, end - start));
    const qsizetype widths = entry(dictionary, "/W");
    const QByteArray tagged =
        subsetTag(name, widths < 0 ? dictionary : dictionary.mid(widths)) + '+' + name;
    put(renamed(text, "/BaseFont", tagged), n);
    names_.insert(n, tagged);
    const int descriptor = reference(dictionary, "/FontDescriptor");
    if (heldDescriptors_.contains(descriptor))
        put(renamed(heldDescriptors_.take(descriptor), "/FontName", tagged), descriptor);
    else if (descriptor > 0)
        names_.insert(descriptor, tagged);
    if (heldFonts_.contains(n)) {
        const auto [font, fontText] = heldFonts_.take(n);
        put(renamed(fontText, "/BaseFont", tagged), font);
    }
}

void PdfRewriter::directStream(int n, const QByteArray& text, const QByteArray& data) {
    if (data.startsWith("/CIDInit") && data.contains("begincmap"))
        putStream(n, plainToUnicode(data));
    else
        put(text, n);
}

void PdfRewriter::pageContent(int n, const QByteArray& text, qsizetype lengthAt,
                              const QByteArray& data) {
    contents_.remove(n);
    std::optional<QByteArray> content = inflated(dictionary_, data);
    bool changed = false;
    if (content && !markSpans(*content, *layer_, &changed)) changed = false;
    layer_->forgetEndedLines();
    if (!changed) {
        put(QByteArrayView(text).first(lengthAt), n);
        put(QByteArrayView(text).sliced(lengthAt), lengthObject_);
        return;
    }
    const QByteArray compressed = qCompress(*content, 9);
    const QByteArrayView stream = deflated(compressed);
    // The dictionary as the writer wrote it, with the new data's length in place of the object
    // that held the old length.
    QByteArray head = text.left(dataStart_);
    head.replace("/Length " + QByteArray::number(lengthObject_) + " 0 R",
                 "/Length " + QByteArray::number(stream.size()));
    put(head, n);
    put(stream);
    put(kEndStream);
}

void PdfRewriter::putStream(int n, const QByteArray& data) {
    const QByteArray compressed = qCompress(data);
    const QByteArrayView stream = deflated(compressed);
    put(QByteArray::number(n) + " 0 obj\n<<\n/Length " + QByteArray::number(stream.size()) +
            "\n/Filter /FlateDecode\n>>\nstream\n",
        n);
    put(stream);
    put(kEndStream);
}

bool PdfRewriter::finish(const QList<std::pair<QByteArray, QString>>& entries, QString* reason) {
    if (received_ == 0) return true;
    if (state_ == State::Lost) {
        *reason = QStringLiteral("the PDF writer's output was not understood (%1)").arg(lost_);
        return false;
    }
    if (state_ != State::Ended) {
        *reason = QStringLiteral("the PDF writer did not end the document");
        return false;
    }
    putPage();
    // Fonts whose names never came stay as the writer wrote them.
    for (auto it = heldDescriptors_.cbegin(); it != heldDescriptors_.cend(); ++it)
        put(it.value(), it.key());
    for (const auto& [font, text] : std::as_const(heldFonts_)) put(text, font);
    heldDescriptors_.clear();
    heldFonts_.clear();

    const int info = infoObject_ > 0 ? infoObject_ : size_++;
    QByteArray dictionary = QByteArray::number(info) + " 0 obj\n<<\n";
    for (const auto& [name, text] : entries)
        dictionary += '/' + name + ' ' + pdfTextString(text) + '\n';
    dictionary += ">>\nendobj\n";
    put(dictionary, info);

    // Each cross-reference entry is exactly 20 bytes.
    const qint64 xref = written_;
    const int size = qMax(size_, int(offsets_.size()));
    // The objects left out (a page's resources shared, its empty annotations, the length of a
    // content written again) are free: each free entry names the next, the last none.
    const auto offset = [this](int n) {
        return size_t(n) < offsets_.size() ? offsets_[size_t(n)] : qint64(-1);
    };
    QByteArray table = "xref\n0 " + QByteArray::number(size) + '\n';
    table.reserve(table.size() + 20 * size);
    int nextFree = 1;
    for (int n = 0; n < size; ++n) {
        if (n > 0 && offset(n) >= 0) {
            table += QByteArray::number(offset(n)).rightJustified(10, '0') + " 00000 n \n";
            continue;
        }
        nextFree = qMax(nextFree, n + 1);
        while (nextFree < size && offset(nextFree) >= 0) ++nextFree;
        table += QByteArray::number(nextFree < size ? nextFree : 0).rightJustified(10, '0') +
                 (n == 0 ? " 65535 f \n" : " 00001 f \n");
    }
    put(table);
    // The document's bytes name it: the same document, the same name.
    const QByteArray id = '<' + hash_.result().toHex().toUpper() + '>';
    put("trailer\n<<\n/Size " + QByteArray::number(size) + "\n/Root " + root_ + "\n/Info " +
        QByteArray::number(info) + " 0 R\n/ID [" + id + ' ' + id + "]\n>>\nstartxref\n" +
        QByteArray::number(xref) + "\n%%EOF\n");
    return true;
}

}  // namespace pobelo
