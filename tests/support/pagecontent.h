// Pages of a sheet as the printers take them, written item by item for the layout tests.
#pragma once

#include <QString>

#include "sheetprinters.h"

namespace pobelo::test {

// Item i of page: its sentence before + asked + after, the asked part marked, and its answer.
inline void setItem(PageContent& page, int i, const QString& before, const QString& asked,
                    const QString& after, const QString& answer = {}) {
    page.sentences[i] = before + asked + after;
    page.askedParts[i] = asked;
    page.beforeLengths[i] = qint16(before.size());
    page.answers[i] = answer;
}

}  // namespace pobelo::test
