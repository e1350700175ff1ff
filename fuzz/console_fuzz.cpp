// The debugger console: lines typed into the console of an MSX-1's emulation core, its
// worker running and the machine stopped, as the program opens; a line that starts it
// (GO, START) makes the lines after it meet a running machine, or one held in break.
//
// An input is up to kMaxLines lines, split at newlines. A line goes to the console as
// Enter hands it over, whatever its bytes, and the console is drawn after it. A line that starts with Escape is pressed
// key by key instead (each byte after it a host key code; a Shift, Ctrl or Alt code
// goes down and, the next time, up), so that the line editor and the function keys
// run the commands.
//
// Every input gets a fresh core, and what a run leaves in the program tree (states,
// settings) goes with it, so inputs do not see each other's files.
#include <algorithm>
#include <array>
#include <memory>
#include <system_error>

#include "base/native_path.h"
#include "core/console_tokenizer.h"
#include "core/emu_core.h"
#include "fuzz/msx_kind.h"
#include "sound/sound_buffer_ring.h"

namespace {

constexpr size_t kMaxLines = 16;
// The editor copies its line at every key, as fits a line a user types: a longer run
// of keys costs the fuzzer time and memory and reaches nothing more.
constexpr size_t kMaxKeys = 4096;
constexpr char kKeyLine = '\x1B';
// The test cartridge, where MOUNT finds it by its bare name: the program folder.
const char* const kCartridge = "prog/CART.ROM";

// MOUNT opens the path it is given as it stands before it looks in the program
// tree's folders by the bare name: a relative path from the working folder, which
// the fuzzer's own paths need and so cannot be the scratch tree, or an absolute one.
// Neither can be kept inside the tree by setting anything, so a MOUNT line any of
// whose words names an existing file or folder as it stands is not typed; every
// other one ends in the tree's search (".." and absolute paths to nothing included).
bool NamesOutsideFile(const StringA& line)
{
    TokenList tokens;
    if (tokens.Tokenize(line, ConsoleTokenizer::SelectClass, CreateToken) >= 0 || tokens.Count() < 2)
        return false;
    StringA word;
    if (!tokens.GetTokenText(1, line, word))
        return false;
    word.ToUpper();
    if (word.CompareNarrow("M") != 0 && word.CompareNarrow("MOUNT") != 0)
        return false;
    for (i32 i = 2; i < tokens.Count(); ++i) {
        StringA text;
        if (!tokens.GetTokenText(i, line, text))
            continue;
        // The quotes as MOUNT cuts them: the opening one, and a closing one.
        if (text.GetCharAt(0) == '"') {
            const i32 length = text.GetLength();
            const bool closed = length >= 2 && text.GetCharAt(length - 1) == '"';
            text.Assign(text.CStr() + 1, closed ? length - 2 : length - 1);
        }
        if (text.IsEmpty())
            continue;
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(NativePath(PathString(text)), ec);
        // A path the system cannot look at, it cannot open either.
        const bool missing = ec == std::errc::no_such_file_or_directory || ec == std::errc::filename_too_long ||
                             ec == std::errc::not_a_directory;
        if (std::filesystem::exists(status) || (ec && !missing))
            return true;
    }
    return false;
}

bool IsModifier(u8 key)
{
    return key >= CommandInterpreter::kKeyLeftShift && key <= CommandInterpreter::kKeyRightAlt;
}

void PressKeys(EmuCore& core, const u8* keys, size_t count)
{
    std::array<bool, 256> held{};
    for (size_t i = 0; i < std::min(count, kMaxKeys); ++i) {
        const u8 key = keys[i];
        if (IsModifier(key)) {
            held[key] = !held[key];
            core.OnKey(key, held[key]);
            continue;
        }
        const bool enter = key == CommandInterpreter::kKeyEnter || key == CommandInterpreter::kKeyPadEnter;
        if (enter && NamesOutsideFile(core.GetConsole().GetCommandLine()))
            continue;
        core.OnKey(key, true);
        core.OnKey(key, false);
    }
    for (i32 key = 0; key < 256; ++key) {
        if (held[static_cast<size_t>(key)])
            core.OnKey(key, false);
    }
}

void Type(EmuCore& core, const u8* data, size_t size)
{
    if (size > 0 && data[0] == kKeyLine) {
        PressKeys(core, data + 1, size - 1);
        return;
    }
    const StringA line(reinterpret_cast<const char*>(data), static_cast<int>(size));
    if (!NamesOutsideFile(line))
        core.ExecuteConsoleCommand(line);
}

// The console's window: 40 columns, 12 text rows and the command line.
BufferSurface& ConsoleImage()
{
    static BufferSurface image;
    if (image.GetWidth() == 0)
        image.SetSize(8 * 40 + 6, 16 * 12 + 6 + 24, false);
    return image;
}

// What a run writes into the tree: the saved states and the machine's settings files.
void ForgetRun()
{
    std::error_code ec;
    for (const char* folder : {"states", "settings"})
        std::filesystem::remove_all(fuzz::FuzzTree::Where(std::string("prog/") + folder), ec);
}

void PlaceFiles()
{
    for (const fuzz::MachineFile& file : fuzz::kMsx1.files) {
        if (file.where && !fuzz::FuzzTree::Exists(file.where))
            fuzz::FuzzTree::WriteBytes(file.where, fuzz::ReadFile(file.source));
    }
    if (!fuzz::FuzzTree::Exists(kCartridge))
        fuzz::FuzzTree::WriteBytes(kCartridge, fuzz::ReadFile(KUV_ROM_MSX_CART));
}

void WriteSeeds(const std::filesystem::path& folder)
{
    using namespace std::string_literals;
    const std::string longWord(70000, 'A');
    const std::string longNumber(70000, '9');
    const std::pair<const char*, std::string> seeds[] = {
        {"empty", ""},
        {"spaces", " \t\v\f\r "},
        {"help", "HELP\nh . , :"},
        {"long_word", longWord},
        {"long_mount", "M " + longWord + "\nM cart " + longWord + "\nM \"" + longWord},
        {"long_numbers", "CPU " + longNumber + "\nM " + longNumber + "\nGO\nSTEP 18446744073709551616 4294967296"},
        {"quotes", "M \"CART.ROM\nM \"\nM cart \"\nM \"\"\nM \"\"\"\nM \"a\"b\"\n\"\nLOAD \"x"},
        {"backslashes", "M \\\nM \"\\\\\"\nM \"C:\\\\CART.ROM\"\nM \"\\\\?\\C:\\\"\nCLS \\"},
        {"colons", ":\n::::\nM cart: CART.ROM\nM C:CART.ROM\nM \"C:\"\n. , :\nCPU :"},
        {"control", "\x01\nM \x7F\nCLS\x00x\nM \"\x02\x03\"\nM \"CART.ROM\x00x\"\nINFO\x1F"s},
        {"upper_half", "M \xFF\xFE\nM \"\xC3\xA9.rom\"\n\x80\nSTEP\xA0"},
        {"paths", "M \"/nowhere/../CART.ROM\"\nM \"../CART.ROM\"\nM \"configs/msx_1/msx.rom\"\nM \"\"\nM \".\""},
        {"mount", "M CART.ROM\nMOUNT CART \"CART.ROM\"\nM cart CART.ROM x\nM fdd CART.ROM\nM hdd x\nM 1 2"},
        {"stopped", "MOUNT\nDASM x\nCPU .\nSTEP \"\"\nSO\nSOO\nSAVE x y\nLOAD :\nCLS \"\"\"\nINFO 1 2 3\nBREAK ,,"},
        {"go", "GO\nCPU\nDASM\nS\nSTEP\nSO\nSTEPOVER\nSOO\nSTEPOVEROVER\nSAVE\nLOAD\nBREAK\nM CART.ROM"},
        {"odd_args", "GO 1\nGO\nCPU 1 2\nDASM \"\nSTEP ,\nSTEPOVER 1\nSTEPOVEROVER \"a\"\nSAVE :\nBREAK x\nSTART x"},
        {"start", "M CART.ROM\nSTART\nBREAK\nSTEP\nGO\nBREAK\nCPU\nSAVE\nSTART\nLOAD\nCLS"},
        {"save_load", "GO\nSAVE\nSTART\nBREAK\nLOAD\nLOAD\nDASM"},
        {"load_stopped", "LOAD\nLOAD x"},
        // Through the keys: the editor, its selection, Enter, and F5, F7, F8, F11, F12.
        {"keys", "\x1B" "INFO\x0D\x24\xE0\x23\xE0\x2E" "CPU\x08\x08\x08" "HELP\x6C\x1B\x25\x27\x26\x28\x21\x22"},
        {"function_keys", "\x1B\xE2\x74\xE2\x76\x77\xE0\x77\xE0\x7A\x7B\xE2\x7B\xE2\x74\xE2\x7B\xE2"},
        {"key_mount", "\x1B" "M CART \xF0" "CART\x6E" "ROM\xF0\x0D\x1B\x0D"},
    };
    for (const auto& [name, text] : seeds)
        fuzz::WriteSeed(folder, name, fuzz::Bytes(text.begin(), text.end()));
}

} // namespace

KUV_FUZZ_SEEDS(WriteSeeds)

// Every input makes and frees a whole machine, about 3 MB with a run and a saved state:
// the address sanitizer's default quarantine of freed memory, 256 MB, holds the process
// near the 512 MB limit the fuzzer runs with; 64 MB still hold some twenty inputs' frees.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=64";
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    PlaceFiles();
    {
        auto core = std::make_unique<EmuCore>(nullptr, new Msx1Machine, nullptr, new SoundBufferRing, nullptr);
        if (core->Run()) {
            size_t start = 0;
            for (size_t lines = 0; lines < kMaxLines && start <= size; ++lines) {
                const u8* stop = std::find(data + start, data + size, u8{'\n'});
                const size_t length = static_cast<size_t>(stop - (data + start));
                Type(*core, data + start, length);
                start += length + 1;
                // As the window shows the console, between two lines on the same thread.
                core->GetConsole().Draw(&ConsoleImage());
            }
            core->Stop();
        }
        core->Shutdown();
    }
    ForgetRun();
    return 0;
}
