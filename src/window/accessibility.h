#pragma once

#include <QString>

class QWidget;

namespace pobelo {

// Makes the page icons and the item numbers (every ImageControl) buttons to a screen reader: a
// name, focus, and a press action. Done once for the program; later calls change nothing.
void installAccessibleImageControls();

// Gives each control under window that the help table lists its accessible name and
// description and its tooltip; a listed control that is not there is passed over.
void describeFromHelpTable(QWidget* window);
// Gives an item number the tooltip and description that tell what a click on it does.
void describeItemNumber(QWidget* number);

// What a screen reader calls the font button while it shows caption: which font is chosen.
QString fontButtonName(const QString& caption);
// What a screen reader calls an item number: its page (0 the right one), its row counted from 0
// (said from 1), and whether it is marked as missed.
QString itemNumberName(int page, int row, bool missed);

}  // namespace pobelo
