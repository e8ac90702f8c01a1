// Lists many files through the C library's public calls in one process, so
// that the web tests can hold the WebAssembly build to the native one on
// thousands of damaged files without starting a process for each.
//
// Reads paths from standard input, one a line; for each path and each flag
// set from 0 to 7 (every combination of the three options) writes a record:
//   <status> <format> <reason> <offset> <lines> <message size> <warning size>\n
//   <message><the warning's text>
// and then for each line
//   <size> <UTF-8 size> <kind> <block>\n<the line's bytes><its UTF-8>
// where the UTF-8 is the line of the whole UTF-8 listing, as Python's
// listing[i] has it, and the kind and block are vaveze.h's.
// Exits 1 when a call fails (a negative status), 0 otherwise.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "vaveze.h"

namespace {

struct ListingFree {
    void operator()(vaveze_listing* listing) const { vaveze_free(listing); }
};
using Listing = std::unique_ptr<vaveze_listing, ListingFree>;

[[nodiscard]] bool WriteRecord(const vaveze_listing* listing, std::string& out)
{
    const std::string_view message = vaveze_listing_message(listing);
    const std::string_view warning = vaveze_warning_text(vaveze_listing_warning(listing));
    const std::size_t count = vaveze_listing_count(listing);
    for (const auto number : {vaveze_listing_status(listing), vaveze_listing_format(listing),
                              vaveze_listing_reason(listing)})
        out += std::to_string(number) + ' ';
    out += std::to_string(vaveze_listing_offset(listing)) + ' ' + std::to_string(count) + ' ' +
           std::to_string(message.size()) + ' ' + std::to_string(warning.size()) + '\n';
    out += message;
    out += warning;
    const char* whole = nullptr;
    std::size_t wholeSize = 0;
    if (vaveze_listing_bytes(listing, VAVEZE_ENCODING_UTF8, &whole, &wholeSize) != VAVEZE_OK)
        return false;
    std::string_view texts(whole, wholeSize);
    for (std::size_t i = 0; i < count; ++i) {
        const char* bytes = nullptr;
        std::size_t size = 0;
        int block = 0;
        const std::size_t textSize = texts.find('\n');
        if (vaveze_listing_line(listing, i, &bytes, &size) != VAVEZE_OK ||
            vaveze_listing_line_block_number(listing, i, &block) != VAVEZE_OK || textSize == texts.npos)
            return false;
        out += std::to_string(size) + ' ' + std::to_string(textSize) + ' ' +
               std::to_string(vaveze_listing_line_kind(listing, i)) + ' ' + std::to_string(block) + '\n';
        out.append(bytes, size);
        out.append(texts.substr(0, textSize));
        texts.remove_prefix(textSize + 1);
    }
    return texts.empty();
}

}  // namespace

int main()
{
    std::string path;
    std::string out;
    while (std::getline(std::cin, path)) {
        for (unsigned int flags = 0; flags < 8; ++flags) {
            vaveze_listing* made = nullptr;
            const int status = vaveze_list_file(path.c_str(), flags, &made);
            const Listing listing(made);
            if (status < 0 || !WriteRecord(listing.get(), out)) {
                std::cerr << path << ": " << vaveze_status_text(status) << '\n';
                return 1;
            }
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
