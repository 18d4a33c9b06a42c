#include "platform/controls/Streaming.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <utility>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

namespace {

constexpr char Signature[4] = {'C', 'R', 'L', 'N'};
constexpr Byte FormatVersion = 1;
constexpr Byte ChildFollows = 1;
constexpr Byte EndOfChildren = 0;

// Integers travel little-endian whatever the host.
template <class T>
void PutLE(Byte* Out, T Value) {
    auto U = static_cast<std::make_unsigned_t<T>>(Value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        Out[i] = static_cast<Byte>((U >> (8 * i)) & 0xFF);
}

template <class T>
T GetLE(const Byte* In) {
    std::make_unsigned_t<T> U = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        U |= static_cast<std::make_unsigned_t<T>>(In[i]) << (8 * i);
    return static_cast<T>(U);
}

}  // namespace

// ---- TFiler typed declarations --------------------------------------------------------------

void TFiler::DefineInteger(const AnsiString& Name, std::function<Int64()> Get,
                           std::function<void(Int64)> Set, Int64 Min, Int64 Max, bool Stored) {
    DefineProperty(
        Name,
        [=](TReader& R) {
            const Int64 V = R.ReadInteger();
            if (V < Min || V > Max)
                throw EReadError("Property " + Name + " out of range (" + std::to_string(V) + ")");
            Set(V);
        },
        [=](TWriter& W) { W.WriteInteger(Get()); }, Stored);
}

void TFiler::DefineBoolean(const AnsiString& Name, std::function<bool()> Get,
                           std::function<void(bool)> Set, bool Stored) {
    DefineProperty(
        Name, [=](TReader& R) { Set(R.ReadBoolean()); }, [=](TWriter& W) { W.WriteBoolean(Get()); },
        Stored);
}

void TFiler::DefineString(const AnsiString& Name, std::function<AnsiString()> Get,
                          std::function<void(const AnsiString&)> Set, bool Stored) {
    DefineProperty(
        Name, [=](TReader& R) { Set(R.ReadString()); }, [=](TWriter& W) { W.WriteString(Get()); },
        Stored);
}

void TFiler::DefineFloat(const AnsiString& Name, std::function<Extended()> Get,
                         std::function<void(Extended)> Set, bool Stored) {
    DefineProperty(
        Name, [=](TReader& R) { Set(R.ReadFloat()); }, [=](TWriter& W) { W.WriteFloat(Get()); },
        Stored);
}

void TFiler::DefineVariant(const AnsiString& Name, std::function<Variant()> Get,
                           std::function<void(const Variant&)> Set, bool Stored) {
    DefineProperty(
        Name, [=](TReader& R) { Set(R.ReadVariant()); }, [=](TWriter& W) { W.WriteVariant(Get()); },
        Stored);
}

void TFiler::DefineEnum(const AnsiString& Name, const std::vector<AnsiString>& Names,
                        std::function<int()> Get, std::function<void(int)> Set, bool Stored) {
    DefineProperty(
        Name,
        [=](TReader& R) {
            const AnsiString Ident = R.ReadIdent();
            auto It = std::find(Names.begin(), Names.end(), Ident);
            if (It == Names.end())
                throw EReadError("Invalid property value " + Ident + " of " + Name);
            Set(static_cast<int>(It - Names.begin()));
        },
        [=](TWriter& W) {
            const int V = Get();
            if (V < 0 || V >= static_cast<int>(Names.size()))
                throw EWriteError("Property " + Name + " has no name for " + std::to_string(V));
            W.WriteIdent(Names[static_cast<std::size_t>(V)]);
        },
        Stored);
}

void TFiler::DefineSet(const AnsiString& Name, std::function<std::uint64_t()> Get,
                       std::function<void(std::uint64_t)> Set, std::uint64_t ValidBits,
                       bool Stored) {
    DefineProperty(
        Name,
        [=](TReader& R) {
            const std::uint64_t Bits = R.ReadSet();
            if ((Bits & ~ValidBits) != 0) throw EReadError("Invalid property value of " + Name);
            Set(Bits);
        },
        [=](TWriter& W) { W.WriteSet(Get()); }, Stored);
}

void DefineFontProperties(TFiler& Filer, const AnsiString& Prefix, TFont* Font, bool Stored) {
    if (Font == nullptr) return;
    Filer.DefineString(
        Prefix + ".Name", [Font] { return Font->GetName(); },
        [Font](const AnsiString& V) {
            if (V.empty() || V.size() > 255) throw EReadError("Invalid font name");
            Font->SetName(V);
        },
        Stored);
    Filer.DefineInteger(
        Prefix + ".Height", [Font] { return Int64{Font->GetHeight()}; },
        [Font](Int64 V) { Font->SetHeight(static_cast<int>(V)); }, -4096, 4096, Stored);
    Filer.DefineInteger(
        Prefix + ".Color", [Font] { return Int64{Font->GetColor()}; },
        [Font](Int64 V) { Font->SetColor(static_cast<TColor>(V)); }, INT32_MIN, INT32_MAX, Stored);
    Filer.DefineSet(
        Prefix + ".Style", [Font] { return Font->GetStyle().ToInt(); },
        [Font](std::uint64_t V) { Font->SetStyle(TFontStyles::FromInt(V)); }, 0x0F, Stored);
    Filer.DefineInteger(
        Prefix + ".Charset", [Font] { return Int64{Font->GetCharset()}; },
        [Font](Int64 V) { Font->SetCharset(static_cast<TFontCharset>(V)); }, 0, 255, Stored);
    Filer.DefineEnum(
        Prefix + ".Pitch", {"fpDefault", "fpVariable", "fpFixed"},
        [Font] { return static_cast<int>(Font->GetPitch()); },
        [Font](int V) { Font->SetPitch(static_cast<TFontPitch>(V)); }, Stored);
}

void DefinePictureProperty(TFiler& Filer, const AnsiString& Name, TPicture* Picture) {
    if (Picture == nullptr) return;
    Filer.DefineBinaryProperty(
        Name, [Picture](TStream& S) { Picture->ReadData(S); },
        [Picture](TStream& S) { Picture->WriteData(S); }, Picture->GetGraphic() != nullptr);
}

// ---- TWriter --------------------------------------------------------------------------------

TWriter::TWriter(TStream& Stream) : FStream(Stream) {}

void TWriter::WriteRaw(const void* Data, std::size_t Count) {
    FStream.WriteBuffer(Data, static_cast<Int64>(Count));
}

void TWriter::WriteTag(TValueType Tag) {
    const Byte B = Tag;
    WriteRaw(&B, 1);
}

void TWriter::WriteLength(std::size_t Length) {
    if (Length > 0xFFFFFFFFu) throw EWriteError("Stream write error");
    Byte Buf[4];
    PutLE<std::uint32_t>(Buf, static_cast<std::uint32_t>(Length));
    WriteRaw(Buf, 4);
}

void TWriter::WriteText(const AnsiString& Text) {
    WriteLength(Text.size());
    if (!Text.empty()) WriteRaw(Text.data(), Text.size());
}

void TWriter::WriteInteger(Int64 Value) {
    WriteTag(vaInt);
    Byte Buf[8];
    PutLE<Int64>(Buf, Value);
    WriteRaw(Buf, 8);
}

void TWriter::WriteBoolean(bool Value) {
    WriteTag(Value ? vaTrue : vaFalse);
}

void TWriter::WriteString(const AnsiString& Value) {
    WriteTag(vaString);
    WriteText(Value);
}

void TWriter::WriteFloat(Extended Value) {
    // The shortest text that reads back to the same extended value.
    char Buf[64];
    auto [End, Ec] = std::to_chars(Buf, Buf + sizeof(Buf), Value);
    if (Ec != std::errc()) throw EWriteError("Stream write error");
    WriteTag(vaExtended);
    WriteText(AnsiString(Buf, End));
}

void TWriter::WriteDouble(double Value) {
    WriteTag(vaDouble);
    Byte Buf[8];
    PutLE<std::uint64_t>(Buf, std::bit_cast<std::uint64_t>(Value));
    WriteRaw(Buf, 8);
}

void TWriter::WriteIdent(const AnsiString& Value) {
    if (!IsValidIdent(Value)) throw EWriteError("Invalid identifier " + Value);
    WriteTag(vaIdent);
    WriteText(Value);
}

void TWriter::WriteSet(std::uint64_t Bits) {
    WriteTag(vaSet);
    Byte Buf[8];
    PutLE<std::uint64_t>(Buf, Bits);
    WriteRaw(Buf, 8);
}

void TWriter::WriteCurrency(Currency Value) {
    WriteTag(vaCurrency);
    Byte Buf[8];
    PutLE<Int64>(Buf, Value.Raw());
    WriteRaw(Buf, 8);
}

void TWriter::WriteDate(TDateTime Value) {
    WriteTag(vaDate);
    Byte Buf[8];
    PutLE<std::uint64_t>(Buf, std::bit_cast<std::uint64_t>(Value.Val));
    WriteRaw(Buf, 8);
}

void TWriter::WriteVariant(const Variant& Value) {
    switch (Value.Type()) {
        case varEmpty:
            WriteTag(vaEmpty);
            return;
        case varNull:
            WriteTag(vaNullValue);
            return;
        case varBoolean:
            WriteBoolean(Value.AsBoolean());
            return;
        case varSmallint:
        case varInteger:
        case varShortInt:
        case varByte:
        case varWord:
        case varLongWord:
        case varInt64:
            WriteInteger(Value.AsInt64());
            return;
        case varSingle:
        case varDouble:
            WriteDouble(Value.AsDouble());
            return;
        case varCurrency:
            WriteCurrency(Value.AsCurrency());
            return;
        case varDate:
            WriteDate(Value.AsDateTime());
            return;
        case varError: {
            WriteTag(vaErrorValue);
            Byte Buf[4];
            PutLE<std::int32_t>(Buf, Value.ErrorCode());
            WriteRaw(Buf, 4);
            return;
        }
        default:
            if (Value.IsString()) {
                WriteString(Value.AsString());
                return;
            }
            throw EWriteError("Cannot write a variant of type " + VarTypeAsText(Value.Type()));
    }
}

void TWriter::DefineProperty(const AnsiString& Name, const TReaderProc&,
                             const TWriterProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WriteText(Name);
    WriteData(*this);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, const TStreamProc&,
                                   const TStreamProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    TMemoryStream Data;
    WriteData(Data);
    WriteText(Name);
    WriteTag(vaBinary);
    const Int64 Size = Data.GetSize();
    WriteLength(static_cast<std::size_t>(Size));
    if (Size > 0) WriteRaw(Data.Memory(), static_cast<std::size_t>(Size));
}

void TWriter::WriteComponent(TComponent* Component) {
    WriteText(Component->ClassName());
    WriteText(Component->GetName());
    Component->DefineProperties(*this);
    WriteLength(0);  // end of properties: an empty name
    Component->GetChildren(
        [this](TComponent* Child) {
            const Byte B = ChildFollows;
            WriteRaw(&B, 1);
            WriteComponent(Child);
        },
        FRoot);
    const Byte B = EndOfChildren;
    WriteRaw(&B, 1);
}

void TWriter::WriteRootComponent(TComponent* Root) {
    FRoot = Root;
    WriteRaw(Signature, sizeof(Signature));
    WriteRaw(&FormatVersion, 1);
    WriteComponent(Root);
}

// ---- TReader --------------------------------------------------------------------------------

TReader::TReader(TStream& Stream) : FStream(Stream) {}

void TReader::Invalid(const AnsiString& What) const {
    throw EReadError(What);
}

void TReader::ReadRaw(void* Data, std::size_t Count) {
    if (Count == 0) return;
    if (FStream.Read(Data, static_cast<Int64>(Count)) != static_cast<Int64>(Count))
        Invalid("Stream read error: unexpected end of data");
}

std::size_t TReader::ReadLength(std::size_t Limit) {
    Byte Buf[4];
    ReadRaw(Buf, 4);
    const std::size_t Length = GetLE<std::uint32_t>(Buf);
    // Never more than the stream still holds, so a forged length allocates nothing large.
    const Int64 Remaining = FStream.GetSize() - FStream.GetPosition();
    if (Length > Limit || static_cast<Int64>(Length) > Remaining)
        Invalid("Invalid stream format: length " + std::to_string(Length) + " out of bounds");
    return Length;
}

AnsiString TReader::ReadText(std::size_t Limit) {
    const std::size_t Length = ReadLength(Limit);
    AnsiString S(Length, '\0');
    ReadRaw(S.data(), Length);
    return S;
}

TValueType TReader::ReadTag() {
    Byte B = 0;
    ReadRaw(&B, 1);
    if (B > vaErrorValue) Invalid("Invalid property value type " + std::to_string(B));
    ++FValuesRead;
    return static_cast<TValueType>(B);
}

TValueType TReader::NextValue() {
    const Int64 Pos = FStream.GetPosition();
    Byte B = 0;
    ReadRaw(&B, 1);
    FStream.SetPosition(Pos);
    if (B > vaErrorValue) Invalid("Invalid property value type " + std::to_string(B));
    return static_cast<TValueType>(B);
}

namespace {
AnsiString Context(const AnsiString& Prop) {
    return Prop.empty() ? AnsiString() : " (property " + Prop + ")";
}
}  // namespace

Int64 TReader::ReadInteger() {
    if (ReadTag() != vaInt) Invalid("Invalid property value" + Context(FPropName));
    Byte Buf[8];
    ReadRaw(Buf, 8);
    return GetLE<Int64>(Buf);
}

bool TReader::ReadBoolean() {
    const TValueType T = ReadTag();
    if (T == vaTrue) return true;
    if (T == vaFalse) return false;
    Invalid("Invalid property value" + Context(FPropName));
}

AnsiString TReader::ReadString() {
    if (ReadTag() != vaString) Invalid("Invalid property value" + Context(FPropName));
    return ReadText(MaxStringLength);
}

Extended TReader::ReadFloat() {
    const TValueType T = ReadTag();
    if (T == vaInt) {
        --FValuesRead;
        FStream.Seek(-1, soCurrent);
        return static_cast<Extended>(ReadInteger());
    }
    if (T == vaDouble) {
        --FValuesRead;
        FStream.Seek(-1, soCurrent);
        return ReadDouble();
    }
    if (T != vaExtended) Invalid("Invalid property value" + Context(FPropName));
    const AnsiString Text = ReadText(64);
    Extended V = 0;
    auto [End, Ec] = std::from_chars(Text.data(), Text.data() + Text.size(), V);
    if (Ec != std::errc() || End != Text.data() + Text.size())
        Invalid("Invalid floating point value" + Context(FPropName));
    return V;
}

double TReader::ReadDouble() {
    if (ReadTag() != vaDouble) Invalid("Invalid property value" + Context(FPropName));
    Byte Buf[8];
    ReadRaw(Buf, 8);
    return std::bit_cast<double>(GetLE<std::uint64_t>(Buf));
}

AnsiString TReader::ReadIdent() {
    const TValueType T = ReadTag();
    if (T == vaTrue) return "True";
    if (T == vaFalse) return "False";
    if (T != vaIdent) Invalid("Invalid property value" + Context(FPropName));
    AnsiString S = ReadText(255);
    if (!IsValidIdent(S)) Invalid("Invalid identifier" + Context(FPropName));
    return S;
}

std::uint64_t TReader::ReadSet() {
    if (ReadTag() != vaSet) Invalid("Invalid property value" + Context(FPropName));
    Byte Buf[8];
    ReadRaw(Buf, 8);
    return GetLE<std::uint64_t>(Buf);
}

Currency TReader::ReadCurrency() {
    if (ReadTag() != vaCurrency) Invalid("Invalid property value" + Context(FPropName));
    Byte Buf[8];
    ReadRaw(Buf, 8);
    return Currency::FromRaw(GetLE<Int64>(Buf));
}

TDateTime TReader::ReadDate() {
    if (ReadTag() != vaDate) Invalid("Invalid property value" + Context(FPropName));
    Byte Buf[8];
    ReadRaw(Buf, 8);
    return TDateTime(std::bit_cast<double>(GetLE<std::uint64_t>(Buf)));
}

Variant TReader::ReadVariant() {
    const TValueType T = NextValue();
    switch (T) {
        case vaEmpty:
            ReadTag();
            return Variant();
        case vaNullValue:
            ReadTag();
            return Variant::MakeNull();
        case vaTrue:
        case vaFalse:
            return Variant(ReadBoolean());
        case vaInt: {
            const Int64 V = ReadInteger();
            if (V >= INT32_MIN && V <= INT32_MAX) return Variant(static_cast<int>(V));
            return Variant(static_cast<long long>(V));
        }
        case vaDouble:
            return Variant(ReadDouble());
        case vaExtended:
            return Variant(ReadFloat());
        case vaCurrency:
            return Variant(ReadCurrency());
        case vaDate:
            return Variant(ReadDate());
        case vaString:
            return Variant(ReadString());
        case vaErrorValue: {
            ReadTag();
            Byte Buf[4];
            ReadRaw(Buf, 4);
            return Variant::MakeError(GetLE<std::int32_t>(Buf));
        }
        default:
            Invalid("Invalid variant value" + Context(FPropName));
    }
}

void TReader::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                             const TWriterProc&, bool) {
    // The first declaration of a name with a reader wins.
    if (ReadData) FDeclared.try_emplace(Name, TDeclaredProperty{ReadData, {}});
}

