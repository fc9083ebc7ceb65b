#pragma once
// File and folder helpers of the class library. Paths use '/'; a folder path
// from ExtractFilePath keeps its trailing '/'.
#include <cstdio>
#include <functional>
#include <vector>

#include "platform/rtl/Sysutils.h"

constexpr char PathDelim = '/';

bool FileExists(const AnsiString& fileName); // a regular file, or a link to one
bool DirectoryExists(const AnsiString& folder);
bool DeleteFile(const AnsiString& fileName); // true when the file is gone now
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);
bool CreateDir(const AnsiString& folder);        // the parent must exist
bool ForceDirectories(const AnsiString& folder); // creates the missing parents too
AnsiString GetCurrentDir();
// Writes through a temporary file beside the target, made exclusively under a
// name nobody can tell beforehand, which replaces the old file only once every
// byte is written and the file closed: a full disk or a failing write never
// costs the last good file. The new file keeps the old one's permissions; a
// target that is a symbolic link stays one, and the file it leads to is
// replaced. False when the file could not be written whole; the old one is
// then untouched.
bool WriteFileSafely(const AnsiString& fileName, const std::function<void(FILE*)>& write);

// "dir/name.ext" -> "dir/"; "name.ext" -> "".
AnsiString ExtractFilePath(const AnsiString& fileName);
// "dir/name.ext" -> "dir"; a root folder keeps its '/'.
AnsiString ExtractFileDir(const AnsiString& fileName);
AnsiString ExtractFileName(const AnsiString& fileName);
// The extension with its dot, "" when the name has none.
AnsiString ExtractFileExt(const AnsiString& fileName);
// Replaces the extension of the name (or appends it); extension holds the dot.
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& folder);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& folder);

// Index 0: the full path of the running executable. The command line is not
// used by the system, so other indexes give "".
AnsiString ParamStr(int index);

// The process's whole command line as the platform's programs receive theirs:
// the arguments joined by blanks, each one that holds a blank, a tab or a
// double quote (or is empty) enclosed in double quotes, so that splitting the
// line gives the arguments back.
const char* GetCommandLineA();

// A file-name mask of '*' (any run of characters) and '?' (any one character),
// matched without regard to ASCII case like the platform's file names.
bool MatchesMask(const AnsiString& name, const AnsiString& mask);

// The names (without folder) of the regular files in folder that match mask,
// sorted by name; with includeFolders, sub-folders are listed too ("." and ".."
// never). An unreadable or missing folder gives an empty list.
std::vector<AnsiString> FindFiles(const AnsiString& folder, const AnsiString& mask,
                                  bool includeFolders = false);
