// Component streaming: a component and the children it names are written as a class name, a
// component name, its properties (name and typed value each) and its children; reading creates
// the components through the class registry and sets their properties by name.
//
// Every property, published or extra, is declared by the class in DefineProperties: the typed
// helpers (DefineInteger, DefineString, ...) for plain values, DefineProperty with reader and
// writer routines for anything else, DefineBinaryProperty for raw data. The reader treats the
// stream as untrusted: value types, sizes, ranges, identifiers, nesting depth and component
// count are checked, an unknown class raises EClassNotFound and anything else malformed raises
// EReadError; nothing read is kept when reading fails.
#pragma once

#include <functional>
#include <unordered_map>
#include <vector>

#include "platform/controls/Component.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

class TReader;
class TWriter;
class TFont;
class TPicture;

// Value tags of the stream format.
enum TValueType : Byte {
    vaNull = 0,  // end of a list
    vaInt = 1,
    vaExtended = 2,
    vaDouble = 3,
    vaString = 4,
    vaIdent = 5,
    vaFalse = 6,
    vaTrue = 7,
    vaBinary = 8,
    vaSet = 9,
    vaCurrency = 10,
    vaDate = 11,
    vaEmpty = 12,       // an unassigned variant
    vaNullValue = 13,   // a null variant
    vaErrorValue = 14,  // a variant error code
};

using TReaderProc = std::function<void(TReader& Reader)>;
using TWriterProc = std::function<void(TWriter& Writer)>;
using TStreamProc = std::function<void(TStream& Stream)>;

// Passed to DefineProperties: the writer writes each declared property that has data, the reader
// hands each property it meets to the declaration of that name.
class TFiler : public TObject {
public:
    AnsiString ClassName() const override { return "TFiler"; }
    virtual void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                                const TWriterProc& WriteData, bool HasData) = 0;
    virtual void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                      const TStreamProc& WriteData, bool HasData) = 0;

    // Typed declarations; the reader refuses values outside the given bounds.
    void DefineInteger(const AnsiString& Name, std::function<Int64()> Get,
                       std::function<void(Int64)> Set, Int64 Min, Int64 Max, bool Stored = true);
    void DefineBoolean(const AnsiString& Name, std::function<bool()> Get,
                       std::function<void(bool)> Set, bool Stored = true);
    void DefineString(const AnsiString& Name, std::function<AnsiString()> Get,
                      std::function<void(const AnsiString&)> Set, bool Stored = true);
    void DefineFloat(const AnsiString& Name, std::function<Extended()> Get,
                     std::function<void(Extended)> Set, bool Stored = true);
    void DefineVariant(const AnsiString& Name, std::function<Variant()> Get,
                       std::function<void(const Variant&)> Set, bool Stored = true);
    // An enumeration stored by identifier: Names[i] names ordinal i.
    void DefineEnum(const AnsiString& Name, const std::vector<AnsiString>& Names,
                    std::function<int()> Get, std::function<void(int)> Set, bool Stored = true);
    // A set stored as its bits; bits outside ValidBits are refused.
    void DefineSet(const AnsiString& Name, std::function<std::uint64_t()> Get,
                   std::function<void(std::uint64_t)> Set, std::uint64_t ValidBits,
                   bool Stored = true);

    TComponent* GetRoot() const { return FRoot; }

protected:
    TComponent* FRoot = nullptr;
};

// Font properties under Prefix ("Font.Name", "Font.Height", "Font.Color", "Font.Style",
// "Font.Charset", "Font.Pitch").
// Stored decides whether the writer writes them; the reader always accepts them.
void DefineFontProperties(TFiler& Filer, const AnsiString& Prefix, TFont* Font, bool Stored = true);
// A picture's class and data as one binary property (nothing when it has no graphic).
void DefinePictureProperty(TFiler& Filer, const AnsiString& Name, TPicture* Picture);