void TReader::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                   const TStreamProc&, bool) {
    if (ReadData) FDeclared.try_emplace(Name, TDeclaredProperty{{}, ReadData});
}

// Every property a component declares, asked once per component rather than once per property
// read, so that reading stays linear in the properties.
void TReader::CollectDeclarations(TComponent* Instance) {
    FDeclared.clear();
    try {
        Instance->DefineProperties(*this);
    } catch (const std::exception& E) {
        Invalid("Error reading " + Instance->ClassName() + ": " + E.what());
    }
}

void TReader::ReadProperty(TComponent* Instance) {
    const auto It = FDeclared.find(FPropName);
    if (It == FDeclared.end()) Invalid("Property " + FPropName + " does not exist");
    const TDeclaredProperty& P = It->second;
    try {
        if (P.Read) {
            const int Before = FValuesRead;
            P.Read(*this);
            // A reader routine must take exactly its one value, or the stream falls out of step.
            if (FValuesRead != Before + 1) Invalid("Invalid property value" + Context(FPropName));
            return;
        }
        if (ReadTag() != vaBinary) Invalid("Invalid property value" + Context(FPropName));
        const std::size_t Length = ReadLength(MaxBinaryLength);
        TMemoryStream Data;
        Data.SetSize(static_cast<Int64>(Length));
        ReadRaw(Data.Memory(), Length);
        Data.SetPosition(0);
        P.Binary(Data);
    } catch (const EReadError&) {
        throw;
    } catch (const EClassNotFound&) {
        throw;
    } catch (const std::exception& E) {
        // A setter refusing a value read from the stream is a malformed stream.
        Invalid("Error reading " + Instance->ClassName() + "." + FPropName + ": " + E.what());
    }
}

