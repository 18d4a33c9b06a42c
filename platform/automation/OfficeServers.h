// Settings of the platform's own Word and Excel servers, and the hook that shows a document or
// workbook to the user when its application is made visible.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/rtl/Types.h"

namespace carrelon {

// What a server hands the show hook: the file kind and a way to save the current content.
struct TOfficeShowRequest {
    AnsiString ProgID;     // "Word.Document" or "Excel.Application"
    AnsiString Extension;  // ".docx" or ".xlsx"
    std::function<void(const AnsiString& FileName)> SaveTo;
};
using TOfficeShowHook = std::function<void(const TOfficeShowRequest& Request)>;

// Replaces the hook and returns the previous one; an empty hook restores the default, which
// saves a temporary file and opens it with the desktop's default application when a display
// exists (and does nothing without one).
TOfficeShowHook SetOfficeShowHook(TOfficeShowHook Hook);

// The Word server's Application.Version ("16.0" unless set; tests set "8.0" for the older
// colour-index road).
void SetWordServerVersion(const AnsiString& Version);
AnsiString GetWordServerVersion();

// Limits for reading a workbook: the file is an outside input. Beyond any of them Open raises.
struct TWorkbookReadLimits {
    std::uint64_t MaxFileBytes = std::uint64_t{256} << 20;
    std::uint64_t MaxPartBytes = std::uint64_t{512} << 20;  // one unpacked part
    std::uint64_t MaxTotalBytes = std::uint64_t{1} << 30;   // all unpacked parts together
    std::uint64_t MaxCells = 20'000'000;                    // all sheets together
    int MaxSheets = 1024;
    std::uint64_t MaxSharedStrings = 20'000'000;
    std::uint64_t MaxStyles = 1'000'000;
};
void SetWorkbookReadLimits(const TWorkbookReadLimits& Limits);
TWorkbookReadLimits GetWorkbookReadLimits();

}  // namespace carrelon
