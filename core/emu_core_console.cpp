// The debugger console's commands. A line is tokenised, its parameter count and the run
// state its command needs are checked, and the command calls the core's own control,
// stepping and state operations. Every answer is one console line.
//
// The whole command runs under the core lock; from the parameter check on it also holds
// one pause request, so a running worker sits still while the command looks at it.
#include "base/file_io.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/object_list.h"
#include "base/path_text.h"
#include "base/string_w.h"
#include "core/console_tokenizer.h"
#include "core/emu_core.h"
#include "cpu/cpu_base.h"
#include "emu/computer.h"
#include "emu/drive_bay.h"
#include "emu/drive_image.h"
#include "emu/trace_report.h"

namespace {

constexpr i32 kWordKind = 9;
constexpr i32 kDelimiterKind = 5;
constexpr i32 kStringKind = 8;

const char* const kHelpLines[] = {
    "Commands:",
    "  HELP (or H) - List of commands and keys",
    "  CLS      - Clear console",
    "  START    - Start/continue emulation and switch to emulation window             F5",
    "  GO       - Start/continue emulation and stay in console window                 Ctrl+F5",
    "             When starting emulation, break on the first CPU instruction.",
    "  BREAK    - Break emulation and switch to console window                        Ctrl+F12",
    "  DASM     - Disassemble current CPU instruction",
    "  CPU      - Show CPU state (registers, cycles etc.) ",
    "  STEP         (or S)   - Execute one CPU instruction                            F7",
    "  STEPOVER     (or SO)  - Execute until next CPU instruction (if can reach it)   F8",
    "  STEPOVEROVER (or SOO) - Execute until next CPU instruction (force it always)   Shift+F8",
    "  SAVE     - Save emulation state to file                                        F11",
    "  LOAD     - Load emulation state from file                                      F12",
    "Keys:",
    "  Up/Down              - Move one line up/down in console text",
    "  PageUp/PageDown      - Move one page up/down in console text",
    "  Ctrl+PageUp/PageDown - Move to first/last line in console text",
    "  Left/Right           - Move cursor by one symbol left/right in command line",
    "  Home/End             - Move cursor to first/last symbol in command line",
    "  Backspace            - Remove one symbol before cursor in command line",
    "  Delete               - Delete one symbol at cursor in command line",
    "  Escape               - Clear all text in command line",
    "  Enter                - Execute command in command line",
};

} // namespace

void EmuCore::ConsoleCommandThunk(void* core, const StringA& line)
{
    if (core)
        static_cast<EmuCore*>(core)->ExecuteConsoleCommand(line);
}

void EmuCore::DumpRegistersHook(void* core, ObjectList& lines)
{
    auto* self = static_cast<EmuCore*>(core);
    if (self && self->machine_ && self->started_.load() && self->loopActive_.load() && self->inBreak_.load())
        self->machine_->DumpRegisters(lines, true);
}

void EmuCore::ExecuteConsoleCommand(const StringA& line)
{
    ScopedLock core(coreLock_);
    if (!workerAlive_.load())
        return;
    TokenList tokens;
    const i32 stop = tokens.Tokenize(line, ConsoleTokenizer::SelectClass, CreateToken);
    if (stop >= 0) {
        LeaveCentredView();
        StringA message;
        message.Format("Error: Illegal symbol at position %d", stop);
        console_.Print(message);
        return;
    }
    if (tokens.Count() <= 1)
        return;
    LeaveCentredView();
    const Token* first = tokens.At(1);
    if (!first || (first->Kind() != kWordKind && first->Kind() != kDelimiterKind)) {
        StringA message;
        message.Format("Unknown command: %s", line.CStr());
        console_.Print(message);
        return;
    }
    const i32 parameters = tokens.Count() - 2;
    if (parameters > 2) {
        console_.Print(StringA("Error: Too many parameters"));
        return;
    }
    RequestPause();
    StringA word;
    if (!tokens.GetTokenText(1, line, word))
        word.Clear();
    word.ToUpper();
    RunConsoleCommand(tokens, line, word, parameters);
    ReleasePause();
}

