// The sound chips' switches in the settings file: bytes that the menu items toggle, each
// bound to a bool setting that stores 0 or 1.
#pragma once

#include "base/types.h"

class Dictionary;
class StringA;

void BindFlag(Dictionary* dict, const StringA& key, u8* flag);
// base[0] to base[count - 1], one a flag.
void BindFlags(Dictionary* dict, const char* base, u8* flags, i32 count);
