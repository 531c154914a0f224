#pragma once

#include <span>

namespace pobelo {

// What each icon, button and box of the window is, for screen readers (name) and as a tooltip
// (tip), by the control's designer name. The texts are UTF-8.
struct ControlHelp {
    const char* objectName;
    const char* name;
    const char* tip;
};

// Every control of the window that has help of its own, each once.
std::span<const ControlHelp> controlHelp();

// What a click on an item number does, as its tooltip tells (UTF-8).
const char* itemNumberTip();

}  // namespace pobelo
