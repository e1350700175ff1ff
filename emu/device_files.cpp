// Finding the system's data files (BIOS images above all) by bare name, and copying them
// into the memory space's backing store.
//
// A name N is looked for in this order, the first readable file winning:
//   <program>configs/<model id>/N   <program>configs/<family id>/N
//   <program>configs/N              <program>N
// and then the same four under the per-user data folder when that exists. An empty id
// drops out of the path with its separator; the user's folder drops out when it is the
// program's own. Only regular files that open count: a folder, a named pipe or a file
// that does not open under the name is passed over with a message, once a search.
#include <memory>

#include "base/file_io.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "emu/computer.h"
#include "emu/device.h"
#include "emu/memory_space.h"

namespace {

const char* const kConfigsFolder = "configs";

StringW IdText(const char* id)
{
    StringW text;
    text.FromNarrow(id ? id : "");
    return text;
}

bool TryCandidates(const Device& device, const PathString& base, const StringW& model, const StringW& family,
                   const PathString& name, PathString& out)
{
    const PathString configs = JoinPath(base, StringW(kConfigsFolder), StringW(), StringW());
    const PathString candidates[] = {
        JoinPath(configs, model, name, StringW()),
        JoinPath(configs, family, name, StringW()),
        JoinPath(configs, StringW(), name, StringW()),
        JoinPath(base, StringW(), name, StringW()),
    };
    for (const PathString& candidate : candidates) {
        if (candidate.IsEmpty())
            continue;
        // What stands under the name and does not open would otherwise vanish without a word.
        const PathProbe probe = ProbePath(candidate);
        switch (probe.holds) {
        case PathHolds::kFile:
            out = candidate;
            return true;
        case PathHolds::kNonFile:
            device.LogColoredF("[ERROR] \"%s\" is not a file (a folder, a pipe or a device), passed over!",
                               MessageText(candidate).CStr());
            break;
        case PathHolds::kUnreadable:
            device.LogColoredF("[ERROR] \"%s\" could not be read (%s), passed over!", MessageText(candidate).CStr(),
                               FileErrorText(probe.reason).GetNarrow());
            break;
        case PathHolds::kNothing:
            break;
        }
    }
    return false;
}

} // namespace

bool Device::LocateFile(const PathString& name, PathString& out)
{
    out.Clear();
    if (name.IsEmpty())
        return false;
    // Only a machine knows its ids; a device outside one searches without them.
    const Computer* machine = dynamic_cast<const Computer*>(host_);
    const StringW model = IdText(machine ? machine->GetId() : nullptr);
    const StringW family = IdText(machine ? machine->GetFamilyId() : nullptr);
    if (TryCandidates(*this, ProgramFolder(), model, family, name, out))
        return true;
    const PathString userFolder = MakeDataFolder(StringW(kDataFolderName), false);
    if (!FolderExists(userFolder) || userFolder.Compare(ProgramFolder()) == 0)
        return false;
    return TryCandidates(*this, userFolder, model, family, name, out);
}

int Device::FindOneOf(FileStream& stream, const StringA& description, const PathString& name1,
                      const PathString& name2, const PathString& name3, const PathString& name4,
                      const PathString& name5, bool report)
{
    stream.Close();
    const PathString* names[] = {&name1, &name2, &name3, &name4, &name5};
    if (name1.IsEmpty())
        return 0;
    int tried = 0;
    for (int i = 0; i < 5; ++i) {
        // Names after the first empty one are never looked at.
        if (names[i]->IsEmpty())
            break;
        tried = i + 1;
        PathString found;
        // An empty file counts as missing, and the search does not go on to later
        // folders for that name.
        if (LocateFile(*names[i], found) && stream.Open(found, false) && stream.GetSize() != 0) {
            if (report)
                LogF("[INIT] Loaded file \"%s\" (%s)", MessageText(*names[i]).CStr(), description.GetNarrow());
            return i + 1;
        }
        stream.Close();
    }
    if (tried == 1) {
        LogColoredF("[ERROR] File \"%s\" (%s) not found!", MessageText(name1).CStr(), description.GetNarrow());
        return 0;
    }
    LogColoredF("[ERROR] No one of files found (%s): ", description.GetNarrow());
    for (int i = 0; i < tried; ++i)
        LogColoredF("   \"%s\"%s", MessageText(*names[i]).CStr(), i + 1 < tried ? " or " : "");
    return 0;
}

