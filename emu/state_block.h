// Framing of a versioned block inside a saved state (archive encodings):
//   F0, name        open marker and the block's name
//   "VER" u8 n      the block's version
//   ...             the block's own values
//   FF, name        close marker and the name again
// Open and Close write it; Enter and Leave read it back, Enter refusing any version but
// the one expected.
#pragma once

#include "base/types.h"

class Archive;

namespace StateBlock {

bool Open(Archive& archive, const char* name, u8 version = 0);
bool Close(Archive& archive, const char* name);
bool Enter(Archive& archive, const char* name, u8 version = 0);
bool Leave(Archive& archive, const char* name);

// The version alone, for values that carry on after a base class's blocks without a block
// of their own; LoadVersion refuses any version but the one expected.
bool SaveVersion(Archive& archive, u8 version = 0);
bool LoadVersion(Archive& archive, u8 version = 0);
// Any version from oldest to newest, into *version.
bool LoadVersion(Archive& archive, u8 oldest, u8 newest, u8* version);

// A block that holds its version 0 and nothing else.
bool SaveEmpty(Archive& archive, const char* name);
bool LoadEmpty(Archive& archive, const char* name);

}  // namespace StateBlock
