// The grid control's own event types. Every handler gets the grid as Sender first; reference
// parameters are the ones through which the handler answers, and they hold the firing code's
// default (which allows the action) on entry.
#pragma once

#include <functional>

#include "platform/rtl/Types.h"

namespace carrelon {

class TCarrelon;
class TCarrelonCell;
class TCarrelonClipboardCell;
class TGraphic;
class TObject;
class TWinControl;
class Variant;
struct THintInfo;

// A row or column moved from one visible index to another.
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;
using TCarrelonNotifyEvent = std::function<void(TCarrelon* Sender, int ACol, int ARow)>;
using TCarrelonCellChangedEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, const AnsiString& OldValue,
                       AnsiString& NewValue, bool& AllowExit)>;
using TCarrelonCellRecalculatedEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, AnsiString& NewText)>;
using TCarrelonCellTextChangedEvent = std::function<void(
    TCarrelon* Sender, int ACol, int ARow, const AnsiString& OldText, const AnsiString& NewText)>;
using TCarrelonCheckBoxChangedEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, bool Checked)>;
using TCarrelonClearCellEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, bool& CanClear)>;
using TCarrelonColRowDragDropEvent =
    std::function<void(TCarrelon* Sender, int FromIndex, int ToIndex, bool& CanDrop)>;
using TCarrelonColRowResizedEvent =
    std::function<void(TCarrelon* Sender, int Index, int OldSize, int NewSize)>;
using TCarrelonColRowStartDragEvent =
    std::function<void(TCarrelon* Sender, int Index, bool& CanDrag)>;
using TCarrelonCompareCellsEvent =
    std::function<void(TCarrelon* Sender, TCarrelonCell* Cell1, TCarrelonCell* Cell2, int& Result)>;
using TCarrelonDisplayTextEvent =
    std::function<void(TCarrelon* Sender, TCarrelonCell* Cell, const AnsiString& DisplayText)>;
using TCarrelonEditControlValidateErrorEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, const AnsiString& ErrorMessage)>;
using TCarrelonEditorSelectionChangedEvent =
    std::function<void(TCarrelon* Sender, const AnsiString& SelText)>;
using TCarrelonExportImportProgressEvent =
    std::function<void(TCarrelon* Sender, int Position, int EndPosition, bool& Stop)>;
using TCarrelonGetEditControlEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, TWinControl*& AControl)>;
using TCarrelonGetEditControlResultEvent = std::function<void(
    TCarrelon* Sender, int ACol, int ARow, TWinControl* AControl, AnsiString& Value)>;
using TCarrelonGetEditControlTextEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, TWinControl* AControl,
                       AnsiString& Value, bool& DoSetText)>;
using TCarrelonKeyPressExEvent = std::function<void(TCarrelon* Sender, char32_t& Key, int ACol,
                                                    int ARow, AnsiString& EditText, int& Position)>;
using TCarrelonPasteEvent = std::function<void(TCarrelon* Sender, int ACol, int ARow,
                                               TCarrelonClipboardCell* ACell, bool& CanPaste)>;
using TCarrelonPasteGraphicsEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, TGraphic* AGraphic, bool& CanPaste)>;
using TCarrelonPastePlainTextEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, AnsiString& AText, bool& CanPaste)>;
using TCarrelonPrintEvent = std::function<void(TCarrelon* Sender, int APage)>;
using TCarrelonRecalculateCellEvent = std::function<void(TCarrelon* Sender, int ACol, int ARow,
                                                         bool& DoCalculate, Variant& CellValue)>;
using TCarrelonResizeRowEvent =
    std::function<void(TCarrelon* Sender, int ARow, int& NewHeight, bool& CanResize)>;
using TCarrelonSelectRangeEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TCarrelonShowHintEvent =
    std::function<void(TCarrelon* Sender, int ACol, int ARow, AnsiString& HintStr, bool& CanShow,
                       THintInfo& HintInfo)>;
using TCarrelonShowScrollBarsEvent =
    std::function<void(TCarrelon* Sender, bool& HScrollBar, bool& VScrollBar)>;

}  // namespace carrelon
