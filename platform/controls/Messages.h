// Window and framework messages: the message record, the message numbers with their customary
// values, and the key, scroll-bar, dialog-code and window-style constants that travel with them.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

namespace carrelon {

// One message as it passes through a control's dispatch. Result is the handler's answer.
struct TMessage {
    Cardinal Msg = 0;
    std::intptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

inline constexpr std::intptr_t MakeLParam(int Lo, int Hi) {
    return static_cast<std::intptr_t>(static_cast<std::uint32_t>(
        (static_cast<std::uint16_t>(Lo)) |
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(Hi)) << 16)));
}
// The signed 16-bit halves of a packed parameter (mouse coordinates, wheel delta).
inline constexpr int LoWordSigned(std::intptr_t V) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(V & 0xFFFF));
}
inline constexpr int HiWordSigned(std::intptr_t V) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((V >> 16) & 0xFFFF));
}
inline constexpr TPoint PointFromLParam(std::intptr_t V) {
    return {LoWordSigned(V), HiWordSigned(V)};
}

// Window messages.
inline constexpr Cardinal WM_NULL = 0x0000;
inline constexpr Cardinal WM_CREATE = 0x0001;
inline constexpr Cardinal WM_DESTROY = 0x0002;
inline constexpr Cardinal WM_MOVE = 0x0003;
inline constexpr Cardinal WM_SIZE = 0x0005;
inline constexpr Cardinal WM_ACTIVATE = 0x0006;
inline constexpr Cardinal WM_SETFOCUS = 0x0007;
inline constexpr Cardinal WM_KILLFOCUS = 0x0008;
inline constexpr Cardinal WM_ENABLE = 0x000A;
inline constexpr Cardinal WM_SETREDRAW = 0x000B;
inline constexpr Cardinal WM_SETTEXT = 0x000C;
inline constexpr Cardinal WM_GETTEXT = 0x000D;
inline constexpr Cardinal WM_GETTEXTLENGTH = 0x000E;
inline constexpr Cardinal WM_PAINT = 0x000F;
inline constexpr Cardinal WM_CLOSE = 0x0010;
inline constexpr Cardinal WM_ERASEBKGND = 0x0014;
inline constexpr Cardinal WM_SHOWWINDOW = 0x0018;
inline constexpr Cardinal WM_CANCELMODE = 0x001F;
inline constexpr Cardinal WM_SETCURSOR = 0x0020;
inline constexpr Cardinal WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr Cardinal WM_CONTEXTMENU = 0x007B;
inline constexpr Cardinal WM_NCCALCSIZE = 0x0083;
inline constexpr Cardinal WM_NCHITTEST = 0x0084;
inline constexpr Cardinal WM_NCPAINT = 0x0085;
inline constexpr Cardinal WM_GETDLGCODE = 0x0087;
inline constexpr Cardinal WM_KEYFIRST = 0x0100;
inline constexpr Cardinal WM_KEYDOWN = 0x0100;
inline constexpr Cardinal WM_KEYUP = 0x0101;
inline constexpr Cardinal WM_CHAR = 0x0102;
inline constexpr Cardinal WM_SYSKEYDOWN = 0x0104;
inline constexpr Cardinal WM_SYSKEYUP = 0x0105;
inline constexpr Cardinal WM_SYSCHAR = 0x0106;
inline constexpr Cardinal WM_KEYLAST = 0x0108;
inline constexpr Cardinal WM_IME_STARTCOMPOSITION = 0x010D;
inline constexpr Cardinal WM_IME_ENDCOMPOSITION = 0x010E;
inline constexpr Cardinal WM_COMMAND = 0x0111;
inline constexpr Cardinal WM_SYSCOMMAND = 0x0112;
inline constexpr Cardinal WM_TIMER = 0x0113;
inline constexpr Cardinal WM_HSCROLL = 0x0114;
inline constexpr Cardinal WM_VSCROLL = 0x0115;
inline constexpr Cardinal WM_MOUSEFIRST = 0x0200;
inline constexpr Cardinal WM_MOUSEMOVE = 0x0200;
inline constexpr Cardinal WM_LBUTTONDOWN = 0x0201;
inline constexpr Cardinal WM_LBUTTONUP = 0x0202;
inline constexpr Cardinal WM_LBUTTONDBLCLK = 0x0203;
inline constexpr Cardinal WM_RBUTTONDOWN = 0x0204;
inline constexpr Cardinal WM_RBUTTONUP = 0x0205;
inline constexpr Cardinal WM_RBUTTONDBLCLK = 0x0206;
inline constexpr Cardinal WM_MBUTTONDOWN = 0x0207;
inline constexpr Cardinal WM_MBUTTONUP = 0x0208;
inline constexpr Cardinal WM_MBUTTONDBLCLK = 0x0209;
inline constexpr Cardinal WM_MOUSEWHEEL = 0x020A;
inline constexpr Cardinal WM_MOUSELAST = 0x020A;
inline constexpr Cardinal WM_CAPTURECHANGED = 0x0215;
inline constexpr Cardinal WM_CUT = 0x0300;
inline constexpr Cardinal WM_COPY = 0x0301;
inline constexpr Cardinal WM_PASTE = 0x0302;
inline constexpr Cardinal WM_CLEAR = 0x0303;
inline constexpr Cardinal WM_UNDO = 0x0304;
inline constexpr Cardinal WM_USER = 0x0400;

