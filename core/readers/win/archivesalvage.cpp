#include "core/readers/win/archivesalvage.h"

#include <array>
#include <bit>
#include <cstring>
#include <optional>

namespace vaveze {
namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kLongReferenceTag = 0x7FFF;
constexpr std::int32_t kShortReferenceBase = 0x8000;
constexpr std::uint32_t kLongReferenceFlag = 0x80000000u;
constexpr std::uint16_t kLongCountMark = 0xFFFF;
constexpr std::uint32_t kBlockDefExtraFlag = 0x80000000u;
constexpr std::size_t kBlockDefExtraBytes = 8;
constexpr std::uint8_t kLongStringMark = 255;

// The decoder's slot for the class of the block definitions.
constexpr int kDefinitionClass = 8;

// The fewest bytes an object (a point: tag, attributes, two reals and a
// value) and a block definition take: no list holds more than the bytes
// left allow. A count beyond that cannot be right.
constexpr std::size_t kFewestObjectBytes = 2 + 13 + 2 * 8 + 4;
constexpr std::size_t kFewestDefinitionBytes = 2 + 13 + 3 * 4 + 1 + 2;

// The class-tag decoder as the salvage reading keeps it: the file's own
// numbering while in step with it. Past a place passed over the object
// counter is lost: a class defined after it is noted by how many indices
// were taken since, and the first reference to one of them that reads whole
// gives back the counter, and with it the index of every class noted. A
// class defined in what was passed over is learnt from the one kind of
// record that reads whole behind a reference to it.
struct Decoder {
    static constexpr std::int32_t kNone = -1;

    std::array<std::int32_t, 9> Slots{};  // each kind's class index (8: the definitions'); 0 unknown
    std::int32_t Counter = 1;
    bool CounterKnown = true;
    bool PassedOver = false;              // a place was passed over: classes may be missing
    std::array<std::int32_t, 9> Noted{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
    std::int32_t Taken = 0;               // indices taken since the counter was lost
    std::int32_t Lowest = 1;              // the counter when it was lost
    std::size_t LostAt = 0;               // where
    std::string_view DefinitionClass;     // the name the definitions' class was given

    void Count() noexcept
    {
        if (CounterKnown)
            Counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(Counter) + 1u);
        else
            ++Taken;
    }
    void Define(int kind) noexcept
    {
        if (CounterKnown)
            Slots[static_cast<std::size_t>(kind)] = Counter;
        else
            Noted[static_cast<std::size_t>(kind)] = Taken;
        Count();
    }
    // Reading could not go on at `at`. Where the counter was known, every
    // index it may have reached since lies between it and what the bytes
    // after `at` can hold.
    void Lose(std::size_t at) noexcept
    {
        if (CounterKnown || !PassedOver) {
            Lowest = CounterKnown ? Counter : 1;
            LostAt = at;
        }
        CounterKnown = false;
        PassedOver = true;
        Noted.fill(kNone);
        Taken = 0;
    }
    // Where several kinds hold the reference, the highest wins, as for the
    // ordinary parse.
    [[nodiscard]] int Known(std::int32_t reference, int first, int last) const noexcept
    {
        for (int kind = last; kind >= first; --kind)
            if (Slots[static_cast<std::size_t>(kind)] != 0 && Slots[static_cast<std::size_t>(kind)] == reference)
                return kind;
        return kKindNone;
    }
    // Whether `reference`, met at `at`, may be kind's class, not being a
    // known one: an index taken since the counter was lost, as far as the
    // bytes read since allow (an object takes at most two indices, its
    // class's and its own).
    [[nodiscard]] bool MayBe(int kind, std::int32_t reference, std::size_t at) const noexcept
    {
        const auto k = static_cast<std::size_t>(kind);
        if (Slots[k] != 0)
            return false;
        const std::int64_t index = Noted[k] == kNone ? reference : std::int64_t{reference} - Noted[k];
        const std::int64_t highest = std::int64_t{Lowest} + 2 * static_cast<std::int64_t>((at - LostAt) / kFewestObjectBytes) + 2;
        return index >= Lowest && index <= highest;
    }
    // `reference` is kind's class: learnt, and with a noted class the counter.
    void Learn(int kind, std::int32_t reference) noexcept
    {
        const auto k = static_cast<std::size_t>(kind);
        if (Noted[k] == kNone) {
            Slots[k] = reference;
            return;
        }
        const std::int32_t base = reference - Noted[k];
        for (std::size_t other = 1; other < Slots.size(); ++other)
            if (Noted[other] != kNone)
                Slots[other] = base + Noted[other];
        Counter = base + Taken;
        CounterKnown = true;
        Noted.fill(kNone);
    }
};

struct Tag {
    std::size_t End = 0;
    bool NewClass = false;
    std::string_view Name;        // of a new class
    std::int32_t Reference = 0;   // of a reference
};

struct Record {
    std::size_t End = 0;
    std::string_view Text;  // of a text or a dimension
};

struct Object {
    std::size_t End = 0;
    int Kind = kKindNone;
    std::string_view Text;
};

struct DefinitionHead {
    std::size_t End = 0;
    std::string_view Name;
    std::int64_t Count = 0;  // objects of its own list
};

// Which list the reading is in, and what it knows of it.
enum class Where : std::uint8_t { TopLevel, Definitions, DefinitionEntities };

struct Place {
    Where At = Where::TopLevel;
    bool InBlocks = false;         // past the start of the block definition list
    std::int64_t Left = -1;        // objects left in the list read now; -1 unknown
    std::int64_t DefinitionsLeft = -1;
    std::int32_t Block = kUnknownBlock;  // the definition read now, when known
};

class ArchiveSalvage {
public:
    ArchiveSalvage(std::string_view bytes, const ArchiveSalvageFormat& format, const ArchiveTrace& trace,
                   const ParseOutcome& outcome)
        : bytes_(bytes), format_(format), trace_(trace), outcome_(outcome),
          attrBytes_(format.FileVersion >= kVersionAttrD ? 15 : 13), budget_(SalvageWorkBudget(bytes.size()))
    {
    }

