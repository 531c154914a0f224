#pragma once

#include <functional>
#include <optional>

#include "preflight.h"
#include "services.h"
#include "sheetprinters.h"

namespace pobelo {

// What the check before printing decided: whether to print, and with which fit.
struct PrintChoice {
    bool go = true;
    std::optional<SheetFit> fit;
};

// One print of a sheet, the same for the window and the command line: the check before printing
// (its findings asked about), the fit, the drawing on the print surface and the end of its job.
// The answer key prints in the same job, right after the sheet.
class SheetPrintJob {
  public:
    struct Services {
        PrintSurface* surface = nullptr;
        // The font's real advances for the check; without it every character is taken as one em.
        TextMeasurer* measurer = nullptr;
        // Without it, a sheet with findings prints as it stands.
        FindingsDialog* findings = nullptr;
        // Groups the sheet and its key into one print job; optional.
        PrintJob* pages = nullptr;
        // Told what the fit changed of the teacher's choices (smaller squares); optional.
        std::function<void(const QList<Finding>&)> fitNotes = {};
    };
    // fitAlways: every text is kept inside its area (はみ出しを防ぐ).
    SheetPrintJob(const Services& services, bool fitAlways) : s_(services), fitAlways_(fitAlways) {}

    // The check of checked before it prints on a printer with margins: its findings are asked
    // about, with a fit offered where it cures some of them.
    PrintChoice check(const SheetContent& checked, const UnprintableMargins& margins) const;
    // What the check of checked finds, with the fit it prints in unless the user chooses
    // another (in fit, when given).
    QList<Finding> findings(const SheetContent& checked, const UnprintableMargins& margins = {},
                            std::optional<SheetFit>* fit = nullptr) const;
    // Draws sheet as chosen and ends the surface's document.
    void draw(const SheetContent& sheet, const PrintChoice& chosen) const;
    // The whole job: the check (of the key when there is one: it holds every text of the sheet
    // and the answers besides), then the sheet and its key. A cancelled check ends the surface's
    // document with nothing drawn. False when nothing was drawn.
    bool print(const SheetContent& sheet, const SheetContent* key,
               const UnprintableMargins& margins) const;

  private:
    // The fit of the titles of sheet that only what Pobelo added to them makes collide (found:
    // the sheet's findings); nothing when there are none.
    std::optional<SheetFit> fitAddedTitles(const SheetContent& sheet, const QList<Finding>& found,
                                           const UnprintableMargins& margins) const;
    Services s_;
    bool fitAlways_;
};

// The font command's choice as it reaches the print surface; false when the surface did not take
// every one of its settings.
bool applyFontChoice(PrintSurface& surface, const FontChoice& choice);

}  // namespace pobelo
