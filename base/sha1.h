// SHA-1 digest (FIPS 180): cartridge identification fingerprints ROM images
// with it.
#pragma once

#include "base/types.h"

// The five words of the final state, first word first, as native integers.
void Sha1(const void* data, u32 size, u32& h0, u32& h1, u32& h2, u32& h3, u32& h4);
