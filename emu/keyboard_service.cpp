// Keyboard service: key-down table, listeners and the "_KEYS" block.
#include "emu/keyboard_service.h"

#include <algorithm>

#include "base/archive.h"
#include "emu/state_block.h"

namespace {

const char kBlockName[] = "_KEYS";

}  // namespace

KeyboardService::KeyboardService()
{
    SetName("_KEYB");
}

i32 KeyboardService::SetKeyState(u8 key, bool down)
{
    const i32 downValue = down ? 1 : 0;
    if (key == kNoKey)
        return downValue;
    if (down) {
        if (keyDown_[key])
            return downValue;
        ++downCount_;
    } else {
        if (!keyDown_[key])
            return downValue;
        if (downCount_ > 0)
            --downCount_;
    }
    keyDown_[key] = down ? 1 : 0;

    i32 result = downValue;
    listeners_.TellEach([&](const auto& listener) {
        result = listener.callback(listener.user, key, static_cast<u8>(downValue));
    });
    return result;
}

void KeyboardService::ReleaseAllKeys()
{
    if (downCount_ < 1)
        return;
    for (int key = 0; key < 256; ++key) {
        if (keyDown_[key])
            SetKeyState(static_cast<u8>(key), false);
    }
}

bool KeyboardService::Start(i32* /*rate*/)
{
    std::fill(std::begin(keyDown_), std::end(keyDown_), u8{0});
    downCount_ = 0;
    listeners_.Clear();
    return true;
}

void KeyboardService::Stop()
{
    listeners_.Clear();
}

bool KeyboardService::SaveState(Archive& archive)
{
    if (!StateBlock::Open(archive, kBlockName))
        return false;
    StringA key;
    for (int row = 0; row < 8; ++row) {
        u32 bits = 0;
        for (int bit = 0; bit < 32; ++bit) {
            if (keyDown_[row * 32 + bit])
                bits |= 1u << bit;
        }
        key.Format("L%.1ld", static_cast<i32>(row));
        if (!archive.WriteUInt32(&bits, key))
            return false;
    }
    return StateBlock::Close(archive, kBlockName);
}

bool KeyboardService::LoadState(Archive& archive, LoadContext /*context*/)
{
    if (!StateBlock::Enter(archive, kBlockName))
        return false;
    downCount_ = 0;
    StringA key;
    for (int row = 0; row < 8; ++row) {
        u32 bits = 0;
        key.Format("L%.1ld", static_cast<i32>(row));
        if (!archive.ReadUInt32(&bits, key))
            return false;
        for (int bit = 0; bit < 32; ++bit) {
            const int code = row * 32 + bit;
            // The no-key code can never be released again: a state that marks it down
            // would hold the down count above 0 for good.
            const u8 down = code == kNoKey ? 0 : (bits >> bit) & 1u;
            keyDown_[code] = down;
            downCount_ += down;
        }
    }
    return StateBlock::Leave(archive, kBlockName);
}
