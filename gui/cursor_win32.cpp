#include <windows.h>

#include <vector>

#include "base/image_base.h"
#include "gui/cursor.h"

Cursor::~Cursor()
{
    Release();
}

void Cursor::Notify(int phase)
{
    if (callback_ != nullptr)
        callback_(userData_, this, phase);
}

void Cursor::Release()
{
    if (kind_ == 1 && handle_ != nullptr) {
        if (shared_ == nullptr || --*shared_ <= 0) {
            DestroyCursor(static_cast<HCURSOR>(handle_));
            delete shared_;
        }
    }
    shared_ = nullptr;
    handle_ = nullptr;
    kind_ = 0;
}

void Cursor::Reset()
{
    Notify(1);
    Release();
    Notify(0);
}

bool Cursor::SetKind(int kind)
{
    if (kind == kind_)
        return true;
    if (kind == 0) {
        Reset();
        return true;
    }
    if (kind != 2)
        return false;
    HCURSOR hand = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    if (hand == nullptr)
        return false;
    Notify(1);
    Release();
    kind_ = 2;
    handle_ = hand;
    Notify(0);
    return true;
}

void Cursor::Assign(const Cursor* other)
{
    if (other == nullptr || other == this || other->handle_ == handle_)
        return;
    Notify(1);
    Release();
    kind_ = other->kind_;
    handle_ = other->handle_;
    if (kind_ == 1) {
        auto* source = const_cast<Cursor*>(other);
        if (source->shared_ == nullptr)
            source->shared_ = new int(1);
        shared_ = source->shared_;
        ++*shared_;
    }
    Notify(0);
}

bool Cursor::CreateFromImage(const ImageBase* image, int hotX, int hotY, const u32 keys[4])
{
    if (image == nullptr || image->GetPixels() == nullptr || image->GetWidth() <= 0 || image->GetHeight() <= 0)
        return false;
    // Two 32 by 32 one-bit planes; pixels outside the image are transparent.
    constexpr int kSize = 32, kRowBytes = kSize / 8;
    std::vector<BYTE> andPlane(kSize * kRowBytes, 0xFF), xorPlane(kSize * kRowBytes, 0);
    for (int y = 0; y < kSize && y < image->GetHeight(); ++y)
        for (int x = 0; x < kSize && x < image->GetWidth(); ++x) {
            const u32 colour = image->GetPixelColor(y, x);
            int andBit = 1, xorBit = 0;  // no key matched: transparent
            if (colour == keys[0]) {
                andBit = 0, xorBit = 1;  // white
            } else if (colour == keys[1]) {
                andBit = 0, xorBit = 0;  // black
            } else if (colour == keys[2]) {
                andBit = 1, xorBit = 0;  // transparent
            } else if (colour == keys[3]) {
                andBit = 1, xorBit = 1;  // inverted
            }
            const BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
            BYTE& a = andPlane[static_cast<size_t>(y * kRowBytes + x / 8)];
            BYTE& b = xorPlane[static_cast<size_t>(y * kRowBytes + x / 8)];
            a = andBit != 0 ? (a | bit) : (a & ~bit);
            b = xorBit != 0 ? (b | bit) : (b & ~bit);
        }
    HCURSOR created = CreateCursor(GetModuleHandleW(nullptr), hotX, hotY, kSize, kSize, andPlane.data(),
                                   xorPlane.data());
    if (created == nullptr)
        return false;
    Notify(1);
    Release();
    kind_ = 1;
    handle_ = created;
    Notify(0);
    return true;
}

bool Cursor::CreateFromImage(const ImageBase* image, int hotX, int hotY)
{
    const u32 keys[4] = {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000};
    return CreateFromImage(image, hotX, hotY, keys);
}

bool IsPrimaryButtonDown()
{
    const int button = GetSystemMetrics(SM_SWAPBUTTON) > 0 ? VK_RBUTTON : VK_LBUTTON;
    const SHORT state = GetAsyncKeyState(button);
    return (state < 0 ? -state : state) > 2;
}
