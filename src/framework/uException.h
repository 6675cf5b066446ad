// Base of the program's exception hierarchy: every exception carries a class
// name and a message, so a worker thread can report both across its boundary.
#pragma once
#include <string>

class Exception {
public:
    explicit Exception(std::wstring message) : message_(std::move(message)) {}
    virtual ~Exception() = default;
    virtual const wchar_t* ClassName() const { return L"Exception"; }
    const std::wstring& Message() const { return message_; }

private:
    std::wstring message_;
};

// Declares `Name` deriving from `Base` with its own class name.
#define KORVIX_DECLARE_EXCEPTION(Name, Base)                            \
    class Name : public Base {                                          \
    public:                                                             \
        using Base::Base;                                               \
        const wchar_t* ClassName() const override { return L## #Name; } \
    }

KORVIX_DECLARE_EXCEPTION(ERegistryError, Exception);

// A failed system call. With a code, the message is the context, ": " and the system's
// own text for the code ("Cannot create window: Access is denied. (5)").
// Codes are `unsigned long` (the system's unsigned long) so that this header needs no Windows
// headers: the skin format code includes it and is also built natively for fuzzing.
class EOSError : public Exception {
public:
    explicit EOSError(std::wstring message) : Exception(std::move(message)) {}
    EOSError(unsigned long code, const std::wstring& context);
    const wchar_t* ClassName() const override { return L"EOSError"; }
    unsigned long ErrorCode() const noexcept { return code_; }

private:
    unsigned long code_ = 0;
};

// The system's text for an error code, without the trailing line break, and the code in
// parentheses ("Access is denied. (5)"); "System error 1234" when the system has no text.
std::wstring SystemErrorText(unsigned long code);
// Throws EOSError for GetLastError(), read before anything else can change it.
[[noreturn]] void RaiseLastOSError(const std::wstring& context);
