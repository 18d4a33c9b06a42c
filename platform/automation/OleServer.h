// Private support for the platform's automation servers: the member-call gate that writes the
// call log and raises injected failures, and the server errors.
#pragma once

#include <sstream>

#include "platform/automation/Ole.h"

namespace carrelon::ole {

// True while a call log is set or a member failure is injected; the gate costs one test
// otherwise.
extern bool GHooksActive;

void EnterSlow(const char* Member, const AnsiString& Args, const char* Assign);

AnsiString FormatArg(const Variant& V);
inline AnsiString FormatArg(const AnsiString& S) {
    return FormatArg(Variant(S));
}
inline AnsiString FormatArg(const char* S) {
    return FormatArg(Variant(S));
}
inline AnsiString FormatArg(bool B) {
    return B ? "True" : "False";
}
template <class T>
AnsiString FormatArg(const std::shared_ptr<T>& P) {
    return P ? "<object>" : "Nothing";
}
inline AnsiString FormatArg(int I) {
    return std::to_string(I);
}
inline AnsiString FormatArg(double D) {
    return FormatArg(Variant(D));
}

// A member call or property read: Member is "Server.Object.Member".
template <class... A>
inline void Call(const char* Member, const A&... Args) {
    if (!GHooksActive) return;
    AnsiString text;
    if constexpr (sizeof...(A) > 0) {
        bool first = true;
        ((text += (first ? "" : ", ") + FormatArg(Args), first = false), ...);
    }
    EnterSlow(Member, text, nullptr);
}

// A property write.
template <class V>
inline void Assign(const char* Member, const V& Value) {
    if (!GHooksActive) return;
    EnterSlow(Member, FormatArg(Value), "");
}

// The error a server raises from inside a member.
[[noreturn]] void Raise(const AnsiString& Source, const AnsiString& Message,
                        HRESULT Code = DISP_E_EXCEPTION);

// Registry callback used by the servers to find the hook and to register themselves.
void ShowDocument(const char* ProgID, const char* Extension,
                  std::function<void(const AnsiString&)> SaveTo);

// Saves through Write into a temporary file beside FileName and renames it over FileName, so a
// failed save never destroys an existing file. Raises with Source on failure.
void SaveAtomically(const AnsiString& FileName, const AnsiString& Source,
                    const std::function<void(const AnsiString& TempName)>& Write);

}  // namespace carrelon::ole

namespace carrelon::ole {

// The platform's servers, started by the registry.
extern const TCLSID CLSID_WordDocument;
extern const TCLSID CLSID_WordApplication;
extern const TCLSID CLSID_ExcelApplication;
IDispatchPtr StartWordDocument(const TCLSID& ClassID);
IDispatchPtr StartWordApplication(const TCLSID& ClassID);
IDispatchPtr StartExcelApplication(const TCLSID& ClassID);

}  // namespace carrelon::ole
