// libFuzzer target for the sheet model over whatever a question file holds: the input is opened
// as a question file, every heading is chosen in turn and the sheet printed to a recording
// surface, and the model's invariants are checked after each step.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "modelfixture.h"
#include "modelinvariants.h"

using namespace pobelo;

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_sheetmodel: %s %s\n", what, qPrintable(detail));
    std::abort();
}

void check(bool ok, const char* what, const QString& detail = {}) {
    if (!ok) fail(what, detail);
}

// One window for the whole run, as the program has one: its table alone is 92 000 strings.
// Each input is opened over what the inputs before it left, as in the program.
using Window = test::ModelFixture;

void checkModel(const SheetModel& m) {
    const QString broken = test::brokenInvariant(m);
    check(broken.isEmpty(), "broken invariant:", broken);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = QDir::temp().filePath(
        QStringLiteral("pobelo-fuzz-%1.moj").arg(QCoreApplication::applicationPid()));
    static Window* const window = new Window;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            fail("cannot write", path);
    }
    SheetModel& model = window->model;
    model.openFile(path);
    check(window->messages.shown.isEmpty(), "a message for a file that exists");
    checkModel(model);
    for (int row = 0; row < kRows; ++row)
        for (LabelArray a : {Label2, Label3, Label5, Label6})
            check(model.caption(a, row).isEmpty(), "an item label kept after opening");

    const int count = int(model.combo1List().size());
    for (int k = 0; k < count; ++k) {
        model.chooseHeading(k);
        checkModel(model);
        check(model.command1Caption() == model.table().at(k, 42),
              "font caption is not the record's font name");
        // Print after the first two headings and after the last, so that both pages are full;
        // the printer picked by the record's font name.
        if (k == 1 || k == count - 1) {
            const QString right = test::joinedCaptions(model, Label3);
            const QString left = test::joinedCaptions(model, Label6);
            window->printer.answers.push_back({true, kOrientationPortrait, {}});
            model.printSheet();
            checkModel(model);
            check(test::joinedCaptions(model, Label3) == right,
                  "right sentences changed by printing");
            check(test::joinedCaptions(model, Label6) == left,
                  "left sentences changed by printing");
            check(window->surface.lines().last() == QLatin1String("{\"op\":\"endDoc\"}"),
                  "the print job was not ended");
            window->surface.clear();
        }
    }
    return 0;
}
