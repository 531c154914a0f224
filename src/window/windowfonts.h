#pragma once

#include <QFont>
#include <QString>

namespace pobelo {

// The screen font for faceName at points: a Windows face name such as "ＭＳ Ｐゴシック" maps to an
// installed Japanese family, never to a Latin one.
QFont screenFont(const QString& faceName, qreal points);

}  // namespace pobelo
