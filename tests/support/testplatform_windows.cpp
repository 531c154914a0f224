// The platform every Windows test runs on. wine hands a program none of the QT_ variables of its
// environment, so each test chooses, before its application is made, what the programs choose:
// Windows' own platform, which alone knows the system's fonts, with the programs' font engine.
#include "platformfonts.h"

namespace {

const bool g_platformChosen = (pobelo::chooseFontEngine(), true);

}  // namespace