// Framework (control) messages.
inline constexpr Cardinal CM_BASE = 0xB000;
inline constexpr Cardinal CM_ACTIVATE = CM_BASE + 0;
inline constexpr Cardinal CM_DEACTIVATE = CM_BASE + 1;
inline constexpr Cardinal CM_GOTFOCUS = CM_BASE + 2;
inline constexpr Cardinal CM_LOSTFOCUS = CM_BASE + 3;
inline constexpr Cardinal CM_CANCELMODE = CM_BASE + 4;
inline constexpr Cardinal CM_DIALOGKEY = CM_BASE + 5;
inline constexpr Cardinal CM_DIALOGCHAR = CM_BASE + 6;
inline constexpr Cardinal CM_FOCUSCHANGED = CM_BASE + 7;
inline constexpr Cardinal CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr Cardinal CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr Cardinal CM_HITTEST = CM_BASE + 10;
inline constexpr Cardinal CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr Cardinal CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr Cardinal CM_COLORCHANGED = CM_BASE + 13;
inline constexpr Cardinal CM_FONTCHANGED = CM_BASE + 14;
inline constexpr Cardinal CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr Cardinal CM_CTL3DCHANGED = CM_BASE + 16;
inline constexpr Cardinal CM_PARENTCTL3DCHANGED = CM_BASE + 17;
inline constexpr Cardinal CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr Cardinal CM_MOUSEENTER = CM_BASE + 19;
inline constexpr Cardinal CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr Cardinal CM_MENUCHANGED = CM_BASE + 21;
inline constexpr Cardinal CM_APPKEYDOWN = CM_BASE + 22;
inline constexpr Cardinal CM_APPSYSCOMMAND = CM_BASE + 23;
inline constexpr Cardinal CM_BUTTONPRESSED = CM_BASE + 24;
inline constexpr Cardinal CM_SHOWINGCHANGED = CM_BASE + 25;
inline constexpr Cardinal CM_ENTER = CM_BASE + 26;
inline constexpr Cardinal CM_EXIT = CM_BASE + 27;
inline constexpr Cardinal CM_DESIGNHITTEST = CM_BASE + 28;
inline constexpr Cardinal CM_ICONCHANGED = CM_BASE + 29;
inline constexpr Cardinal CM_WANTSPECIALKEY = CM_BASE + 30;
inline constexpr Cardinal CM_INVOKEHELP = CM_BASE + 31;
inline constexpr Cardinal CM_WINDOWHOOK = CM_BASE + 32;
inline constexpr Cardinal CM_RELEASE = CM_BASE + 33;
inline constexpr Cardinal CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr Cardinal CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
inline constexpr Cardinal CM_SYSCOLORCHANGE = CM_BASE + 36;
inline constexpr Cardinal CM_WININICHANGE = CM_BASE + 37;
inline constexpr Cardinal CM_FONTCHANGE = CM_BASE + 38;
inline constexpr Cardinal CM_TIMECHANGE = CM_BASE + 39;
inline constexpr Cardinal CM_TABSTOPCHANGED = CM_BASE + 40;
inline constexpr Cardinal CM_UIACTIVATE = CM_BASE + 41;
inline constexpr Cardinal CM_UIDEACTIVATE = CM_BASE + 42;
inline constexpr Cardinal CM_DOCWINDOWACTIVATE = CM_BASE + 43;
inline constexpr Cardinal CM_CONTROLLISTCHANGE = CM_BASE + 44;
inline constexpr Cardinal CM_GETDATALINK = CM_BASE + 45;
inline constexpr Cardinal CM_CHILDKEY = CM_BASE + 46;
inline constexpr Cardinal CM_DRAG = CM_BASE + 47;
inline constexpr Cardinal CM_HINTSHOW = CM_BASE + 48;
inline constexpr Cardinal CM_DIALOGHANDLE = CM_BASE + 49;
inline constexpr Cardinal CM_ISTOOLCONTROL = CM_BASE + 50;
inline constexpr Cardinal CM_RECREATEWND = CM_BASE + 51;
inline constexpr Cardinal CM_INVALIDATE = CM_BASE + 52;
inline constexpr Cardinal CM_SYSFONTCHANGED = CM_BASE + 53;
inline constexpr Cardinal CM_CONTROLCHANGE = CM_BASE + 54;
inline constexpr Cardinal CM_CHANGED = CM_BASE + 55;
inline constexpr Cardinal CM_BORDERCHANGED = CM_BASE + 59;
inline constexpr Cardinal CM_MOUSEWHEEL = CM_BASE + 67;

