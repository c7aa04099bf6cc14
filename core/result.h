// A value or the reason there is none: the return type of every operation that can fail.
//
// Result<T, E> carries a T or an E; Result<void, E> (also spelled Status<E>) carries nothing or
// an E, for operations that only succeed or fail. Both are [[nodiscard]]: a failure is never
// dropped by forgetting to look.
//
// Which shape a fallible function returns (each declaration marked [[nodiscard]]):
//
//   shape              when                                   example
//   Result<T, E>       a value, or the reason there is none   CheckNetworkForm(form)
//                                                             -> Result<NetworkValues, Refusal>
//   Status<E>          nothing to give back, but may fail     UdpSocket::bind(address, port)
//                      with a reason                          -> Status<OsError> (OsStatus)
//   std::optional<T>   a value, or none where the absence     ParseMacDashed(text)
//                      needs no reason                        -> std::optional<MacAddress>
//
// The socket layer's reason is OsError (core/os_error.h), which carries the system's error
// number; the window and ktr-cli turn it into the product's texts. No int that is 0 or an error
// number, no empty string that means success, no bool with an out-parameter, no -1 for "none".
#pragma once

#include <concepts>
#include <utility>
#include <variant>

namespace ktr {

// The failure side of a Result, so that a failure never reads as a value of the same type.
template <typename E>
struct Failure
{
    E error;
};

template <typename E>
Failure<E> Fail(E error)
{
    return Failure<E>{std::move(error)};
}

// The success of an operation that has no value to give.
struct Success
{
};

inline constexpr Success Ok()
{
    return {};
}

template <typename T, typename E>
class [[nodiscard]] Result
{
public:
    Result(T value)
        : state_(std::in_place_index<0>, std::move(value))
    {
    }
    // Any failure whose reason makes an E, so that Fail("text") serves a std::string error.
    template <typename U>
    requires std::constructible_from<E, U> Result(Failure<U> failure)
        : state_(std::in_place_index<1>, E(std::move(failure.error)))
    {
    }

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T &value() const { return std::get<0>(state_); }
    T &value() { return std::get<0>(state_); }
    const T &operator*() const { return value(); }
    const T *operator->() const { return &value(); }
    const E &error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

template <typename E>
class [[nodiscard]] Result<void, E>
{
public:
    Result(Success) {}
    template <typename U>
    requires std::constructible_from<E, U> Result(Failure<U> failure)
        : failed_(true)
        , error_(std::move(failure.error))
    {
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const E &error() const { return error_; }

private:
    bool failed_ = false;
    E error_{};
};

template <typename E>
using Status = Result<void, E>;

} // namespace ktr
