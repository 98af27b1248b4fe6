#pragma once
// The shared texts are UTF-8 views; Qt wants QString.
#include <QString>
#include <string_view>

namespace k4app {

inline QString Q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace k4app
