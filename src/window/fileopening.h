#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QMimeData;

namespace pobelo {

class SheetModel;

// Start-up: a question file named as the first command-line argument (a path, or a file: URL as
// desktops pass it) is opened as File > 開く opens it when chosen in the dialog; a sheet set file
// (.pobelo-set) as テストセットを開く opens it.
void openFromCommandLine(SheetModel& model, const QStringList& arguments);

// The file a drop would open: the first of its URLs when that is a local question file (.moj, or
// a teacher's .csv or .tsv) or a sheet set file (.pobelo-set), otherwise nothing (the drop is
// refused).
std::optional<QString> droppedFileToOpen(const QMimeData* data);

// Opens path as テストセットを開く opens a sheet set file (.pobelo-set), any other as File > 開く
// opens a chosen question file.
void openQuestionOrSetFile(SheetModel& model, const QString& path);

}  // namespace pobelo
