#include "core/listing/extraction.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace vaveze {
namespace {

namespace fs = std::filesystem;

// A file that carries only a format's magic (and some bytes after it): enough
// for detection, whose outcome does not depend on the parse.
class ExtractionTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("vaveze-extraction-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    Detection Detect(const std::string& name, std::string_view bytes)
    {
        Readers readers;
        return DetectAndParse(readers, Write(name, bytes));
    }

    fs::path dir_;
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
    EXPECT_TRUE(cut.Warning.empty());
}

TEST_F(ExtractionTest, WrongMagicWarnsOnlyForTheWindowsFormats)
{
    const Detection zvw = Detect("a.zvw", zvc_);
    EXPECT_EQ(zvw.Kind, FormatKind::None);
    EXPECT_EQ(zvw.Warning, kZvwWarning);

    const Detection zvs = Detect("b.zvs", zvw_);
    EXPECT_EQ(zvs.Kind, FormatKind::None);
    EXPECT_EQ(zvs.Warning, kZvsWarning);

    for (const char* name : {"c.zvk", "d.zvc"}) {
        const Detection silent = Detect(name, zvw_);
        EXPECT_EQ(silent.Kind, FormatKind::None) << name;
        EXPECT_TRUE(silent.Warning.empty()) << name;
    }
    // ZVC and ZVK are not interchangeable.
    EXPECT_EQ(Detect("e.zvk", zvc_).Kind, FormatKind::None);
    EXPECT_EQ(Detect("f.zvc", zvk_).Kind, FormatKind::None);
    // Nearly the magic.
    EXPECT_EQ(Detect("g.zvw", std::string("ZvwData\0", 8)).Warning, kZvwWarning);
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
        EXPECT_TRUE(none.Warning.empty()) << ext;
    }
}

TEST_F(ExtractionTest, OtherNamesAreNotRecognised)
{
    for (const char* name : {"plan", "plan.ba", "plan.zv", "plan.zvw.txt", "plan.zvwx", "plan.b", "plan.zv$x"}) {
        const Detection d = Detect(name, zvw_);
        EXPECT_EQ(d.Kind, FormatKind::None) << name;
        EXPECT_TRUE(d.Warning.empty()) << name;
    }
}

TEST_F(ExtractionTest, MissingOrUnreadableFiles)
{
    Readers readers;
    const Detection missing = DetectAndParse(readers, (dir_ / "gone.zvw").string());
    EXPECT_EQ(missing.Kind, FormatKind::None);
    EXPECT_TRUE(missing.Warning.empty());

    // A folder that looks like a drawing cannot be read: like a wrong magic.
    fs::create_directories(dir_ / "folder.zvw");
    EXPECT_EQ(DetectAndParse(readers, (dir_ / "folder.zvw").string()).Warning, kZvwWarning);
    fs::create_directories(dir_ / "folder.bak");
    EXPECT_TRUE(DetectAndParse(readers, (dir_ / "folder.bak").string()).Warning.empty());
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
