#include "core/listing/extraction.h"
#include "tests/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace vaveze {
namespace {

namespace fs = std::filesystem;

// A file that carries only a format's magic (and some bytes after it): enough
// for detection, whose outcome does not depend on the parse.
class ExtractionTest : public testing::Test {
protected:
    std::string Write(const std::string& name, std::string_view bytes) { return folder_.Write(name, bytes).string(); }

    Detection Detect(const std::string& name, std::string_view bytes)
    {
        Readers readers;
        return DetectAndParse(readers, Write(name, bytes));
    }

    TempFolder folder_;
    const fs::path& dir_ = folder_.Path();
    const std::string zvw_ = std::string(kZvwMagic) + std::string(40, '\0');
    const std::string zvs_ = std::string(kZvsMagic) + std::string(40, '\0');
    const std::string zvc_ = std::string(kZvcMagic) + std::string(40, ' ');
    const std::string zvk_ = std::string(kZvkMagic) + std::string(40, ' ');
};

TEST_F(ExtractionTest, OwnExtensionAndMagicSelectTheFormatWhateverTheCase)
{
    EXPECT_EQ(Detect("a.zvw", zvw_).Kind, FormatKind::Zvw);
    EXPECT_EQ(Detect("b.ZvW", zvw_).Kind, FormatKind::Zvw);
    EXPECT_EQ(Detect("c.ZVS", zvs_).Kind, FormatKind::Zvs);
    EXPECT_EQ(Detect("d.zvc", zvc_).Kind, FormatKind::Zvc);
    EXPECT_EQ(Detect("e.Zvk", zvk_).Kind, FormatKind::Zvk);
    // A cut-off file is still recognised; the parse says it was not read to its end.
    const Detection cut = Detect("f.zvw", zvw_);
    EXPECT_FALSE(cut.Outcome.Complete());
    EXPECT_EQ(cut.Warning, WarningKind::None);
}

TEST_F(ExtractionTest, WrongMagicWarnsOnlyForTheWindowsFormats)
{
    const Detection zvw = Detect("a.zvw", zvc_);
    EXPECT_EQ(zvw.Kind, FormatKind::None);
    EXPECT_EQ(zvw.Warning, WarningKind::NotZvw);

    const Detection zvs = Detect("b.zvs", zvw_);
    EXPECT_EQ(zvs.Kind, FormatKind::None);
    EXPECT_EQ(zvs.Warning, WarningKind::NotZvs);

    for (const char* name : {"c.zvk", "d.zvc"}) {
        const Detection silent = Detect(name, zvw_);
        EXPECT_EQ(silent.Kind, FormatKind::None) << name;
        EXPECT_EQ(silent.Warning, WarningKind::None) << name;
    }
    // ZVC and ZVK are not interchangeable.
    EXPECT_EQ(Detect("e.zvk", zvc_).Kind, FormatKind::None);
    EXPECT_EQ(Detect("f.zvc", zvk_).Kind, FormatKind::None);
    // Nearly the magic.
    EXPECT_EQ(Detect("g.zvw", std::string("ZvwData\0", 8)).Warning, WarningKind::NotZvw);
    EXPECT_EQ(Detect("h.zvs", std::string("ZvsDat\0", 7)).Kind, FormatKind::None);
    EXPECT_EQ(Detect("i.zvw", "ZvwDat").Kind, FormatKind::None);
}

TEST_F(ExtractionTest, BackupExtensionsTryEveryMagicInOrder)
{
    for (const char* ext : {".bak", ".BAK", ".bk1", ".bkx", ".bk", ".bkup", ".BK~", ".zv$", ".ZV$"}) {
        EXPECT_EQ(Detect(std::string("w") + ext, zvw_).Kind, FormatKind::Zvw) << ext;
        EXPECT_EQ(Detect(std::string("s") + ext, zvs_).Kind, FormatKind::Zvs) << ext;
        EXPECT_EQ(Detect(std::string("c") + ext, zvc_).Kind, FormatKind::Zvc) << ext;
        EXPECT_EQ(Detect(std::string("k") + ext, zvk_).Kind, FormatKind::Zvk) << ext;
        const Detection none = Detect(std::string("n") + ext, "plain text");
        EXPECT_EQ(none.Kind, FormatKind::None) << ext;
        EXPECT_EQ(none.Warning, WarningKind::None) << ext;
    }
}

TEST_F(ExtractionTest, OtherNamesAreNotRecognised)
{
    for (const char* name : {"plan", "plan.ba", "plan.zv", "plan.zvw.txt", "plan.zvwx", "plan.b", "plan.zv$x"}) {
        const Detection d = Detect(name, zvw_);
        EXPECT_EQ(d.Kind, FormatKind::None) << name;
        EXPECT_EQ(d.Warning, WarningKind::None) << name;
    }
}

TEST_F(ExtractionTest, FilesThatCannotBeReadSayWhy)
{
    fs::create_directories(dir_ / "folder.zvw");
    fs::create_directories(dir_ / "folder.bak");
    ASSERT_EQ(::mkfifo((dir_ / "pipe.zvw").c_str(), 0600), 0);  // opened for reading, it would wait for a writer
    fs::create_symlink(dir_ / "pipe.zvw", dir_ / "pipe.bak");
    Write("empty.zvs", "");
    Write("locked.zvw", zvw_);
    fs::permissions(dir_ / "locked.zvw", fs::perms::none);
    const bool root = ::geteuid() == 0;  // reads whatever the permissions say

    const struct {
        const char* Name;
        FileProblem Problem;
        WarningKind Warning;  // a name that exists and claims a Windows format warns as before
    } cases[] = {
        {"gone.zvw", FileProblem::NotFound, {}},
        {"gone.zvw/inner.zvw", FileProblem::NotFound, {}},
        {"folder.zvw", FileProblem::IsFolder, WarningKind::NotZvw},
        {"folder.bak", FileProblem::IsFolder, {}},
        {"pipe.zvw", FileProblem::NotRegularFile, WarningKind::NotZvw},
        {"pipe.bak", FileProblem::NotRegularFile, {}},
        {"empty.zvs", FileProblem::Empty, WarningKind::NotZvs},
        {"locked.zvw", root ? FileProblem::None : FileProblem::NoPermission, root ? WarningKind::None : WarningKind::NotZvw},
    };
    for (const auto& c : cases) {
        Readers readers;
        const Detection d = DetectAndParse(readers, dir_ / c.Name);
        EXPECT_EQ(d.Problem, c.Problem) << c.Name;
        EXPECT_EQ(d.Warning, c.Warning) << c.Name;
        EXPECT_EQ(d.Kind, root && c.Problem == FileProblem::None ? FormatKind::Zvw : FormatKind::None) << c.Name;
    }
    EXPECT_EQ(DescribeFileProblem(FileProblem::NotFound), "no such file");
    EXPECT_EQ(DescribeFileProblem(FileProblem::ReadError, "Input/output error"),
              "the file could not be read: Input/output error");
}

// Each format's magic is its first bytes exactly: whatever follows it, but
// not one byte short, in another case or with a NUL inside.
TEST(ExtractionMagic, ComparedByteForByte)
{
    using namespace std::string_literals;
    const struct {
        const char* Name;
        std::string Bytes;
        FormatKind Kind;
    } cases[] = {
        {"a.zvw", "ZvwData.", FormatKind::Zvw},
        {"b.zvw", "zvwData.", FormatKind::None},
        {"c.zvs", "ZvsData", FormatKind::Zvs},
        {"d.zvs", "ZvsDat", FormatKind::None},
        {"e.zvc", "zv_cad(c)data.......", FormatKind::Zvc},
        {"f.zvc", "zv_cad(c)data.......V2f and more", FormatKind::Zvc},
        {"g.zvc", "zv_cad(c)data......", FormatKind::None},
        {"h.zvc", "ZV_CAD(c)data.......", FormatKind::None},
        {"i.zvc", "zv_cad(c)data......\0"s, FormatKind::None},
        {"j.zvk", "zv_cad(c)sym........", FormatKind::Zvk},
        {"k.zvk", "zv_cad(c)sym.......\0"s, FormatKind::None},
        {"l.zvk", "", FormatKind::None},
    };
    for (const auto& c : cases) {
        Readers readers;
        EXPECT_EQ(DetectAndParseBytes(readers, c.Name, c.Bytes).Kind, c.Kind) << c.Name;
    }
}

TEST_F(ExtractionTest, BytesInMemoryAreDetectedByTheirNameAlone)
{
    Readers readers;
    EXPECT_EQ(DetectAndParseBytes(readers, "no/such/folder/plan.BK3", zvc_).Kind, FormatKind::Zvc);
    EXPECT_EQ(DetectAndParseBytes(readers, "plan.zvs", zvw_).Warning, WarningKind::NotZvs);
    EXPECT_EQ(DetectAndParseBytes(readers, "plan.zvw", zvw_).Problem, FileProblem::None);
}

TEST(ExtractionNames, ExtensionsAndProposedNames)
{
    EXPECT_EQ(UpperExtension("/a/b/plan.zvw"), ".ZVW");
    EXPECT_EQ(UpperExtension("/a/b/plan.old.Zv$"), ".ZV$");
    EXPECT_EQ(UpperExtension("/a/b.d/plan"), "");
    EXPECT_EQ(UpperExtension("plan."), ".");
    EXPECT_EQ(UpperExtension("/a/.bak"), ".BAK");

    EXPECT_EQ(ProposedTextName("/a/b/plan.zvw"), "plan.txt");
    EXPECT_EQ(ProposedTextName("/a/b/plan"), "plan.txt");
    EXPECT_EQ(ProposedTextName("/a/b/plan.old.zvw"), "plan.old.txt");
    EXPECT_EQ(ProposedTextName("/a/b.d/plan"), "plan.txt");
}

}  // namespace
}  // namespace vaveze
