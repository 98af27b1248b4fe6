#pragma once
// The program's message boxes: the text, an OK button, and the program's
// name as caption.
#include <string_view>

class QWidget;

namespace k4app {

void ShowOkMessage(QWidget* parent, std::string_view text);

} // namespace k4app
