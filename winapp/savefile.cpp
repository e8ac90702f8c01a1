#include "winapp/savefile.h"

namespace vaveze::win {
namespace {

// Closes a file handle; the file is removed unless kept.
class NewFile {
public:
    explicit NewFile(std::wstring path) : path_(std::move(path))
    {
        handle_ = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~NewFile()
    {
        (void)Close();
        if (!kept_ && handle_ != INVALID_HANDLE_VALUE)
            ::DeleteFileW(path_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    [[nodiscard]] bool Opened() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }

    [[nodiscard]] bool Write(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const DWORD size = bytes.size() < (DWORD{1} << 30) ? static_cast<DWORD>(bytes.size()) : DWORD{1} << 30;
            DWORD written = 0;
            if (!::WriteFile(handle_, bytes.data(), size, &written, nullptr))
                return false;
            bytes.remove_prefix(written);
        }
        return ::FlushFileBuffers(handle_) != 0;
    }

    // Closes the file; false when the system reports a failure.
    [[nodiscard]] bool Close()
    {
        if (closed_ || handle_ == INVALID_HANDLE_VALUE)
            return true;
        closed_ = true;
        return ::CloseHandle(handle_) != 0;
    }

    void Keep() noexcept { kept_ = true; }

private:
    std::wstring path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool closed_ = false;
    bool kept_ = false;
};

// A name beside the target that no other save picks at the same time.
std::wstring TempName(const std::wstring& target, unsigned attempt)
{
    static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    unsigned long long seed = ::GetTickCount64() * 0x9E3779B97F4A7C15ULL ^ ::GetCurrentProcessId() ^ attempt * 7919ULL;
    std::wstring name = target + L".";
    for (int i = 0; i < 6; ++i, seed /= 36)
        name += kDigits[seed % 36];
    return name;
}

}  // namespace

DWORD ReplaceFileWith(const std::wstring& target, std::string_view bytes)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temp = TempName(target, attempt);
        NewFile file(temp);
        if (!file.Opened()) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            return error;
        }
        if (!file.Write(bytes) || !file.Close())
            return ::GetLastError();
        // Unlike a rename, this replaces an existing file.
        if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return ::GetLastError();
        file.Keep();
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_EXISTS;
}

}  // namespace vaveze::win
