// Whole-file reads and replacements for the component's file formats: a read takes only a
// regular file and never more than a given number of bytes; a replacement either puts the
// complete new content in place or leaves the old file exactly as it was.
#pragma once

#include <string_view>

#include "platform/rtl/Types.h"

namespace carrelon {

// The whole content of FileName, which must be a regular file of at most MaxSize bytes.
// Raises EFOpenError when the file cannot be opened, is not a regular file (a folder, a pipe, a
// device) or holds more than MaxSize bytes, also when it grows past them while being read;
// EReadError when reading fails; EOutOfMemory when the content does not fit in memory.
AnsiString ReadFileContent(const AnsiString& FileName, Int64 MaxSize);

// Makes Data the content of FileName: the bytes go into a new file in the same folder, which is
// flushed to disk and then renamed over FileName (a symbolic link is followed to its target).
// An existing file's permission bits carry over. On failure FileName keeps its old content, the
// new file is removed, and EFCreateError (the file cannot be made or put in place) or
// EWriteError (writing or flushing failed) is raised with the system's reason.
void ReplaceFileContent(const AnsiString& FileName, std::string_view Data);

}  // namespace carrelon
