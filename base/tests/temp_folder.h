// A fresh folder of a test's own under the system's temporary folder, removed with all it
// holds when the object goes. create_directory made it, so the name is this object's
// alone: copies of a test program running side by side never share a folder.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class TempFolder {
public:
    explicit TempFolder(const std::string& stem = "kuv")
    {
        static std::atomic<int> serial{0};
        std::random_device entropy;
        do {
            path_ = std::filesystem::temp_directory_path() /
                    (stem + "_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "_" +
                     std::to_string(entropy()) + "_" + std::to_string(serial++));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};
