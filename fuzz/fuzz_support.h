// What every fuzz target shares.
//
// Each target is one reader of outside bytes, fed by libFuzzer through
// LLVMFuzzerTestOneInput. Its seed corpus is made by the project's own writers: run with
// -kuv_seeds=<folder> a target writes its seeds there and exits (the build does that),
// so the seeds always follow the current file formats.
//
// Readers that take a path get the input as a file in a throw-away program tree of the
// process (FuzzTree), where the per-user data folder and the program folder are what the
// program would find.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "base/program_folders.h"
#include "base/string_w.h"
#include "base/types.h"

namespace fuzz {

using Bytes = std::vector<u8>;
using SeedWriter = void (*)(const std::filesystem::path& folder);

// A whole file's bytes; none when it cannot be read.
inline Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The process's program installation: "prog/kuv.exe" under a fresh temporary folder, not
// under a program-files folder, so that the program folder is its own data folder.
// Paths "prog/..." and "user/..." both lie there (the names say which role). Unlike
// the tests' program tree it leaves the working folder alone: the fuzzer's own paths
// (corpus, artifacts) are relative to it. Removed when the process ends.
class FuzzTree {
public:
    static FuzzTree& Get()
    {
        static FuzzTree tree;
        return tree;
    }
    static std::filesystem::path Where(const std::string& rel)
    {
        return Get().root_ / "prog" / rel.substr(rel.find('/') + 1);
    }
    static PathString PathOf(const std::string& rel) { return Native(Where(rel).string()); }
    static bool Exists(const std::string& rel) { return std::filesystem::exists(Where(rel)); }
    static void MakeFolder(const std::string& rel) { std::filesystem::create_directories(Where(rel)); }
    static void Remove(const std::string& rel)
    {
        std::error_code ec;
        std::filesystem::remove(Where(rel), ec);
    }
    static void WriteBytes(const std::string& rel, const Bytes& bytes)
    {
        std::filesystem::create_directories(Where(rel).parent_path());
        std::ofstream(Where(rel), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes Read(const std::string& rel) { return ReadFile(Where(rel)); }

private:
    FuzzTree()
    {
        root_ = std::filesystem::temp_directory_path() /
                ("kuv_fuzz_" + std::to_string(getpid()) + "_" +
                 std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(root_ / "prog");
        BuildProgramFoldersFrom(Native((root_ / "prog" / "kuv.exe").string()), Native(root_.string()));
    }
    ~FuzzTree()
    {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    static PathString Native(const std::string& text) { return PathString(text.c_str()); }

    std::filesystem::path root_;
};

// An input as a stream (read-only use: the buffer is the fuzzer's).
class InputStream : public MemoryStream {
public:
    InputStream(const u8* data, size_t size)
    {
        static u8 empty = 0;
        Attach(size ? const_cast<u8*>(data) : &empty, size);
    }
};

// What a writer put into a stream.
inline Bytes ContentOf(MemoryStream& stream)
{
    const u8* buffer = stream.GetBuffer();
    return Bytes(buffer, buffer + stream.GetSize());
}

inline void WriteSeed(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// From LLVMFuzzerInitialize: with -kuv_seeds=<folder> among the arguments, the writer
// fills the folder and the process ends.
inline void MaybeWriteSeeds(int* argc, char*** argv, SeedWriter writer)
{
    constexpr char kFlag[] = "-kuv_seeds=";
    for (int i = 1; i < *argc; ++i) {
        const char* arg = (*argv)[i];
        if (std::strncmp(arg, kFlag, sizeof(kFlag) - 1) == 0) {
            writer(std::filesystem::path(arg + sizeof(kFlag) - 1));
            std::exit(0);
        }
    }
}

} // namespace fuzz

// Each target defines these two.
#define KUV_FUZZ_SEEDS(writer)                                      \
    extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)    \
    {                                                               \
        fuzz::MaybeWriteSeeds(argc, argv, writer);                  \
        return 0;                                                   \
    }
