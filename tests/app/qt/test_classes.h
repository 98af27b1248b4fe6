#pragma once
// Each test file registers its QtTest class here, so that one program
// runs them all.
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace k4apptest {

using MakeTests = std::function<std::unique_ptr<QObject>()>;

inline std::vector<MakeTests>& TestClasses()
{
    static std::vector<MakeTests> classes;
    return classes;
}

template <typename T>
struct Register {
    Register()
    {
        TestClasses().push_back([] { return std::make_unique<T>(); });
    }
};

} // namespace k4apptest
