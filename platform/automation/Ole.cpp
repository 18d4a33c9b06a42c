#include "platform/automation/Ole.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>
#include <cstdio>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "platform/automation/OfficeServers.h"
#include "platform/automation/OleServer.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/TempFiles.h"

namespace carrelon {

const TIID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const TIID IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const Variant EmptyParam = Variant::MakeError(DISP_E_PARAMNOTFOUND);

namespace ole {

// Class identifiers of the platform's own servers.
const TCLSID CLSID_WordDocument{
    0x6C1E0A01, 0x3A7B, 0x4C2D, {0x9E, 0x10, 0x43, 0x61, 0x72, 0x72, 0x01, 0x01}};
const TCLSID CLSID_WordApplication{
    0x6C1E0A02, 0x3A7B, 0x4C2D, {0x9E, 0x10, 0x43, 0x61, 0x72, 0x72, 0x01, 0x02}};
const TCLSID CLSID_ExcelApplication{
    0x6C1E0A03, 0x3A7B, 0x4C2D, {0x9E, 0x10, 0x43, 0x61, 0x72, 0x72, 0x01, 0x03}};

bool GHooksActive = false;

}  // namespace ole

namespace {

struct TServerEntry {
    TCLSID ClassID;
    TOleServerFactory Factory;
};

struct TMemberFailure {
    AnsiString Message;
    HRESULT Code;
    int Remaining;  // calls still to pass before the failing one
};

struct TOleState {
    std::map<AnsiString, TServerEntry> Servers;  // by upper-cased ProgID
    std::vector<std::pair<TCLSID, IUnknownPtr>> Running;
    int InitDepth = 0;
    std::vector<AnsiString>* Log = nullptr;
    std::map<AnsiString, std::pair<AnsiString, HRESULT>> StartFailures;  // by upper-cased ProgID
    std::unordered_map<AnsiString, TMemberFailure> MemberFailures;
    bool InitInjected = false;
    HRESULT InitResult = S_OK;
    TOfficeShowHook ShowHook;
    AnsiString WordVersion = "16.0";
    TWorkbookReadLimits Limits;
};

AnsiString UpperKey(const AnsiString& S) {
    AnsiString r = S;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

void RegisterDefaults(TOleState& S) {
    S.Servers[UpperKey("Word.Document")] = {ole::CLSID_WordDocument, ole::StartWordDocument};
    S.Servers[UpperKey("Word.Application")] = {ole::CLSID_WordApplication,
                                               ole::StartWordApplication};
    S.Servers[UpperKey("Excel.Application")] = {ole::CLSID_ExcelApplication,
                                                ole::StartExcelApplication};
}

TOleState& State() {
    static TOleState* state = [] {
        auto* s = new TOleState();
        RegisterDefaults(*s);
        return s;
    }();
    return *state;
}

void UpdateHooksActive() {
    const TOleState& s = State();
    ole::GHooksActive = s.Log != nullptr || !s.MemberFailures.empty();
}

const TServerEntry* FindByClassID(const TCLSID& ClassID, AnsiString* ProgID = nullptr) {
    for (const auto& [key, entry] : State().Servers)
        if (entry.ClassID == ClassID) {
            if (ProgID) *ProgID = key;
            return &entry;
        }
    return nullptr;
}

bool HasDisplay() {
    if (QGuiApplication::instance() == nullptr) return false;
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

void DefaultShow(const TOfficeShowRequest& Request) {
    if (!HasDisplay() || !Request.SaveTo) return;
    const AnsiString temp = CreateTempFileName("crl");
    if (temp.empty()) return;
    const AnsiString named = ChangeFileExt(temp, Request.Extension);
    std::error_code ec;
    std::filesystem::rename(temp, named, ec);
    if (ec) {
        DeleteFile(temp);
        return;
    }
    Request.SaveTo(named);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(named)));
}

}  // namespace

AnsiString GUIDToString(const TGUID& G) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", G.D1, G.D2,
                  G.D3, G.D4[0], G.D4[1], G.D4[2], G.D4[3], G.D4[4], G.D4[5], G.D4[6], G.D4[7]);
    return buf;
}

