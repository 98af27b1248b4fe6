#pragma once
// The windows' sizes are given in dialog units, which follow the font: a
// horizontal unit is a quarter of the average character width, a vertical
// one an eighth of the character height. Converting at run time keeps the
// windows in proportion at any scale factor and font size.
#include <QSize>

class QWidget;

namespace k4app {

QSize DialogUnitsToPixels(const QWidget& widget, int x, int y);

// The width a window needs for its whole caption to show beside the window
// manager's icon and buttons (a bold title font, three buttons and an icon).
int CaptionFittingWidth(const QWidget& window);

// Gives `window` at least this size in dialog units, and never less than its
// layout needs (a large font can ask for more).
void SetDialogUnitSize(QWidget& window, int x, int y);

} // namespace k4app
