// File-system tests and changes by path.
//
// A narrow path is handed to the C library as it is; a wide one goes through
// the wide API on Windows and, elsewhere, as its narrow form (the low byte of
// every character), as FileStream opens it. All answer false on any failure
// and report nothing.
#pragma once

#include <system_error>

#include "base/string_base.h"
#include "base/string_w.h"

// What an open for reading finds at a path. Only the open can tell: under Wine the file
// system's status calls a named pipe a regular file, and a file may be there and still
// refuse to open (access denied, another program holding it).
enum class PathHolds {
    kNothing,     // no such file: a search elsewhere may take its place
    kFile,        // a regular file that opens for reading
    kNonFile,     // a folder, a named pipe, a device
    kUnreadable,  // something that does not open; reason says why
};
struct PathProbe {
    PathHolds holds = PathHolds::kNothing;
    std::error_code reason;  // the open's failure (NotAFileError() for kNonFile)
};
PathProbe ProbePath(const StringBase& path);

// Opens the file for reading ("rb") and closes it again; false for an empty
// path and for anything but a regular file (a folder, a named pipe, a device),
// answered at once.
bool FileReadable(const StringBase& path);
bool FileReadableW(const StringW& path);

// A file (not a folder) of that name exists, readable or not.
bool FileExists(const StringBase& path);

// Something other than a regular file is there: a folder, a named pipe, a device, as
// an open that never waits finds it.
bool NonFileAt(const StringBase& path);

// A folder of that name exists (a file of that name answers false).
bool FolderExists(const StringBase& path);

// Makes one folder level; true when made or already there.
bool CreateFolder(const StringBase& path);

// Makes the folder and every missing folder above it, below its root (C:\, \\?\C:\,
// \\server\share\), which is never made; true when the folder exists afterwards, else
// error (when given) holds the system's reason the first missing folder could not be made.
bool CreateFolders(const StringBase& path, std::error_code* error = nullptr);

// Renames the file from over the file to in one step, replacing it (MoveFileEx on
// Windows: the C library's rename there refuses an existing target); false with the
// system's reason otherwise.
bool ReplaceFilePath(const StringBase& from, const StringBase& to, std::error_code& error);

// Deletes a file; true when it is gone afterwards (an empty path or a file
// that no longer opens counts as gone). Folders are never deleted.
bool DeleteFilePath(const StringBase& path);
