// Debugger console object of one emulation core: where every log, trace and break line
// of the machine ends up, the one-line command editor, and the table of host keys held.
//
// Lines flow one way: Print (any thread) -> pending list -> FlushPending (the drawing
// thread, at the start of every Draw) -> scroll-back buffer -> dropped when pushed out
// past the capacity or by Clear. A print only appends under the short pending lock, so
// the emulation worker never waits for the drawing; the drawing thread moves the
// pending lines over in one batch. Both lists hold at most kCapacity lines.
//
// Widths: a line is cut at the right edge when it is drawn, which suits the debugger's
// own columns (disassembly, registers, trace and break lines). The program's notices are
// printed wrapped instead: as they move into the buffer they are broken at spaces into
// rows that fit beside the scroll bar, so they fit whether it shows or not. The width is
// that of the Draw that flushes them (the last Draw's for a flush of the owner's or a
// test's; before any Draw such a flush leaves them whole). A notice's first row keeps
// its whole text: when a Draw finds the columns changed (the window was resized), every
// notice in the buffer is broken again to the new width.
//
// Locks: the pending lock before the buffer lock. The owner calls SetKeyState and Draw
// under its own core lock, so the command line, cursor, selection and scroll fields are
// touched only there; the key lock is taken inside it. The command callback runs inside
// OnKey with the key lock (and the owner's core lock) held, so a command must not wait
// for a thread that needs either.
//
// The console knows no commands: Enter hands the line to the owner's command callback.
#pragma once

#include <atomic>
#include <deque>
#include <memory>

#include "base/scoped_lock.h"
#include "base/string_a.h"
#include "base/types.h"
#include "emu/console_glyphs.h"

class ImageHolder;
class ObjectList;
class StringBase;

class CommandInterpreter {
public:
    using CommandCallback = void (*)(void* context, const StringA& commandLine);
    using RedrawCallback = void (*)(void* context);

    static constexpr u32 kDefaultColor = 0xFFC8C8C8;
    static constexpr i32 kCapacity = 10000;

    // Host key codes the editor acts on (the system's 8-bit key codes).
    static constexpr u8 kKeyBackspace = 0x08;
    static constexpr u8 kKeyEnter = 0x0D;
    static constexpr u8 kKeyEscape = 0x1B;
    static constexpr u8 kKeyPageUp = 0x21;
    static constexpr u8 kKeyPageDown = 0x22;
    static constexpr u8 kKeyEnd = 0x23;
    static constexpr u8 kKeyHome = 0x24;
    static constexpr u8 kKeyLeft = 0x25;
    static constexpr u8 kKeyUp = 0x26;
    static constexpr u8 kKeyRight = 0x27;
    static constexpr u8 kKeyDown = 0x28;
    static constexpr u8 kKeyDelete = 0x2E;
    static constexpr u8 kKeyPad1 = 0x61;      // acts as End
    static constexpr u8 kKeyPadEnter = 0x6C;  // acts as Enter
    static constexpr u8 kKeyLeftShift = 0xE0;
    static constexpr u8 kKeyRightShift = 0xE1;
    static constexpr u8 kKeyLeftCtrl = 0xE2;
    static constexpr u8 kKeyRightCtrl = 0xE3;
    static constexpr u8 kKeyLeftAlt = 0xE4;
    static constexpr u8 kKeyRightAlt = 0xE5;

    CommandInterpreter();

    // A key change, after the key table was updated (previous: the key was already down,
    // an auto-repeat). Base: line editing and scrolling; consumes every key (true)
    // unless observeOnly, which does nothing and answers false.
    virtual bool OnKey(u8 key, bool down, bool previous, bool observeOnly);
    // Called at the end of every Draw so that a derived console can draw over the text.
    virtual void DrawOverlay(ImageHolder* image, i32 visibleLines, i32 columns, const u32 colors[2]);
    virtual ~CommandInterpreter();

    CommandInterpreter(const CommandInterpreter&) = delete;
    CommandInterpreter& operator=(const CommandInterpreter&) = delete;

