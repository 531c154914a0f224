#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QRawFont>
#include <QtEndian>

#include "platformfonts.h"

namespace pobelo {

namespace {

bool coversKanaAndKanji(const QRawFont& raw) {
    for (const char32_t c : {U'あ', U'ア', U'ー', U'、', U'一', U'漢', U'字'}) {
        if (!raw.supportsCharacter(c)) return false;
    }
    return true;
}

// The family names (IDs 1 and 16) of the font's naming table in every language, the Japanese
// one (language 0x0411 of the Windows platform) first.
QStringList familyNames(const QByteArray& table, QString* japanese) {
    QStringList names;
    const auto* data = reinterpret_cast<const uchar*>(table.constData());
    const qsizetype size = table.size();
    if (size < 6) return names;
    const int count = qFromBigEndian<quint16>(data + 2);
    const int strings = qFromBigEndian<quint16>(data + 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype at = 6 + qsizetype(i) * 12;
        if (at + 12 > size) break;
        const quint16 platform = qFromBigEndian<quint16>(data + at);
        const quint16 language = qFromBigEndian<quint16>(data + at + 4);
        const quint16 id = qFromBigEndian<quint16>(data + at + 6);
        const quint16 length = qFromBigEndian<quint16>(data + at + 8);
        const qsizetype offset = strings + qFromBigEndian<quint16>(data + at + 10);
        if ((id != 1 && id != 16) || platform != 3 || offset + length > size) continue;
        QString name;
        for (int k = 0; k + 1 < length; k += 2)
            name.append(QChar(qFromBigEndian<quint16>(data + offset + k)));
        if (name.isEmpty() || names.contains(name)) continue;
        names.append(name);
        if (language == 0x0411 && japanese->isEmpty()) *japanese = name;
    }
    return names;
}

// The textbook face that comes with the program (fonts\ beside it), for question files that name
// a textbook face this Windows lacks.
void addBundledFonts() {
    const QDir fonts(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    for (const QString& file : fonts.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(fonts.filePath(file));
}

}  // namespace

void chooseFontEngine() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
}

QList<InstalledFamily> listInstalledFamilies() {
    static const bool bundled = (addBundledFonts(), true);
    (void)bundled;
    QList<InstalledFamily> families;
    for (const QString& family : QFontDatabase::families()) {
        // The system lists each vertical face again under its "@" name.
        if (family.isEmpty() || family.startsWith(u'@')) continue;
        InstalledFamily entry{family, family, {family}, false};
        QFont font(family);
        font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
        const QRawFont raw = QRawFont::fromFont(font);
        if (raw.isValid()) {
            entry.writesJapanese = coversKanaAndKanji(raw);
            QString japanese;
            for (const QString& name : familyNames(raw.fontTable("name"), &japanese)) {
                if (!entry.names.contains(name)) entry.names.append(name);
            }
            if (!japanese.isEmpty()) entry.japaneseName = japanese;
        }
        families.append(entry);
    }
    return families;
}

// Windows keeps fonts in its own folder under names Qt does not tell: the face is read through
// the font's tables.
hb_face_t* faceFromFontFile(const QRawFont&) {
    return nullptr;
}

}  // namespace pobelo
