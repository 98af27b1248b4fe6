#pragma once
// Test-side holder for the component's reference-counted objects.

template <class T>
class Held {
public:
    Held() = default;
    ~Held() { Reset(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    // For out-parameters: the held object is released first.
    T** Out()
    {
        Reset();
        return &m_object;
    }
    T* operator->() const { return m_object; }
    T* Get() const { return m_object; }
    void Reset()
    {
        if (m_object)
            m_object->Release();
        m_object = nullptr;
    }

private:
    T* m_object = nullptr;
};
