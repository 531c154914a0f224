#include "modelinvariants.h"

namespace pobelo::test {

QString brokenInvariant(const SheetModel& m) {
    if (m.imageVisible(1) == m.imageVisible(2))
        return QStringLiteral("Image1 and Image2 are both %1").arg(m.imageVisible(1));
    for (int row = 0; row < kRows; ++row) {
        const QString number = QString::number(row + 1);
        if (m.caption(Label1, row) != number || m.caption(Label4, row) != number)
            return QStringLiteral("number labels of row %1 read \"%2\" and \"%3\"")
                .arg(row)
                .arg(m.caption(Label1, row), m.caption(Label4, row));
    }
    if (m.combo1List().size() != qsizetype(m.recordCount()))
        return QStringLiteral("%1 headings listed for recordCount %2")
            .arg(m.combo1List().size())
            .arg(m.recordCount());
    return {};
}

QString joinedCaptions(const SheetModel& m, LabelArray a) {
    QString out;
    for (int row = 0; row < kRows; ++row) out += m.caption(a, row) + QChar(0x1F);
    return out;
}

}  // namespace pobelo::test
