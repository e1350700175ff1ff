#include "emu/port_space.h"

#include "emu/little_endian.h"
#include "emu/state_block.h"

namespace {

const char* const kBlock = "_PORTS";

// The handler tables of both directions share their page logic: a page is made with the
// first handler installed on it.
template <class Page>
auto* EntryAt(const std::unique_ptr<Page> (&pages)[256], u32 index)
{
    const Page* page = pages[(index >> 8) & 0xFF].get();
    return page ? &page->entries[index & 0xFF] : nullptr;
}

template <class Page, class Entry>
bool PutEntry(std::unique_ptr<Page> (&pages)[256], u32 port, bool install, const Entry& entry)
{
    if (port >= PortSpace::kPortCount)
        return false;
    if (!install)
        return true;
    auto& page = pages[port >> 8];
    if (!page)
        page = std::make_unique<Page>();
    page->entries[port & 0xFF] = entry;
    return true;
}

template <class Page>
bool TakeEntry(std::unique_ptr<Page> (&pages)[256], u32 port, const void* context)
{
    if (port >= PortSpace::kPortCount)
        return false;
    if (Page* page = pages[port >> 8].get()) {
        auto& e = page->entries[port & 0xFF];
        if (e.context == context)
            e = {};
    }
    return true;
}

} // namespace

PortSpace::PortSpace()
{
    SetName("_PORT");
}

PortSpace::~PortSpace()
{
    Clear();
}

bool PortSpace::TryRead(u32 port, i32 size, u8* buffer, bool peek, u8* wait, u32 sizeMask)
{
    *wait = 0;
    // An entry whose plain handler refuses goes on to the default handler; its extended
    // handler is only for entries without a plain one.
    if (const PortReadEntry* e = EntryAt(readPages_, port & addressMask & sizeMask)) {
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
    const PortWriteEntry* e = EntryAt(writePages_, port & addressMask & sizeMask);
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
    return PutEntry(readPages_, port, handler != nullptr, PortReadEntry{context, handler, nullptr});
}

bool PortSpace::SetReadHandlerEx(u32 port, void* context, PortReadHandlerEx handler)
{
    return PutEntry(readPages_, port, handler != nullptr, PortReadEntry{context, nullptr, handler});
}

bool PortSpace::SetWriteHandler(u32 port, void* context, PortWriteHandler handler)
{
    return PutEntry(writePages_, port, handler != nullptr, PortWriteEntry{context, handler});
}

bool PortSpace::RemoveReadHandler(u32 port, const void* context)
{
    return TakeEntry(readPages_, port, context);
}

bool PortSpace::RemoveWriteHandler(u32 port, const void* context)
{
    return TakeEntry(writePages_, port, context);
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
