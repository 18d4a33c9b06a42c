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

// Floating-point faults: the messages are the runtime's own texts, which become formula error
// texts.
CARRELON_EXCEPTION(EMathError, Exception);
CARRELON_EXCEPTION(EInvalidOp, EMathError);
CARRELON_EXCEPTION(EZeroDivide, EMathError);
CARRELON_EXCEPTION(EOverflow, EMathError);
CARRELON_EXCEPTION(EUnderflow, EMathError);
inline constexpr const char* SInvalidOp = "Invalid floating point operation";
inline constexpr const char* SZeroDivide = "Floating point division by zero";
inline constexpr const char* SOverflow = "Floating point overflow";
inline constexpr const char* SUnderflow = "Floating point underflow";

// Integer faults.
CARRELON_EXCEPTION(EIntError, Exception);
CARRELON_EXCEPTION(EDivByZero, EIntError);
CARRELON_EXCEPTION(EIntOverflow, EIntError);

// Lists: "List index out of bounds (5)".
CARRELON_EXCEPTION(EListError, Exception);
CARRELON_EXCEPTION(EStringListError, EListError);

CARRELON_EXCEPTION(EOutOfMemory, Exception);
inline constexpr const char* SOutOfMemory = "Out of memory";

// Streams and files.
CARRELON_EXCEPTION(EStreamError, Exception);
CARRELON_EXCEPTION(EReadError, EStreamError);
CARRELON_EXCEPTION(EWriteError, EStreamError);
CARRELON_EXCEPTION(EFOpenError, EStreamError);
CARRELON_EXCEPTION(EFCreateError, EStreamError);

CARRELON_EXCEPTION(EVariantError, Exception);
CARRELON_EXCEPTION(EVariantTypeCastError, EVariantError);
CARRELON_EXCEPTION(EVariantOverflowError, EVariantError);
CARRELON_EXCEPTION(EInvalidOperation, Exception);
CARRELON_EXCEPTION(EInvalidPointer, Exception);

// The silent exception: it unwinds like any other but is never shown to the user.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
    AnsiString ClassName() const override { return "EAbort"; }
};

// Raises EAbort.
[[noreturn]] inline void Abort() {
    throw EAbort();
}

}  // namespace carrelon
