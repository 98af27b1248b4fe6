#pragma once
#include <cstdio>
#include <string_view>

namespace k4 {

// Where the core sends the fixed texts that the user must see (an OK
// message box on the desktop, a line on standard error in the tools).
// The call returns once the user has seen the message.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(std::string_view text) = 0;
    // A note for support that the user is not shown: the program's
    // diagnostic output, standard error unless a front end says otherwise.
    virtual void Diagnose(std::string_view text)
    {
        std::fprintf(stderr, "k4: %.*s\n", static_cast<int>(text.size()), text.data());
    }
};

} // namespace k4