TComponent* TReader::ReadComponent(TComponent* Parent, int Depth) {
    if (Depth > MaxDepth) Invalid("Invalid stream format: components nested too deeply");
    if (FLoaded.size() >= MaxComponents) Invalid("Invalid stream format: too many components");
    const AnsiString ClassName = ReadText(255);
    if (!IsValidIdent(ClassName)) Invalid("Invalid stream format: bad class name");
    TComponentClass Class = FindClass(ClassName);
    if (FFiltered && std::find(FAccepted.begin(), FAccepted.end(), Class) == FAccepted.end())
        Invalid("Invalid stream format: class " + ClassName + " is not accepted here");
    const AnsiString Name = ReadText(255);
    if (!Name.empty() && !IsValidIdent(Name))
        Invalid("Invalid stream format: bad component name '" + Name + "'");

    // Children belong to the root; the root belongs to the caller's owner.
    TComponent* Owner = Parent != nullptr ? FRoot : nullptr;
    TComponent* Instance = Class->Create(Owner);
    if (Parent == nullptr) FRoot = Instance;
    FLoaded.push_back(Instance);
    Instance->BeginLoading();
    Instance->SetReading(true);
    try {
        if (!Name.empty()) Instance->SetName(Name);
        if (Parent != nullptr) Instance->SetParentComponent(Parent);
    } catch (const EReadError&) {
        throw;
    } catch (const std::exception& E) {
        Invalid(AnsiString("Error reading component: ") + E.what());
    }
    CollectDeclarations(Instance);
    for (;;) {
        FPropName = ReadText(255);
        if (FPropName.empty()) break;
        ReadProperty(Instance);
    }
    FPropName.clear();
    for (;;) {
        Byte Marker = 0;
        ReadRaw(&Marker, 1);
        if (Marker == EndOfChildren) break;
        if (Marker != ChildFollows) Invalid("Invalid stream format: bad child marker");
        ReadComponent(Instance, Depth + 1);
    }
    Instance->SetReading(false);
    return Instance;
}

