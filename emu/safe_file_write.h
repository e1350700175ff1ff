// Writing settings files so that a failure never costs the previous file.
//
// The whole content is built in memory first, written to a temporary file beside the
// target ("<target>.tmp") and only then renamed over the target. Power loss, a full disk
// or a refused write leave the old file as it was; at worst a stale temporary file stays
// behind, which the next save overwrites. A folder, a pipe or a device in the temporary
// file's place fails the save at once and is left as it is. A failure gives the system's
// reason, and the helpers at the end word it for the user: what was not saved, where, and
// why.
#pragma once

#include <cstddef>
#include <system_error>

#include "base/string_w.h"
#include "base/types.h"

class Dictionary;
class PathString;

// Replaces the file at path with size bytes of data. False when anything failed; the
// file at path is then untouched, the temporary file removed and error (when given)
// holds the system's reason.
bool WriteFileSafely(const PathString& path, const void* data, u64 size, std::error_code* error = nullptr);

// Copies the file at from over the file at to as WriteFileSafely writes, in pieces of
// kSafeCopyPiece bytes, so that a file of any size goes through a bounded buffer. False
// when anything failed (to then untouched), with the reason in error (when given).
inline constexpr size_t kSafeCopyPiece = 64 * 1024;
bool CopyFileSafely(const PathString& from, const PathString& to, std::error_code* error = nullptr);

// The head text of every settings file.
inline constexpr char kSettingsFileHead[] = "KUVINI";

// A settings tree file (head text, then dict's node) written through WriteFileSafely.
bool SaveSettingsTreeFile(const PathString& path, const Dictionary& dict, const char* head,
                          std::error_code* error = nullptr);

// Where and why a save failed, for the user: `in folder "<folder>": <reason>`, or, when
// folderError tells why the folder could not be made, `in folder "<folder>", which could
// not be made: <folder's reason>`. A path without a folder stands for a save that had
// nowhere to go (the program's own folder is unknown) and was not written anywhere.
StringW SaveFailureWhere(const PathString& path, const std::error_code& error,
                         const std::error_code& folderError = {});
// One line of a list of files not saved: `"<file name>" ` and SaveFailureWhere.
StringW SaveFailureLine(const PathString& path, const std::error_code& error,
                        const std::error_code& folderError = {});
// The line of a save that left a damaged file as it was, since its bytes could not be
// kept aside first: `"<name>" in folder "<folder>": not written, the damaged file could
// not be kept as "<name>.bad": <reason>`.
StringW UnkeptFailureLine(const PathString& path, const std::error_code& error);
