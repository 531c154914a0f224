#pragma once

#include <QString>
#include <QStringList>

namespace pobelo {

// Face names as question files and the font dialog give them (often Windows faces such as
// "ＭＳ 明朝" or "@ＭＳ Ｐゴシック") are mapped onto the Japanese fonts installed here. Every
// function needs a running QGuiApplication (it asks the font database).

// True for a vertical-writing face name: one that starts with "@".
bool isVerticalFaceName(const QString& name);

// The face name without its leading "@", if it has one.
QString stripVerticalMark(const QString& name);

// How the face drawn relates to the face asked for.
enum class FaceMatch {
    Named,        // the face asked for, under one of its names
    Missing,      // no installed font has that name: another face stands in
    NotJapanese,  // the font named cannot write kana and kanji: another face stands in
};

struct ResolvedFace {
    QString family;  // the installed family to draw with
    FaceMatch match = FaceMatch::Missing;
};

// The installed font family to draw the face `name` with ("@" taken off first). An installed
// font that covers kana and kanji, named by any of its family names in any language ("BIZ
// UD明朝", "IPAex明朝"), resolves to itself; a textbook, kaisho or brush face to a textbook-like
// face (Klee One) or else a mincho; a known Windows face to an installed font of the same kind
// (mincho or gothic, fixed or proportional); anything else to a Japanese font, never to a font
// that cannot write Japanese. The family is empty only if no font is installed at all.
ResolvedFace resolveFace(const QString& name);
QString resolveFaceName(const QString& name);

// What to tell the user when `name` prints in another face ("@HG教科書体 is not installed:
// printed in Klee One"); empty when it prints in the face named. The window tells it in Japanese.
enum class NoteLanguage { English, Japanese };
QString faceNote(const QString& name, const ResolvedFace& face,
                 NoteLanguage language = NoteLanguage::English);

// Whether a Japanese font is installed that can be drawn with (its file opens). Without one no
// sheet can print; noJapaneseFontMessage says what to install.
bool japaneseFontUsable();
QString noJapaneseFontMessage(NoteLanguage language = NoteLanguage::English);

// An installed family that writes Japanese, with its Japanese name where it has one.
struct JapaneseFace {
    QString family;
    QString japaneseName;
};

// The installed families that cover kana and kanji, sorted by family, for the font dialog.
QList<JapaneseFace> japaneseFaces();
QStringList japaneseFontFamilies();

}  // namespace pobelo