void TReader::SetAcceptedClasses(std::vector<TComponentClass> Classes) {
    FFiltered = true;
    FAccepted = std::move(Classes);
}

TComponent* TReader::ReadRootComponent(TComponent* Owner) {
    char Sig[sizeof(Signature)];
    Byte Version = 0;
    ReadRaw(Sig, sizeof(Sig));
    ReadRaw(&Version, 1);
    if (std::memcmp(Sig, Signature, sizeof(Sig)) != 0 || Version != FormatVersion)
        Invalid("Invalid stream format");
    FRoot = nullptr;
    FLoaded.clear();
    try {
        ReadComponent(nullptr, 0);
    } catch (...) {
        // Nothing read survives: the root owns every child created so far.
        delete FRoot;
        FRoot = nullptr;
        FLoaded.clear();
        throw;
    }
    TComponent* Root = FRoot;
    if (Owner != nullptr) {
        try {
            Owner->InsertComponent(Root);
        } catch (const std::exception& E) {
            delete Root;
            throw EReadError(AnsiString("Error reading component: ") + E.what());
        }
    }
    for (TComponent* C : FLoaded)
        C->EndLoading();
    FLoaded.clear();
    return Root;
}

void WriteComponent(TStream& S, TComponent* C) {
    if (C == nullptr) throw EWriteError("Stream write error: no component");
    TWriter W(S);
    W.WriteRootComponent(C);
}

TComponent* ReadComponent(TStream& S, TComponent* Owner) {
    TReader R(S);
    return R.ReadRootComponent(Owner);
}

TComponent* ReadComponent(TStream& S, TComponent* Owner,
                          const std::vector<TComponentClass>& Accepted) {
    TReader R(S);
    R.SetAcceptedClasses(Accepted);
    return R.ReadRootComponent(Owner);
}

}  // namespace carrelon