    // --- output, from any thread ---
    // One line in the default colour. With lineComplete false the next print replaces
    // this line's text (keeping its colour).
    void Print(const StringBase& text, bool lineComplete = true);
    void PrintColored(const StringBase& text, const u32* color, bool lineComplete = true);
    void PrintColored(const StringBase& text, u32 color, bool lineComplete = true)
    {
        PrintColored(text, &color, lineComplete);
    }
    // Every string of the list as one line in the default colour (walking the list
    // moves its cursor, hence the non-const list).
    void PrintLines(ObjectList& strings);
    // A notice of the program's own (settings files, saved states, what a component
    // found or refused), one complete line to be wrapped (see Widths above).
    void PrintWrapped(const StringBase& text, u32 color = kDefaultColor);
    // Empties the buffer and the pending list.
    void Clear();
    // Moves the pending lines into the buffer, wrapped ones broken at the last Draw's
    // width, and makes the view follow the newest line. The drawing thread's first step;
    // public for the owner and the tests.
    void FlushPending();

    // --- keys, under the owner's core lock ---
    // Records the key's state and runs OnKey, unless the key was up and stays up
    // (answers true then). Only the low byte of each argument is used.
    bool SetKeyState(u32 key, u32 down, u32 observeOnly);
    // Clears the key table (without calling OnKey) when doIt is set.
    void ReleaseAllKeys(bool doIt);
    bool IsKeyDown(u8 key) const;

    // --- owner settings ---
    void SetCommandCallback(CommandCallback callback, void* context);
    void SetRedrawCallback(RedrawCallback callback, void* context);
    // Drop a printed line equal to the newest one (a notice compared whole).
    void SetIgnoreDuplicates(bool on) { ignoreDuplicates_.store(on); }
    bool GetIgnoreDuplicates() const { return ignoreDuplicates_.load(); }
    // Draw short lines and short buffers centred.
    void SetCentred(bool centred);
    bool IsCentred() const { return centred_; }
    // Set whenever anything visible changed; cleared by Draw.
    bool NeedsRedraw() const { return redraw_.load(); }
    void ClearRedraw() { redraw_.store(false); }

    // --- read access for drawing, the owner and the tests ---
    i32 GetLineCount() const;     // buffered lines
    i32 GetPendingCount() const;
    // Copies buffered line index (0 = oldest); false out of range.
    bool GetLine(i32 index, StringA* text, u32* color) const;
    bool GetPendingLine(i32 index, StringA* text, u32* color) const;
    const StringA& GetCommandLine() const { return commandLine_; }
    i32 GetCursor() const { return cursor_; }
    i32 GetSelection() const { return selection_; }
    i32 GetTopLine() const { return topLine_; }
    i32 GetColumns() const { return columns_; }
    i32 GetVisibleLines() const { return visibleLines_; }
    i32 GetScrollDelta() const { return scrollDelta_; }
    void SetPageRows(i32 rows) { pageRows_ = rows; }
    i32 GetPageRows() const { return pageRows_; }

    // --- drawing (console_drawing.cpp), on the presenting thread under the owner's lock ---
    // Draws the whole console, opaque text on black, in 8 by 16 cells from pixel (3, 3):
    // the newest lines (or the scrolled view) with a scroll bar when they do not fit, and
    // the command line at the bottom. Clears the redraw flag and flushes the pending
    // lines first. False, doing nothing at all, for an image without pixels.
    bool Draw(ImageHolder* image);
    // One character at text cell (column, line), pixel (8 * column + 3, 16 * line + 3),
    // in colors {background, foreground}. On a black background blank glyph rows are not
    // written, so whatever is below shows through.
    void DrawGlyph(ImageHolder* image, i32 column, i32 line, u8 ch, const u32 colors[2]);
    // The same at pixel position (x, y).
    void DrawGlyphAt(ImageHolder* image, i32 x, i32 y, u8 ch, const u32 colors[2]);
    // The first min(count1, count2) characters of text from pixel (x, y).
    void DrawText(ImageHolder* image, i32 x, i32 y, const char* text, i32 count1, i32 count2,
                  const u32 colors[2]);
    // Pixels x1..x2 inclusive of row y (ends in either order), clipped to the image.
    void FillSpan(ImageHolder* image, i32 x1, i32 x2, i32 y, const u32* color);
    // FillSpan for every row from y1 to y2 inclusive (either order).
    void FillRect(ImageHolder* image, i32 x1, i32 y1, i32 x2, i32 y2, const u32* color);

protected:
    struct Line {
        StringA text;
        // Low 32 bits: the ARGB colour. kWrapTag: a notice, in the pending list whole, in
        // the buffer one of its rows; kContinuedTag: a row after the notice's first.
        u64 tag;
        // A notice's first row in the buffer: the notice's whole text (a pointer, so that
        // the many plain lines of a trace stay small).
        std::unique_ptr<StringA> whole;
    };
    static constexpr u64 kWrapTag = u64{1} << 32;
    static constexpr u64 kContinuedTag = u64{1} << 33;

