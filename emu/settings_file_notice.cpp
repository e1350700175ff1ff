#include "emu/settings_file_notice.h"

#include <filesystem>
#include <system_error>

#include "base/dictionary.h"
#include "base/file_system.h"
#include "base/memory_stream.h"
#include "base/native_path.h"
#include "base/path_text.h"
#include "base/string_w.h"

namespace fs = std::filesystem;

bool SettingsFileUnreadable(const PathString& path)
{
    return !FileReadable(path) && (FileExists(path) || FolderExists(path));
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
    std::error_code error;
    fs::copy_file(NativePath(path), NativePath(kept), fs::copy_options::overwrite_existing, error);
    if (error)
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
