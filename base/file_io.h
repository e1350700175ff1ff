// 64-bit file positioning over the C library, for files of any size on both
// platforms (long is 32 bits on Windows), and the system's reason when a file
// call failed, in words a user can act on.
#pragma once

#include <cstdio>
#include <system_error>

#include "base/string_w.h"
#include "base/types.h"

// fseek/ftell with 64-bit offsets; FileSeek64 answers true on success,
// FileTell64 answers -1 on failure.
bool FileSeek64(std::FILE* file, i64 offset, int origin);
i64 FileTell64(std::FILE* file);

// Forgets the reason of an earlier failure, so that LastFileError after the next
// call tells that call's own (a C library call may fail without a system code).
void ClearFileError();

// Why the file call that has just failed failed: errno natively; on Windows the
// system's own code (GetLastError) when the call left one, else errno. Taken
// right after the failure, before another call can change it.
std::error_code LastFileError();

// The reasons of the program's own that no system code says: something other than a
// regular file stands where a file is opened ("not a file (a folder, a pipe or a
// device)"), or where a save puts its temporary file.
std::error_code NotAFileError();
std::error_code TemporaryNotAFileError();

// The reason says that nothing stands at the path (no such file or folder, or a folder
// on the way is missing or a file), rather than that something there could not be read.
bool NothingThere(const std::error_code& error);

// The system's words for a reason ("No space left on device"; on Windows the
// system's message for its code, "Access is denied."), without a line break at
// the end; "unknown reason" for no error.
StringW FileErrorText(const std::error_code& error);
