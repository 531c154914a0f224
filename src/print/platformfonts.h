#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QRawFont;
struct hb_face_t;

namespace pobelo {

// What the system tells of the fonts installed: fontconfig on Linux, Qt's font database (the
// system's own) on Windows.

// An installed outline family.
struct InstalledFamily {
    QString family;               // the name the font database draws it by
    QString japaneseName;         // its name in Japanese, or the family again
    QStringList names;            // every name it has, in any language
    bool writesJapanese = false;  // it covers kana and kanji
};

// Before the application is made (and unless the user asked for a platform of their own): the
// font engine the program draws and prints with. On Windows that is FreeType, as on Linux: Qt's
// own Windows engines (GDI for QRawFont, DirectWrite for an unhinted QFont) give one face two
// identities, so a PDF file embedded it twice, under names with '?' or raw UTF-8 in them; through
// FreeType it is embedded once under its PostScript name, and the file is the Linux one.
void chooseFontEngine();

// Every outline family installed that the font database knows, by its first name.
QList<InstalledFamily> listInstalledFamilies();

// The font of raw read straight from its file, which HarfBuzz then maps; null where the system
// names no file holding that very font (the caller then reads the font's tables through Qt).
hb_face_t* faceFromFontFile(const QRawFont& raw);

}  // namespace pobelo
