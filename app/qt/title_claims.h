#pragma once
// Makes a top-level window claim its title while it is shown, so that
// another instance starting meanwhile can see it (platform/window_titles.h).
class QWidget;

namespace k4app {

void ClaimTitleWhileShown(QWidget& window);

} // namespace k4app
