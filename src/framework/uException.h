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

KORVIX_DECLARE_EXCEPTION(EOSError, Exception);
KORVIX_DECLARE_EXCEPTION(ERegistryError, Exception);
