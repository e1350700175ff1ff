// Debugger console: line lists, printing from any thread, key table and line editor.
#include "emu/command_interpreter.h"

#include <algorithm>

#include "base/object_list.h"

namespace {

u64 TagOf(u32 color)
{
    return static_cast<u64>(color);
}

// One line of a list, under the caller's lock of that list.
template <class Lines>
bool CopyLine(const Lines& lines, i32 index, StringA* text, u32* color)
{
    if (index < 0 || index >= static_cast<i32>(lines.size()))
        return false;
    const auto& line = lines[static_cast<size_t>(index)];
    if (text)
        text->Assign(line.text);
    if (color)
        *color = static_cast<u32>(line.tag);
    return true;
}

}  // namespace

CommandInterpreter::CommandInterpreter() = default;

CommandInterpreter::~CommandInterpreter() = default;

void CommandInterpreter::DrawOverlay(ImageHolder*, i32, i32, const u32*) {}

void CommandInterpreter::RaiseRedraw()
{
    // Only the transition from clear to set calls the owner back, so a burst of prints
    // costs one wake-up.
    const bool wasSet = redraw_.exchange(true);
    if (!wasSet && redrawCallback_)
        redrawCallback_(redrawContext_);
}

void CommandInterpreter::SetCommandCallback(CommandCallback callback, void* context)
{
    commandCallback_ = callback;
    commandContext_ = context;
}

void CommandInterpreter::SetRedrawCallback(RedrawCallback callback, void* context)
{
    redrawCallback_ = callback;
    redrawContext_ = context;
}

void CommandInterpreter::SetCentred(bool centred)
{
    ScopedLock lock(bufferLock_);
    centred_ = centred;
    RaiseRedraw();
}

// --- output ----------------------------------------------------------------------------

void CommandInterpreter::AddPendingLocked(const StringBase& text, u64 tag)
{
    if (!pending_.empty() && !lineComplete_) {
        Line& last = pending_.back();
        last.text.Assign(text);
        last.tag = (last.tag & ~kWrapTag) | (tag & kWrapTag);
        return;
    }
    while (!pending_.empty() && static_cast<i32>(pending_.size()) >= capacity_)
        pending_.pop_front();
    if (capacity_ <= 0)
        return;
    if (ignoreDuplicates_.load()) {
        if (!pending_.empty()) {
            if (text.Compare(pending_.back().text) == 0)
                return;
        } else {
            // The newest line may be the last row of a broken notice: the notice is
            // compared whole, from its first row.
            ScopedLock buffer(bufferLock_);
            auto newest = lines_.rbegin();
            while (newest != lines_.rend() && (newest->tag & kContinuedTag) != 0)
                ++newest;
            if (newest != lines_.rend() &&
                text.Compare(newest->whole ? *newest->whole : newest->text) == 0)
                return;
        }
    }
    Line line;
    line.text.Assign(text);
    line.tag = tag;
    pending_.push_back(std::move(line));
}

void CommandInterpreter::Print(const StringBase& text, bool lineComplete)
{
    PrintColored(text, kDefaultColor, lineComplete);
}

void CommandInterpreter::PrintColored(const StringBase& text, const u32* color, bool lineComplete)
{
    const u32 c = color ? *color : kDefaultColor;
    ScopedLock lock(pendingLock_);
    AddPendingLocked(text, TagOf(c));
    RaiseRedraw();
    lineComplete_ = lineComplete;
}

void CommandInterpreter::PrintWrapped(const StringBase& text, u32 color)
{
    ScopedLock lock(pendingLock_);
    AddPendingLocked(text, TagOf(color) | kWrapTag);
    RaiseRedraw();
    lineComplete_ = true;
}

void CommandInterpreter::PrintLines(ObjectList& strings)
{
    ScopedLock lock(pendingLock_);
    const int n = strings.Count();
    for (int i = 0; i < n; ++i) {
        const StringBase* s = strings.At(i);
        if (s)
            AddPendingLocked(*s, TagOf(kDefaultColor));
    }
    RaiseRedraw();
}

void CommandInterpreter::Clear()
{
    ScopedLock pending(pendingLock_);
    ScopedLock buffer(bufferLock_);
    lines_.clear();
    pending_.clear();
    lineComplete_ = true;
    RaiseRedraw();
}

