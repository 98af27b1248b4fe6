#include "platform/shared/partial_file_name.h"

#include <random>

namespace k4 {

std::string PartialFileName()
{
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 rng{std::random_device{}()};
    std::string name = ".k4-partial-";
    for (int i = 0; i < 8; ++i)
        name += kAlphabet[rng() % (sizeof kAlphabet - 1)];
    return name;
}

} // namespace k4
