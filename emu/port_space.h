// Service "_PORT": the CPU's I/O address space of 65536 ports.
//
// Handlers are kept per port in two-level tables: 256 page pointers per direction, each
// page holding 256 entries and made only when the first handler of its page is installed
// (with the usual address mask 0xFF a machine uses one read and one write page).
//
// Lookup for an access of size s at port p:
//   index = p & addressMask & (byte, word or double-word mask for s)
//   entry = page[(index >> 8) & 0xFF][index & 0xFF]
// Installing ignores the masks: a handler sits at the port number given.
//
// Handler convention (every chip keeps it):
//   - the handler gets the full port the CPU gave, not the masked index;
//   - chips handle size 1 only and answer false otherwise; the space then splits a wider
//     access into bytes, low part first;
//   - a read with peek set changes nothing in the chip (debugger look);
//   - an extended read handler may set *wait nonzero: the CPU then runs the same
//     instruction again. The space clears the flag before every read;
//   - a handler answering false leaves the access to the default handler, then to the
//     default value 0xFF (reads) or to nothing (writes).
//
// Saved state "_PORTS": a version only. Handlers and masks are wired anew at every start.
#pragma once

#include <memory>

#include "base/types.h"
#include "emu/component.h"

class Archive;

using PortReadHandler = bool (*)(void* context, u32 port, i32 size, u8* buffer, bool peek);
using PortReadHandlerEx = bool (*)(void* context, u32 port, i32 size, u8* buffer, bool peek, u8* wait);
using PortWriteHandler = bool (*)(void* context, u32 port, i32 size, const u8* buffer);

struct PortReadEntry {
    void* context = nullptr;
    PortReadHandler handler = nullptr;
    PortReadHandlerEx handlerEx = nullptr;
};

struct PortWriteEntry {
    void* context = nullptr;
    PortWriteHandler handler = nullptr;
};

class PortSpaceBase {
public:
    virtual ~PortSpaceBase() = default;

    // wait may be null when the caller does not repeat instructions.
    virtual u8 Read8(u32 port, bool peek, u8* wait) = 0;
    virtual u16 Read16(u32 port, bool peek, u8* wait) = 0;
    virtual u32 Read32(u32 port, bool peek, u8* wait) = 0;
    virtual void Write8(u32 port, u8 value) = 0;
    virtual void Write16(u32 port, u16 value) = 0;
    virtual void Write32(u32 port, u32 value) = 0;
};

class PortSpace final : public PortSpaceBase, public Component {
public:
    static constexpr u32 kPortCount = 0x10000;

    PortSpace();
    ~PortSpace() override;

    u8 Read8(u32 port, bool peek, u8* wait) override;
    u16 Read16(u32 port, bool peek, u8* wait) override;
    u32 Read32(u32 port, bool peek, u8* wait) override;
    void Write8(u32 port, u8 value) override;
    void Write16(u32 port, u16 value) override;
    void Write32(u32 port, u32 value) override;

    // False for a port above 0xFFFF. A null handler changes nothing (and answers true):
    // handlers are removed all at once by Clear, Start and Stop.
    bool SetReadHandler(u32 port, void* context, PortReadHandler handler);
    bool SetReadHandlerEx(u32 port, void* context, PortReadHandlerEx handler);
    bool SetWriteHandler(u32 port, void* context, PortWriteHandler handler);
    // Take out the handler of one port when it is still the one installed with context
    // (a binding that is withdrawn while the machine runs); false for a port above 0xFFFF.
    bool RemoveReadHandler(u32 port, const void* context);
    bool RemoveWriteHandler(u32 port, const void* context);
    // Consulted for every port whose own entry did not answer.
    void SetDefaultReadHandler(void* context, PortReadHandler handler, PortReadHandlerEx handlerEx);
    void SetDefaultWriteHandler(void* context, PortWriteHandler handler);
    // Removes every handler; the masks stay.
    void Clear();

    // Empties the space and sets every mask back to 0xFFFF.
    bool Start(i32* rate) override;
    // Removes every handler; the masks stay.
    void Stop() override;
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;

    // Machines set addressMask to 0xFF after installing their handlers, so that only the
    // low 8 bits of the port select the entry.
    u32 addressMask = 0xFFFF;
    u32 byteMask = 0xFFFF;
    u32 wordMask = 0xFFFF;
    u32 dwordMask = 0xFFFF;

private:
    struct ReadPage {
        PortReadEntry entries[256];
    };
    struct WritePage {
        PortWriteEntry entries[256];
    };

    // Entry, then default handler; true when one of them filled buffer.
    bool TryRead(u32 port, i32 size, u8* buffer, bool peek, u8* wait, u32 sizeMask);
    bool TryWrite(u32 port, i32 size, const u8* buffer, u32 sizeMask);

    u8 defaultValue_ = 0xFF;
    PortReadEntry defaultRead_{};
    PortWriteEntry defaultWrite_{};
    std::unique_ptr<ReadPage> readPages_[256];
    std::unique_ptr<WritePage> writePages_[256];
};
