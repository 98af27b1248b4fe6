#pragma once
// Test-side holder for the component's reference-counted objects.

#include <utility>

template <class T>
class Held {
public:
    Held() = default;
    ~Held() { Reset(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    Held(Held&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}

    // For out-parameters: the held object is released first.
    T** Out()
    {
        Reset();
        return &m_object;
    }
    T* operator->() const { return m_object; }
    T* Get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    void Reset()
    {
        if (m_object)
            m_object->Release();
        m_object = nullptr;
    }

private:
    T* m_object = nullptr;
};
