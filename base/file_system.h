// File-system tests and changes by path.
//
// A narrow path is handed to the C library as it is; a wide one goes through
// the wide API on Windows and, elsewhere, as its narrow form (the low byte of
// every character), as FileStream opens it. All answer false on any failure
// and report nothing.
#pragma once

#include "base/string_base.h"
#include "base/string_w.h"

// Opens the file for reading ("rb") and closes it again; false for an empty
// path and for anything but a regular file (a folder, a named pipe, a device),
// answered at once.
bool FileReadable(const StringBase& path);
bool FileReadableW(const StringW& path);

// A file (not a folder) of that name exists, readable or not.
bool FileExists(const StringBase& path);

// Something other than a regular file is there: a folder, a named pipe, a device.
// Asked of the file system without opening it, so it never waits; a Windows device
// name (NUL, CON) is not seen here, though no open takes it either.
bool NonFileAt(const StringBase& path);

// A folder of that name exists (a file of that name answers false).
bool FolderExists(const StringBase& path);

// Makes one folder level; true when made or already there.
bool CreateFolder(const StringBase& path);

// Makes the folder and every missing folder above it; true when the folder
// exists afterwards.
bool CreateFolders(const StringBase& path);

// Deletes a file; true when it is gone afterwards (an empty path or a file
// that no longer opens counts as gone). Folders are never deleted.
bool DeleteFilePath(const StringBase& path);
