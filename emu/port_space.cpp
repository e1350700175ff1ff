#include "emu/port_space.h"

#include "emu/little_endian.h"
#include "emu/state_block.h"

namespace {

const char* const kBlock = "_PORTS";

} // namespace

PortSpace::PortSpace()
{
    SetName("_PORT");
}

PortSpace::~PortSpace()
{
    Clear();
}

const PortReadEntry* PortSpace::FindRead(u32 port, u32 sizeMask) const
{
    const u32 index = port & addressMask & sizeMask;
    const ReadPage* page = readPages_[(index >> 8) & 0xFF].get();
    return page ? &page->entries[index & 0xFF] : nullptr;
}

const PortWriteEntry* PortSpace::FindWrite(u32 port, u32 sizeMask) const
{
    const u32 index = port & addressMask & sizeMask;
    const WritePage* page = writePages_[(index >> 8) & 0xFF].get();
    return page ? &page->entries[index & 0xFF] : nullptr;
}

bool PortSpace::TryRead(u32 port, i32 size, u8* buffer, bool peek, u8* wait, u32 sizeMask)
{
    *wait = 0;
    // An entry whose plain handler refuses goes on to the default handler; its extended
    // handler is only for entries without a plain one.
    if (const PortReadEntry* e = FindRead(port, sizeMask)) {
        if (e->handler) {
            if (e->handler(e->context, port, size, buffer, peek))
                return true;
        } else if (e->handlerEx) {
            if (e->handlerEx(e->context, port, size, buffer, peek, wait))
                return true;
        }
    }
    if (defaultRead_.handler)
        return defaultRead_.handler(defaultRead_.context, port, size, buffer, peek);
    if (defaultRead_.handlerEx)
        return defaultRead_.handlerEx(defaultRead_.context, port, size, buffer, peek, wait);
    return false;
}

bool PortSpace::TryWrite(u32 port, i32 size, const u8* buffer, u32 sizeMask)
{
    const PortWriteEntry* e = FindWrite(port, sizeMask);
    if (e && e->handler && e->handler(e->context, port, size, buffer))
        return true;
    if (defaultWrite_.handler)
        return defaultWrite_.handler(defaultWrite_.context, port, size, buffer);
    return false;
}

u8 PortSpace::Read8(u32 port, bool peek, u8* wait)
{
    u8 ignored;
    u8 b;
    if (TryRead(port, 1, &b, peek, wait ? wait : &ignored, byteMask))
        return b;
    return defaultValue_;
}

u16 PortSpace::Read16(u32 port, bool peek, u8* wait)
{
    u8 ignored;
    u8 b[2];
    if (TryRead(port, 2, b, peek, wait ? wait : &ignored, wordMask))
        return LoadLe16(b);
    const u8 lo = Read8(port, peek, wait);
    return static_cast<u16>(lo | (Read8(port + 1, peek, wait) << 8));
}

u32 PortSpace::Read32(u32 port, bool peek, u8* wait)
{
    u8 ignored;
    u8 b[4];
    if (TryRead(port, 4, b, peek, wait ? wait : &ignored, dwordMask))
        return LoadLe32(b);
    const u32 lo = Read16(port, peek, wait);
    return lo | (static_cast<u32>(Read16(port + 2, peek, wait)) << 16);
}

void PortSpace::Write8(u32 port, u8 value)
{
    TryWrite(port, 1, &value, byteMask);
}

void PortSpace::Write16(u32 port, u16 value)
{
    u8 b[2];
    StoreLe16(b, value);
    if (TryWrite(port, 2, b, wordMask))
        return;
    Write8(port, b[0]);
    Write8(port + 1, b[1]);
}

void PortSpace::Write32(u32 port, u32 value)
{
    u8 b[4];
    StoreLe32(b, value);
    if (TryWrite(port, 4, b, dwordMask))
        return;
    Write16(port, static_cast<u16>(value));
    Write16(port + 2, static_cast<u16>(value >> 16));
}

bool PortSpace::SetReadHandler(u32 port, void* context, PortReadHandler handler)
{
    if (port >= kPortCount)
        return false;
    if (!handler)
        return true;
    auto& page = readPages_[port >> 8];
    if (!page)
        page = std::make_unique<ReadPage>();
    page->entries[port & 0xFF] = {context, handler, nullptr};
    return true;
}

bool PortSpace::SetReadHandlerEx(u32 port, void* context, PortReadHandlerEx handler)
{
    if (port >= kPortCount)
        return false;
    if (!handler)
        return true;
    auto& page = readPages_[port >> 8];
    if (!page)
        page = std::make_unique<ReadPage>();
    page->entries[port & 0xFF] = {context, nullptr, handler};
    return true;
}

bool PortSpace::SetWriteHandler(u32 port, void* context, PortWriteHandler handler)
{
    if (port >= kPortCount)
        return false;
    if (!handler)
        return true;
    auto& page = writePages_[port >> 8];
    if (!page)
        page = std::make_unique<WritePage>();
    page->entries[port & 0xFF] = {context, handler};
    return true;
}

bool PortSpace::RemoveReadHandler(u32 port, const void* context)
{
    if (port >= kPortCount)
        return false;
    if (ReadPage* page = readPages_[port >> 8].get()) {
        PortReadEntry& e = page->entries[port & 0xFF];
        if (e.context == context)
            e = {};
    }
    return true;
}

bool PortSpace::RemoveWriteHandler(u32 port, const void* context)
{
    if (port >= kPortCount)
        return false;
    if (WritePage* page = writePages_[port >> 8].get()) {
        PortWriteEntry& e = page->entries[port & 0xFF];
        if (e.context == context)
            e = {};
    }
    return true;
}

void PortSpace::SetDefaultReadHandler(void* context, PortReadHandler handler, PortReadHandlerEx handlerEx)
{
    defaultRead_ = {context, handler, handlerEx};
}

void PortSpace::SetDefaultWriteHandler(void* context, PortWriteHandler handler)
{
    defaultWrite_ = {context, handler};
}

void PortSpace::Clear()
{
    defaultValue_ = 0xFF;
    defaultRead_ = {};
    defaultWrite_ = {};
    for (auto& page : readPages_)
        page.reset();
    for (auto& page : writePages_)
        page.reset();
}

bool PortSpace::Start(i32* rate)
{
    (void)rate;
    Clear();
    addressMask = byteMask = wordMask = dwordMask = 0xFFFF;
    return true;
}

void PortSpace::Stop()
{
    Clear();
}

bool PortSpace::SaveState(Archive& archive)
{
    return StateBlock::SaveEmpty(archive, kBlock);
}

bool PortSpace::LoadState(Archive& archive, LoadContext)
{
    return StateBlock::LoadEmpty(archive, kBlock);
}
