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

// The installed font family to draw the face `name` with ("@" taken off first). An installed
// Japanese family resolves to itself; a known Windows face to an installed font of the same kind
// (mincho or gothic, fixed or proportional); anything else to a Japanese font, never to a font
// that cannot write Japanese. Returns an empty string only if no font is installed at all.
QString resolveFaceName(const QString& name);

// The installed families that write Japanese, sorted, for the font dialog.
QStringList japaneseFontFamilies();

}  // namespace pobelo
