// Display processor base: the "_VIDD" block.
//
// Keys in order (each written and read only under its condition):
//   "VER" u8 1, "PID" u8 linked page, "SCSW" "SCSH" "SCLN" i32 picture width, visible
//   lines, current line, "RNDT" i64 render generation, "APCT" 8-byte blob (aspect as a
//   little-endian IEEE double), "ENBL" "GMOD" bool, "VPAR" i32 presence mask of the nine
//   screen values, then those present of "VMOD" "COLC" "ROWC" "COLS" "ROWS" "CHRW" "CHRH"
//   "PIXS" "LINS" (i32), "TMOD" i32 timing state, "T0SC" "T0FR" i32 lines and rate (only
//   when TMOD is 0), "FSIZ" i32 frame data size, "FDAT" blob (only when FSIZ > 0).
//
// Restoring the generation and the timing keeps the render event that the bus or the CPU
// restores from its own state matching, and a later SetRenderTiming with the same lines
// and rate schedules nothing new.
#include <cstring>

#include "base/archive.h"
#include "base/stream_interface.h"
#include "video/video_processor.h"

namespace {

const char kBlock[] = "_VIDD";
const char* const kScreenKeys[9] = {"VMOD", "COLC", "ROWC", "COLS", "ROWS", "CHRW", "CHRH", "PIXS", "LINS"};

void PackDouble(double value, u8 bytes[8])
{
    u64 bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<u8>(bits >> (8 * i));
}

double UnpackDouble(const u8 bytes[8])
{
    u64 bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<u64>(bytes[i]) << (8 * i);
    double value = 0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

bool Remaining(const Archive& archive, u64 need)
{
    const StreamInterface* stream = archive.GetStream();
    return stream && need <= stream->GetSize() - stream->GetPosition();
}

} // namespace

bool VideoProcessor::SaveState(Archive& archive)
{
    if (!VideoMemory::SaveState(archive))
        return false;
    const u8 version = 1;
    const u8 page = static_cast<u8>(currentPage_);
    const i64 generation = static_cast<i64>(renderGeneration_);
    u8 aspect[8];
    PackDouble(aspect_, aspect);
    if (!archive.WriteMarker(kBlock, Archive::kBlockOpen) || !archive.WriteUInt8(&version, "VER") ||
        !archive.WriteUInt8(&page, "PID") || !archive.WriteInt32(&screenWidth_, "SCSW") ||
        !archive.WriteInt32(&screenHeight_, "SCSH") || !archive.WriteInt32(&currentLine_, "SCLN") ||
        !archive.WriteInt64(&generation, "RNDT") || !archive.WriteBlob(aspect, sizeof(aspect), "APCT") ||
        !archive.WriteBool(&displayEnabled_, "ENBL") || !archive.WriteBool(&graphicsMode_, "GMOD"))
        return false;

    const i32* screen[9] = {&videoMode_, &columnCount_, &rowCount_, &columns_, &rows_,
                            &charWidth_, &charHeight_, &pixelBits_, &lines_};
    i32 present = 0;
    for (int i = 0; i < 9; ++i) {
        if (*screen[i] >= 0)
            present |= 1 << i;
    }
    if (!archive.WriteInt32(&present, "VPAR"))
        return false;
    for (int i = 0; i < 9; ++i) {
        if (*screen[i] >= 0 && !archive.WriteInt32(screen[i], kScreenKeys[i]))
            return false;
    }

    if (!archive.WriteInt32(&timingState_, "TMOD"))
        return false;
    if (timingState_ == 0 &&
        (!archive.WriteInt32(&linesPerFrame_, "T0SC") || !archive.WriteInt32(&frameRate_, "T0FR")))
        return false;
    const i32 frameSize = static_cast<i32>(static_cast<u32>(frameData_.GetSize()));
    if (!archive.WriteInt32(&frameSize, "FSIZ"))
        return false;
    if (frameSize > 0 &&
        !archive.WriteBlob(const_cast<MemoryStream&>(frameData_).GetBuffer(), static_cast<u64>(frameSize), "FDAT"))
        return false;
    return archive.WriteMarker(kBlock, Archive::kBlockClose);
}

bool VideoProcessor::LoadState(Archive& archive, LoadContext context)
{
    if (!VideoMemory::LoadState(archive, context))
        return false;
    u8 version = 0xFF;
    if (!archive.ReadMarker(kBlock, Archive::kBlockOpen) || !archive.ReadUInt8(&version, "VER") || version != 1)
        return false;
    u8 page = 0xFF;
    if (!archive.ReadUInt8(&page, "PID") || !GetPage(page))
        return false;
    if (!archive.ReadInt32(&screenWidth_, "SCSW") || screenWidth_ < 0 ||
        !archive.ReadInt32(&screenHeight_, "SCSH") || screenHeight_ < 0 ||
        !archive.ReadInt32(&currentLine_, "SCLN") || currentLine_ < 0)
        return false;
    i64 generation = 0;
    if (!archive.ReadInt64(&generation, "RNDT"))
        return false;
    renderGeneration_ = static_cast<u64>(generation);
    u8 aspectBytes[8];
    if (!archive.ReadBlob(aspectBytes, sizeof(aspectBytes), "APCT"))
        return false;
    const double aspect = UnpackDouble(aspectBytes);
    if (!(aspect > 0))
        return false;
    // A chosen aspect index wins over the saved aspect; the default follows the state.
    if (*aspectIndex_ == 0)
        aspect_ = static_cast<float>(aspect);
    if (!archive.ReadBool(&displayEnabled_, "ENBL") || !archive.ReadBool(&graphicsMode_, "GMOD"))
        return false;

    i32 present = 0;
    if (!archive.ReadInt32(&present, "VPAR") || (static_cast<u32>(present) >> 9) != 0)
        return false;
    i32* screen[9] = {&videoMode_, &columnCount_, &rowCount_, &columns_, &rows_,
                      &charWidth_, &charHeight_, &pixelBits_, &lines_};
    for (int i = 0; i < 9; ++i) {
        *screen[i] = -1;
        if ((present & (1 << i)) != 0 && (!archive.ReadInt32(screen[i], kScreenKeys[i]) || *screen[i] < 0))
            return false;
    }

    if (!archive.ReadInt32(&timingState_, "TMOD"))
        return false;
    if (timingState_ == 0 &&
        (!archive.ReadInt32(&linesPerFrame_, "T0SC") || linesPerFrame_ < 0 ||
         !archive.ReadInt32(&frameRate_, "T0FR") || frameRate_ < 0))
        return false;
    i32 frameSize = 0;
    if (!archive.ReadInt32(&frameSize, "FSIZ") || frameSize < 0)
        return false;
    if (frameSize > 0) {
        // The blob must be in the stream before the frame data grows for it.
        if (!Remaining(archive, static_cast<u64>(frameSize)) || !frameData_.SetSize(static_cast<u64>(frameSize)) ||
            !archive.ReadBlob(frameData_.GetBuffer(), static_cast<u64>(frameSize), "FDAT"))
            return false;
    }
    if (!archive.ReadMarker(kBlock, Archive::kBlockClose))
        return false;
    return LinkPage(page);
}
