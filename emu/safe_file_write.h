// Writing settings files so that a failure never costs the previous file.
//
// The whole content is built in memory first, written to a temporary file beside the
// target ("<target>.tmp") and only then renamed over the target. Power loss, a full disk
// or a refused write leave the old file as it was; at worst a stale temporary file stays
// behind, which the next save overwrites.
#pragma once

#include "base/types.h"

class Dictionary;
class PathString;

// Replaces the file at path with size bytes of data. False when anything failed; the
// file at path is then untouched and the temporary file removed.
bool WriteFileSafely(const PathString& path, const void* data, u64 size);

// The head text of every settings file.
inline constexpr char kSettingsFileHead[] = "KUVINI";

// A settings tree file (head text, then dict's node) written through WriteFileSafely.
bool SaveSettingsTreeFile(const PathString& path, const Dictionary& dict, const char* head);
