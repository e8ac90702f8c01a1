#include "cli/messages.h"

#include "cli/platform.h"
#include "core/session/messages.h"

namespace vaveze::cli {
namespace {

Language& Chosen()
{
    static Language language = Language::English;
    return language;
}

}  // namespace

void InitMessages() { Chosen() = LanguageOf(platform::UserLanguages()); }

Language MessageLanguage() { return Chosen(); }

const char* Tr(const char* english) { return vaveze::Tr(Chosen(), english); }

const char* TrN(const char* singular, const char* plural, unsigned long long n)
{
    return vaveze::TrN(Chosen(), singular, plural, n);
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
