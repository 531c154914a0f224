#include "windowfonts.h"

#include "fontresolver.h"

namespace pobelo {

QFont screenFont(const QString& faceName, qreal points) {
    QFont font(resolveFaceName(faceName));
    font.setPointSizeF(points);
    return font;
}

}  // namespace pobelo
