// vaveze-list: writes the text listing of drawing and symbol files, exactly
// as the window saves it, for scripts and batch work.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/cp932.h"
#include "app/extraction.h"
#include "app/listing.h"

namespace {

using namespace vaveze;

constexpr int kExitOk = 0;
constexpr int kExitNotRecognised = 1;
constexpr int kExitUsage = 2;
constexpr int kExitPartial = 3;
constexpr int kExitWriteError = 4;

constexpr std::string_view kUsage =
    "Usage: vaveze-list [OPTION]... FILE\n"
    "       vaveze-list --save [OPTION]... FILE...\n"
    "Lists every text of a ZVW, ZVS, ZVC or ZVK file (or a backup of one), one per line.\n"
    "\n"
    "  --header      include the header section (ZVW, ZVC, ZVK)\n"
    "  --dimensions  include the texts of dimensions (ZVW, ZVS)\n"
    "  --blocks      include the block section (ZVW, ZVS)\n"
    "  --save        write each listing to a .txt file beside its source\n"
    "  --utf8        write UTF-8 with LF line ends instead of Shift-JIS with CR LF\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Exit status: 0 listed, 3 listed but the file could not be read to its end,\n"
    "1 not recognised, 2 usage error, 4 the listing could not be written.\n";

struct Options {
    ListingOptions Listing;
    bool Save = false;
    bool Utf8 = false;
    std::vector<std::string> Files;
};

// Collects the listing as the bytes of the output file.
class EncodedSink final : public LineSink {
public:
    explicit EncodedSink(bool utf8) : utf8_(utf8) {}

    void Clear() override
    {
        bytes_.clear();
        lines_ = 0;
    }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        if (utf8_) {
            bytes_ += Cp932ToUtf8(line);
            bytes_ += '\n';
        } else {
            bytes_ += line;
            bytes_ += "\r\n";
        }
        ++lines_;
        return true;
    }

    [[nodiscard]] const std::string& Bytes() const { return bytes_; }
    [[nodiscard]] std::size_t Lines() const { return lines_; }

private:
    bool utf8_;
    std::string bytes_;
    std::size_t lines_ = 0;
};

void Complain(std::string_view message)
{
    std::string line = "vaveze-list: ";
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Writes through a temporary file in the same folder that replaces the target
// only when complete, so a failed write never destroys an existing file.
bool SaveAtomically(const std::string& target, std::string_view bytes, std::string& error)
{
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // mkstemp creates the file private; give it the mode an ordinary new
    // file gets, or keep the mode of the file it replaces.
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0;
    if (!ok)
        error = std::strerror(errno);
    if (::close(fd) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

std::string FolderPart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

struct FileResult {
    int Status = kExitOk;
    std::string Problem;   // one line for standard error; empty when all went well
    bool Warning = false;  // Problem is the window's warning, shown word for word
};

constexpr std::string_view kPartialNote = "the file could not be read to its end; only what was read is listed";

// Detects, parses and lists one file into `sink`.
FileResult ListOne(const std::string& path, const ListingOptions& listing, EncodedSink& sink)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {kExitNotRecognised, path + ": " + std::strerror(errno)};

    Readers readers;
    const Detection detection = DetectAndParse(readers, path);
    if (detection.Kind == FormatKind::None) {
        // The window's warning, word for word, where it gives one.
        if (!detection.Warning.empty())
            return {kExitNotRecognised, std::string(detection.Warning), true};
        return {kExitNotRecognised, path + ": not a recognised drawing or symbol file"};
    }
    (void)ListFormat(detection.Kind, readers, listing, sink);  // this sink never refuses a line
    if (!detection.ParsedToEnd)
        return {kExitPartial, path + ": " + std::string(kPartialNote)};
    return {};
}

void Report(const std::string& line)
{
    const std::string out = line + '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
}

int ListToStdout(const Options& options)
{
    EncodedSink sink(options.Utf8);
    const FileResult result = ListOne(options.Files.front(), options.Listing, sink);
    if (result.Warning)
        Report(result.Problem);
    else if (!result.Problem.empty())
        Complain(result.Problem);
    if (result.Status == kExitNotRecognised)
        return result.Status;
    if (!WriteAll(STDOUT_FILENO, sink.Bytes())) {
        Complain(std::string("standard output: ") + std::strerror(errno));
        return kExitWriteError;
    }
    return result.Status;
}

// Saves each listing beside its source and reports one line per file.
int SaveEach(const Options& options)
{
    int worst = kExitOk;
    for (const std::string& path : options.Files) {
        EncodedSink sink(options.Utf8);
        FileResult result = ListOne(path, options.Listing, sink);
        std::string line;
        if (result.Status == kExitNotRecognised) {
            line = result.Warning ? path + ": " + result.Problem : result.Problem;
        } else {
            const std::string target = FolderPart(path) + ProposedTextName(path);
            std::string error;
            if (SaveAtomically(target, sink.Bytes(), error)) {
                line = path + " -> " + target + " (" + std::to_string(sink.Lines()) + " lines)";
                if (result.Status == kExitPartial)
                    line += "; " + std::string(kPartialNote);
            } else {
                line = target + ": " + error;
                result.Status = kExitWriteError;
            }
        }
        Complain(line);
        worst = std::max(worst, result.Status);
    }
    return worst;
}

// Parses the arguments; returns -1 to go on, or an exit status.
int ParseArguments(int argc, char** argv, Options& options)
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.Files.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--header") {
            options.Listing.CheckBox1 = true;
        } else if (arg == "--dimensions") {
            options.Listing.CheckBox2 = true;
        } else if (arg == "--blocks") {
            options.Listing.CheckBox3 = true;
        } else if (arg == "--save") {
            options.Save = true;
        } else if (arg == "--utf8") {
            options.Utf8 = true;
        } else if (arg == "--help") {
            std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
            return kExitOk;
        } else if (arg == "--version") {
            std::puts("vaveze-list (VAveze) " VAVEZE_VERSION);
            return kExitOk;
        } else {
            Complain("unknown option " + std::string(arg));
            std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
            return kExitUsage;
        }
    }
    if (options.Files.empty() || (!options.Save && options.Files.size() > 1)) {
        Complain(options.Files.empty() ? "no file given" : "several files need --save");
        std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
        return kExitUsage;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (const int status = ParseArguments(argc, argv, options); status >= 0)
        return status;
    return options.Save ? SaveEach(options) : ListToStdout(options);
}
