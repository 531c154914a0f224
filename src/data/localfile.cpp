#include "localfile.h"

#include <QTemporaryDir>

#include "cp932decoder.h"
#include "utf8.h"

namespace pobelo {

namespace {

constexpr char16_t kKeptByteBase = 0xDC00;

bool isKeptByte(char16_t c) {
    return c >= kKeptByteBase + 0x80 && c <= kKeptByteBase + 0xFF;
}

}  // namespace

QString localPathFromBytes(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const int length = utf8SequenceLength(p + i, n - i);
        if (length <= 0) {
            // A byte that starts no whole UTF-8 character is kept as itself.
            out.append(QChar(char16_t(kKeptByteBase + p[i])));
            ++i;
            continue;
        }
        out.append(QString::fromUtf8(reinterpret_cast<const char*>(p + i), length));
        i += length;
    }
    return out;
}

QByteArray localPathBytes(const QString& path) {
    QByteArray out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isKeptByte(path[i].unicode())) continue;
        out += QStringView(path).sliced(start, i - start).toUtf8();
        out += char(path[i].unicode() - kKeptByteBase);
        start = i + 1;
    }
    out += QStringView(path).sliced(start).toUtf8();
    return out;
}

QString displayPath(const QString& path) {
    QString out;
    QByteArray kept;
    auto showKept = [&] {
        if (kept.isEmpty()) return;
        Cp932Decoder cp932;
        QString text;
        cp932.decode(kept, text);
        cp932.finish(text);
        out += cp932.isValid() && !text.contains(QChar(0xFFFD))
                   ? text
                   : QString(kept.size(), QChar(0xFFFD));
        kept.clear();
    };
    for (QChar c : path) {
        if (isKeptByte(c.unicode())) {
            kept += char(c.unicode() - kKeptByteBase);
            continue;
        }
        showKept();
        out += c;
    }
    showKept();
    return out;
}

QString displayFileName(const QString& path) {
    QString name = path;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/'))) name.chop(1);
    return displayPath(name.mid(name.lastIndexOf(QLatin1Char('/')) + 1));
}

QString terminalText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Line ends and tabs stay; every other C0 and C1 control and DEL is shown by its number.
        if ((u < 0x20 && u != u'\n' && u != u'\t') || (u >= 0x7F && u < 0xA0))
            out += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else
            out += c;
    }
    return out;
}

std::unique_ptr<QTemporaryDir> provideRuntimeDir() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return nullptr;
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid()) return nullptr;
    // The folder is the user's alone (0700), as Qt asks of a runtime folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir->path()));
    return dir;
}

}  // namespace pobelo
