#pragma once
#include <string_view>

namespace k4 {

// Where the core sends the fixed texts that the user must see (an OK
// message box on the desktop, a line on standard error in the tools).
// The call returns once the user has seen the message.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(std::string_view text) = 0;
};

} // namespace k4
