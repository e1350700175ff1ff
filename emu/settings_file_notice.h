// What a settings load tells the user when the user's own file could not be read in full.
//
// Settings are written at exit over the file they were read from, so a file that could
// not be read would be lost, and the values after its damage with it, without a word.
// The loaders keep such a file beside itself as "<name>.bad" first (a folder in its place
// is left as it is: no save replaces it) and hand the user one console line naming the
// file and saying which settings are in use instead:
//   Settings file "<name>" could not be read: kept as "<name>.bad", <used>
//   Settings file "<name>" could not be read nor kept as "<name>.bad" (<reason>): <used>
//   Settings file "<name>" could not be read: it is a folder, <used>
// A file that could not be kept (another program holds the older .bad) is remembered by
// the owner of the file (UnkeptSettingsFiles); a save tries to keep it again first, and
// where that still fails leaves it as it is and gives UnkeptFailureLine (safe_file_write.h) instead.
// Once the user has deleted the file, nothing is left to keep and the save writes.
#pragma once

#include <system_error>
#include <vector>

#include "base/string_a.h"
#include "base/string_w.h"
#include "base/types.h"

class Dictionary;

// The damaged settings files of one owner that could not be kept as "<name>.bad".
class UnkeptSettingsFiles {
public:
    void Add(const PathString& path);
    // Before a save writes over path: true when path is not one of them, or when it has
    // now been kept or is gone (and is forgotten); else false with the reason it still
    // cannot be, and the save must not write.
    bool KeepBeforeSave(const PathString& path, std::error_code& error);

private:
    std::vector<PathString> paths_;
};

// Something stands at path that a load cannot read: a folder, or a file that cannot be
// opened or is not a regular file.
bool SettingsFileUnreadable(const PathString& path);

// The end of the notice. fromProgramFolder: the user's file could not be read and the
// program folder's copy was read in its place; complete: the file read was read to its
// end; taken: the settings in use differ from the defaults.
const char* SettingsUsedText(bool fromProgramFolder, bool complete, bool taken);

// Copies the user's file at path to "<path>.bad" (unless a folder stands there) and
// answers the notice. A file that could not be kept is added to unkept (when given),
// unless it is no file (a pipe, a device), which holds no bytes to lose.
StringA KeepUnreadableSettingsFile(const PathString& path, const char* used, UnkeptSettingsFiles* unkept = nullptr);

// What a save of dict would write: the bytes of two snapshots differ when a bound value
// does, so a load can tell whether it left any setting changed.
std::vector<u8> SettingsBytes(const Dictionary& dict);
