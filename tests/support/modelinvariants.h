#pragma once

#include <QString>

#include "sheetmodel.h"

namespace pobelo::test {

// What must hold of the sheet model after any user action; empty when it does, or what is broken.
QString brokenInvariant(const SheetModel& model);

// The captions of one label array, rows 0 to 9, joined with a separator no caption holds.
QString joinedCaptions(const SheetModel& model, LabelArray array);

}  // namespace pobelo::test