void CommandInterpreter::AppendBroken(std::deque<Line>& out, Line&& line, i32 columns)
{
    if ((line.tag & kWrapTag) == 0) {
        out.push_back(std::move(line));
        return;
    }
    const char* s = line.text.CStr();
    const i32 length = line.text.GetLength();
    const size_t head = out.size();
    const u64 tag = (line.tag & ~kContinuedTag);
    auto row = [&](i32 start, i32 count) {
        Line piece;
        piece.text.Assign(s + start, count);
        piece.tag = out.size() == head ? tag : tag | kContinuedTag;
        out.push_back(std::move(piece));
    };
    i32 pos = 0;
    while (columns > 0 && length - pos > columns) {
        // The last space within reach that ends a word: s[pos + columns] exists here, and
        // a space there ends a row of exactly columns characters.
        i32 cut = pos + columns;
        while (cut > pos && !(s[cut] == ' ' && s[cut - 1] != ' '))
            --cut;
        if (cut == pos) {
            row(pos, columns);
            pos += columns;
        } else {
            row(pos, cut - pos);
            pos = cut;
        }
        while (pos < length && s[pos] == ' ')
            ++pos;
    }
    if (pos < length || pos == 0)
        row(pos, length - pos);
    out[head].whole = std::make_unique<StringA>(std::move(line.text));
}

void CommandInterpreter::DropOldest()
{
    // A deque drops its front in place.
    const size_t keep = static_cast<size_t>(std::max(capacity_, 0));
    size_t drop = lines_.size() > keep ? lines_.size() - keep : 0;
    while (drop < lines_.size() && (lines_[drop].tag & kContinuedTag) != 0)
        ++drop;
    lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(drop));
}

void CommandInterpreter::FlushPending()
{
    ScopedLock pending(pendingLock_);
    if (pending_.empty())
        return;
    ScopedLock buffer(bufferLock_);
    for (Line& line : pending_)
        AppendBroken(lines_, std::move(line), wrapColumns_);
    pending_.clear();
    DropOldest();
    // New output makes the view jump to the newest lines.
    topLine_ = -1;
    scrollDelta_ = 0;
}

void CommandInterpreter::BreakAgain(i32 columns)
{
    ScopedLock pending(pendingLock_);
    ScopedLock buffer(bufferLock_);
    wrapColumns_ = columns;
    if (std::none_of(lines_.begin(), lines_.end(), [](const Line& line) { return (line.tag & kWrapTag) != 0; }))
        return;
    std::deque<Line> rows;
    i32 top = -1;
    i32 head = 0;  // where the last line began among the new rows
    for (size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        const bool continued = (line.tag & kContinuedTag) != 0;
        if (!continued)
            head = static_cast<i32>(rows.size());
        // A view scrolled into a notice stays on the notice's first row.
        if (static_cast<i32>(i) == topLine_)
            top = head;
        if (continued)
            continue;
        if (line.whole)
            line.text = std::move(*line.whole);
        AppendBroken(rows, std::move(line), columns);
    }
    lines_.swap(rows);
    const size_t before = lines_.size();
    DropOldest();
    if (topLine_ != -1)
        topLine_ = std::max(top - static_cast<i32>(before - lines_.size()), 0);
}

i32 CommandInterpreter::GetLineCount() const
{
    ScopedLock lock(bufferLock_);
    return static_cast<i32>(lines_.size());
}

i32 CommandInterpreter::GetPendingCount() const
{
    ScopedLock lock(pendingLock_);
    return static_cast<i32>(pending_.size());
}

bool CommandInterpreter::GetLine(i32 index, StringA* text, u32* color) const
{
    ScopedLock lock(bufferLock_);
    return CopyLine(lines_, index, text, color);
}

bool CommandInterpreter::GetPendingLine(i32 index, StringA* text, u32* color) const
{
    ScopedLock lock(pendingLock_);
    return CopyLine(pending_, index, text, color);
}

// --- keys ------------------------------------------------------------------------------

bool CommandInterpreter::SetKeyState(u32 key, u32 down, u32 observeOnly)
{
    ScopedLock lock(keyLock_);
    const u8 k = static_cast<u8>(key);
    const u8 d = static_cast<u8>(down);
    const u8 previous = keyDown_[k];
    keyDown_[k] = d;
    if (previous == 0 && d == 0)
        return true;
    // The table is updated first, so the handler sees the new state of the modifiers.
    return OnKey(k, d != 0, previous != 0, static_cast<u8>(observeOnly) != 0);
}

void CommandInterpreter::ReleaseAllKeys(bool doIt)
{
    if (!doIt)
        return;
    ScopedLock lock(keyLock_);
    std::fill(std::begin(keyDown_), std::end(keyDown_), u8{0});
}

bool CommandInterpreter::IsKeyDown(u8 key) const
{
    ScopedLock lock(keyLock_);
    return keyDown_[key] != 0;
}

// --- line editor -----------------------------------------------------------------------

void CommandInterpreter::GetSelectionRange(i32* start, i32* count) const
{
    const i32 len = commandLine_.GetLength();
    if (selection_ > 0) {
        *start = cursor_;
        *count = std::max(0, std::min(selection_, len - cursor_));
    } else {
        *start = std::max(cursor_ + selection_, 0);
        *count = std::max(0, cursor_ - *start);
    }
}

