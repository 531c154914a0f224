#pragma once

#include <QString>
#include <optional>

#include "sheetprinters.h"

namespace pobelo {

// A font as the font dialog shows and returns it.
struct FontChoice {
    QString name;
    float size = 9.0f;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

// The file-open dialog. filter is in the form "問題ファイル(*.moj)|*.moj|".
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    // The chosen file, or nothing when the dialog was cancelled.
    virtual std::optional<QString> getOpenFileName(const QString& filter) = 0;
};

// The font dialog; it opens on preset.
class FontDialog {
  public:
    virtual ~FontDialog() = default;
    virtual std::optional<FontChoice> chooseFont(const FontChoice& preset) = 0;
};

class MessageBox {
  public:
    virtual ~MessageBox() = default;
    // A message with only an OK button; returns when the user has read it.
    virtual void showMessage(const QString& text) = 0;
};

class BrowserOpener {
  public:
    virtual ~BrowserOpener() = default;
    // Opens address in the user's browser without waiting for it; false if none could be started.
    virtual bool openUrl(const QString& address) = 0;
};

// What the sheet model asks of the platform. None is owned by the model; all must outlive it.
struct SheetServices {
    FileDialog* files = nullptr;
    FontDialog* fonts = nullptr;
    PrinterDialog* printerDialog = nullptr;
    PrintSurface* surface = nullptr;
    MessageBox* messages = nullptr;
    BrowserOpener* browser = nullptr;
};

}  // namespace pobelo
