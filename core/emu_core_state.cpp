// Save states: one "KUVSTATE" block in a stream, a file of the "states" folder or the
// core's memory state.
//
//   F0 "KUVSTATE"
//   "_MAXCPU_" i8   the run loop that saved it (0 normal speed, 1 maximum speed)
//   "_EMUINIT"      the machine's configuration (Computer::SaveInitState)
//   "_EMUCORE"      the run loop's record, written and read by the worker
//   component record of the machine and every device below it
//   FF "KUVSTATE"
//
// The GUI thread pauses the worker, so that no device runs while the archive touches it,
// and hands it the archive for its own block in the middle.
//
// A state is input. Every block checks what it reads before it uses it, but a damaged
// record is found only part-way through the devices, after some of them have taken their
// values. So a load first keeps the machine as it is (the whole state while a run is on,
// else its configuration and its drives) and puts that back when the new state is
// refused: a refused state costs nothing but its message.
#include <cstdarg>

#include "base/archive.h"
#include "base/file_io.h"
#include "base/file_stream.h"
#include "base/file_system.h"
#include "base/memory_stream.h"
#include "base/path_text.h"
#include "base/program_folders.h"
#include "core/emu_core.h"
#include "emu/computer.h"
#include "emu/device.h"
#include "emu/drive_bay.h"
#include "emu/safe_file_write.h"
#include "emu/trace_report.h"
#include "video/display_surface.h"

namespace {

const char* const kStateBlock = "KUVSTATE";
const char* const kStatesFolder = "states";
const char* const kStateExtension = "sav";
const char* const kBadFormat = "incorrect version or format";
const char* const kNotAFile = "not a file: a folder, a pipe or a device";

} // namespace

// --- the worker's part ------------------------------------------------------------------

// A worker sleeping in a break is woken so that it can serve the request.
void EmuCore::PauseForState()
{
    thread_.Resume();
    RequestPause();
}

void EmuCore::ReleaseStatePause()
{
    ReleasePause();
    if (inBreak_.load())
        thread_.RequestPause();
}

bool EmuCore::HandToWorker(std::atomic<Archive*>& request, Archive& archive)
{
    stateRequestFailed_.store(true);
    request.store(&archive);
    wake_.store(true);
    thread_.Resume();
    while (request.load()) {
        if (!loopActive_.load()) {
            // The run ended under the request; nobody will serve it.
            Archive* expected = &archive;
            request.compare_exchange_strong(expected, nullptr);
            return false;
        }
        SleepMs(1);
    }
    return !stateRequestFailed_.load();
}

// --- writing ----------------------------------------------------------------------------

bool EmuCore::WriteState(StreamInterface& stream)
{
    if (stream.GetSize() != 0 && !stream.Seek(0))
        return false;
    if (!stream.CanWrite() || !machine_)
        return false;
    Archive archive(&stream);
    const i8 maxCpu = runMode_.load() == 1 ? 1 : 0;
    return archive.WriteMarker(kStateBlock, Archive::kBlockOpen) && archive.WriteInt8(&maxCpu, "_MAXCPU_") &&
           machine_->SaveInitState(archive) && HandToWorker(saveRequest_, archive) &&
           machine_->SaveComponent(archive) && archive.WriteMarker(kStateBlock, Archive::kBlockClose);
}

bool EmuCore::SaveStateLocked(StreamInterface& stream)
{
    PauseForState();
    const bool ok = WriteState(stream);
    if (ok)
        ConsoleReport::PrintInfo(&console_, "State saved to memory");
    else
        ConsoleReport::PrintError(&console_, "[ERROR] Error while saving state to memory");
    ReleaseStatePause();
    return ok;
}

bool EmuCore::SaveStateToStream(StreamInterface& stream, bool lockHeld)
{
    ScopedLock lock(lockHeld ? nullptr : &coreLock_);  // the caller may hold it already
    if (!workerAlive_.load() || !loopActive_.load())
        return false;
    return SaveStateLocked(stream);
}

PathString EmuCore::StateFilePath(const PathString& folder, bool create, std::error_code* folderError) const
{
    const char* name = machine_ ? machine_->GetStateName() : nullptr;
    if (!name || !name[0])
        return PathString();
    PathString base = folder;
    if (base.IsEmpty())
        base = JoinPath(MakeDataFolder(kDataFolderName, create), kStatesFolder, StringW(), StringW());
    if (create)
        CreateFolders(base, folderError);
    return JoinPath(base, StringW(), name, kStateExtension);
}