void EmuCore::RunConsoleCommand(TokenList& tokens, const StringA& line, const StringA& word, i32 parameters)
{
    auto is = [&word](const char* name) { return word.CompareNarrow(name) == 0; };
    const bool started = started_.load();

    if (is("H") || is("HELP")) {
        ObjectList lines;
        for (const char* text : kHelpLines)
            lines.AddString(text);
        console_.PrintLines(lines);
    } else if (is("CLS")) {
        if (!RefuseParameters(parameters))
            console_.Clear();
    } else if (is("DASM")) {
        if (!RefuseParameters(parameters))
            PrintCurrentInstruction(true);
    } else if (is("CPU")) {
        if (!started) {
            PrintStateError();
        } else if (!RefuseParameters(parameters)) {
            ObjectList lines;
            CpuBase* cpu = machine_ ? machine_->GetCpu(0) : nullptr;
            if (cpu && cpu->DumpRegisters(lines, false))
                console_.PrintLines(lines);
            else
                console_.Print(StringA("[ERROR] Cannot dump CPU state"));
        }
    } else if (is("S") || is("STEP")) {
        if (!RefuseParameters(parameters)) {
            if (!loopActive_.load())
                PrintStateError();
            else
                StepCommand();
        }
    } else if (is("SO") || is("STEPOVER") || is("SOO") || is("STEPOVEROVER")) {
        if (!RefuseParameters(parameters)) {
            if (!loopActive_.load())
                PrintStateError();
            else
                StepOverCommand(is("SOO") || is("STEPOVEROVER"));
        }
    } else if (is("BREAK")) {
        if (RefuseParameters(parameters))
            return;
        if (started && !inBreak_.load()) {
            Break(false);
            statusChanged_.store(true);
        }
        if (started && !consoleMode_.load()) {
            SetConsoleMode(true, false);
            statusChanged_.store(true);
        }
        PrintCurrentInstruction(false);
    } else if (is("START")) {
        if (RefuseParameters(parameters))
            return;
        if (started && consoleMode_.load()) {
            SetConsoleMode(false, false);
            statusChanged_.store(true);
        }
        if (started && inBreak_.load()) {
            Continue();
            statusChanged_.store(true);
        }
        if (!started) {
            Start(false, false);
            statusChanged_.store(true);
        }
    } else if (is("GO")) {
        if (RefuseParameters(parameters))
            return;
        if (started && inBreak_.load()) {
            Continue();
            statusChanged_.store(true);
        }
        if (!started) {
            Start(true, true);
            PrintCurrentInstruction(false);
            statusChanged_.store(true);
        }
    } else if (is("SAVE")) {
        if (!started)
            PrintStateError();
        else if (!RefuseParameters(parameters))
            SaveStateToFile(PathString(), true);
    } else if (is("LOAD")) {
        if (!RefuseParameters(parameters))
            LoadStateFromFile(PathString(), true);
    } else if (is("M") || is("MOUNT")) {
        if (started)
            PrintStateError();
        else
            MountCommand(tokens, line, parameters);
    } else if (is("INFO")) {
        console_.Print(StringA("Version: Release (with internal debugger support)"));
    } else {
        StringA message("Unknown command: ");
        message.Append(word);
        console_.Print(message);
    }
}

// The start-up description goes when a run starts or the first command is typed; the
// start screen's notices stay, as the first lines of the plain console. They are kept
// until a run has begun with them: F5, START and GO leave the start screen first, and the
// run's console, cleared as it begins, must open with them all the same.
void EmuCore::LeaveCentredView()
{
    if (!console_.IsCentred())
        return;
    console_.Clear();
    console_.SetCentred(false);
    PrintStartNotices();
    console_.MarkForRedraw();
}

void EmuCore::PrintStateError()
{
    console_.Print(StringA(started_.load() ? "Error: Emulation should NOT be active to execute this command"
                                           : "Error: Emulation should be active to execute this command"));
}

bool EmuCore::RefuseParameters(i32 parameters)
{
    if (parameters <= 0)
        return false;
    console_.Print(StringA("Error: Too many parameters"));
    return true;
}

void EmuCore::PrintCurrentInstruction(bool stateErrorOtherwise)
{
    StringA line;
    if (FormatTraceLine(line))
        console_.Print(line);
    else if (stateErrorOtherwise)
        PrintStateError();
}

// The instruction the run stands on may be one a break abandoned: it runs once more
// without breaking again.
void EmuCore::ArmSkip()
{
    CpuBase* cpu = machine_ ? machine_->GetCpu(0) : nullptr;
    if (!cpu)
        return;
    skipResult_ = !skipArmed_.load();
    skipArmed_.store(true);
    skipPc_.store(cpu->GetPC());
}

void EmuCore::StepCommand()
{
    Step();
    stepCount_.store(1);
    ArmSkip();
    wake_.store(true);
    Continue();
}

