#pragma once
#include <utility>

namespace k4 {

// Owns one reference to a component object and releases it when it goes,
// so that every way out of the report writer drops what it holds.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }

    // Takes a reference of its own on an object handed over without one.
    static ComRef AddedTo(Interface* object)
    {
        ComRef ref;
        if (object != nullptr) {
            object->AddRef();
            ref.m_object = object;
        }
        return ref;
    }

    // Takes over a reference that the caller already owns.
    static ComRef Adopt(Interface* object)
    {
        ComRef ref;
        ref.m_object = object;
        return ref;
    }

    // Gives up the reference without releasing it.
    Interface* Detach() { return std::exchange(m_object, nullptr); }

    // For an out-parameter that hands over one reference.
    Interface** Receive()
    {
        Reset();
        return &m_object;
    }

    Interface* Get() const { return m_object; }
    Interface* operator->() const { return m_object; }
    Interface& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    void Reset()
    {
        if (m_object != nullptr)
            std::exchange(m_object, nullptr)->Release();
    }

private:
    Interface* m_object = nullptr;
};

} // namespace k4
