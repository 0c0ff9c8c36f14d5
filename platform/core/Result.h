// Result.h — the platform's one error-carrying result type.
//
// Inside the platform every fallible operation returns Result<T>: a value,
// or an Error made of a result code and a fixed message. At the API the
// system calls, the Error becomes the OSErr (or nil plus MemError /
// ResError / GetMoviesError).
//
//     Result<UInt32> r = reader.u32();
//     UInt32 size = TRY(reader.u32());      // returns the error to our caller
//
#pragma once

#include <cassert>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/Errors.h"

namespace platform {

struct Error {
    OSErr code = paramErr;
    const char* message = "";   // fixed text, never owned
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(const T& value) : v_(value) {}
    Result(T&& value) : v_(std::move(value)) {}
    Result(Error error) : v_(error) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { assert(ok()); return std::get<0>(v_); }
    const T& value() const& { assert(ok()); return std::get<0>(v_); }
    T&& value() && { assert(ok()); return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { assert(!ok()); return std::get<1>(v_); }
    OSErr code() const { return ok() ? OSErr(noErr) : error().code; }

    T value_or(T fallback) const& { return ok() ? std::get<0>(v_) : fallback; }

    // Re-labels a failure with the caller's own code (e.g. a short read
    // inside a movie atom becomes invalidMovie), keeping the message.
    Result with_code(OSErr code) && {
        if (ok()) return std::move(*this);
        return Error{code, error().message};
    }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : err_(error), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    void value() const { assert(ok()); }
    const Error& error() const { assert(!ok()); return err_; }
    OSErr code() const { return ok() ? OSErr(noErr) : err_.code; }

    Result with_code(OSErr code) && {
        if (ok()) return *this;
        return Error{code, err_.message};
    }

private:
    Error err_{};
    bool failed_ = false;
};

inline Result<void> ok() { return {}; }

inline Error fail(OSErr code, const char* message) { return Error{code, message}; }

}  // namespace platform

// TRY(expr): evaluates a Result; on failure returns its Error from the
// enclosing function, otherwise yields the value.
#define TRY(expr)                                             \
    ({                                                        \
        auto&& try_result_ = (expr);                          \
        if (!try_result_.ok()) return try_result_.error();    \
        std::move(try_result_).value();                       \
    })

// TRY_AS(expr, code): the same, but a failure is returned with `code`.
#define TRY_AS(expr, code_)                                                \
    ({                                                                     \
        auto&& try_result_ = (expr);                                       \
        if (!try_result_.ok())                                             \
            return ::platform::Error{(code_), try_result_.error().message}; \
        std::move(try_result_).value();                                    \
    })
