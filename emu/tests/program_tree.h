// A throw-away program installation for tests of the files the program finds itself.
//
// The program lies in "tree/Program Files/KUV/" under a fresh temporary folder that
// becomes the working folder, so that its data root is the per-user folder "appdata/" as
// for an installed program. The working folder, the folder values and the files are put
// back afterwards. Test paths: "prog/..." is under the program folder, "user/..." under
// the per-user data folder "KUVMorvuEmu", any other relative path under the temporary
// folder itself; every file a test writes stays inside it.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "base/program_folders.h"
#include "base/string_w.h"
#include "base/tests/temp_folder.h"
#include "base/types.h"

class ProgramTree {
public:
    ProgramTree()
    {
        savedProgram_ = ProgramFolder();
        savedProgram_.Append(ProgramName());
        if (!ProgramExtension().IsEmpty()) {
            savedProgram_.Append(".");
            savedProgram_.Append(ProgramExtension());
        }
        savedAppData_ = AppDataFolder();
        savedCwd_ = std::filesystem::current_path();
        Root() = folder_.Path();
        std::filesystem::create_directories(Root() / "tree" / "Program Files" / "KUV");
        std::filesystem::create_directories(Root() / "appdata");
        std::filesystem::current_path(Root());
        BuildProgramFoldersFrom(Native("tree/Program Files/KUV/kuv.exe"), Native((Root() / "appdata").string()));
    }

    ~ProgramTree()
    {
        BuildProgramFoldersFrom(savedProgram_, savedAppData_);
        std::error_code ec;
        std::filesystem::current_path(savedCwd_, ec);
        std::filesystem::remove_all(Root(), ec);
    }

    static std::filesystem::path Where(const std::string& rel)
    {
        if (rel.rfind("prog/", 0) == 0)
            return std::filesystem::path("tree/Program Files/KUV") / rel.substr(5);
        if (rel.rfind("user/", 0) == 0)
            return Root() / "appdata" / "KUVMorvuEmu" / rel.substr(5);  // the program knows it absolute
        return Root() / std::filesystem::path(rel).relative_path();
    }

    // size bytes counting up from first.
    static void Write(const std::string& rel, size_t size, u8 first = 0)
    {
        std::vector<u8> bytes(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<u8>(first + i);
        WriteBytes(rel, bytes);
    }

    static void WriteBytes(const std::string& rel, const std::vector<u8>& bytes)
    {
        std::filesystem::create_directories(Where(rel).parent_path());
        std::ofstream(Where(rel), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    static std::vector<u8> Read(const std::string& rel)
    {
        std::ifstream in(Where(rel), std::ios::binary);
        return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static bool Exists(const std::string& rel) { return std::filesystem::exists(Where(rel)); }
    static void Remove(const std::string& rel) { std::filesystem::remove(Where(rel)); }
    static void MakeFolder(const std::string& rel) { std::filesystem::create_directories(Where(rel)); }

    // The path as the program names it, with its own separator.
    static PathString PathOf(const std::string& rel) { return Native(Where(rel).generic_string()); }
    static std::string TextOf(const std::string& rel) { return PathOf(rel).GetNarrow(); }

    static PathString Native(std::string text)
    {
#ifdef _WIN32
        for (char& c : text)
            c = c == '/' ? '\\' : c;
#endif
        return PathString(text.c_str());
    }

private:
    static std::filesystem::path& Root()
    {
        static std::filesystem::path root;
        return root;
    }

    TempFolder folder_{"kuv_files"};
    std::filesystem::path savedCwd_;
    PathString savedProgram_;
    PathString savedAppData_;
};
