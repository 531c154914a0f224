#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

#include "sheetvariant.h"

namespace pobelo {

// A sheet set file (.pobelo-set): everything that makes the sheet on the screen, so that the same
// test can be printed again or changed next week. It names the question file (relative to the
// set's folder when it lies beside it) with a hash of its bytes, and never holds the questions.
struct SheetSet {
    struct Page {
        PageVariant variant;  // its source, items, label, flip, order and missed items
        QString title;        // as printed
        int answers = 0;      // the page's 解答つき box
    };
    QString questionFile;
    QString sha256;  // lower-case hex of the question file's bytes
    QString titleText;
    QString fontName;
    bool bold = false;
    bool italic = false;
    bool rightPageActive = true;
    std::array<Page, 2> pages;  // right, left
};

inline constexpr int kSheetSetVersion = 1;
inline const QString kSheetSetSuffix = QStringLiteral("pobelo-set");

// The set as its file holds it: indented UTF-8 JSON.
QByteArray sheetSetJson(const SheetSet& set);
// The set a file holds; nothing, with the reason in why, for a file that is no set of this or an
// earlier version.
std::optional<SheetSet> readSheetSetJson(const QByteArray& json, QString* why);

// Reads the set file at path; nothing, with the reason in why. (A set may be saved over the set it
// was opened from, as any document is.)
std::optional<SheetSet> readSheetSetFile(const QString& path, QString* why);
// The question file that set, read from the file at setPath, names.
QString questionFileOf(const QString& setPath, const SheetSet& set);

// The SHA-256 of the file's bytes in lower-case hex; nothing when it cannot be read.
std::optional<QString> fileSha256(const QString& path);

}  // namespace pobelo