    // Appends line to out, a notice as rows of at most columns characters broken at
    // spaces (a longer word where the row ends); columns <= 0: one row.
    static void AppendBroken(std::deque<Line>& out, Line&& line, i32 columns);
    // Breaks every notice in the buffer again at columns, keeping the scrolled view on the
    // line it showed first; both locks are taken.
    void BreakAgain(i32 columns);
    // Drops the oldest lines beyond the capacity, and rows left of a notice whose first
    // row went; the buffer lock is held.
    void DropOldest();

    // Raises the redraw flag; calls the redraw callback when the flag goes from clear to set.
    void RaiseRedraw();
    // Print steps 2 to 5 for one line; the pending lock is held.
    void AddPendingLocked(const StringBase& text, u64 tag);
    // The selection's range [start, start + count) clipped to the line.
    void GetSelectionRange(i32* start, i32* count) const;
    // Deletes the selection (true) or nothing (false when there is none).
    bool DeleteSelection();
    void RunCommandLine();
    void InsertCharacter(char c);
    bool IsShiftDown() const { return keyDown_[kKeyLeftShift] || keyDown_[kKeyRightShift]; }
    bool IsCtrlDown() const { return keyDown_[kKeyLeftCtrl] || keyDown_[kKeyRightCtrl]; }

    CommandCallback commandCallback_ = nullptr;
    void* commandContext_ = nullptr;
    RedrawCallback redrawCallback_ = nullptr;
    void* redrawContext_ = nullptr;

    std::deque<Line> lines_;     // the scroll-back buffer, oldest first
    std::deque<Line> pending_;   // printed, not yet moved into lines_
    i32 capacity_ = kCapacity;
    i32 topLine_ = 0;            // index of the first line shown; -1 = follow the newest
    i32 scrollDelta_ = 0;        // scrolling asked for by keys, applied by Draw; within +-(capacity_ + pageRows_)
    i32 pageRows_ = 0;           // text rows of the last Draw (PageUp/PageDown step)
    i32 columns_ = 0;            // characters per row at the last Draw
    i32 visibleLines_ = 0;       // rows that fit at the last Draw
    i32 wrapColumns_ = 0;        // what wrapped lines are broken to; 0 before the first Draw
    std::atomic<bool> redraw_{true};
    bool lineComplete_ = true;   // false: the next print replaces the newest pending line
    bool centred_ = false;

    mutable LockRecord bufferLock_;   // guards lines_
    mutable LockRecord pendingLock_;  // guards pending_ and lineComplete_
    mutable LockRecord keyLock_;      // guards keyDown_

    StringA commandLine_;
    i32 cursor_ = 0;             // insertion point, 0..length
    i32 selection_ = 0;          // signed extent from the cursor; anchor = cursor + selection
    bool commandLineShown_ = true;
    bool commandLineEditable_ = true;

    u8 keyDown_[256] = {};
    ConsoleGlyphTable glyphs_;   // colour cells and the per-byte pointer table of the drawing
    std::atomic<bool> ignoreDuplicates_{false};
};

// The character a key code types on the command line (digits, upper-case letters, space
// and the punctuation keys); false, with out untouched, for any other code.
bool VirtualKeyToChar(u32 code, char* out);
