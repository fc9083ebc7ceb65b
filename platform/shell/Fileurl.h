#pragma once
// File links of pages, judged by the file they name rather than by their
// text: a link's percent escapes are decoded before its path is resolved, so
// that an escaped ".." or a link through a symbolic link cannot pass for a
// file of the folder it leaves.
#include "platform/rtl/Sysutils.h"

// The path a "file://" link names, its percent escapes decoded; false when
// the link is no file link (any letter case of the scheme), names another
// host than the local one ("" or "localhost"), holds a zero byte, or has an
// escape that is not two hexadecimal digits or decodes to a zero byte.
bool FileUrlPath(const AnsiString& url, AnsiString& path);

// A "file://" link of the canonical path (links and dots resolved), every
// byte other than letters, digits, "/" and "-._~" escaped.
AnsiString FileUrlOf(const AnsiString& canonicalPath);

// The link to hand to an opener for a file link that names a file inside
// folder, once both are resolved: the link of the file's canonical path,
// never the page's own text. "" when it names no file inside the folder
// (the folder itself is not inside it).
AnsiString FileUrlInsideFolder(const AnsiString& url, const AnsiString& folder);
