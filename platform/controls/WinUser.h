// The Win32-style window functions the component calls, over the framework's window handles:
// messages, timers, focus, capture, invalidation, redraw locks, window placement and styles,
// scroll bars, key state, cursors and system metrics (at 96 pixels per inch).
#pragma once

#include <cstdint>

#include "platform/controls/Controls.h"

namespace carrelon {

struct TScrollInfo {
    Cardinal cbSize = sizeof(TScrollInfo);
    Cardinal fMask = 0;
    int nMin = 0;
    int nMax = 0;
    Cardinal nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// A cursor handle: the TCursor value it shows.
using HCURSOR = std::intptr_t;

// Sends the message through the window's control now; 0 for a window that does not exist.
std::intptr_t SendMessageA(HWND Handle, Cardinal Msg, std::intptr_t WParam, std::intptr_t LParam);
// Queues the message; it is handled after the current one, from the event loop.
bool PostMessageA(HWND Handle, Cardinal Msg, std::intptr_t WParam, std::intptr_t LParam);
inline std::intptr_t SendMessage(HWND H, Cardinal Msg, std::intptr_t W, std::intptr_t L) {
    return SendMessageA(H, Msg, W, L);
}
inline bool PostMessage(HWND H, Cardinal Msg, std::intptr_t W, std::intptr_t L) {
    return PostMessageA(H, Msg, W, L);
}

// A WM_TIMER with WParam = IDEvent arrives every Elapse milliseconds until KillTimer. Setting an
// existing timer again restarts it. Returns IDEvent, 0 on failure.
std::uintptr_t SetTimer(HWND Handle, std::uintptr_t IDEvent, Cardinal Elapse,
                        void* TimerFunc = nullptr);
bool KillTimer(HWND Handle, std::uintptr_t IDEvent);

// Negative while the key is down: from the input event being handled, else the keyboard.
std::int16_t GetKeyState(int VirtKey);

HWND GetFocus();
// Named with a Windows prefix so that it does not hide TWinControl::SetFocus in members.
HWND WindowsSetFocus(HWND Handle);
HWND GetCapture();
HWND SetCapture(HWND Handle);
bool ReleaseCapture();

// Rect in client coordinates; nullptr means the whole client area.
bool InvalidateRect(HWND Handle, const TRect* Rect, bool Erase);
bool ValidateRect(HWND Handle, const TRect* Rect);
bool UpdateWindow(HWND Handle);
bool IsWindow(HWND Handle);
// False while the window or a parent is hidden or has redraw switched off (WM_SETREDRAW 0).
bool IsWindowVisible(HWND Handle);
bool IsWindowEnabled(HWND Handle);
// Holds back painting of one window (and its children) at a time; nullptr releases it and
// paints what was held. False when another window holds the lock.
bool LockWindowUpdate(HWND Handle);

bool SetWindowPos(HWND Handle, HWND InsertAfter, int X, int Y, int CX, int CY, Cardinal Flags);
// Screen coordinates of the whole window.
bool GetWindowRect(HWND Handle, TRect& Rect);
bool GetClientRect(HWND Handle, TRect& Rect);
// Maps points from one window's client coordinates to another's (nullptr: the screen).
int MapWindowPoints(HWND From, HWND To, TPoint* Points, int Count);
bool ClientToScreen(HWND Handle, TPoint& Point);
bool ScreenToClient(HWND Handle, TPoint& Point);
HWND GetParent(HWND Handle);

std::int32_t GetWindowLongA(HWND Handle, int Index);
// Style changes take effect on the window frame (scroll bars, border) at once. Returns the old
// value.
std::int32_t SetWindowLongA(HWND Handle, int Index, std::int32_t NewLong);

// True while an input method is composing text in the window (its uncommitted text shows).
bool ImeComposing(HWND Handle);
// Sets the composition state as an input method would (tests use it).
void SetImeComposing(HWND Handle, bool Value);

bool ShowScrollBar(HWND Handle, int Bar, bool Show);
int SetScrollInfo(HWND Handle, int Bar, const TScrollInfo& Info, bool Redraw);
bool GetScrollInfo(HWND Handle, int Bar, TScrollInfo& Info);
int SetScrollPos(HWND Handle, int Bar, int Pos, bool Redraw);
int GetScrollPos(HWND Handle, int Bar);
bool SetScrollRange(HWND Handle, int Bar, int MinPos, int MaxPos, bool Redraw);

int GetSystemMetrics(int Index);

// Shows Cursor over the window under the pointer (the window handling WM_SETCURSOR). Returns
// the cursor shown before.
HCURSOR SetCursor(HCURSOR Cursor);
bool GetCursorPos(TPoint& Point);
// The window under a screen point that takes the mouse there (disabled windows leave it to
// their parents), or nullptr.
HWND WindowFromPoint(TPoint Point);

}  // namespace carrelon
