#include "cli/messages.h"

#include "cli/platform.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#if VAVEZE_HAVE_GETTEXT
#include <libintl.h>
#else
#include "cli/catalogue.h"
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
    const std::filesystem::path self = platform::ProgramFolder();
    if (!self.empty()) {
        const std::filesystem::path beside = self.parent_path() / "share" / "locale";
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
#else
Catalogue& Loaded()
{
    static Catalogue catalogue;
    return catalogue;
}

// The names a catalogue of `language` ("ja_JP.UTF-8@x") may be under, most
// particular first: "ja_JP", then "ja".
std::vector<std::string> CatalogueNames(std::string_view language)
{
    language = language.substr(0, language.find_first_of(".@"));
    std::vector<std::string> names;
    if (language.empty() || language == "C" || language == "POSIX")
        return names;
    names.emplace_back(language);
    if (const std::size_t territory = language.find('_'); territory != std::string_view::npos)
        names.emplace_back(language.substr(0, territory));
    return names;
}

// The first catalogue found for the user's languages, in order: share/locale
// beside the program (as the Windows zip has it), else in the folder above
// it (as the build tree and an installation have it).
void LoadCatalogue()
{
    const std::filesystem::path self = platform::ProgramFolder();
    if (self.empty())
        return;
    const std::string languages = platform::UserLanguages();
    std::size_t start = 0;
    while (start <= languages.size()) {
        const std::size_t end = std::min(languages.find(':', start), languages.size());
        for (const std::string& name : CatalogueNames(std::string_view(languages).substr(start, end - start))) {
            for (const std::filesystem::path& base : {self, self.parent_path()}) {
                Catalogue found = Catalogue::Load(base / "share" / "locale" / platform::PathFromUtf8(name) /
                                                  "LC_MESSAGES" / (std::string(kDomain) + ".mo"));
                if (!found.Empty()) {
                    Loaded() = std::move(found);
                    return;
                }
            }
        }
        start = end + 1;
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
#else
    LoadCatalogue();
#endif
}

const char* Tr(const char* english)
{
#if VAVEZE_HAVE_GETTEXT
    return ::dgettext(kDomain, english);
#else
    const std::string_view translation = Loaded().Find(english);
    return translation.empty() ? english : translation.data();
#endif
}

const char* TrN(const char* singular, const char* plural, unsigned long long n)
{
#if VAVEZE_HAVE_GETTEXT
    return ::dngettext(kDomain, singular, plural, static_cast<unsigned long>(n));
#else
    std::string key(singular);
    key += '\0';
    key += plural;
    const std::string_view forms = Loaded().Find(key);
    if (forms.empty())
        return n == 1 ? singular : plural;
    // Japanese, the one catalogue we ship, has a single form for every
    // count; a catalogue with more is read with the English rule.
    const std::size_t second = forms.find('\0');
    return n != 1 && second != std::string_view::npos ? forms.data() + second + 1 : forms.data();
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
