#pragma once

#include <QStringList>

#include "recordingsurface.h"
#include "scripted.h"
#include "sheetmodel.h"

namespace pobelo::test {

// A sheet model with scripted dialogs and a recording print surface.
struct ModelFixture {
    ScriptedFileDialog files;
    ScriptedFontDialog fonts;
    ScriptedPrinterDialog printer;
    ScriptedMessageBox messages;
    ScriptedBrowserOpener browser;
    ScriptedReviewDialog review;
    RecordingSurface surface;
    SheetModel model{[this] {
        SheetServices services{&files, &fonts, &printer, &surface, &messages, &browser};
        services.review = &review;
        return services;
    }()};

    // File > 開く with path chosen in the dialog.
    void open(const QString& path) {
        files.answers.push_back(path);
        model.openCommand();
    }
    QStringList captions(LabelArray a) const {
        QStringList out;
        for (int row = 0; row < kRows; ++row) out << model.caption(a, row);
        return out;
    }
};

}  // namespace pobelo::test
