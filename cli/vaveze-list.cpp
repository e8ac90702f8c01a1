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

#include "core/text/cp932.h"
#include "core/listing/extraction.h"
#include "core/listing/listing.h"

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

void Complain(std::string_view message)
{
    std::string line = "vaveze-list: ";
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void Report(const std::string& line)
{
    const std::string out = line + '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
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

// Encodes the listing as the bytes of the output file and streams them to a
// descriptor. Many texts of a file may share one long pooled string, so a
// listing can be far larger than its file: holding only a buffer keeps the
// tool's memory independent of the listing's size.
class EncodedSink final : public LineSink {
public:
    EncodedSink(int fd, bool utf8) : fd_(fd), utf8_(utf8) {}

    // The listing calls this once, before its first line, when nothing has
    // been written yet.
    void Clear() override
    {
        buffer_.clear();
        lines_ = 0;
    }

    // False once writing has failed, which ends the listing early.
    [[nodiscard]] bool Append(std::string_view line) override
    {
        if (utf8_) {
            buffer_ += Cp932ToUtf8(line);
            buffer_ += '\n';
        } else {
            buffer_ += line;
            buffer_ += "\r\n";
        }
        ++lines_;
        if (buffer_.size() >= kFlushSize)
            Flush();
        return error_ == 0;
    }

    // Writes out what is buffered; 0 when everything was written, else errno.
    [[nodiscard]] int Finish()
    {
        Flush();
        return error_;
    }

    [[nodiscard]] std::size_t Lines() const { return lines_; }

private:
    static constexpr std::size_t kFlushSize = std::size_t{1} << 16;

    void Flush()
    {
        if (error_ == 0 && !WriteAll(fd_, buffer_))
            error_ = errno != 0 ? errno : EIO;
        buffer_.clear();
    }

    int fd_;
    bool utf8_;
    std::string buffer_;
    std::size_t lines_ = 0;
    int error_ = 0;
};

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
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
    std::string Stop;      // why a partial listing ends where it does
};

// Detects the format of one file and parses it into `readers`; the status
// is kExitNotRecognised, kExitPartial or kExitOk.
FileResult DetectOne(const std::string& path, Readers& readers, FormatKind& kind)
{
    const Detection detection = DetectAndParse(readers, path);
    kind = detection.Kind;
    if (detection.Kind == FormatKind::None) {
        // Why the file could not be read, where it could not; else the
        // window's warning, word for word, where it gives one.
        if (detection.Problem != FileProblem::None && detection.Problem != FileProblem::Empty)
            return {kExitNotRecognised, path + ": " + DescribeFileProblem(detection.Problem, detection.SystemMessage),
                    false, {}};
        if (!detection.Warning.empty())
            return {kExitNotRecognised, std::string(detection.Warning), true, {}};
        if (detection.Problem != FileProblem::None)
            return {kExitNotRecognised, path + ": " + DescribeFileProblem(detection.Problem), false, {}};
        return {kExitNotRecognised, path + ": not a recognised drawing or symbol file", false, {}};
    }
    if (!detection.Outcome.Complete()) {
        std::string stop = DescribeStop(detection.Outcome);
        return {kExitPartial, path + ": " + stop, false, stop};
    }
    return {};
}

// Lists the parsed tables into `sink` and writes out the rest; the errno of
// a failed write, else 0.
int ListInto(FormatKind kind, const Readers& readers, const ListingOptions& listing, EncodedSink& sink)
{
    (void)ListFormat(kind, readers, listing, sink);  // refuses a line only once writing failed
    return sink.Finish();
}

int ListToStdout(const Options& options)
{
    Readers readers;
    FormatKind kind = FormatKind::None;
    const FileResult result = DetectOne(options.Files.front(), readers, kind);
    if (result.Warning)
        Report(result.Problem);
    else if (!result.Problem.empty())
        Complain(result.Problem);
    if (result.Status == kExitNotRecognised)
        return result.Status;
    EncodedSink sink(STDOUT_FILENO, options.Utf8);
    if (const int error = ListInto(kind, readers, options.Listing, sink); error != 0) {
        Complain(std::string("standard output: ") + std::strerror(error));
        return kExitWriteError;
    }
    return result.Status;
}

// Streams the listing into a temporary file in the target's folder that
// replaces the target only when complete, so a failed write never destroys
// an existing file. The errno of a failure, else 0.
int SaveAtomically(const std::string& target, FormatKind kind, const Readers& readers, const Options& options,
                   std::size_t& lines)
{
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno;
    EncodedSink sink(fd, options.Utf8);
    int error = ListInto(kind, readers, options.Listing, sink);
    lines = sink.Lines();
    // mkstemp creates the file private; give it the mode an ordinary new
    // file gets, or keep the mode of the file it replaces.
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (error == 0 && ::fchmod(fd, mode) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

// Saves each listing beside its source and reports one line per file.
int SaveEach(const Options& options)
{
    int worst = kExitOk;
    for (const std::string& path : options.Files) {
        Readers readers;
        FormatKind kind = FormatKind::None;
        FileResult result = DetectOne(path, readers, kind);
        std::string line;
        if (result.Status == kExitNotRecognised) {
            line = result.Warning ? path + ": " + result.Problem : result.Problem;
        } else {
            const std::string target = FolderPart(path) + ProposedTextName(path).string();
            std::size_t lines = 0;
            if (const int error = SaveAtomically(target, kind, readers, options, lines); error == 0) {
                line = path + " -> " + target + " (" + std::to_string(lines) + " lines)";
                if (result.Status == kExitPartial)
                    line += "; " + result.Stop;
            } else {
                line = target + ": " + std::strerror(error);
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