// Notifications reflected back to the control that caused them.
inline constexpr Cardinal CN_BASE = 0xBC00;
inline constexpr Cardinal CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr Cardinal CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
inline constexpr Cardinal CN_KEYUP = CN_BASE + WM_KEYUP;
inline constexpr Cardinal CN_CHAR = CN_BASE + WM_CHAR;
inline constexpr Cardinal CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
inline constexpr Cardinal CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
inline constexpr Cardinal CN_HSCROLL = CN_BASE + WM_HSCROLL;
inline constexpr Cardinal CN_VSCROLL = CN_BASE + WM_VSCROLL;

// Edit-control messages.
inline constexpr Cardinal EM_GETSEL = 0x00B0;
inline constexpr Cardinal EM_SETSEL = 0x00B1;
inline constexpr Cardinal EM_GETRECT = 0x00B2;
inline constexpr Cardinal EM_SCROLL = 0x00B5;
inline constexpr Cardinal EM_LINESCROLL = 0x00B6;
inline constexpr Cardinal EM_SCROLLCARET = 0x00B7;
inline constexpr Cardinal EM_GETMODIFY = 0x00B8;
inline constexpr Cardinal EM_SETMODIFY = 0x00B9;
inline constexpr Cardinal EM_GETLINECOUNT = 0x00BA;
inline constexpr Cardinal EM_LINEINDEX = 0x00BB;
inline constexpr Cardinal EM_LINELENGTH = 0x00C1;
inline constexpr Cardinal EM_REPLACESEL = 0x00C2;
inline constexpr Cardinal EM_LIMITTEXT = 0x00C5;
inline constexpr Cardinal EM_CANUNDO = 0x00C6;
inline constexpr Cardinal EM_UNDO = 0x00C7;
inline constexpr Cardinal EM_LINEFROMCHAR = 0x00C9;
inline constexpr Cardinal EM_SETREADONLY = 0x00CF;
inline constexpr Cardinal EM_EXGETSEL = WM_USER + 52;
inline constexpr Cardinal EM_EXLIMITTEXT = WM_USER + 53;
inline constexpr Cardinal EM_EXLINEFROMCHAR = WM_USER + 54;
inline constexpr Cardinal EM_EXSETSEL = WM_USER + 55;
inline constexpr Cardinal EM_PASTESPECIAL = WM_USER + 64;

