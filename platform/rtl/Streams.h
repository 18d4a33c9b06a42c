// Streams: the abstract TStream with the buffer routines that raise on short reads and writes,
// a memory stream, a file stream and a string stream.
#pragma once

#include <vector>

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
inline constexpr TSeekOrigin soFromBeginning = soBeginning;
inline constexpr TSeekOrigin soFromCurrent = soCurrent;
inline constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
public:
    AnsiString ClassName() const override { return "TStream"; }

    // Read and Write move up to Count bytes and return how many moved.
    virtual Int64 Read(void* Buffer, Int64 Count) = 0;
    virtual Int64 Write(const void* Buffer, Int64 Count) = 0;
    // The new position.
    virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

    Int64 GetPosition() { return Seek(0, soCurrent); }
    void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
    virtual Int64 GetSize();
    virtual void SetSize(Int64 NewSize);

    // Exactly Count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* Buffer, Int64 Count);
    void WriteBuffer(const void* Buffer, Int64 Count);
    // Copies Count bytes from Source's position (Count 0: all of Source from its start).
    Int64 CopyFrom(TStream& Source, Int64 Count);
};

// A stream in memory whose storage grows as it is written.
class TMemoryStream : public TStream {
public:
    AnsiString ClassName() const override { return "TMemoryStream"; }

    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 GetSize() override { return static_cast<Int64>(FData.size()); }
    // EOutOfMemory "Out of memory" when the storage cannot grow.
    void SetSize(Int64 NewSize) override;

    void* Memory() { return FData.data(); }
    const void* Memory() const { return FData.data(); }
    void Clear();
    void LoadFromStream(TStream& Stream);
    void LoadFromFile(const AnsiString& FileName);
    void SaveToStream(TStream& Stream);
    void SaveToFile(const AnsiString& FileName);

private:
    std::vector<Byte> FData;
    Int64 FPosition = 0;
};

// File modes: one access mode, optionally or-ed with a sharing mode (sharing is not enforced
// here).
inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

// A stream over a file. Opening fails with EFOpenError "Cannot open file \"name\". reason";
// creating with EFCreateError "Cannot create file \"name\". reason".
class TFileStream : public TStream {
public:
    TFileStream(const AnsiString& FileName, Word Mode);
    ~TFileStream() override;
    AnsiString ClassName() const override { return "TFileStream"; }

    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    void SetSize(Int64 NewSize) override;
    const AnsiString& GetFileName() const { return FFileName; }

private:
    AnsiString FFileName;
    int FHandle = -1;
};

// A stream over a string held by the stream.
class TStringStream : public TStream {
public:
    explicit TStringStream(AnsiString Data = {}) : FData(std::move(Data)) {}
    AnsiString ClassName() const override { return "TStringStream"; }

    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 GetSize() override { return static_cast<Int64>(FData.size()); }
    void SetSize(Int64 NewSize) override;

    const AnsiString& GetDataString() const { return FData; }
    // Up to Count bytes from the position.
    AnsiString ReadString(Int64 Count);
    void WriteString(const AnsiString& S);

private:
    AnsiString FData;
    Int64 FPosition = 0;
};

}  // namespace carrelon