void EmuCore::StepOverCommand(bool always)
{
    Step();
    CpuBase* cpu = machine_ ? machine_->GetCpu(0) : nullptr;
    if (!cpu)
        return;
    StringA texts[7];
    u32 kind = 0;
    u32 widths[7] = {};
    const i32 length = cpu->Disassemble(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6], &kind,
                                        &widths[0], &widths[1], &widths[2], &widths[3], &widths[4], &widths[5],
                                        &widths[6]);
    const u32 pc = cpu->GetPC();
    if (length > 0 && (always || (kind & 3) == kDisasmKindCall))
        SetStepOver(1, (pc + static_cast<u32>(length)) & cpu->GetAddressMask());
    else
        SetStepOver(0, pc);
    stepCount_.store(-1);
    ArmSkip();
    wake_.store(true);
    Continue();
}

// Its answers name files and folders of any length: they are wrapped, not cut.
void EmuCore::MountCommand(TokenList& tokens, const StringA& line, i32 parameters)
{
    if (parameters == 0) {
        console_.PrintWrapped(StringA("Error: Less parameters then needed"));
        return;
    }
    DriveImage* drive = nullptr;
    StringA driveName("FirstDrive");
    i32 fileToken = 2;
    if (parameters == 1) {
        drive = GetDrive(0);
    } else {
        DriveBay* bay = machine_ ? machine_->GetDriveBay() : nullptr;
        if (!bay) {
            console_.PrintWrapped(StringA("Error: No drives found!"));
            return;
        }
        if (tokens.GetTokenText(2, line, driveName))
            drive = bay->FindDriveByName(driveName);
        fileToken = 3;
    }
    if (!drive) {
        console_.PrintWrapped(StringA("Error: Incorrect drive name!"));
        return;
    }

    const Token* token = tokens.At(fileToken);
    StringA file;
    const bool quoted = token && token->Kind() == kStringKind;
    if (!token || (!quoted && token->Kind() != kWordKind) || !tokens.GetTokenText(fileToken, line, file)) {
        console_.PrintWrapped(StringA("Error: Incorrect file name!"));
        return;
    }
    if (quoted) {
        // An unclosed quote runs to the end of the line: only a closing quote is cut.
        const i32 length = file.GetLength();
        const bool closed = length >= 2 && file.GetCharAt(length - 1) == '"';
        file.Assign(file.CStr() + 1, closed ? length - 2 : length - 1);
    }
    if (file.IsEmpty()) {
        console_.PrintWrapped(StringA("Error: Incorrect file name!"));
        return;
    }

    PathString path(file);
    // Only a path where nothing stands is looked for by its name: what stands there and
    // does not open is said, not swapped for another file of that name.
    const PathProbe there = ProbePath(path);
    if (there.holds == PathHolds::kNonFile) {
        console_.PrintWrapped(StringA("Error: Not a file (a folder, a pipe or a device)!"));
        return;
    }
    if (there.holds == PathHolds::kUnreadable) {
        StringA message;
        message.Format("Error: File could not be read (%s)!", FileErrorText(there.reason).GetNarrow());
        console_.PrintWrapped(message);
        return;
    }
    if (there.holds == PathHolds::kNothing) {
        PathString found;
        if (!machine_ || !machine_->LocateFile(GetFileNamePart(path), found)) {
            console_.PrintWrapped(StringA("Error: File not found!"));
            return;
        }
        path = found;
    }
    // The drive holds one file at a time, so the old one must go before the new one goes
    // in: a file that will not open is found first, and the drive keeps its image.
    FileStream probe;
    if (!probe.Open(path, false)) {
        console_.PrintWrapped(StringA("Error: Can not mount file to drive."));
        return;
    }
    probe.Close();
    const PathString previous = drive->GetPath();
    const bool previousLatch = drive->GetLatch();
    drive->Eject();
    drivesChanged_.store(true);
    if (!drive->InsertFile(path)) {
        // Gone between the two opens: the old image goes back where it can.
        if (!previous.IsEmpty() && drive->InsertFile(previous))
            drive->SetLatch(previousLatch);
        console_.PrintWrapped(StringA("Error: Can not mount file to drive."));
        return;
    }
    // SetLatch tells the drive's owner before and after.
    if (!drive->GetLatch())
        drive->SetLatch(true);
    StringA message;
    message.Format("Done: File \"%s\" successfully mounted to drive %s", MessageText(GetFileNamePart(path)).CStr(),
                   driveName.CStr());
    console_.PrintWrapped(message);
}
