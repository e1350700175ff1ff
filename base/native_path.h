// Paths between the program's strings and the host's file interfaces.
//
// A narrow path reaches the C library as it is; a wide one goes through the
// wide API on Windows and, elsewhere, as its narrow form (the low byte of
// every character, which gives back the bytes a narrow path was widened from).
#pragma once

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/string_w.h"

// The path as std::filesystem takes it: the wide text on Windows, the narrow
// form elsewhere.
std::filesystem::path NativePath(const StringBase& path);
PathString FromNativePath(const std::filesystem::path& path);

// The path without its trailing separators; a root keeps its own. Folder
// creation takes a trailing separator for one more, empty, level on some
// library versions, and the program's folder values all carry one.
std::filesystem::path WithoutTrailingSeparators(std::filesystem::path path);

// fopen of a path of either width that opens regular files only: a folder, a named
// pipe or a device is refused (null) at once, without waiting for the other end of a
// pipe and before anything is read, written or truncated. On failure error (when given)
// holds the reason: NotAFileError() for what is not a regular file, else the system's.
std::FILE* OpenFilePath(const StringBase& path, const char* mode, std::error_code* error = nullptr);
