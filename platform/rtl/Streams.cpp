#include "platform/rtl/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

// Shared by the memory and string streams: Data is a contiguous byte container.
template <typename Container>
Int64 ReadFrom(const Container& Data, Int64& Position, void* Buffer, Int64 Count) {
    const Int64 size = static_cast<Int64>(Data.size());
    if (Count <= 0 || Position < 0 || Position >= size) return 0;
    const Int64 n = std::min(Count, size - Position);
    std::memcpy(Buffer, Data.data() + Position, static_cast<std::size_t>(n));
    Position += n;
    return n;
}

template <typename Container>
void Resize(Container& Data, Int64 NewSize) {
    if (NewSize < 0) NewSize = 0;
    // Beyond any machine's memory: refuse at once instead of asking the allocator.
    if (NewSize > (Int64{1} << 40)) throw EOutOfMemory(SOutOfMemory);
    try {
        Data.resize(static_cast<std::size_t>(NewSize));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    } catch (const std::length_error&) {
        throw EOutOfMemory(SOutOfMemory);
    }
}

template <typename Container>
Int64 WriteTo(Container& Data, Int64& Position, const void* Buffer, Int64 Count) {
    if (Count <= 0 || Position < 0) return 0;
    const Int64 end = Position + Count;
    if (end > static_cast<Int64>(Data.size())) Resize(Data, end);
    std::memcpy(Data.data() + Position, Buffer, static_cast<std::size_t>(Count));
    Position = end;
    return Count;
}

Int64 SeekIn(Int64 Size, Int64& Position, Int64 Offset, TSeekOrigin Origin) {
    switch (Origin) {
        case soBeginning:
            Position = Offset;
            break;
        case soCurrent:
            Position += Offset;
            break;
        case soEnd:
            Position = Size + Offset;
            break;
    }
    return Position;
}

AnsiString SystemReason(int Error) {
    return std::strerror(Error);
}

}  // namespace

// ---- TStream ----

Int64 TStream::GetSize() {
    const Int64 pos = Seek(0, soCurrent);
    const Int64 size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(Int64) {
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* Buffer, Int64 Count) {
    if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, Int64 Count) {
    if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream& Source, Int64 Count) {
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.GetSize();
    }
    const Int64 total = Count;
    std::vector<Byte> buffer(static_cast<std::size_t>(std::min<Int64>(Count, 65536)));
    while (Count > 0) {
        const Int64 n = std::min<Int64>(Count, static_cast<Int64>(buffer.size()));
        Source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        Count -= n;
    }
    return total;
}

// ---- TMemoryStream ----

Int64 TMemoryStream::Read(void* Buffer, Int64 Count) {
    return ReadFrom(FData, FPosition, Buffer, Count);
}

Int64 TMemoryStream::Write(const void* Buffer, Int64 Count) {
    return WriteTo(FData, FPosition, Buffer, Count);
}

Int64 TMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    return SeekIn(GetSize(), FPosition, Offset, Origin);
}

void TMemoryStream::SetSize(Int64 NewSize) {
    Resize(FData, NewSize);
    FPosition = std::min(FPosition, GetSize());
}

void TMemoryStream::Clear() {
    FData.clear();
    FData.shrink_to_fit();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
    Stream.SetPosition(0);
    const Int64 size = Stream.GetSize();
    std::vector<Byte> data;
    Resize(data, size);
    Stream.ReadBuffer(data.data(), size);
    FData.swap(data);
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& Stream) {
    Stream.WriteBuffer(FData.data(), GetSize());
}

void TMemoryStream::SaveToFile(const AnsiString& FileName) {
    TFileStream file(FileName, fmCreate);
    SaveToStream(file);
}

// ---- TFileStream ----

TFileStream::TFileStream(const AnsiString& FileName, Word Mode) : FFileName(FileName) {
    if (Mode == fmCreate || (Mode & 0xFF00) == fmCreate) {
        FHandle = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0)
            throw EFCreateError("Cannot create file \"" + FileName + "\". " + SystemReason(errno));
        return;
    }
    int flags = O_RDONLY;
    if ((Mode & 3) == fmOpenWrite) flags = O_WRONLY;
    if ((Mode & 3) == fmOpenReadWrite) flags = O_RDWR;
    FHandle = ::open(FileName.c_str(), flags | O_CLOEXEC);
    if (FHandle < 0)
        throw EFOpenError("Cannot open file \"" + FileName + "\". " + SystemReason(errno));
    struct stat st {};
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(FHandle);
        FHandle = -1;
        throw EFOpenError("Cannot open file \"" + FileName + "\". " + SystemReason(EISDIR));
    }
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

Int64 TFileStream::Read(void* Buffer, Int64 Count) {
    Int64 done = 0;
    while (done < Count) {
        const ssize_t n = ::read(FHandle, static_cast<char*>(Buffer) + done,
                                 static_cast<std::size_t>(Count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

Int64 TFileStream::Write(const void* Buffer, Int64 Count) {
    Int64 done = 0;
    while (done < Count) {
        const ssize_t n = ::write(FHandle, static_cast<const char*>(Buffer) + done,
                                  static_cast<std::size_t>(Count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

Int64 TFileStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    const int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    const off_t r = ::lseek(FHandle, static_cast<off_t>(Offset), whence);
    return r < 0 ? -1 : static_cast<Int64>(r);
}

void TFileStream::SetSize(Int64 NewSize) {
    if (NewSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
        throw EStreamError("Stream size cannot be changed: " + SystemReason(errno));
    if (GetPosition() > NewSize) Seek(NewSize, soBeginning);
}

// ---- TStringStream ----

Int64 TStringStream::Read(void* Buffer, Int64 Count) {
    return ReadFrom(FData, FPosition, Buffer, Count);
}

Int64 TStringStream::Write(const void* Buffer, Int64 Count) {
    return WriteTo(FData, FPosition, Buffer, Count);
}

Int64 TStringStream::Seek(Int64 Offset, TSeekOrigin Origin) {
    return SeekIn(GetSize(), FPosition, Offset, Origin);
}

void TStringStream::SetSize(Int64 NewSize) {
    Resize(FData, NewSize);
    FPosition = std::min(FPosition, GetSize());
}

AnsiString TStringStream::ReadString(Int64 Count) {
    const Int64 size = GetSize();
    if (Count <= 0 || FPosition < 0 || FPosition >= size) return {};
    const Int64 n = std::min(Count, size - FPosition);
    AnsiString s = FData.substr(static_cast<std::size_t>(FPosition), static_cast<std::size_t>(n));
    FPosition += n;
    return s;
}

void TStringStream::WriteString(const AnsiString& S) {
    Write(S.data(), static_cast<Int64>(S.size()));
}

}  // namespace carrelon
