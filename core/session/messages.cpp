// Texts translated through the built-in catalogue.
#include "core/session/messages.h"

#include <algorithm>

#include "core/readers/parseoutcome.h"
#include "core/session/catalogue.h"

// The Japanese catalogue, compiled from po/ja.po at build time.
extern const unsigned char kVavezeJapaneseCatalogue[];
extern const std::size_t kVavezeJapaneseCatalogueSize;

namespace vaveze {
namespace {

const Catalogue& Japanese()
{
    static const Catalogue catalogue = Catalogue::FromBytes(
        {reinterpret_cast<const char*>(kVavezeJapaneseCatalogue), kVavezeJapaneseCatalogueSize});
    return catalogue;
}

}  // namespace

Language LanguageOf(std::string_view languages)
{
    while (!languages.empty()) {
        const std::size_t end = std::min(languages.find(':'), languages.size());
        const std::string_view name = languages.substr(0, end);
        // "ja", "ja_JP", "ja_JP.UTF-8", "ja@x"; English ends the search too.
        const std::string_view language = name.substr(0, name.find_first_of("_.@-"));
        if (language == "ja")
            return Language::Japanese;
        if (language == "en" || language == "C" || language == "POSIX")
            return Language::English;
        languages.remove_prefix(std::min(end + 1, languages.size()));
    }
    return Language::English;
}

const char* Tr(Language language, const char* english)
{
    if (language == Language::English)
        return english;
    const std::string_view translation = Japanese().Find(english);
    return translation.empty() ? english : translation.data();
}

const char* TrN(Language language, const char* singular, const char* plural, unsigned long long n)
{
    if (language != Language::English) {
        std::string key(singular);
        key += '\0';
        key += plural;
        // Japanese has one form for every count.
        const std::string_view forms = Japanese().Find(key);
        if (!forms.empty())
            return forms.data();
    }
    return n == 1 ? singular : plural;
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

std::string Count(std::uint64_t n) { return GroupThousands(n); }

}  // namespace vaveze
