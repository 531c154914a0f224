#pragma once

#include <QString>

#include "sheetmodel.h"

namespace pobelo {

// The model's state as one JSON line: every control by its designer name, the composed-page
// state, messages, findings and each page's variant.
QString dumpJson(const SheetModel& model);

}  // namespace pobelo