// Notification codes carried by WM_COMMAND.
inline constexpr int EN_SETFOCUS = 0x0100;
inline constexpr int EN_KILLFOCUS = 0x0200;
inline constexpr int EN_CHANGE = 0x0300;
inline constexpr int EN_UPDATE = 0x0400;

// WM_GETDLGCODE answers.
inline constexpr std::intptr_t DLGC_WANTARROWS = 0x0001;
inline constexpr std::intptr_t DLGC_WANTTAB = 0x0002;
inline constexpr std::intptr_t DLGC_WANTALLKEYS = 0x0004;
inline constexpr std::intptr_t DLGC_WANTMESSAGE = 0x0004;
inline constexpr std::intptr_t DLGC_HASSETSEL = 0x0008;
inline constexpr std::intptr_t DLGC_WANTCHARS = 0x0080;

// Scroll-bar requests (WM_HSCROLL/WM_VSCROLL, EM_SCROLL) and bar identifiers.
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINELEFT = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_LINERIGHT = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGELEFT = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_PAGERIGHT = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_LEFT = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_RIGHT = 7;
inline constexpr int SB_ENDSCROLL = 8;
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_CTL = 2;
inline constexpr int SB_BOTH = 3;
inline constexpr Cardinal SIF_RANGE = 0x0001;
inline constexpr Cardinal SIF_PAGE = 0x0002;
inline constexpr Cardinal SIF_POS = 0x0004;
inline constexpr Cardinal SIF_DISABLENOSCROLL = 0x0008;
inline constexpr Cardinal SIF_TRACKPOS = 0x0010;
inline constexpr Cardinal SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// Mouse-message key flags (WParam of the mouse messages).
inline constexpr std::intptr_t MK_LBUTTON = 0x0001;
inline constexpr std::intptr_t MK_RBUTTON = 0x0002;
inline constexpr std::intptr_t MK_SHIFT = 0x0004;
inline constexpr std::intptr_t MK_CONTROL = 0x0008;
inline constexpr std::intptr_t MK_MBUTTON = 0x0010;
inline constexpr int WHEEL_DELTA = 120;

// Hit-test codes (low word of WM_SETCURSOR's LParam).
inline constexpr int HTERROR = -2;
inline constexpr int HTNOWHERE = 0;
inline constexpr int HTCLIENT = 1;
inline constexpr int HTHSCROLL = 6;
inline constexpr int HTVSCROLL = 7;
inline constexpr int HTBORDER = 18;

// Bit 29 of a key message's LParam: the Alt key was down.
inline constexpr std::intptr_t AltMask = 0x20000000;

// Window styles (GetWindowLongA(GWL_STYLE)).
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr std::int32_t WS_TABSTOP = 0x00010000;
inline constexpr std::int32_t WS_HSCROLL = 0x00100000;
inline constexpr std::int32_t WS_VSCROLL = 0x00200000;
inline constexpr std::int32_t WS_BORDER = 0x00800000;
inline constexpr std::int32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr std::int32_t WS_DISABLED = 0x08000000;
inline constexpr std::int32_t WS_VISIBLE = 0x10000000;
inline constexpr std::int32_t WS_CHILD = 0x40000000;
inline constexpr std::int32_t WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr std::int32_t ES_MULTILINE = 0x0004;
inline constexpr std::int32_t ES_AUTOVSCROLL = 0x0040;
inline constexpr std::int32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr std::int32_t ES_READONLY = 0x0800;
inline constexpr std::int32_t ES_WANTRETURN = 0x1000;
inline constexpr std::int32_t CBS_DROPDOWN = 0x0002;
inline constexpr std::int32_t CBS_DROPDOWNLIST = 0x0003;

// SetWindowPos flags.
inline constexpr Cardinal SWP_NOSIZE = 0x0001;
inline constexpr Cardinal SWP_NOMOVE = 0x0002;
inline constexpr Cardinal SWP_NOZORDER = 0x0004;
inline constexpr Cardinal SWP_NOREDRAW = 0x0008;
inline constexpr Cardinal SWP_NOACTIVATE = 0x0010;
inline constexpr Cardinal SWP_FRAMECHANGED = 0x0020;
inline constexpr Cardinal SWP_SHOWWINDOW = 0x0040;
inline constexpr Cardinal SWP_HIDEWINDOW = 0x0080;

