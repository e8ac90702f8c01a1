// A new folder under the system's temporary folder for the files one test
// process writes, removed with them when the process ends. Its name is
// random and created exclusively, so test processes that CTest runs in
// parallel never write or delete each other's files.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vaveze {

class TempFolder {
public:
    TempFolder()
    {
        std::random_device entropy;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = std::filesystem::temp_directory_path() /
                    ("vaveze-test-" + std::to_string(entropy()) + "-" + std::to_string(entropy()));
            std::error_code error;
            if (std::filesystem::create_directory(path_, error))
                return;
        }
        throw std::runtime_error("no new temporary folder");
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes a file of the given name and bytes into the folder; its path.
    std::filesystem::path Write(std::string_view name, std::string_view bytes) const
    {
        const std::filesystem::path path = path_ / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    [[nodiscard]] const std::filesystem::path& Path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

// The folder of this test process.
inline const TempFolder& ProcessTempFolder()
{
    static const TempFolder folder;
    return folder;
}

}  // namespace vaveze
