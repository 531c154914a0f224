#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace pobelo {

// The paper a sheet comes out on. The sheet is always laid out on A4; on JIS B4 or A3 it is that
// A4 sheet enlarged to fill the paper, as a copier enlarges it (122 %, 141 %).
enum class Paper { A4, B4, A3 };

// The paper's name as the command line and scripts spell it: "A4", "B4" (JIS B4) or "A3".
inline QString paperName(Paper paper) {
    switch (paper) {
        case Paper::B4:
            return QStringLiteral("B4");
        case Paper::A3:
            return QStringLiteral("A3");
        case Paper::A4:
            break;
    }
    return QStringLiteral("A4");
}

// How much the A4 sheet is enlarged on the paper: until one of its sides meets the paper's edge
// (JIS B4 257 x 364 mm, A3 297 x 420 mm, A4 210 x 297 mm).
inline double paperEnlargement(Paper paper) {
    switch (paper) {
        case Paper::B4:
            return 257.0 / 210.0;
        case Paper::A3:
            return 420.0 / 297.0;
        case Paper::A4:
            break;
    }
    return 1;
}

// The paper a name stands for (as paperName spells it, in either case); nothing for any other.
inline std::optional<Paper> paperNamed(QStringView name) {
    for (Paper paper : {Paper::A4, Paper::B4, Paper::A3}) {
        if (name.compare(paperName(paper), Qt::CaseInsensitive) == 0) return paper;
    }
    return std::nullopt;
}

}  // namespace pobelo
