#pragma once
// Message boxes. The engine shows a few errors in message boxes without having
// a window of its own; it calls MessageBox, which hands the box to the hook the
// windows install. Without a hook, caption and text go to standard error and
// the box counts as answered with its first button.
constexpr int MB_OK = 0x0;
constexpr int MB_OKCANCEL = 0x1;
constexpr int MB_YESNO = 0x4;
constexpr int MB_ICONERROR = 0x10;
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONWARNING = 0x30;
constexpr int MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows the box and returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
using TMessageBoxHook = int (*)(const char* text, const char* caption, int flags);

int MessageBox(const char* text, const char* caption, int flags = MB_OK);
// Null restores the standard-error default.
void SetMessageBoxHook(TMessageBoxHook hook);
