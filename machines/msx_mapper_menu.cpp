// MSX mapper: the debugger's trace and break switches (settings and menu kind 6).
#include "base/dictionary.h"
#include "base/string_a.h"
#include "base/value.h"
#include "emu/option_item.h"
#include "machines/msx_mapper.h"

namespace {

// One kind of switch (trace or break) of the mapper's registers.
struct SwitchSet {
    u8* writePslot;
    u8* readPslot;
    u8* writeSslot;
    u8* readSslot;
    u8* writeBanks;  // four
    u8* readBanks;   // four
};

void AddCheck(OptionItem* submenu, const char* title, u8* flag)
{
    if (OptionItem* item = submenu->AddCheckItem(title, flag, 1))
        submenu->AddCheckedIfItem(item, 1);
}

void AddAllNone(OptionItem* submenu, std::initializer_list<u8*> flags, i32 arrayCount = 0, u8* a = nullptr,
                u8* b = nullptr)
{
    submenu->AddSeparator();
    for (u8 value : {u8{1}, u8{0}}) {
        if (OptionItem* item = submenu->AddItem(value ? "Select All" : "Clear All")) {
            for (u8* flag : flags)
                item->AddActionSetByte(flag, value);
            if (a != nullptr)
                item->AddActionSetBytes(a, value, arrayCount);
            if (b != nullptr)
                item->AddActionSetBytes(b, value, arrayCount);
        }
    }
}

// "<prefix> PSLOT", "<prefix> SSLOT", "<prefix> RAM Banks".
void AddSubmenus(OptionItem* menu, const char* prefix, const SwitchSet& s)
{
    StringA title;
    title.Format("%s PSLOT", prefix);
    if (OptionItem* sub = menu->AddItem(title.GetNarrow())) {
        AddCheck(sub, "Write PSLOT", s.writePslot);
        AddCheck(sub, "Read PSLOT", s.readPslot);
        AddAllNone(sub, {s.writePslot, s.readPslot});
    }
    title.Format("%s SSLOT", prefix);
    if (OptionItem* sub = menu->AddItem(title.GetNarrow())) {
        AddCheck(sub, "Write SSLOT", s.writeSslot);
        AddCheck(sub, "Read SSLOT", s.readSslot);
        AddAllNone(sub, {s.writeSslot, s.readSslot});
    }
    title.Format("%s RAM Banks", prefix);
    if (OptionItem* sub = menu->AddItem(title.GetNarrow())) {
        static const char* const kPages[4] = {"0x0000", "0x4000", "0x8000", "0xC000"};
        StringA text;
        for (i32 i = 0; i < 4; ++i) {
            text.Format("Set Bank %s", kPages[i]);
            AddCheck(sub, text.GetNarrow(), &s.writeBanks[i]);
        }
        for (i32 i = 0; i < 4; ++i) {
            text.Format("Get Bank %s", kPages[i]);
            AddCheck(sub, text.GetNarrow(), &s.readBanks[i]);
        }
        AddAllNone(sub, {}, 4, s.writeBanks, s.readBanks);
    }
}

void SetAll(OptionItem* item, const SwitchSet& s, u8 value)
{
    for (u8* flag : {s.writePslot, s.readPslot, s.writeSslot, s.readSslot})
        item->AddActionSetByte(flag, value);
    item->AddActionSetBytes(s.writeBanks, value, 4);
    item->AddActionSetBytes(s.readBanks, value, 4);
}

} // namespace

bool MsxMapper::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict != nullptr && !enabledOnly) {
        dict->BindFlag("TraceReadPSLOT", &traceReadPslot_);
        dict->BindFlag("BreakReadPSLOT", &breakReadPslot_);
        dict->BindFlag("TraceWritePSLOT", &traceWritePslot_);
        dict->BindFlag("BreakWritePSLOT", &breakWritePslot_);
        dict->BindFlag("TraceReadSSLOT", &traceReadSslot_);
        dict->BindFlag("BreakReadSSLOT", &breakReadSslot_);
        dict->BindFlag("TraceWriteSSLOT", &traceWriteSslot_);
        dict->BindFlag("BreakWriteSSLOT", &breakWriteSslot_);
        StringA key;
        for (i32 i = 0; i < 4; ++i) {
            key.Format("TraceReadRAMBanks[%ld]", i);
            dict->BindFlag(key, &traceReadRamBank_[i]);
            key.Format("BreakReadRAMBanks[%ld]", i);
            dict->BindFlag(key, &breakReadRamBank_[i]);
            key.Format("TraceWriteRAMBanks[%ld]", i);
            dict->BindFlag(key, &traceWriteRamBank_[i]);
            key.Format("BreakWriteRAMBanks[%ld]", i);
            dict->BindFlag(key, &breakWriteRamBank_[i]);
        }
    }
    return ComponentGroup::BindSettings(dict, enabledOnly);
}

bool MsxMapper::ValidateSettings(bool enabledOnly)
{
    return ComponentGroup::ValidateSettings(enabledOnly);
}

void MsxMapper::BuildMenu(OptionItem* menu, i32 kind)
{
    Device::BuildMenu(menu, kind);
    if (kind != kMenuDebug || menu == nullptr)
        return;
    const SwitchSet trace{&traceWritePslot_, &traceReadPslot_, &traceWriteSslot_,
                          &traceReadSslot_,  traceWriteRamBank_, traceReadRamBank_};
    const SwitchSet brk{&breakWritePslot_, &breakReadPslot_, &breakWriteSslot_,
                        &breakReadSslot_,  breakWriteRamBank_, breakReadRamBank_};
    AddSubmenus(menu, "Trace", trace);
    if (OptionItem* all = menu->AddItem("Trace All"))
        SetAll(all, trace, 1);
    menu->AddSeparator();
    AddSubmenus(menu, "Break On", brk);
    if (OptionItem* all = menu->AddItem("Break All"))
        SetAll(all, brk, 1);
    menu->AddSeparator();
    for (u8 value : {u8{1}, u8{0}}) {
        if (OptionItem* item = menu->AddItem(value ? "Select All" : "Clear All")) {
            SetAll(item, trace, value);
            SetAll(item, brk, value);
        }
    }
}
