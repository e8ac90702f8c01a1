// One document and one listing read by several threads at once, as the
// header allows, through every accessor and both encodings: each thread
// must read what one thread alone reads. Under ThreadSanitizer (make test's
// stage for the C library) this is also the test that the lazily made
// forms of a listing are made without a data race.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "tests/temp_folder.h"
#include "vaveze.h"

namespace {

constexpr unsigned kAll = VAVEZE_HEADER | VAVEZE_DIMENSIONS | VAVEZE_BLOCKS;
constexpr int kThreads = 8;

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The whole listing in both encodings.
std::string ReadWhole(const vaveze_listing* listing)
{
    std::string out;
    for (const int encoding : {VAVEZE_ENCODING_UTF8, VAVEZE_ENCODING_SHIFT_JIS}) {
        const char* bytes = nullptr;
        size_t size = 0;
        out += std::to_string(vaveze_listing_bytes(listing, encoding, &bytes, &size));
        out.append(bytes, size);
    }
    return out;
}

// Everything a listing answers, in one string. The whole listing is asked
// for first or last, so that threads ask for the forms made when first
// asked for in either order.
std::string ReadListing(const vaveze_listing* listing, const std::string& saveTo, bool wholeFirst = false)
{
    const std::string whole = wholeFirst ? ReadWhole(listing) : std::string();
    std::string out;
    const auto add = [&out](auto value) { out += std::to_string(value) + ' '; };
    add(vaveze_listing_status(listing));
    add(vaveze_listing_format(listing));
    add(vaveze_listing_reason(listing));
    add(vaveze_listing_offset(listing));
    add(vaveze_listing_warning(listing));
    out += vaveze_listing_message(listing);
    const size_t count = vaveze_listing_count(listing);
    std::vector<int> kinds(count), blocks(count);
    add(vaveze_listing_line_kinds(listing, 0, count, kinds.data(), blocks.data()));
    for (size_t i = 0; i < count; ++i) {
        const char* text = nullptr;
        size_t length = 0;
        add(vaveze_listing_line(listing, i, &text, &length));
        out.append(text, length);
        add(vaveze_listing_line_utf8(listing, i, &text, &length));
        out.append(text, length);
        int block = 0;
        add(vaveze_listing_line_block_number(listing, i, &block));
        for (const int value : {vaveze_listing_line_kind(listing, i), vaveze_listing_line_block(listing, i), block,
                                kinds[i], blocks[i]})
            add(value);
    }
    out += wholeFirst ? whole : ReadWhole(listing);
    add(vaveze_listing_save(listing, saveTo.c_str(), nullptr));
    return out + Slurp(saveTo);
}

// Everything a document answers, and a listing of it read whole.
std::string ReadDocument(const vaveze_document* document, const std::string& saveTo)
{
    std::string out;
    for (const long long value : {(long long)vaveze_document_status(document), (long long)vaveze_document_format(document),
                                  (long long)vaveze_document_reason(document), (long long)vaveze_document_offset(document),
                                  (long long)vaveze_document_warning(document)})
        out += std::to_string(value) + ' ';
    out += vaveze_document_message(document);
    vaveze_listing* listing = nullptr;
    out += std::to_string(vaveze_document_list(document, kAll, &listing));
    out += ReadListing(listing, saveTo);
    vaveze_free(listing);
    return out;
}

TEST(CapiThreadsTest, OneDocumentAndOneListingReadByManyThreadsReadAsByOne)
{
    const vaveze::TempFolder folder;
    const std::string path = VAVEZE_SAMPLES_DIR "/plan.zvw";
    const auto saveTo = [&folder](const char* who, int i) {
        return (folder.Path() / (who + std::to_string(i) + ".txt")).string();
    };
    // What one thread reads, of a document and a listing of their own.
    vaveze_document* document = nullptr;
    ASSERT_EQ(vaveze_open_file(path.c_str(), &document), VAVEZE_OK);
    vaveze_listing* listing = nullptr;
    ASSERT_EQ(vaveze_document_list(document, kAll, &listing), VAVEZE_OK);
    const std::string alone = ReadListing(listing, saveTo("alone", 0));
    const std::string documentAlone = ReadDocument(document, saveTo("alone", 1));
    vaveze_free(listing);
    vaveze_document_free(document);

    // Fresh documents and listings, so that every form made when first
    // asked for is made while the threads race for it; several rounds, as
    // a race shows only when the threads meet in it.
    for (int round = 0; round < 8; ++round) {
        ASSERT_EQ(vaveze_open_file(path.c_str(), &document), VAVEZE_OK);
        ASSERT_EQ(vaveze_document_list(document, kAll, &listing), VAVEZE_OK);
        std::vector<std::string> read(kThreads), documentRead(kThreads);
        std::latch start(kThreads);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&, i] {
                start.arrive_and_wait();
                read[i] = ReadListing(listing, saveTo("listing", i), (i + round) % 2 == 0);
                documentRead[i] = ReadDocument(document, saveTo("document", i));
            });
        for (std::thread& thread : threads)
            thread.join();
        vaveze_free(listing);
        vaveze_document_free(document);
        for (int i = 0; i < kThreads; ++i) {
            EXPECT_EQ(read[i], alone) << "round " << round << ", thread " << i;
            EXPECT_EQ(documentRead[i], documentAlone) << "round " << round << ", thread " << i;
        }
    }
}

}  // namespace