int Device::LoadFileToMemory(u32 position, u32 minSize, u32 maxSize, const StringA& description,
                             const PathString& name1, const PathString& name2, const PathString& name3,
                             const PathString& name4, const PathString& name5)
{
    FileStream stream;
    const int found = FindOneOf(stream, description, name1, name2, name3, name4, name5, false);
    const PathString* names[] = {&name1, &name2, &name3, &name4, &name5};
    if (found == 0 || !LoadFoundToMemory(stream, position, minSize, maxSize, description, *names[found - 1]))
        return 0;
    return found;
}

bool Device::LoadFoundToMemory(FileStream& stream, u32 position, u32 minSize, u32 maxSize,
                               const StringA& description, const PathString& fileName)
{
    const StringA shown = MessageText(fileName);
    const char* name = shown.CStr();
    const u64 size = stream.GetSize();
    if (minSize != 0 && size < minSize) {
        LogColoredF("[ERROR] File \"%s\" is too small to be loaded (<%lu)!", name, minSize);
        return false;
    }
    if (maxSize != 0 && size > maxSize) {
        LogColoredF("[ERROR] File \"%s\" is too big to be loaded (>%lu)!", name, maxSize);
        return false;
    }
    const unsigned long long at = position;
    if (!memory_ || !memory_->LoadFromStream(stream, position, 1, 1)) {
        LogColoredF("[ERROR] Can not load file \"%s\" to memory at position %llXh (%s)!", name, at,
                    description.GetNarrow());
        return false;
    }
    LogF("[INIT] File \"%s\" loaded to memory at position %llXh (%s)", name, at, description.GetNarrow());
    return true;
}

int Device::LoadFileToMemoryEnd(u32 end, u32 minSize, u32 maxSize, const StringA& description,
                                const PathString& name1, const PathString& name2, const PathString& name3,
                                const PathString& name4, const PathString& name5)
{
    FileStream stream;
    const int found = FindOneOf(stream, description, name1, name2, name3, name4, name5, false);
    if (found == 0)
        return 0;
    const u64 size = stream.GetSize();
    if (size > end)
        return 0;
    const PathString* names[] = {&name1, &name2, &name3, &name4, &name5};
    if (!LoadFoundToMemory(stream, end - static_cast<u32>(size), minSize, maxSize, description, *names[found - 1]))
        return 0;
    return found;
}

bool Device::LoadFilePairToMemory(u32 position, const StringA& description, const PathString& first,
                                  const PathString& second, const PathString& altFirst, const PathString& altSecond)
{
    FileStream even;
    FileStream odd;
    // The two choices are independent: either first file may go with either second one.
    if (FindOneOf(even, description, first, altFirst, PathString(), PathString(), PathString(), false) == 0)
        return false;
    if (FindOneOf(odd, description, second, altSecond, PathString(), PathString(), PathString(), false) == 0)
        return false;
    return LoadFoundPairToMemory(even, odd, position, description, first, second);
}

bool Device::LoadFoundPairToMemory(FileStream& even, FileStream& odd, u32 position, const StringA& description,
                                   const PathString& first, const PathString& second)
{
    const StringA shownFirst = MessageText(first);
    const StringA shownSecond = MessageText(second);
    const char* a = shownFirst.CStr();
    const char* b = shownSecond.CStr();
    if (even.GetSize() != odd.GetSize()) {
        LogColoredF("[ERROR] Files \"%s\" and \"%s\" should have equal sizes!", a, b);
        return false;
    }
    const unsigned long long at = position;
    if (!memory_ || !memory_->LoadFromStream(even, position, 1, 2)) {
        LogColoredF("[ERROR] Can not load file \"%s\" to memory at position %llXh (%s)!", a, at,
                    description.GetNarrow());
        return false;
    }
    if (position == 0xFFFFFFFFu || !memory_->LoadFromStream(odd, position + 1, 1, 2)) {
        LogColoredF("[ERROR] Can not load file \"%s\" to memory at position %llXh (%s)!", b, at,
                    description.GetNarrow());
        return false;
    }
    LogF("[INIT] Files \"%s\" and \"%s\" loaded to memory at position %llXh (%s)", a, b, at,
         description.GetNarrow());
    return true;
}

bool Device::LoadFilePairToMemoryEnd(u32 end, const StringA& description, const PathString& first,
                                     const PathString& second)
{
    FileStream even;
    FileStream odd;
    if (FindOneOf(even, description, first, PathString(), PathString(), PathString(), PathString(), false) == 0)
        return false;
    if (FindOneOf(odd, description, second, PathString(), PathString(), PathString(), PathString(), false) == 0)
        return false;
    const u64 total = even.GetSize() + odd.GetSize();
    if (total > end)
        return false;
    return LoadFoundPairToMemory(even, odd, end - static_cast<u32>(total), description, first, second);
}