bool CommandInterpreter::DeleteSelection()
{
    if (selection_ == 0)
        return false;
    i32 start = 0;
    i32 count = 0;
    GetSelectionRange(&start, &count);
    if (count > 0)
        commandLine_.Erase(start, count);
    selection_ = 0;
    cursor_ = std::min(start, commandLine_.GetLength());
    return true;
}

void CommandInterpreter::RunCommandLine()
{
    if (commandCallback_) {
        commandCallback_(commandContext_, commandLine_);
    } else {
        StringA message;
        message.Format("Unknown command: %s", commandLine_.CStr());
        Print(message, true);
    }
    // The line stays, wholly selected: typing replaces it, Enter runs it again.
    const i32 len = commandLine_.GetLength();
    cursor_ = len;
    selection_ = -len;
}

void CommandInterpreter::InsertCharacter(char c)
{
    DeleteSelection();
    cursor_ = std::min(std::max(cursor_, 0), commandLine_.GetLength());
    commandLine_.InsertChar(c, cursor_);
    ++cursor_;
}

bool CommandInterpreter::OnKey(u8 key, bool down, bool /*previous*/, bool observeOnly)
{
    if (observeOnly)
        return false;
    if (!down)
        return true;

    const bool shift = IsShiftDown();
    const bool ctrl = IsCtrlDown();
    const i32 len = commandLine_.GetLength();

    // Left, Right, Home and End at the end of their travel only drop an unshifted
    // selection.
    auto atEnd = [&]() {
        if (selection_ != 0 && !shift) {
            selection_ = 0;
            RaiseRedraw();
        }
    };

    // Draw takes the scrolling asked for and stops it at the buffer's ends; until then it
    // is kept within the buffer and a page past them, so that keys held with nothing drawn
    // (an empty buffer, say) cannot run the count out of its range.
    auto scroll = [&](i32 rows) {
        const i32 limit = capacity_ + pageRows_;
        scrollDelta_ = std::clamp(scrollDelta_ + rows, -limit, limit);
    };
    switch (key) {
    case kKeyUp:
        scroll(-1);
        break;
    case kKeyDown:
        scroll(1);
        break;
    case kKeyPageUp:
        scroll(ctrl ? -capacity_ : -pageRows_);
        break;
    case kKeyPageDown:
        scroll(ctrl ? capacity_ + pageRows_ : pageRows_);
        break;
    case kKeyLeft:
        if (cursor_ <= 0) {
            atEnd();
            return true;
        }
        --cursor_;
        selection_ = shift ? selection_ + 1 : 0;
        break;
    case kKeyRight:
        if (cursor_ >= len) {
            atEnd();
            return true;
        }
        ++cursor_;
        selection_ = shift ? selection_ - 1 : 0;
        break;
    case kKeyHome:
        if (cursor_ <= 0) {
            atEnd();
            return true;
        }
        selection_ = shift ? selection_ + cursor_ : 0;
        cursor_ = 0;
        break;
    case kKeyEnd:
    case kKeyPad1:
        if (cursor_ >= len) {
            atEnd();
            return true;
        }
        selection_ = shift ? selection_ + cursor_ - len : 0;
        cursor_ = len;
        break;
    case kKeyBackspace:
        if (len > 0 && !DeleteSelection() && cursor_ > 0) {
            commandLine_.Erase(cursor_ - 1, 1);
            --cursor_;
        }
        break;
    case kKeyDelete:
        if (len > 0 && !DeleteSelection() && cursor_ < len)
            commandLine_.Erase(cursor_, 1);
        break;
    case kKeyEscape:
        commandLine_.Clear();
        cursor_ = 0;
        selection_ = 0;
        break;
    case kKeyEnter:
    case kKeyPadEnter:
        RunCommandLine();
        break;
    default: {
        char c = 0;
        if (!commandLineShown_ || !commandLineEditable_ || !VirtualKeyToChar(key, &c))
            return true;
        InsertCharacter(c);
        break;
    }
    }
    RaiseRedraw();
    return true;
}

bool VirtualKeyToChar(u32 code, char* out)
{
    char c = 0;
    if ((code >= 0x30 && code <= 0x39) || (code >= 0x41 && code <= 0x5A)) {
        c = static_cast<char>(code);
    } else {
        switch (code) {
        case 0x20: c = ' '; break;
        case 0x6A: c = '*'; break;
        case 0x6B: case 0xE7: c = '+'; break;
        case 0x6D: case 0xE6: c = '-'; break;
        case 0x6E: case 0xEC: c = '.'; break;
        case 0x6F: case 0xEF: c = '/'; break;
        case 0x98: c = '_'; break;
        case 0xE8: c = '['; break;
        case 0xE9: c = ']'; break;
        case 0xEA: c = ':'; break;
        case 0xEB: c = ','; break;
        case 0xEE: c = '\\'; break;
        case 0xF0: c = '"'; break;
        default: return false;
        }
    }
    if (out)
        *out = c;
    return true;
}
