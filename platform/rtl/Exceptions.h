// The runtime's exception classes: Exception with its Message, and the kinds the Parts raise
// or catch.
#pragma once

#include <exception>

#include "platform/rtl/Types.h"

namespace carrelon {

class Exception : public std::exception {
public:
    explicit Exception(AnsiString Msg) : Message(std::move(Msg)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    virtual AnsiString ClassName() const { return "Exception"; }

    AnsiString Message;
};

#define CARRELON_EXCEPTION(Name, Base)                          \
    class Name : public Base {                                  \
    public:                                                     \
        using Base::Base;                                       \
        AnsiString ClassName() const override { return #Name; } \
    }

CARRELON_EXCEPTION(EConvertError, Exception);

}  // namespace carrelon
