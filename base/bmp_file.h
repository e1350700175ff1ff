// Uncompressed Windows BMP files: one image read from or written to a stream
// at its position.
//
// Read: 1, 2, 4 and 8 bits with a palette, 16 (5-6-5), 24 and 32 bits, stored
// bottom-up (a negative height, top-down, is refused), compression 0 only.
// Every size in the headers is checked against what the stream holds before
// anything is allocated or read.
#pragma once

#include "base/image_base.h"

class StreamInterface;

// Families accepted by LoadBmpImage.
enum BmpFamily : int {
    kBmpAnyDepth = 0,
    kBmpPalette = 1,  // 1, 2, 4, 8 bits
    kBmpGrey = 2,     // 8 bits read as grey levels (Image8BppAlt)
    kBmpDirect = 3,   // 16, 24, 32 bits
};

// A new image (the caller deletes it), or null when the data is not a BMP of
// the family, is damaged or is truncated.
ImageBase* LoadBmpImage(StreamInterface& stream, int family);

// Writes the image as one BMP; false for an empty image or a short write.
bool SaveBmpImage(StreamInterface& stream, const ImageBase& image);