    SalvageResult Run()
    {
        const bool inStep = trace_.EntityListAt != ArchiveTrace::kNotReached &&
                            trace_.FirstDamagedHeaderText == ArchiveTrace::kNotReached;
        if (inStep) {
            ReadInStepFrom(static_cast<std::size_t>(trace_.EntityListAt));
        } else {
            std::uint64_t from = trace_.FirstDamagedHeaderText;
            if (from == ArchiveTrace::kNotReached)
                from = outcome_.Offset;
            reason_ = outcome_.Reason == StopReason::None ? StopReason::DamagedRecord : outcome_.Reason;
            PassOver(static_cast<std::size_t>(std::min<std::uint64_t>(from, bytes_.size())));
        }
        Read();
        result_.Work = work_;
        return std::move(result_);
    }

private:
    // --- Fields ----------------------------------------------------------

    [[nodiscard]] bool Has(std::size_t at, std::size_t n) noexcept
    {
        if (at <= bytes_.size() && n <= bytes_.size() - at)
            return true;
        reason_ = StopReason::EndsEarly;
        return false;
    }
    // Little-endian, whatever the machine's own order.
    template <typename T>
    [[nodiscard]] T Load(std::size_t at) const noexcept
    {
        T value = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, bytes_.data() + at, sizeof value);
        } else {
            for (std::size_t i = 0; i < sizeof value; ++i)
                value = static_cast<T>(value | static_cast<T>(static_cast<T>(static_cast<unsigned char>(bytes_[at + i]))
                                                              << (8 * i)));
        }
        return value;
    }
    [[nodiscard]] std::uint16_t U16(std::size_t at) const noexcept { return Load<std::uint16_t>(at); }
    [[nodiscard]] std::uint32_t U32(std::size_t at) const noexcept { return Load<std::uint32_t>(at); }

    // Where a tag or a record cannot be right.
    std::nullopt_t Damaged() noexcept
    {
        reason_ = StopReason::DamagedRecord;
        return std::nullopt;
    }

    // `count` reals from `at`, all plausible; the caller has checked they are there.
    [[nodiscard]] bool Reals(std::size_t at, std::size_t count) noexcept
    {
        bool plausible = true;
        for (std::size_t i = 0; i < count; ++i)
            plausible &= PlausibleSalvageReal(Load<std::uint64_t>(at + 8 * i));
        if (!plausible)
            (void)Damaged();
        return plausible;
    }

    // A length-prefixed string at `at` that could be right; its end.
    [[nodiscard]] std::optional<std::size_t> String(std::size_t at, std::string_view& text) noexcept
    {
        if (!Has(at, 1))
            return {};
        std::size_t length = static_cast<unsigned char>(bytes_[at]);
        std::size_t start = at + 1;
        if (length == kLongStringMark) {
            if (!Has(start, 2))
                return {};
            length = U16(start);
            start += 2;
        }
        if (!Has(start, length))
            return {};
        text = bytes_.substr(start, length);
        // In step with the parse, a misread shows in the next tag or reals
        // at once; past a place passed over, strings are checked too.
        if (!checkStrings_)
            return start + length;
        work_ += length / 16;
        if (!PlausibleSalvageText(text))
            return Damaged();
        return start + length;
    }

    // An object count (16 bits, escaped to 32) at `at` that the bytes after
    // it can hold, of items of at least `fewest` bytes.
    [[nodiscard]] std::optional<std::size_t> Count(std::size_t at, std::size_t fewest, std::int64_t& count) noexcept
    {
        if (!Has(at, 2))
            return {};
        std::size_t end = at + 2;
        count = U16(at);
        if (count == kLongCountMark) {
            if (!Has(end, 4))
                return {};
            count = static_cast<std::int32_t>(U32(end));
            end += 4;
        }
        if (count < 0 || static_cast<std::uint64_t>(count) > (bytes_.size() - end) / fewest) {
            reason_ = StopReason::ImpossibleSize;
            return {};
        }
        return end;
    }

    // --- Records ---------------------------------------------------------

    // The attributes and `reals` reals from `at`, then `extra` more bytes.
    [[nodiscard]] std::optional<std::size_t> Fixed(std::size_t at, std::size_t reals, std::size_t extra = 0) noexcept
    {
        if (!Has(at, attrBytes_ + 8 * reals + extra) || !Reals(at + attrBytes_, reals))
            return {};
        return at + attrBytes_ + 8 * reals + extra;
    }

    [[nodiscard]] std::optional<std::size_t> Point(std::size_t at) noexcept
    {
        const auto end = Fixed(at, 2, 4);
        if (!end || static_cast<unsigned char>(bytes_[at + 4]) != kPointExtensionMark)
            return end;
        if (!Has(*end, 4 + 16) || !Reals(*end + 4, 2))
            return {};
        return *end + 4 + 16;
    }

    [[nodiscard]] std::optional<Record> Text(std::size_t at) noexcept
    {
        if (!Has(at, attrBytes_ + 4 * 8 + 4 + 4 * 8) || !Reals(at + attrBytes_, 4) ||
            !Reals(at + attrBytes_ + 4 * 8 + 4, 4))
            return {};
        std::string_view first;
        Record record;
        const auto afterFirst = String(at + attrBytes_ + 4 * 8 + 4 + 4 * 8, first);
        const auto end = afterFirst ? String(*afterFirst, record.Text) : std::nullopt;
        if (!end)
            return {};
        record.End = *end;
        return record;
    }

    [[nodiscard]] std::optional<Record> Dimension(std::size_t at) noexcept
    {
        const auto line = Has(at, attrBytes_) ? Fixed(at + attrBytes_, 4) : std::nullopt;
        auto text = line ? Text(*line) : std::nullopt;
        if (!text || format_.FileVersion < kVersionSunpoExtension)
            return text;
        if (!Has(text->End, 2))
            return {};
        auto end = Fixed(text->End + 2, 4);
        end = end ? Fixed(*end, 4) : std::nullopt;
        for (int point = 0; point < 4 && end; ++point)
            end = Point(*end);
        if (!end)
            return {};
        text->End = *end;
        return text;
    }

    [[nodiscard]] std::optional<Record> ReadRecord(int kind, std::size_t at) noexcept
    {
        std::optional<std::size_t> end;
        switch (kind) {
        case kKindMoji:
            return Text(at);
        case kKindSunpou:
            return Dimension(at);
        case kKindSen:
            end = Fixed(at, 4);
            break;
        case kKindEnko:
            end = Fixed(at, 7, 4);
            break;
        case kKindTen:
            end = Point(at);
            break;
        case kKindSolid:
            end = Fixed(at, 8);
            if (end && Load<std::uint16_t>(at + 5) == kSolidExtraMark)
                end = Has(*end, 4) ? std::optional(*end + 4) : std::nullopt;
            break;
        case kKindBlock:
            end = Fixed(at, 5, 4);
            break;
        default:
            return Damaged();
        }
        if (!end)
            return {};
        return Record{*end, {}};
    }

    // --- Objects and definitions -----------------------------------------

    [[nodiscard]] std::optional<Tag> ReadTag(std::size_t at) noexcept
    {
        if (!Has(at, 2))
            return {};
        Tag tag;
        const std::uint16_t value = U16(at);
        if (value == kNewClassTag) {
            if (!Has(at + 2, 4))
                return {};
            const std::size_t length = U16(at + 4);
            if (length > format_.NameBufferSize) {
                reason_ = StopReason::ImpossibleSize;
                return {};
            }
            if (!Has(at + 6, length))
                return {};
            tag.NewClass = true;
            tag.Name = bytes_.substr(at + 6, length);
            tag.End = at + 6 + length;
        } else if (value == kLongReferenceTag) {
            if (!Has(at + 2, 4))
                return {};
            tag.Reference = static_cast<std::int32_t>(U32(at + 2) & ~kLongReferenceFlag);
            tag.End = at + 6;
        } else if (value > kShortReferenceBase) {
            tag.Reference = static_cast<std::int32_t>(value) - kShortReferenceBase;
            tag.End = at + 2;
        } else {
            return Damaged();  // no class has an index below 1
        }
        return tag;
    }

    // The object (tag and record) at `at`; `decoder` takes its tag.
    // Where a reference may be any of several classes, those whose record
    // is followed by something that can follow it: so far deep only.
    enum class Doubt : std::uint8_t { Settle, Refuse };

    [[nodiscard]] std::optional<Object> ReadObject(std::size_t at, Decoder& decoder, Doubt doubt = Doubt::Settle) noexcept
    {
        ++work_;
        const auto tag = ReadTag(at);
        if (!tag)
            return {};
        // Nearly every tag refers to a class known already.
        if (!tag->NewClass) {
            if (const int known = decoder.Known(tag->Reference, 1, kEntityKindCount); known != kKindNone) {
                const auto record = ReadRecord(known, tag->End);
                if (!record)
                    return {};
                decoder.Count();
                return Object{record->End, known, record->Text};
            }
        }
        Decoder next = decoder;
        int kind = kKindNone;
        if (tag->NewClass) {
            kind = ClassKindOfName(tag->Name);
            if (kind == kKindNone)
                return Damaged();
            next.Define(kind);
        } else {
            kind = next.Known(tag->Reference, 1, kEntityKindCount);
        }
        std::optional<Record> record;
        if (kind != kKindNone) {
            record = ReadRecord(kind, tag->End);
        } else if (next.PassedOver) {
            // A class not known since a place passed over: the one kind it
            // may be whose record reads whole here (and, where several do,
            // is followed by what can follow it).
            std::array<std::optional<Record>, 8> reads;
            int readable = 0;
            for (int candidate = 1; candidate <= kEntityKindCount; ++candidate) {
                if (next.MayBe(candidate, tag->Reference, at) && (reads[candidate] = ReadRecord(candidate, tag->End))) {
                    ++readable;
                    kind = candidate;
                }
            }
            if (readable > 1) {
                if (doubt == Doubt::Refuse)
                    return Damaged();
                kind = kKindNone;
                for (int candidate = 1; candidate <= kEntityKindCount; ++candidate) {
                    if (!reads[candidate])
                        continue;
                    Decoder learnt = next;
                    learnt.Learn(candidate, tag->Reference);
                    learnt.Count();
                    if (!Follows(reads[candidate]->End, learnt, Doubt::Refuse))
                        continue;
                    if (kind != kKindNone)
                        return Damaged();  // two kinds read here: neither is sure
                    kind = candidate;
                }
            }
            if (kind == kKindNone)
                return Damaged();
            record = reads[kind];
            next.Learn(kind, tag->Reference);
        } else {
            return Damaged();  // a reference to no class: the parse is out of step here
        }
        if (!record)
            return {};
        next.Count();
        decoder = next;
        return Object{record->End, kind, record->Text};
    }

    // The head of a block definition at `at`, up to its list's count.
    [[nodiscard]] std::optional<DefinitionHead> ReadDefinitionHead(std::size_t at, Decoder& decoder) noexcept
    {
        ++work_;
        const auto tag = ReadTag(at);
        if (!tag)
            return {};
        Decoder next = decoder;
        if (tag->NewClass) {
            // The definitions' class: never one of the entities'; past a
            // place passed over, the one its first tag named.
            if (ClassKindOfName(tag->Name) != kKindNone ||
                (next.PassedOver && !next.DefinitionClass.empty() && tag->Name != next.DefinitionClass))
                return Damaged();
            if (next.DefinitionClass.empty())
                next.DefinitionClass = tag->Name;
            next.Define(kDefinitionClass);
        } else if (next.Known(tag->Reference, kDefinitionClass, kDefinitionClass) == kKindNone) {
            // The ordinary parse takes any tag here; one not known yet is
            // learnt from the head that reads whole behind it.
            if (next.Slots[kDefinitionClass] != 0 || !next.MayBe(kDefinitionClass, tag->Reference, at))
                return Damaged();
            next.Learn(kDefinitionClass, tag->Reference);
        }
        std::size_t end = tag->End + attrBytes_ + 3 * 4;
        if (!Has(tag->End, attrBytes_ + 3 * 4))
            return {};
        if (U32(end - 4) >= kBlockDefExtraFlag)
            end += kBlockDefExtraBytes;
        DefinitionHead head;
        const auto afterName = String(end, head.Name);
        const auto afterCount = afterName ? Count(*afterName, kFewestObjectBytes, head.Count) : std::nullopt;
        if (!afterCount)
            return {};
        head.End = *afterCount;
        next.Count();  // the definition takes an index of its own
        decoder = next;
        return head;
    }

    // A block definition list's count and the head of its first definition
    // behind it; where the count is 0, the end behind it.
    [[nodiscard]] std::optional<std::size_t> ReadDefinitionCount(std::size_t at, const Decoder& decoder,
                                                                 std::int64_t& count) noexcept
    {
        const auto end = Count(at, kFewestDefinitionBytes, count);
        if (!end)
            return {};
        Decoder copy = decoder;
        if (count == 0 ? !EndsHere(*end) : !ReadDefinitionHead(*end, copy))
            return {};
        return end;
    }

    // The end of what a reader looks at: the file's end, or, in a drawing
    // that carries them, the section of embedded files running exactly to it.
    [[nodiscard]] bool EndsHere(std::size_t at) noexcept
    {
        if (at == bytes_.size())
            return true;
        if (!format_.EmbeddedFiles || !Has(at, 4))
            return false;
        std::uint64_t files = U32(at);
        std::size_t end = at + 4;
        for (; files > 0 && work_ <= budget_; --files) {
            ++work_;
            std::string_view name;
            const auto afterName = String(end, name);
            if (!afterName || !Has(*afterName, 4))
                return false;
            const std::size_t size = U32(*afterName);
            if (!Has(*afterName + 4, size))
                return false;
            end = *afterName + 4 + size;
        }
        return files == 0 && end == bytes_.size();
    }

    // Whether what follows an object found at `at` can follow it: another
    // object, a block definition or the list of them, or the end.
    [[nodiscard]] bool Follows(std::size_t at, const Decoder& decoder, Doubt doubt = Doubt::Settle) noexcept
    {
        Decoder copy = decoder;
        if (ReadObject(at, copy, doubt))
            return true;
        copy = decoder;
        if (ReadDefinitionHead(at, copy))
            return true;
        std::int64_t count = 0;
        return ReadDefinitionCount(at, decoder, count) || EndsHere(at);
    }

    // --- What was read ---------------------------------------------------

    // Whether the ordinary parse listed the text of the record (or the
    // definition) whose tag is at `at`.
    [[nodiscard]] bool ListedBefore(std::size_t at, std::uint64_t kind) noexcept
    {
        const Table<std::uint64_t>& listed = trace_.Listed;
        while (listedAt_ < listed.size() && (listed[listedAt_] >> 4) < at)
            ++listedAt_;
        if (listedAt_ < listed.size() && listed[listedAt_] == (std::uint64_t{at} << 4 | kind))
            return true;
        // Where the notes ran out, whatever lies before the stop may be listed.
        return trace_.Lost && at < outcome_.Offset;
    }

    void Keep(SalvagedKind kind, std::int32_t block, std::size_t tagAt, std::uint64_t traceKind, std::string_view text)
    {
        if (full_ || ListedBefore(tagAt, traceKind) || (text.empty() && kind != SalvagedKind::BlockName))
            return;
        if (!result_.Add(kind, block, text)) {
            full_ = true;  // memory ran out: the rest of the file is passed over
            result_.Skipped.push_back({StopReason::OutOfMemory, tagAt, bytes_.size()});
        }
    }

    void KeepObject(std::size_t at, const Object& object)
    {
        if (object.Kind != kKindMoji && object.Kind != kKindSunpou)
            return;
        const bool dimension = object.Kind == kKindSunpou;
        const bool inDefinition = place_.At == Where::DefinitionEntities;
        const SalvagedKind kind = inDefinition ? (dimension ? SalvagedKind::BlockDimensionText : SalvagedKind::BlockText)
                                               : (dimension ? SalvagedKind::DimensionText : SalvagedKind::Text);
        Keep(kind, inDefinition ? place_.Block : kUnknownBlock, at, static_cast<std::uint64_t>(object.Kind), object.Text);
    }

    // The objects kept since the last footing were the end of a block
    // definition's list, not of the top-level one.
    void InADefinitionAfterAll()
    {
        for (std::size_t i = runStart_; i < result_.Texts.size(); ++i) {
            SalvagedText& text = result_.Texts[i];
            text.Kind = text.Kind == SalvagedKind::DimensionText ? SalvagedKind::BlockDimensionText
                                                                 : SalvagedKind::BlockText;
            text.Block = kUnknownBlock;
        }
        place_.InBlocks = true;
    }

    // --- The reading -------------------------------------------------------

    void ReadInStepFrom(std::size_t at)
    {
        pos_ = at;
        const auto end = Count(at, kFewestObjectBytes, place_.Left);
        if (!end) {
            PassOver(at);
            return;
        }
        pos_ = *end;
    }

    void EnterDefinition(const DefinitionHead& head, std::size_t at)
    {
        place_.At = Where::DefinitionEntities;
        place_.InBlocks = true;
        place_.Left = head.Count;
        Keep(SalvagedKind::BlockName, place_.Block, at, ArchiveTrace::kBlockDefinition, head.Name);
        pos_ = head.End;
    }

    void EnterDefinitionList(std::int64_t count, std::size_t end)
    {
        place_.At = Where::Definitions;
        place_.InBlocks = true;
        place_.DefinitionsLeft = count;
        place_.Block = 0;
        pos_ = end;
    }

    // One step of the reading at pos_; false where the records cannot be
    // right, reason_ saying why.
    [[nodiscard]] bool Step()
    {
        switch (place_.At) {
        case Where::TopLevel:
            if (place_.Left == 0) {
                std::int64_t count = 0;
                const auto end = Count(pos_, kFewestDefinitionBytes, count);
                if (!end)
                    return false;
                if (count == 0) {
                    pos_ = *end;
                    listsEnded_ = true;
                    return true;
                }
                EnterDefinitionList(count, *end);
                return true;
            }
            return ObjectStep() || (place_.Left < 0 && DefinitionAfterObjects());
        case Where::Definitions: {
            if (place_.DefinitionsLeft == 0) {
                listsEnded_ = true;
                return true;
            }
            const std::size_t at = pos_;
            const auto head = ReadDefinitionHead(at, decoder_);
            if (!head)
                return false;
            EnterDefinition(*head, at);
            return true;
        }
        case Where::DefinitionEntities:
            if (place_.Left == 0) {
                place_.At = Where::Definitions;
                if (place_.DefinitionsLeft > 0)
                    --place_.DefinitionsLeft;
                if (place_.Block != kUnknownBlock)
                    ++place_.Block;
                return true;
            }
            if (ObjectStep())
                return true;
            if (place_.Left >= 0)
                return false;
            // The end of a list whose length is not known: the next definition.
            return NextDefinition(false);
        }
        return false;
    }

    [[nodiscard]] bool ObjectStep()
    {
        const std::size_t at = pos_;
        const auto object = ReadObject(at, decoder_);
        if (!object)
            return false;
        KeepObject(at, *object);
        pos_ = object->End;
        if (place_.Left > 0)
            --place_.Left;
        return true;
    }

    // The next definition, where the objects before it were of a list whose
    // length is not known (`afterTopLevel`: kept as top-level ones so far).
    [[nodiscard]] bool NextDefinition(bool afterTopLevel)
    {
        const std::size_t at = pos_;
        const StopReason why = reason_;
        Decoder next = decoder_;
        // Where a list's length is not known, a head is taken for one only
        // with what must follow it.
        const auto head = ReadDefinitionHead(at, next);
        if (!head || !DefinitionFollows(*head, next)) {
            reason_ = why;
            return false;
        }
        if (afterTopLevel)
            InADefinitionAfterAll();
        decoder_ = next;
        place_.Block = kUnknownBlock;
        EnterDefinition(*head, at);
        return true;
    }

    // After top-level objects of a list whose length is not known: the
    // block definition list, or a definition straight away (the objects
    // were a definition's, then).
    [[nodiscard]] bool DefinitionAfterObjects()
    {
        const StopReason why = reason_;
        std::int64_t count = 0;
        if (const auto end = ReadDefinitionCount(pos_, decoder_, count)) {
            if (count == 0) {
                pos_ = *end;
                listsEnded_ = true;  // no definitions
            } else
                EnterDefinitionList(count, *end);
            return true;
        }
        if (NextDefinition(true))
            return true;
        reason_ = why;
        return false;
    }

    void Read()
    {
        while (!done_ && !full_ && pos_ < bytes_.size()) {
            if (listsEnded_) {
                // The lists end here, and so must the file: else they were
                // read out of step somewhere, and what lies beyond is looked at.
                if (EndsHere(pos_))
                    break;
                listsEnded_ = false;
                reason_ = StopReason::DamagedRecord;
                PassOver(pos_);
                continue;
            }
            if (Step())
                continue;
            const StopReason why = reason_;
            if (EndsHere(pos_))
                break;
            reason_ = why;
            PassOver(pos_);
        }
    }

    // Reading cannot go on at `from`: looks for footing after it and goes
    // on there, noting the place passed over.
    void PassOver(std::size_t from)
    {
        const StopReason why = reason_;
        decoder_.Lose(from);
        checkStrings_ = true;
        for (std::size_t at = from + 1; at + 2 <= bytes_.size() && work_ <= budget_; ++at) {
            if (Footing(at)) {
                result_.Skipped.push_back({why, from, at});
                return;
            }
        }
        result_.Skipped.push_back({why, from, bytes_.size()});
        done_ = true;
    }

    // Whether records can be read again at `at`, and if so the reading's
    // place and decoder set to go on there.
    [[nodiscard]] bool Footing(std::size_t at)
    {
        const std::uint16_t first = U16(at);
        if (IsTag(first)) {
            Decoder next = decoder_;
            // The reading goes on with the object itself, its tag read again.
            if (const auto object = ReadObject(at, next); object && Follows(object->End, next)) {
                place_.At = place_.InBlocks ? Where::DefinitionEntities : Where::TopLevel;
                place_.Left = -1;
                place_.DefinitionsLeft = -1;
                place_.Block = kUnknownBlock;
                runStart_ = result_.Texts.size();
                pos_ = at;
                return true;
            }
            next = decoder_;
            if (const auto head = ReadDefinitionHead(at, next); head && DefinitionFollows(*head, next)) {
                place_.At = Where::Definitions;
                place_.InBlocks = true;
                place_.DefinitionsLeft = -1;
                place_.Block = kUnknownBlock;
                pos_ = at;
                return true;
            }
        }
        // The block definition list's count, then its first definition.
        if (place_.InBlocks || !Has(at, 4) || !(IsTag(U16(at + 2)) || (first == kLongCountMark && Has(at, 8))))
            return false;
        std::int64_t count = 0;
        Decoder next = decoder_;
        const auto end = ReadDefinitionCount(at, next, count);
        if (!end || count == 0)
            return false;
        const auto head = ReadDefinitionHead(*end, next);
        if (!head || !DefinitionFollows(*head, next))
            return false;
        EnterDefinitionList(count, *end);
        pos_ = *end;
        return true;
    }

    // What a definition's head found as footing needs behind it: its first
    // object, or for an empty one what may follow a definition.
    [[nodiscard]] bool DefinitionFollows(const DefinitionHead& head, const Decoder& decoder)
    {
        Decoder copy = decoder;
        if (head.Count > 0)
            return ReadObject(head.End, copy).has_value();
        return ReadDefinitionHead(head.End, copy) || EndsHere(head.End);
    }

    [[nodiscard]] static bool IsTag(std::uint16_t value) noexcept
    {
        return value > kShortReferenceBase || value == kLongReferenceTag;
    }

    std::string_view bytes_;
    ArchiveSalvageFormat format_;
    const ArchiveTrace& trace_;
    ParseOutcome outcome_;
    std::size_t attrBytes_;
    std::uint64_t budget_;
    std::uint64_t work_ = 0;

    Decoder decoder_;
    Place place_;
    std::size_t pos_ = 0;
    StopReason reason_ = StopReason::DamagedRecord;
    std::size_t listedAt_ = 0;
    std::size_t runStart_ = 0;
    bool checkStrings_ = false;
    bool listsEnded_ = false;
    bool done_ = false;  // nothing more can be read
    bool full_ = false;
    SalvageResult result_;
};

}  // namespace

SalvageResult SalvageArchive(std::string_view bytes, const ArchiveSalvageFormat& format, const ArchiveTrace& trace,
                             const ParseOutcome& outcome)
{
    return ArchiveSalvage(bytes, format, trace, outcome).Run();
}

}  // namespace vaveze
