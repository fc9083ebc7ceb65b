#pragma once
// Window messages: what controls tell each other and what input becomes.
// A control answers them in its WndProc (replaceable through WindowProc).
#include <cstdint>
#include <functional>

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct TMessage {
  unsigned Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};
using TWndMethod = std::function<void(TMessage& Message)>;

// Mouse messages carry the client point in LParam (x low word, y high word,
// both signed) and the button and modifier keys in WParam.
constexpr LPARAM MakeLParam(int X, int Y) {
  return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(X)) |
                             (static_cast<uint32_t>(static_cast<uint16_t>(Y)) << 16));
}
constexpr int GetXLParam(LPARAM L) {
  return static_cast<int16_t>(L & 0xFFFF);
}
constexpr int GetYLParam(LPARAM L) {
  return static_cast<int16_t>((L >> 16) & 0xFFFF);
}

constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr WPARAM MK_ALT = 0x0020; // our own: the class library reads it from the key state

enum : unsigned {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ERASEBKGND = 0x0014,
  WM_SHOWWINDOW = 0x0018,
  WM_ACTIVATEAPP = 0x001C,
  WM_SETCURSOR = 0x0020,
  WM_GETMINMAXINFO = 0x0024,
  // A context menu is wanted: LParam holds the screen point, or (-1, -1) when
  // it came from the keyboard (the menu key or Shift+F10).
  WM_CONTEXTMENU = 0x007B,
  // WM_COPYDATA comes with the messages between processes: platform/rtl/Copydata.h.
  WM_NCHITTEST = 0x0084,
  WM_NCPAINT = 0x0085,
  WM_NCACTIVATE = 0x0086,
  WM_GETDLGCODE = 0x0087,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_TIMER = 0x0113,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_MBUTTONDBLCLK = 0x0209,
  WM_MOUSEWHEEL = 0x020A,
  WM_CAPTURECHANGED = 0x0215,
  WM_MOUSELEAVE = 0x02A3,
  WM_USER = 0x0400,
  WM_APP = 0x8000,
};

// The class library's own notifications between controls.
enum : unsigned {
  CM_BASE = 0xB000,
  CM_ACTIVATE = CM_BASE + 0,
  CM_DEACTIVATE = CM_BASE + 1,
  CM_ENABLEDCHANGED = CM_BASE + 3,
  CM_COLORCHANGED = CM_BASE + 4,
  CM_FONTCHANGED = CM_BASE + 5,
  CM_CURSORCHANGED = CM_BASE + 6,
  CM_CTL3DCHANGED = CM_BASE + 7,
  CM_PARENTFONTCHANGED = CM_BASE + 8,
  CM_PARENTCOLORCHANGED = CM_BASE + 9,
  CM_HITTEST = CM_BASE + 10,
  CM_VISIBLECHANGED = CM_BASE + 11,
  CM_ENTER = CM_BASE + 12,
  CM_EXIT = CM_BASE + 13,
  CM_SHOWHINTCHANGED = CM_BASE + 14,
  CM_PARENTSHOWHINTCHANGED = CM_BASE + 15,
  CM_PARENTCTL3DCHANGED = CM_BASE + 16,
  CM_TEXTCHANGED = CM_BASE + 18,
  CM_MOUSEENTER = CM_BASE + 19,
  CM_MOUSELEAVE = CM_BASE + 20,
  CM_BUTTONPRESSED = CM_BASE + 23,
  CM_DIALOGKEY = CM_BASE + 26,
  CM_DIALOGCHAR = CM_BASE + 27,
  CM_FOCUSCHANGED = CM_BASE + 28,
  CM_SHOWINGCHANGED = CM_BASE + 32,
  CM_HINTSHOW = CM_BASE + 48,
  CM_CANCELMODE = CM_BASE + 4 + 0x100,
};

// WM_NCHITTEST answers.
enum : LRESULT { HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2, HTTRANSPARENT = -1 };
// WM_GETDLGCODE answers: the keys a control wants for itself.
enum : LRESULT {
  DLGC_WANTARROWS = 0x0001,
  DLGC_WANTTAB = 0x0002,
  DLGC_WANTALLKEYS = 0x0004,
  DLGC_WANTCHARS = 0x0080,
};
// WM_SIZE kinds.
enum : WPARAM { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// WM_ACTIVATE states.
enum : WPARAM { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };

// Virtual key codes.
enum : uint16_t {
  VK_LBUTTON = 0x01,
  VK_RBUTTON = 0x02,
  VK_CANCEL = 0x03,
  VK_MBUTTON = 0x04,
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_PAUSE = 0x13,
  VK_CAPITAL = 0x14,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_APPS = 0x5D,  // the menu key
  VK_OEM_1 = 0xBA, // ;:
  VK_OEM_PLUS = 0xBB,
  VK_OEM_COMMA = 0xBC,
  VK_OEM_MINUS = 0xBD,
  VK_OEM_PERIOD = 0xBE,
  VK_OEM_2 = 0xBF, // /?
  VK_OEM_3 = 0xC0, // `~
  VK_OEM_4 = 0xDB, // [{
  VK_OEM_5 = 0xDC, // \|
  VK_OEM_6 = 0xDD, // ]}
  VK_OEM_7 = 0xDE, // '"
  VK_OEM_8 = 0xDF,
  VK_F1 = 0x70,
  VK_F2 = 0x71,
  VK_F3 = 0x72,
  VK_F4 = 0x73,
  VK_F5 = 0x74,
  VK_F6 = 0x75,
  VK_F7 = 0x76,
  VK_F8 = 0x77,
  VK_F9 = 0x78,
  VK_F10 = 0x79,
  VK_F11 = 0x7A,
  VK_F12 = 0x7B,
};
