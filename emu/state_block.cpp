#include "emu/state_block.h"

#include "base/archive.h"

namespace {

const char kVersionKey[] = "VER";

}  // namespace

namespace StateBlock {

bool Open(Archive& archive, const char* name, u8 version)
{
    return archive.WriteMarker(name, Archive::kBlockOpen) && SaveVersion(archive, version);
}

bool Close(Archive& archive, const char* name)
{
    return archive.WriteMarker(name, Archive::kBlockClose);
}

bool Enter(Archive& archive, const char* name, u8 version)
{
    return archive.ReadMarker(name, Archive::kBlockOpen) && LoadVersion(archive, version);
}

bool Leave(Archive& archive, const char* name)
{
    return archive.ReadMarker(name, Archive::kBlockClose);
}

bool SaveVersion(Archive& archive, u8 version)
{
    return archive.WriteUInt8(&version, kVersionKey);
}

bool LoadVersion(Archive& archive, u8 version)
{
    u8 stored = 0;
    return archive.ReadUInt8(&stored, kVersionKey) && stored == version;
}

bool LoadVersion(Archive& archive, u8 oldest, u8 newest, u8* version)
{
    return archive.ReadUInt8(version, kVersionKey) && *version >= oldest && *version <= newest;
}

bool SaveEmpty(Archive& archive, const char* name)
{
    return Open(archive, name) && Close(archive, name);
}

bool LoadEmpty(Archive& archive, const char* name)
{
    return Enter(archive, name) && Leave(archive, name);
}

}  // namespace StateBlock