// GetSystemMetrics indexes.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CYVTHUMB = 9;
inline constexpr int SM_CXHTHUMB = 10;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXCURSOR = 13;
inline constexpr int SM_CYCURSOR = 14;
inline constexpr int SM_CYVSCROLL = 20;
inline constexpr int SM_CXHSCROLL = 21;
inline constexpr int SM_CXDOUBLECLK = 36;
inline constexpr int SM_CYDOUBLECLK = 37;
inline constexpr int SM_CXEDGE = 45;
inline constexpr int SM_CYEDGE = 46;

// Virtual key codes. Letters and digits are their upper-case ASCII codes.
inline constexpr Word VK_LBUTTON = 0x01;
inline constexpr Word VK_RBUTTON = 0x02;
inline constexpr Word VK_CANCEL = 0x03;
inline constexpr Word VK_MBUTTON = 0x04;
inline constexpr Word VK_BACK = 0x08;
inline constexpr Word VK_TAB = 0x09;
inline constexpr Word VK_CLEAR = 0x0C;
inline constexpr Word VK_RETURN = 0x0D;
inline constexpr Word VK_SHIFT = 0x10;
inline constexpr Word VK_CONTROL = 0x11;
inline constexpr Word VK_MENU = 0x12;
inline constexpr Word VK_PAUSE = 0x13;
inline constexpr Word VK_CAPITAL = 0x14;
inline constexpr Word VK_ESCAPE = 0x1B;
inline constexpr Word VK_SPACE = 0x20;
inline constexpr Word VK_PRIOR = 0x21;
inline constexpr Word VK_NEXT = 0x22;
inline constexpr Word VK_END = 0x23;
inline constexpr Word VK_HOME = 0x24;
inline constexpr Word VK_LEFT = 0x25;
inline constexpr Word VK_UP = 0x26;
inline constexpr Word VK_RIGHT = 0x27;
inline constexpr Word VK_DOWN = 0x28;
inline constexpr Word VK_SELECT = 0x29;
inline constexpr Word VK_PRINT = 0x2A;
inline constexpr Word VK_EXECUTE = 0x2B;
inline constexpr Word VK_SNAPSHOT = 0x2C;
inline constexpr Word VK_INSERT = 0x2D;
inline constexpr Word VK_DELETE = 0x2E;
inline constexpr Word VK_HELP = 0x2F;
inline constexpr Word VK_LWIN = 0x5B;
inline constexpr Word VK_RWIN = 0x5C;
inline constexpr Word VK_APPS = 0x5D;
inline constexpr Word VK_NUMPAD0 = 0x60;
inline constexpr Word VK_NUMPAD9 = 0x69;
inline constexpr Word VK_MULTIPLY = 0x6A;
inline constexpr Word VK_ADD = 0x6B;
inline constexpr Word VK_SEPARATOR = 0x6C;
inline constexpr Word VK_SUBTRACT = 0x6D;
inline constexpr Word VK_DECIMAL = 0x6E;
inline constexpr Word VK_DIVIDE = 0x6F;
inline constexpr Word VK_F1 = 0x70;
inline constexpr Word VK_F2 = 0x71;
inline constexpr Word VK_F3 = 0x72;
inline constexpr Word VK_F4 = 0x73;
inline constexpr Word VK_F5 = 0x74;
inline constexpr Word VK_F6 = 0x75;
inline constexpr Word VK_F7 = 0x76;
inline constexpr Word VK_F8 = 0x77;
inline constexpr Word VK_F9 = 0x78;
inline constexpr Word VK_F10 = 0x79;
inline constexpr Word VK_F11 = 0x7A;
inline constexpr Word VK_F12 = 0x7B;
inline constexpr Word VK_NUMLOCK = 0x90;
inline constexpr Word VK_SCROLL = 0x91;

}  // namespace carrelon
