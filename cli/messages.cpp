#include "cli/messages.h"

#include "cli/platform.h"

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <system_error>

#if VAVEZE_HAVE_GETTEXT
#include <libintl.h>
#endif

namespace vaveze::cli {
namespace {

constexpr const char* kDomain = "vaveze-list";

#if VAVEZE_HAVE_GETTEXT
// The catalogue beside the program (share/locale next to bin/, which is also
// how the build tree is laid out), else the installed one.
std::string CatalogueFolder()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path beside = self.parent_path().parent_path() / "share" / "locale";
        if (std::filesystem::is_directory(beside, ec))
            return beside.string();
    }
    return VAVEZE_LOCALEDIR;
}

// A Japanese locale asked for but not installed (common on servers and in
// containers) still gets Japanese messages: the catalogue only needs the
// language's name, which LANGUAGE carries under any locale but C.
void AskForMissingLocale()
{
    const char* asked = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        asked = std::getenv(name);
        if (asked != nullptr && *asked != '\0')
            break;
    }
    if (asked == nullptr || *asked == '\0' || std::string_view(asked) == "C" || std::string_view(asked) == "POSIX")
        return;
    if (std::setlocale(LC_MESSAGES, "C.UTF-8") == nullptr)
        return;
    const char* language = std::getenv("LANGUAGE");
    if (language == nullptr || *language == '\0') {
        const std::string_view name(asked);
        ::setenv("LANGUAGE", std::string(name.substr(0, name.find_first_of(".@"))).c_str(), 1);
    }
}
#endif

}  // namespace

void InitMessages()
{
#if VAVEZE_HAVE_GETTEXT
    // Only what the messages need: numbers keep their C form.
    std::setlocale(LC_CTYPE, "");
    if (std::setlocale(LC_MESSAGES, "") == nullptr)
        AskForMissingLocale();
    const std::string folder = CatalogueFolder();
    ::bindtextdomain(kDomain, folder.c_str());
    // Paths and the listing's texts on standard error are UTF-8 too.
    ::bind_textdomain_codeset(kDomain, "UTF-8");
    ::textdomain(kDomain);
#endif
}

const char* Tr(const char* english)
{
#if VAVEZE_HAVE_GETTEXT
    return ::dgettext(kDomain, english);
#else
    return english;
#endif
}

const char* TrN(const char* singular, const char* plural, unsigned long long n)
{
#if VAVEZE_HAVE_GETTEXT
    return ::dngettext(kDomain, singular, plural, static_cast<unsigned long>(n));
#else
    return n == 1 ? singular : plural;
#endif
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string out;
    out.reserve(pattern.size() + 64);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < args.size())
                out += *(args.begin() + index);
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

void Say(std::string_view text)
{
    std::string line = "vaveze-list: ";
    line += text;
    line += '\n';
    platform::WriteMessage(line);
}

void SayAbout(std::string_view file, std::string_view reason)
{
    std::string text(file);
    text += ": ";
    text += reason;
    Say(text);
}

}  // namespace vaveze::cli
