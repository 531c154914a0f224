#include "printjob.h"

namespace pobelo {

PrintChoice SheetPrintJob::check(const SheetContent& checked,
                                 const UnprintableMargins& margins) const {
    PrintChoice choice;
    if (fitAlways_) choice.fit = fitSheet(checked, s_.measurer);
    const QList<Finding> found =
        preflightSheet(checked, s_.measurer, choice.fit ? &*choice.fit : nullptr, margins);
    if (found.isEmpty() || !s_.findings) return choice;
    std::optional<SheetFit> fit = choice.fit;
    bool offered = false;
    if (!fit) {
        fit = fitSheet(checked, s_.measurer);
        offered = preflightSheet(checked, s_.measurer, &*fit, margins).size() < found.size();
    }
    switch (s_.findings->askAboutFindings(found, offered)) {
        case PreflightAnswer::PrintAsIs:
            break;
        case PreflightAnswer::PrintFitted:
            choice.fit = fit;
            break;
        case PreflightAnswer::Cancel:
            choice.go = false;
            break;
    }
    return choice;
}

void SheetPrintJob::draw(const SheetContent& sheet, const PrintChoice& chosen) const {
    drawSheet(sheet, chosen.fit ? *chosen.fit : naturalFit(), *s_.surface);
    s_.surface->endDoc();
}

bool SheetPrintJob::print(const SheetContent& sheet, const SheetContent* key,
                          const UnprintableMargins& margins) const {
    const PrintChoice choice = check(key ? *key : sheet, margins);
    if (!choice.go) {
        s_.surface->endDoc();
        return false;
    }
    if (!key) {
        draw(sheet, choice);
        return true;
    }
    if (s_.pages) s_.pages->beginJob();
    draw(sheet, choice);
    draw(*key, choice);
    if (s_.pages) s_.pages->endJob();
    return true;
}

bool applyFontChoice(PrintSurface& surface, const FontChoice& choice) {
    return surface.setFontName(choice.name) && surface.setFontItalic(choice.italic) &&
           surface.setFontSize(choice.size) && surface.setFontBold(choice.bold);
}

}  // namespace pobelo
