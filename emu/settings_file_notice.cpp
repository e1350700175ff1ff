#include "emu/settings_file_notice.h"

#include <cstdint>

#include "base/dictionary.h"
#include "base/file_io.h"
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

namespace {

PathString KeptPath(const PathString& path)
{
    PathString kept(path);
    kept.Append(".bad");
    return kept;
}

} // namespace

void UnkeptSettingsFiles::Add(const PathString& path)
{
    for (const PathString& known : paths_) {
        if (known.Compare(path) == 0)
            return;
    }
    paths_.push_back(path);
}

bool UnkeptSettingsFiles::KeepBeforeSave(const PathString& path, std::error_code& error)
{
    error.clear();
    for (auto it = paths_.begin(); it != paths_.end(); ++it) {
        if (it->Compare(path) != 0)
            continue;
        // The program that held the older copy may have let go of it by now. A file the
        // user has deleted since (even during the copy) leaves nothing to lose.
        if (!CopyFileSafely(path, KeptPath(path), &error)) {
            if (ProbePath(path).holds != PathHolds::kNothing)
                return false;
            error.clear();
        }
        paths_.erase(it);
        return true;
    }
    return true;
}

StringA KeepUnreadableSettingsFile(const PathString& path, const char* used, UnkeptSettingsFiles* unkept)
{
    const StringA name = MessageText(GetFileNamePart(path));
    StringA notice;
    if (FolderExists(path)) {
        notice.Format("Settings file \"%s\" could not be read: it is a folder, %s", name.CStr(), used);
        return notice;
    }
    std::error_code error;
    if (CopyFileSafely(path, KeptPath(path), &error)) {
        notice.Format("Settings file \"%s\" could not be read: kept as \"%s.bad\", %s", name.CStr(), name.CStr(),
                      used);
        return notice;
    }
    if (unkept && error != NotAFileError())
        unkept->Add(path);
    notice.Format("Settings file \"%s\" could not be read nor kept as \"%s.bad\" (%s): %s", name.CStr(),
                  name.CStr(), FileErrorText(error).GetNarrow(), used);
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
