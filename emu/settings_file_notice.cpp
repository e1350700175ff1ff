#include "emu/settings_file_notice.h"

#include <cstdint>

#include "base/dictionary.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/memory_stream.h"
#include "base/path_text.h"
#include "base/string_w.h"
#include "emu/safe_file_write.h"

bool SettingsFileUnreadable(const PathString& path)
{
    const PathHolds holds = ProbePath(path).holds;
    return holds == PathHolds::kNonFile || holds == PathHolds::kUnreadable;
}

const char* SettingsUsedText(bool fromProgramFolder, bool complete, bool taken)
{
    if (fromProgramFolder && complete)
        return "the program folder's settings are used.";
    if (fromProgramFolder && taken)
        return "the program folder's settings read before the damage are used, the defaults for the rest.";
    if (taken)
        return "the values read before the damage are used, the defaults for the rest.";
    return "the defaults are used.";
}

StringA KeepUnreadableSettingsFile(const PathString& path, const char* used)
{
    const StringA name(GetFileNamePart(path).GetNarrow());
    StringA notice;
    if (FolderExists(path)) {
        notice.Format("Settings file \"%s\" could not be read: it is a folder, %s", name.CStr(), used);
        return notice;
    }
    PathString kept(path);
    kept.Append(".bad");
    // Copied by hand and written as settings are: the C++ library's copy of the MinGW
    // runtime takes any two files of a drive for the same file and so refuses to replace
    // an older "<name>.bad".
    FileStream file;
    std::vector<u8> bytes;
    bool copied = file.Open(path, false) && file.GetSize() <= SIZE_MAX;
    if (copied) {
        bytes.resize(static_cast<size_t>(file.GetSize()));
        copied = file.Read(bytes.data(), bytes.size()) == bytes.size() &&
                 WriteFileSafely(kept, bytes.data(), bytes.size());
    }
    if (!copied)
        notice.Format("Settings file \"%s\" could not be read nor kept: %s", name.CStr(), used);
    else
        notice.Format("Settings file \"%s\" could not be read: kept as \"%s.bad\", %s", name.CStr(), name.CStr(),
                      used);
    return notice;
}

std::vector<u8> SettingsBytes(const Dictionary& dict)
{
    MemoryStream content;
    if (!content.Allocate(0, -1) || !dict.Save(content))
        return {};
    const u8* bytes = content.GetBuffer();
    return std::vector<u8>(bytes, bytes + content.GetSize());
}
