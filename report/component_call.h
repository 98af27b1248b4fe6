#pragma once
#include <cstddef>
#include <stdexcept>
#include <tuple>
#include <type_traits>

#include "report/com_ref.h"
#include "report/xls/k4xls.h"

namespace k4 {

// A component call that failed, or an interface the component did not hand
// out. Raised inside the report writer only; the writer's boundary turns it
// into one message and a false result.
class ComponentError : public std::runtime_error {
public:
    ComponentError(k4xls::Status status, const k4xls::Guid& iid)
        : std::runtime_error("spreadsheet component call failed"), m_status(status), m_iid(iid)
    {}
    k4xls::Status Status() const { return m_status; }
    const k4xls::Guid& Iid() const { return m_iid; }

private:
    k4xls::Status m_status;
    k4xls::Guid m_iid;
};

template <class Interface>
Interface& Require(Interface* object)
{
    if (object == nullptr)
        throw ComponentError(k4xls::E_POINTER, Interface::IID);
    return *object;
}

template <class Interface>
Interface& Require(const ComRef<Interface>& object)
{
    return Require(object.Get());
}

// Calls `method` on `object` and raises on a failing status.
template <class Interface, class Method, class... Args>
void Call(Interface* object, Method method, Args&&... args)
{
    const k4xls::Status status = (Require(object).*method)(std::forward<Args>(args)...);
    if (k4xls::Failed(status))
        throw ComponentError(status, Interface::IID);
}

template <class Interface, class Method, class... Args>
void Call(const ComRef<Interface>& object, Method method, Args&&... args)
{
    Call(object.Get(), method, std::forward<Args>(args)...);
}

namespace detail {
template <class Method>
struct FetchedInterface;
template <class Owner, class... Params>
struct FetchedInterface<k4xls::Status (Owner::*)(Params...)> {
    using OutParam = std::tuple_element_t<sizeof...(Params) - 1, std::tuple<Params...>>;
    using type = std::remove_pointer_t<std::remove_pointer_t<OutParam>>;
};
} // namespace detail

// Calls a method whose last parameter hands out an interface, and returns
// that interface; a failing status or a null interface raises.
template <class Interface, class Method, class... Args>
auto Fetch(Interface* object, Method method, Args&&... args)
{
    using Out = typename detail::FetchedInterface<Method>::type;
    ComRef<Out> result;
    Call(object, method, std::forward<Args>(args)..., result.Receive());
    Require(result);
    return result;
}

template <class Interface, class Method, class... Args>
auto Fetch(const ComRef<Interface>& object, Method method, Args&&... args)
{
    return Fetch(object.Get(), method, std::forward<Args>(args)...);
}

} // namespace k4
