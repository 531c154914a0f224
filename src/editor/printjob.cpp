#include "printjob.h"

#include <algorithm>

namespace pobelo {

namespace {

bool titleFound(const QList<Finding>& found, bool rightPage) {
    return std::any_of(found.begin(), found.end(), [rightPage](const Finding& f) {
        return f.rightPage == rightPage &&
               (f.item == QStringLiteral("表題") || f.item == QStringLiteral("名前"));
    });
}

}  // namespace

std::optional<SheetFit> SheetPrintJob::fitAddedTitles(const SheetContent& sheet,
                                                      const QList<Finding>& found,
                                                      const UnprintableMargins& margins) const {
    SheetContent plain = sheet;
    bool added = false;
    for (PageContent* page : {&plain.right, &plain.left}) {
        if (page->titleAddition.isEmpty()) continue;
        page->title.chop(page->titleAddition.size());
        added = true;
    }
    if (!added) return std::nullopt;
    const QList<Finding> plainFound = preflightSheet(plain, s_.measurer, nullptr, margins);
    std::optional<SheetFit> fit;
    for (const bool right : {true, false}) {
        if ((right ? sheet.right : sheet.left).titleAddition.isEmpty() ||
            !titleFound(found, right) || titleFound(plainFound, right))
            continue;
        if (!fit) fit = naturalFit();
        const SheetFit full = fitSheet(sheet, s_.measurer);
        (right ? fit->right : fit->left).title = (right ? full.right : full.left).title;
    }
    return fit;
}

QList<Finding> SheetPrintJob::findings(const SheetContent& checked,
                                       const UnprintableMargins& margins,
                                       std::optional<SheetFit>* fit) const {
    std::optional<SheetFit> chosen;
    if (fitAlways_) chosen = fitSheet(checked, s_.measurer);
    QList<Finding> found =
        preflightSheet(checked, s_.measurer, chosen ? &*chosen : nullptr, margins);
    // What Pobelo adds to a teacher's title never makes a finding of its own: a title that
    // collides only with it is fitted.
    if (!chosen && !found.isEmpty()) {
        if (std::optional<SheetFit> titles = fitAddedTitles(checked, found, margins)) {
            chosen = titles;
            found = preflightSheet(checked, s_.measurer, &*chosen, margins);
        }
    }
    if (fit) *fit = chosen;
    return found;
}

PrintChoice SheetPrintJob::check(const SheetContent& checked,
                                 const UnprintableMargins& margins) const {
    PrintChoice choice;
    const QList<Finding> found = findings(checked, margins, &choice.fit);
    if (found.isEmpty() || !s_.findings) return choice;
    std::optional<SheetFit> fit = choice.fit;
    bool offered = false;
    if (!fitAlways_) {
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
    if (choice.fit && s_.fitNotes) {
        const QList<Finding> notes = fitNotes(key ? *key : sheet, *choice.fit);
        if (!notes.isEmpty()) s_.fitNotes(notes);
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
