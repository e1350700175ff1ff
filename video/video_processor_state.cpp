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
// The geometry (SCSW, SCSH, SCLN, TMOD, T0SC, T0FR) is taken only when the chip accepts it
// (AcceptsGeometry): every count there is a loop over lines at every frame.
//
// Restoring the generation and the timing keeps the render event that the bus or the CPU
// restores from its own state matching, and a later SetRenderTiming with the same lines
// and rate schedules nothing new.
#include <cstring>
#include <limits>

#include "base/archive.h"
#include "base/stream_interface.h"
#include "emu/state_block.h"
#include "video/display_surface.h"
#include "video/video_processor.h"

static_assert(VideoProcessor::kMaxPictureSize <= DisplaySurface::kMaxLines,
              "every line of a frame has its flags in the surface");

namespace {

const char kBlock[] = "_VIDD";
const u8 kVersion = 1;
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
    const u8 page = static_cast<u8>(currentPage_);
    const i64 generation = static_cast<i64>(renderGeneration_);
    u8 aspect[8];
    PackDouble(aspect_, aspect);
    if (!StateBlock::Open(archive, kBlock, kVersion) || !archive.WriteUInt8(&page, "PID") ||
        !archive.WriteInt32(&screenWidth_, "SCSW") || !archive.WriteInt32(&screenHeight_, "SCSH") ||
        !archive.WriteInt32(&currentLine_, "SCLN") ||
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
    return StateBlock::Close(archive, kBlock);
}

bool VideoProcessor::AcceptsGeometry(const RenderGeometry& g) const
{
    const auto within = [](i32 value, i32 low) { return value >= low && value <= kMaxPictureSize; };
    if (g.timingState == -1)
        return within(g.width, 0) && within(g.height, 0) && within(g.linesPerFrame, 0) && g.frameRate >= 0;
    return g.timingState == 0 && within(g.width, 1) && within(g.height, 1) && within(g.linesPerFrame, g.height) &&
           g.frameRate >= 0;
}

bool VideoProcessor::LoadState(Archive& archive, LoadContext context)
{
    if (!VideoMemory::LoadState(archive, context))
        return false;
    if (!StateBlock::Enter(archive, kBlock, kVersion))
        return false;
    u8 page = 0xFF;
    if (!archive.ReadUInt8(&page, "PID") || !GetPage(page))
        return false;
    // The geometry is taken only once all of it has been read and found sound.
    RenderGeometry geometry = {0, 0, linesPerFrame_, frameRate_, timingState_};
    i32 line = 0;
    if (!archive.ReadInt32(&geometry.width, "SCSW") || !archive.ReadInt32(&geometry.height, "SCSH") ||
        !archive.ReadInt32(&line, "SCLN") || line < 0 || line >= kMaxPictureSize)
        return false;
    i64 generation = 0;
    if (!archive.ReadInt64(&generation, "RNDT"))
        return false;
    renderGeneration_ = static_cast<u64>(generation);
    u8 aspectBytes[8];
    if (!archive.ReadBlob(aspectBytes, sizeof(aspectBytes), "APCT"))
        return false;
    // The aspect is kept as a float: the value checked is the one converted, and only
    // within the float's range is the conversion defined (NaN fails the test too).
    const double savedAspect = UnpackDouble(aspectBytes);
    if (!(savedAspect > 0 && savedAspect <= std::numeric_limits<float>::max()))
        return false;
    const float aspect = static_cast<float>(savedAspect);
    if (!IsAspect(aspect))
        return false;
    // A chosen aspect index wins over the saved aspect; the default follows the state.
    if (*aspectIndex_ == 0)
        aspect_ = aspect;
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

    if (!archive.ReadInt32(&geometry.timingState, "TMOD"))
        return false;
    if (geometry.timingState == 0 && (!archive.ReadInt32(&geometry.linesPerFrame, "T0SC") ||
                                      !archive.ReadInt32(&geometry.frameRate, "T0FR")))
        return false;
    if (!AcceptsGeometry(geometry))
        return false;
    screenWidth_ = geometry.width;
    screenHeight_ = geometry.height;
    currentLine_ = line;
    timingState_ = geometry.timingState;
    linesPerFrame_ = geometry.linesPerFrame;
    frameRate_ = geometry.frameRate;
    i32 frameSize = 0;
    if (!archive.ReadInt32(&frameSize, "FSIZ") || frameSize < 0)
        return false;
    if (frameSize > 0) {
        // The blob must be in the stream before the frame data grows for it.
        if (!Remaining(archive, static_cast<u64>(frameSize)) || !frameData_.SetSize(static_cast<u64>(frameSize)) ||
            !archive.ReadBlob(frameData_.GetBuffer(), static_cast<u64>(frameSize), "FDAT"))
            return false;
    } else if (!frameData_.SetSize(0)) {
        // A state without frame data leaves none from an earlier load.
        return false;
    }
    if (!StateBlock::Leave(archive, kBlock))
        return false;
    return LinkPage(page);
}