bool EmuCore::SaveStateToFile(const PathString& folder, bool lockHeld)
{
    ScopedLock lock(lockHeld ? nullptr : &coreLock_);
    if (!workerAlive_.load() || !loopActive_.load())
        return false;
    stateSaveFailure_.Clear();
    // Without the program's folder the default folder is unknown: the file goes nowhere
    // else (a name without a folder says so).
    const bool nowhere = folder.IsEmpty() && ProgramFolder().IsEmpty();
    std::error_code folderError;
    PathString path = StateFilePath(folder, !nowhere, &folderError);
    if (path.IsEmpty())
        return false;
    if (nowhere)
        path = GetFileNamePart(path);
    PauseForState();
    // The whole state is made first; only a complete one replaces the file.
    MemoryStream content;
    const bool made = content.Allocate(0, -1) && SaveStateLocked(content);
    std::error_code error;
    const bool ok = made && !nowhere && WriteFileSafely(path, content.GetBuffer(), content.GetSize(), &error);
    const StringA name = MessageText(GetFileNamePart(path));
    if (ok) {
        ConsoleReport::PrintInfo(&console_, "State saved to file \"%s\"", name.CStr());
    } else {
        ConsoleReport::PrintError(&console_, "[ERROR] Error while saving state to file \"%s\"", name.CStr());
        stateSaveFailure_.Format("Error while saving state to file \"%s\"", name.CStr());
        if (made) {
            // Where and why, which the system knows when the file could not be written; a
            // folder that could not be made is the first reason.
            const StringW where = SaveFailureWhere(path, error, folderError);
            ConsoleReport::PrintError(&console_, "%s", MessageText(where).CStr());
            stateSaveFailure_.Append("\n");
            stateSaveFailure_.Append(where);
        }
    }
    ReleaseStatePause();
    return ok;
}

// --- reading ----------------------------------------------------------------------------

// Reads a whole state into the machine, restarting it first when the state's
// configuration or speed mode differs; startedHere tells that this call started the run.
bool EmuCore::ReadState(StreamInterface& stream, StringA& error, bool& startedHere)
{
    error = kBadFormat;
    startedHere = false;
    if (!machine_ || !stream.CanRead() || !stream.Seek(0))
        return false;
    Archive archive(&stream);
    if (!archive.ReadMarker(kStateBlock, Archive::kBlockOpen))
        return false;
    machine_->SetDisplay(renderer_, renderer_);
    machine_->SetSoundOutput(soundOutput_);

    i8 maxCpu = 0;
    bool changed = false;
    if (!archive.ReadInt8(&maxCpu, "_MAXCPU_") || (maxCpu != 0 && maxCpu != 1) ||
        !machine_->LoadInitState(archive, &changed))
        return false;
    if (!changed && maxCpu != runMode_.load())
        changed = true;
    if (changed && started_.load())
        Stop();
    if (!started_.load()) {
        machine_->SetLoadingState(true);
        const bool ok = Start(true, consoleMode_.load());
        machine_->SetLoadingState(false);
        if (!ok)
            return false;
        startedHere = true;
    }
    if (!loopActive_.load())
        return false;

    stateMessage_.Clear();
    if (!HandToWorker(loadRequest_, archive)) {
        // The worker's reason, when it gave one ("Enable \"Max CPU Speed\"!").
        if (!stateMessage_.IsEmpty())
            error = stateMessage_;
        return false;
    }
    return machine_->LoadComponent(archive, nullptr) && archive.ReadMarker(kStateBlock, Archive::kBlockClose);
}

