#pragma once
#include <cstdio>
#include <string_view>

#include "common/message_sink.h"

namespace k4 {

// The command-line tools show each message as one line on standard error.
class StderrMessages : public MessageSink {
public:
    void ShowMessage(std::string_view text) override
    {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
};

} // namespace k4