class TWriter : public TFiler {
public:
    explicit TWriter(TStream& Stream);
    AnsiString ClassName() const override { return "TWriter"; }

    void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                        const TWriterProc& WriteData, bool HasData) override;
    void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                              const TStreamProc& WriteData, bool HasData) override;

    void WriteInteger(Int64 Value);
    void WriteBoolean(bool Value);
    void WriteString(const AnsiString& Value);
    void WriteFloat(Extended Value);
    void WriteDouble(double Value);
    void WriteIdent(const AnsiString& Value);
    void WriteSet(std::uint64_t Bits);
    void WriteCurrency(Currency Value);
    void WriteDate(TDateTime Value);
    void WriteVariant(const Variant& Value);

    void WriteRootComponent(TComponent* Root);

private:
    void WriteComponent(TComponent* Component);
    void WriteTag(TValueType Tag);
    void WriteRaw(const void* Data, std::size_t Count);
    void WriteLength(std::size_t Length);
    void WriteText(const AnsiString& Text);

    TStream& FStream;
};

class TReader : public TFiler {
public:
    explicit TReader(TStream& Stream);
    AnsiString ClassName() const override { return "TReader"; }

    void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                        const TWriterProc& WriteData, bool HasData) override;
    void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                              const TStreamProc& WriteData, bool HasData) override;

    // Each reads one value of its kind; another kind raises EReadError ("Invalid property
    // value"). Integers read as floats; identifiers of True and False as booleans.
    Int64 ReadInteger();
    bool ReadBoolean();
    AnsiString ReadString();
    Extended ReadFloat();
    double ReadDouble();
    AnsiString ReadIdent();
    std::uint64_t ReadSet();
    Currency ReadCurrency();
    TDateTime ReadDate();
    Variant ReadVariant();
    // The kind of the next value, without reading it.
    TValueType NextValue();

    // Reads the whole stream: the root and its children, then Loaded on each.
    TComponent* ReadRootComponent(TComponent* Owner);
    // Limits the classes the stream may name, the root's and every child's, to these: any
    // other class, registered or not, is refused before anything of it is made.
    void SetAcceptedClasses(std::vector<TComponentClass> Classes);

    // Bounds on untrusted input.
    static constexpr int MaxDepth = 32;
    static constexpr std::size_t MaxComponents = 1u << 22;
    static constexpr std::size_t MaxStringLength = 64u << 20;
    static constexpr std::size_t MaxBinaryLength = 256u << 20;

private:
    TComponent* ReadComponent(TComponent* Parent, int Depth);
    void ReadProperty(TComponent* Instance);
    TValueType ReadTag();
    void ReadRaw(void* Data, std::size_t Count);
    std::size_t ReadLength(std::size_t Limit);
    AnsiString ReadText(std::size_t Limit);
    [[noreturn]] void Invalid(const AnsiString& What) const;

    TStream& FStream;
    AnsiString FPropName;  // the property being read
    // The properties the component being read declares, by name.
    struct TDeclaredProperty {
        TReaderProc Read;
        TStreamProc Binary;
    };
    void CollectDeclarations(TComponent* Instance);
    std::unordered_map<AnsiString, TDeclaredProperty> FDeclared;
    int FValuesRead = 0;
    std::vector<TComponent*> FLoaded;
    bool FFiltered = false;
    std::vector<TComponentClass> FAccepted;
};

// Writes C (and the children its GetChildren names) to S.
void WriteComponent(TStream& S, TComponent* C);
// Reads a component written by WriteComponent, created with Owner. Raises EClassNotFound for a
// class that is not registered and EReadError for anything else wrong with the stream.
TComponent* ReadComponent(TStream& S, TComponent* Owner);
// The same, making only the classes in Accepted: a stream naming any other class raises
// EReadError before any component of that class is created.
TComponent* ReadComponent(TStream& S, TComponent* Owner,
                          const std::vector<TComponentClass>& Accepted);

}  // namespace carrelon
