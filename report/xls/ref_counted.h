#pragma once
// Reference counting and call guarding shared by the interface objects.

#include <atomic>
#include <cstdint>
#include <new>
#include <utility>

#include "report/xls/k4xls.h"

namespace k4xls {

// An object implementing `Interface`, deleted when its last reference is
// released. Objects start with no reference: whoever hands one out adds it.
template <class Interface>
class RefCounted : public Interface {
public:
    std::uint32_t AddRef() override { return m_references.fetch_add(1) + 1; }
    std::uint32_t Release() override
    {
        const std::uint32_t left = m_references.fetch_sub(1) - 1;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    std::atomic<std::uint32_t> m_references{0};
};

// Holds one reference for as long as it lives.
template <class T>
class RefPtr {
public:
    RefPtr() = default;
    explicit RefPtr(T* object) : m_object(object)
    {
        if (m_object)
            m_object->AddRef();
    }
    RefPtr(const RefPtr& other) : RefPtr(other.m_object) {}
    RefPtr(RefPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    RefPtr& operator=(RefPtr other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~RefPtr()
    {
        if (m_object)
            m_object->Release();
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }

private:
    T* m_object = nullptr;
};

// Hands a new or existing object out through an out-parameter, with the
// reference that now belongs to the receiver.
template <class Interface, class Object>
Status HandOut(Object* object, Interface** out)
{
    object->AddRef();
    *out = object;
    return S_OK;
}

// Runs an operation's body so that no exception leaves the component.
template <class Body>
Status Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

} // namespace k4xls
