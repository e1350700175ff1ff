// The mouse cursor of a window: none, the stock hand, or a custom cursor made
// from an image. Copies of a custom cursor share one native cursor through a
// reference count; it is destroyed with the last holder. The owning window
// hears every change (phase 1 before, 0 after) so that it can show the new
// cursor at once. Windows-only.
#pragma once

#include "base/types.h"

class ImageBase;
class Cursor;

using CursorChangeFn = void (*)(void* userData, Cursor* cursor, int phase);

class CursorInterface {
public:
    virtual void Assign(const Cursor* other) = 0;
    virtual ~CursorInterface() = default;
    virtual void Reset() = 0;
    // 0 none, 2 the stock hand; other kinds are refused.
    virtual bool SetKind(int kind) = 0;
    // keys: white, black, transparent and inverted key colours (ARGB).
    virtual bool CreateFromImage(const ImageBase* image, int hotX, int hotY, const u32 keys[4]) = 0;
    virtual bool CreateFromImage(const ImageBase* image, int hotX, int hotY) = 0;
};

class Cursor : public CursorInterface {
public:
    Cursor(CursorChangeFn callback, void* userData) : callback_(callback), userData_(userData) {}
    ~Cursor() override;
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    void Assign(const Cursor* other) override;
    void Reset() override;
    bool SetKind(int kind) override;
    bool CreateFromImage(const ImageBase* image, int hotX, int hotY, const u32 keys[4]) override;
    bool CreateFromImage(const ImageBase* image, int hotX, int hotY) override;

    int GetKind() const { return kind_; }
    void* GetHandle() const { return handle_; }  // HCURSOR, null for none

private:
    void Release();
    void Notify(int phase);

    CursorChangeFn callback_;
    void* userData_;
    int kind_ = 0;                // 0 none, 1 custom, 2 stock hand
    void* handle_ = nullptr;
    int* shared_ = nullptr;       // reference count of a custom cursor
};

// Whether the primary mouse button is down now (swapped buttons honoured).
bool IsPrimaryButtonDown();