bool EmuCore::LoadStateLocked(StreamInterface& stream, const PathString* fileName)
{
    PauseForState();
    const bool wasRunning = started_.load() && loopActive_.load();
    const bool wasInBreak = inBreak_.load();
    const bool wasConsole = consoleMode_.load();

    // What the machine is now, to go back to when the state is refused. A stopped
    // machine's drives are kept apart: the state's drives block changes them as it is read.
    DriveBay* bay = machine_ ? machine_->GetDriveBay() : nullptr;
    const DriveBay::Snapshot drives = bay && !wasRunning ? bay->TakeSnapshot() : DriveBay::Snapshot();
    MemoryStream backup;
    bool haveBackup = machine_ && backup.Allocate(0, -1);
    if (haveBackup) {
        if (wasRunning) {
            haveBackup = WriteState(backup);
        } else {
            Archive archive(&backup);
            haveBackup = machine_->SaveInitState(archive);
        }
    }

    StringA error;
    bool startedHere = false;
    const bool ok = ReadState(stream, error, startedHere);
    if (!ok) {
        bool restored = false;
        if (haveBackup && wasRunning) {
            StringA ignored;
            bool restarted = false;
            restored = ReadState(backup, ignored, restarted);
            if (restored) {
                if (inBreak_.load() && !wasInBreak)
                    Continue();
                SetConsoleMode(wasConsole, false);
            }
        } else if (haveBackup) {
            if (started_.load())
                Stop();
            bool changed = false;
            Archive archive(&backup);
            restored = backup.Seek(0) && machine_->LoadInitState(archive, &changed);
            SetConsoleMode(wasConsole, false);
        }
        if (!restored && started_.load())
            Stop();
        if (bay && !wasRunning && machine_->GetDriveBay() == bay)
            bay->RestoreSnapshot(drives);
    }

    if (fileName) {
        const StringA name = MessageText(GetFileNamePart(*fileName));
        if (ok)
            ConsoleReport::PrintInfo(&console_, "State loaded from file \"%s\"", name.CStr());
        else
            ReportLoadFailure(true, "Error while loading state from file \"%s\" (%s)", name.CStr(),
                              error.CStr());
    } else if (ok) {
        ConsoleReport::PrintInfo(&console_, "State loaded from file memory");
    } else {
        ConsoleReport::PrintError(&console_, "[ERROR] Error while loading state from memory (%s)", error.CStr());
    }

    ReleaseStatePause();
    if (ok && startedHere)
        Continue();
    statusChanged_.store(true);
    stateLoaded_.store(true);
    return ok;
}

bool EmuCore::LoadStateFromStream(StreamInterface& stream, bool lockHeld)
{
    ScopedLock lock(lockHeld ? nullptr : &coreLock_);
    if (!workerAlive_.load())
        return false;
    return LoadStateLocked(stream, nullptr);
}

bool EmuCore::LoadStateFromFile(const PathString& folder, bool lockHeld)
{
    ScopedLock lock(lockHeld ? nullptr : &coreLock_);
    if (!workerAlive_.load())
        return false;
    stateLoadFailure_.Clear();
    // The per-user folder first, then the one beside the program (states shipped with it)
    // when nothing stands in the user's: a file there that does not open is said, not
    // swapped for the shipped one.
    PathString path = StateFilePath(folder, false);
    PathProbe there = ProbePath(path);
    if (!path.IsEmpty() && there.holds == PathHolds::kNothing && folder.IsEmpty()) {
        const char* name = machine_->GetStateName();
        const PathString shipped = JoinPath(ProgramFolder(), kStatesFolder, name, kStateExtension);
        const PathProbe shippedThere = ProbePath(shipped);
        if (shippedThere.holds != PathHolds::kNothing) {
            path = shipped;
            there = shippedThere;
        }
    }
    const StringA fileName = MessageText(GetFileNamePart(path));
    if (there.holds == PathHolds::kNonFile || there.holds == PathHolds::kUnreadable) {
        StringA reason(there.holds == PathHolds::kNonFile ? kNotAFile : "could not be read: ");
        if (there.holds == PathHolds::kUnreadable)
            reason.Append(FileErrorText(there.reason));
        ReportLoadFailure(true, "Error while loading state from file \"%s\" (%s)", fileName.CStr(),
                          reason.CStr());
        return false;
    }
    if (path.IsEmpty() || there.holds == PathHolds::kNothing) {
        if (!started_.load()) {
            // The start screen's notices stay, as the plain console's first lines.
            if (console_.IsCentred())
                LeaveCentredView();
            else
                console_.Clear();
        }
        ReportLoadFailure(false, "State not loaded, because file \"%s\" did not exists (no state was saved?)",
                          fileName.CStr());
        return false;
    }
    FileStream file;
    if (!file.Open(path, false) || !file.CanRead()) {
        ReportLoadFailure(true, "Error while loading state from file \"%s\" (%s)", fileName.CStr(),
                          kBadFormat);
        return false;
    }
    const bool ok = LoadStateLocked(file, &path);
    file.Close();
    return ok;
}

void EmuCore::ReportLoadFailure(bool error, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    StringA line;
    line.FormatV(format, args);
    va_end(args);
    if (error)
        ConsoleReport::PrintError(&console_, "[ERROR] %s", line.CStr());
    else
        ConsoleReport::PrintInfo(&console_, "%s", line.CStr());
    stateLoadFailure_.Assign(line);
}
