// Temporary files and file-name helpers. The Win32-style functions fill a caller's buffer and
// return the number of characters written (0 on failure).
#pragma once

#include "platform/rtl/Types.h"

namespace carrelon {

inline constexpr Cardinal MAX_PATH = 260;

// The system's temporary folder with a trailing "/". When the buffer is too small, nothing is
// written and the needed size (with the terminating zero) is returned.
Cardinal GetTempPathA(Cardinal BufferLength, char* Buffer);
// With Unique 0: creates a new empty file "<PathName>/<first 3 chars of Prefix><hex>.tmp" with
// a name not yet taken and writes its name into TempFileName (MAX_PATH bytes); returns the
// unique number used. With Unique non-zero the name is formed without creating the file.
// 0 when the folder cannot hold a new file.
Cardinal GetTempFileNameA(const char* PathName, const char* PrefixString, Cardinal Unique,
                          char* TempFileName);

// Convenience over the two above: a new empty temporary file's full name, "" on failure.
AnsiString CreateTempFileName(const AnsiString& Prefix = {});

// File names: the folder part with its trailing separator, the name part, the extension with
// its dot.
AnsiString ExtractFilePath(const AnsiString& FileName);
AnsiString ExtractFileName(const AnsiString& FileName);
AnsiString ExtractFileExt(const AnsiString& FileName);
AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension);
bool FileExists(const AnsiString& FileName);
bool DeleteFile(const AnsiString& FileName);

}  // namespace carrelon