AnsiString SysErrorMessage(HRESULT Code) {
    switch (Code) {
        case S_OK:
            return "The operation completed successfully";
        case E_FAIL:
            return "Unspecified error";
        case E_NOINTERFACE:
            return "Interface not supported";
        case E_INVALIDARG:
            return "The parameter is incorrect";
        case E_OUTOFMEMORY:
            return "Not enough storage is available to complete this operation";
        case DISP_E_PARAMNOTFOUND:
            return "Parameter not found";
        case DISP_E_TYPEMISMATCH:
            return "Type mismatch";
        case DISP_E_EXCEPTION:
            return "Exception occurred";
        case DISP_E_BADINDEX:
            return "Invalid index";
        case MK_E_UNAVAILABLE:
            return "Operation unavailable";
        case CO_E_NOTINITIALIZED:
            return "CoInitialize has not been called";
        case CO_E_CLASSSTRING:
            return "Invalid class string";
        case REGDB_E_CLASSNOTREG:
            return "Class not registered";
        default: {
            char buf[48];
            std::snprintf(buf, sizeof buf, "OLE error %08X", static_cast<unsigned>(Code));
            return buf;
        }
    }
}

void OleCheck(HRESULT Result) {
    if (Failed(Result)) throw EOleSysError(SysErrorMessage(Result), Result);
}

HRESULT IUnknown::QueryInterface(const TIID& IID, IUnknownPtr& Obj) {
    if (IID == IID_IUnknown) {
        Obj = shared_from_this();
        return S_OK;
    }
    Obj.reset();
    return E_NOINTERFACE;
}

HRESULT IDispatch::QueryInterface(const TIID& IID, IUnknownPtr& Obj) {
    if (IID == IID_IDispatch) {
        Obj = shared_from_this();
        return S_OK;
    }
    return IUnknown::QueryInterface(IID, Obj);
}

HRESULT CoInitialize(void*) {
    TOleState& s = State();
    if (s.InitInjected) return s.InitResult;
    return s.InitDepth++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    TOleState& s = State();
    if (s.InitDepth > 0) --s.InitDepth;
}

int OleInitializeDepth() {
    return State().InitDepth;
}

TCLSID ProgIDToClassID(const AnsiString& ProgID) {
    const auto& servers = State().Servers;
    const auto it = servers.find(UpperKey(ProgID));
    if (it == servers.end()) OleCheck(CO_E_CLASSSTRING);
    return it->second.ClassID;
}

IUnknownPtr CreateComObject(const TCLSID& ClassID) {
    AnsiString progID;
    const TServerEntry* entry = FindByClassID(ClassID, &progID);
    if (entry == nullptr) OleCheck(REGDB_E_CLASSNOTREG);
    const auto& failures = State().StartFailures;
    if (const auto it = failures.find(progID); it != failures.end())
        throw EOleSysError(it->second.first, it->second.second);
    const TOleServerFactory factory = entry->Factory;  // the factory may change the registry
    IDispatchPtr instance = factory(ClassID);
    if (!instance) OleCheck(E_FAIL);
    return instance;
}

IDispatchPtr CreateOleObject(const AnsiString& ClassName) {
    IUnknownPtr unknown = CreateComObject(ProgIDToClassID(ClassName));
    IUnknownPtr dispatch;
    OleCheck(unknown->QueryInterface(IID_IDispatch, dispatch));
    return std::static_pointer_cast<IDispatch>(dispatch);
}

HRESULT GetActiveObject(const TCLSID& ClassID, void*, IUnknownPtr& Unknown) {
    for (const auto& [id, instance] : State().Running)
        if (id == ClassID) {
            Unknown = instance;
            return S_OK;
        }
    Unknown.reset();
    return MK_E_UNAVAILABLE;
}

void RegisterOleServer(const AnsiString& ProgID, const TCLSID& ClassID, TOleServerFactory Factory) {
    State().Servers[UpperKey(ProgID)] = {ClassID, std::move(Factory)};
}

void UnregisterOleServer(const AnsiString& ProgID) {
    State().Servers.erase(UpperKey(ProgID));
}

void ResetOleServers() {
    TOleState& s = State();
    s.Servers.clear();
    RegisterDefaults(s);
    auto running = std::move(s.Running);  // released after the table is consistent
    s.Running.clear();
}

void RegisterActiveObject(const TCLSID& ClassID, const IUnknownPtr& Instance) {
    auto& running = State().Running;
    for (const auto& [id, instance] : running)
        if (id == ClassID && instance == Instance) return;
    running.emplace_back(ClassID, Instance);
}

void RevokeActiveObject(const TCLSID& ClassID, const IUnknown* Instance) {
    auto& running = State().Running;
    for (auto it = running.begin(); it != running.end(); ++it)
        if (it->first == ClassID && it->second.get() == Instance) {
            IUnknownPtr keep = std::move(it->second);  // released after the erase
            running.erase(it);
            return;
        }
}

void SetOleCallLog(std::vector<AnsiString>* Log) {
    State().Log = Log;
    UpdateHooksActive();
}

