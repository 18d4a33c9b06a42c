// OLE automation: COM initialisation, class identifiers, the registry of automation servers by
// ProgID, the table of running instances, and the exceptions automation raises. Servers hand out
// typed interfaces (WordAutomation.h, ExcelAutomation.h) in place of late-bound IDispatch calls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009);
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
inline constexpr HRESULT MK_E_UNAVAILABLE = static_cast<HRESULT>(0x800401E3);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);

inline bool Succeeded(HRESULT Result) {
    return Result >= 0;
}
inline bool Failed(HRESULT Result) {
    return Result < 0;
}

struct TGUID {
    std::uint32_t D1 = 0;
    std::uint16_t D2 = 0;
    std::uint16_t D3 = 0;
    std::uint8_t D4[8] = {};
    friend bool operator==(const TGUID&, const TGUID&) = default;
};
using TCLSID = TGUID;
using TIID = TGUID;

extern const TIID IID_IUnknown;
extern const TIID IID_IDispatch;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
AnsiString GUIDToString(const TGUID& Guid);

// Base of every automation failure.
class EOleError : public Exception {
public:
    using Exception::Exception;
    AnsiString ClassName() const override { return "EOleError"; }
};

// A failed system call, with its result code.
class EOleSysError : public EOleError {
public:
    EOleSysError(AnsiString Msg, HRESULT Code) : EOleError(std::move(Msg)), ErrorCode(Code) {}
    AnsiString ClassName() const override { return "EOleSysError"; }
    HRESULT ErrorCode;
};

// An exception raised by a server inside a member call; Source names the server.
class EOleException : public EOleSysError {
public:
    EOleException(AnsiString Msg, HRESULT Code, AnsiString Src)
        : EOleSysError(std::move(Msg), Code), Source(std::move(Src)) {}
    AnsiString ClassName() const override { return "EOleException"; }
    AnsiString Source;
};

// The system's text for a result code ("Invalid class string", "Operation unavailable", ...).
AnsiString SysErrorMessage(HRESULT Code);

// Raises EOleSysError with the code's text when Result is a failure.
void OleCheck(HRESULT Result);

class IUnknown;
using IUnknownPtr = std::shared_ptr<IUnknown>;

class IUnknown : public std::enable_shared_from_this<IUnknown> {
public:
    virtual ~IUnknown() = default;
    // S_OK and the object when it supports IID, else E_NOINTERFACE and nullptr.
    virtual HRESULT QueryInterface(const TIID& IID, IUnknownPtr& Obj);
};

class IDispatch : public IUnknown {
public:
    HRESULT QueryInterface(const TIID& IID, IUnknownPtr& Obj) override;
};
using IDispatchPtr = std::shared_ptr<IDispatch>;

// The typed interface T of an automation object; raises EOleSysError (E_NOINTERFACE) when the
// object is not one.
template <class T>
std::shared_ptr<T> OleCast(const IUnknownPtr& Obj) {
    auto typed = std::dynamic_pointer_cast<T>(Obj);
    if (!typed) OleCheck(E_NOINTERFACE);
    return typed;
}

// An omitted optional argument.
extern const Variant EmptyParam;
inline bool IsEmptyParam(const Variant& V) {
    return V.Type() == varError && V.ErrorCode() == DISP_E_PARAMNOTFOUND;
}

// COM on the user-interface thread: S_OK for the first initialisation, S_FALSE when already
// initialised; each successful call is paired with CoUninitialize.
HRESULT CoInitialize(void* Reserved);
void CoUninitialize();

// The class identifier registered for ProgID; raises EOleSysError "Invalid class string" when
// no server is registered under it (as on a machine without that application).
TCLSID ProgIDToClassID(const AnsiString& ProgID);
// A new instance of the class; raises when the class is unknown or the server fails to start.
IUnknownPtr CreateComObject(const TCLSID& ClassID);
// CreateComObject(ProgIDToClassID(ClassName)) queried for IDispatch.
IDispatchPtr CreateOleObject(const AnsiString& ClassName);
// The running instance of the class, or MK_E_UNAVAILABLE when none runs.
HRESULT GetActiveObject(const TCLSID& ClassID, void* Reserved, IUnknownPtr& Unknown);

// Server registry. A factory starts one instance; it may raise to report a failed start.
using TOleServerFactory = std::function<IDispatchPtr(const TCLSID& ClassID)>;
void RegisterOleServer(const AnsiString& ProgID, const TCLSID& ClassID, TOleServerFactory Factory);
void UnregisterOleServer(const AnsiString& ProgID);
// Puts back the servers the platform brings ("Word.Document", "Word.Application",
// "Excel.Application") and empties the table of running instances.
void ResetOleServers();

// Running instances, as servers register themselves when the user gets control of them. The
// table holds a reference until the instance is revoked.
void RegisterActiveObject(const TCLSID& ClassID, const IUnknownPtr& Instance);
void RevokeActiveObject(const TCLSID& ClassID, const IUnknown* Instance);

// Test support: an ordered log of every member call on the platform's servers
// ("Excel.Range.Select", "Excel.Application.Visible := False"), and injected failures.
void SetOleCallLog(std::vector<AnsiString>* Log);
// Starting ProgID raises EOleSysError(Message, Code) until the injections are cleared.
void InjectOleStartFailure(const AnsiString& ProgID, const AnsiString& Message,
                           HRESULT Code = E_FAIL);
// The Occurrence-th call (counted from 1 after this call) of Member - a log name without its
// arguments, such as "Excel.Range.Merge" - raises EOleException(Message, Code).
void InjectOleMemberFailure(const AnsiString& Member, const AnsiString& Message, int Occurrence = 1,
                            HRESULT Code = DISP_E_EXCEPTION);
// CoInitialize answers Result instead of initialising.
void InjectCoInitializeResult(HRESULT Result);
void ClearOleInjections();
// How many CoInitialize calls are not yet paired with CoUninitialize.
int OleInitializeDepth();

}  // namespace carrelon