void InjectOleStartFailure(const AnsiString& ProgID, const AnsiString& Message, HRESULT Code) {
    State().StartFailures[UpperKey(ProgID)] = {Message, Code};
}

void InjectOleMemberFailure(const AnsiString& Member, const AnsiString& Message, int Occurrence,
                            HRESULT Code) {
    State().MemberFailures[Member] = {Message, Code, Occurrence < 1 ? 0 : Occurrence - 1};
    UpdateHooksActive();
}

void InjectCoInitializeResult(HRESULT Result) {
    State().InitInjected = true;
    State().InitResult = Result;
}

void ClearOleInjections() {
    TOleState& s = State();
    s.StartFailures.clear();
    s.MemberFailures.clear();
    s.InitInjected = false;
    UpdateHooksActive();
}

TOfficeShowHook SetOfficeShowHook(TOfficeShowHook Hook) {
    TOfficeShowHook old = std::move(State().ShowHook);
    State().ShowHook = std::move(Hook);
    return old;
}

void SetWordServerVersion(const AnsiString& Version) {
    State().WordVersion = Version;
}

AnsiString GetWordServerVersion() {
    return State().WordVersion;
}

void SetWorkbookReadLimits(const TWorkbookReadLimits& Limits) {
    State().Limits = Limits;
}

TWorkbookReadLimits GetWorkbookReadLimits() {
    return State().Limits;
}

namespace ole {

void EnterSlow(const char* Member, const AnsiString& Args, const char* Assign) {
    TOleState& s = State();
    if (s.Log != nullptr) {
        AnsiString entry = Member;
        if (Assign != nullptr)
            entry += " := " + Args;
        else if (!Args.empty())
            entry += "(" + Args + ")";
        s.Log->push_back(std::move(entry));
    }
    if (s.MemberFailures.empty()) return;
    const auto it = s.MemberFailures.find(Member);
    if (it == s.MemberFailures.end()) return;
    if (it->second.Remaining > 0) {
        --it->second.Remaining;
        return;
    }
    const TMemberFailure failure = it->second;
    s.MemberFailures.erase(it);
    UpdateHooksActive();
    const AnsiString member = Member;
    throw EOleException(failure.Message, failure.Code, member.substr(0, member.find('.')));
}

AnsiString FormatArg(const Variant& V) {
    if (IsEmptyParam(V)) return "<omitted>";
    if (V.IsEmpty()) return "Empty";
    if (V.IsNull()) return "Null";
    if (V.IsArray()) return "<array>";
    if (V.IsString()) {
        AnsiString quoted(1, '"');
        quoted += V.AsString();
        quoted += '"';
        return quoted;
    }
    if (V.Type() == varError) return "Error " + std::to_string(V.ErrorCode());
    try {
        return V.AsString();
    } catch (const Exception&) {
        return "<value>";
    }
}

void Raise(const AnsiString& Source, const AnsiString& Message, HRESULT Code) {
    throw EOleException(Message, Code, Source);
}

void ShowDocument(const char* ProgID, const char* Extension,
                  std::function<void(const AnsiString&)> SaveTo) {
    TOfficeShowRequest request{ProgID, Extension, std::move(SaveTo)};
    const TOfficeShowHook hook = State().ShowHook;
    if (hook)
        hook(request);
    else
        DefaultShow(request);
}

void SaveAtomically(const AnsiString& FileName, const AnsiString& Source,
                    const std::function<void(const AnsiString& TempName)>& Write) {
    namespace fs = std::filesystem;
    if (FileName.empty()) Raise(Source, "The file name is empty.");
    std::error_code ec;
    const fs::path target = fs::absolute(fs::path(FileName), ec);
    if (ec || !target.has_filename() || fs::is_directory(target, ec))
        Raise(Source, "Cannot save to \"" + FileName + "\": not a file name.");
    const fs::path folder = target.parent_path();
    if (!fs::is_directory(folder, ec))
        Raise(Source, "Cannot save to \"" + FileName + "\": the folder does not exist.");
    fs::path temp;
    for (int i = 0;; ++i) {
        AnsiString name(1, '.');
        name += target.filename().string();
        name += ".saving";
        name += std::to_string(i);
        temp = folder / name;
        if (!fs::exists(temp, ec)) break;
        if (i > 1000) Raise(Source, "Cannot save to \"" + FileName + "\".");
    }
    try {
        Write(temp.string());
    } catch (...) {
        fs::remove(temp, ec);
        throw;
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        Raise(Source, "Cannot save to \"" + FileName + "\": " + ec.message());
    }
}

}  // namespace ole

}  // namespace carrelon
