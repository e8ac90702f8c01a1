// The window flow where the front reads and writes the files (the page):
// an answer that comes after the flow moved on is dropped, a save or table handed to
// the browser as a download says so, and すべて出力 says where the page put
// the listings.
#include <deque>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "core/session/batchsave.h"
#include "core/session/texts.h"
#include "core/window/windowflow.h"

namespace vaveze::window {
namespace {

namespace fs = std::filesystem;

std::string Sample(const char* name)
{
    std::ifstream in(fs::path(VAVEZE_SAMPLES_DIR) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Files as the page names them; each one's bytes are the sample of the same
// name, or not a drawing.
std::vector<Source> Given(const std::vector<const char*>& names)
{
    std::vector<Source> sources;
    for (const char* name : names)
        sources.push_back({name, name, 0, {}, {}});
    return sources;
}

// A front that answers the flow's reads only when told to.
class Front {
public:
    void Act(const Action& action)
    {
        for (Effect& effect : flow.Update(action)) {
            if (auto* read = std::get_if<effect::ReadFile>(&effect))
                reads.push_back(std::move(*read));
            else if (auto* write = std::get_if<effect::WriteFile>(&effect))
                writes.push_back(std::move(*write));
        }
    }
    void Answer(const effect::ReadFile& read)
    {
        const std::string bytes = Sample(read.Path.filename().string().c_str());
        Act(action::FileRead{read.For, read.Index, bytes.empty() ? "not a drawing" : bytes, {}, read.Serial});
    }
    // Every read and write answered, every timer fired, until no work is left.
    void Settle(bool downloads = false)
    {
        for (int turn = 0; turn < 10'000 && !flow.Idle(); ++turn) {
            while (!reads.empty() || !writes.empty()) {
                if (!reads.empty()) {
                    const effect::ReadFile read = reads.front();
                    reads.pop_front();
                    Answer(read);
                } else {
                    const effect::WriteFile write = writes.front();
                    writes.pop_front();
                    Act(action::FileWritten{write.For, write.Index, {}, write.Serial, downloads});
                }
            }
            for (std::size_t t = 0; t < kTimerCount; ++t)
                if (flow.TimerRunning(static_cast<Timer>(t)))
                    Act(action::TimerFired{static_cast<Timer>(t), 1'000'000});
        }
    }
    effect::ReadFile Take()
    {
        const effect::ReadFile read = reads.back();
        reads.clear();
        return read;
    }

    WindowFlow flow{{FileAccess::Front, {}, kPaneCharacterLimit}};
    std::deque<effect::ReadFile> reads;
    std::deque<effect::WriteFile> writes;
};

TEST(FrontAnswers, AReadForAListSinceReplacedOrAFilterPassStartedAgainIsDropped)
{
    Front front;
    front.Act(action::SourcesGiven{Given({"plan.zvw", "symbol.zvs"}), 7});
    const effect::ReadFile first = front.Take();
    EXPECT_EQ(first.Tag, 7U);
    front.Act(action::SourcesGiven{Given({"drawing.zvc", "plan.zvw"}), 8});
    const effect::ReadFile second = front.Take();
    EXPECT_EQ(second.Tag, 8U);
    EXPECT_EQ(second.Index, first.Index);
    front.Answer(first);  // plan.zvw's bytes, for entry 0 of a list gone
    EXPECT_FALSE(front.flow.CurrentSession().HasListing());
    EXPECT_FALSE(front.flow.Idle());
    front.Answer(second);
    EXPECT_EQ(front.flow.CurrentSession().Shown().Path, "drawing.zvc");

    // The filter typed again while it reads a file: that file's answer is
    // the last pass's, and each file counts once.
    front.Act(action::FilterTyped{u"浴室"});
    front.Act(action::TimerFired{Timer::FilterTyping});
    front.Act(action::TimerFired{Timer::FilterStep});  // entry 0 is the file shown
    front.Act(action::TimerFired{Timer::FilterStep});
    const effect::ReadFile stale = front.Take();
    front.Act(action::FilterTyped{u"浴室"});
    front.Act(action::TimerFired{Timer::FilterTyping});
    front.Answer(stale);
    front.Settle();
    Front once;
    once.Act(action::SourcesGiven{Given({"drawing.zvc", "plan.zvw"}), 1});
    once.Act(action::FilterTyped{u"浴室"});
    once.Settle();
    EXPECT_EQ(front.flow.Status(), once.flow.Status());
    EXPECT_NE(front.flow.Status().find("浴室"), std::string::npos);
}

TEST(FrontAnswers, TheStatusSaysWhereThePagePutTheListings)
{
    const BatchSummary two{2, 0, 0, 0, 0};
    const BatchSummary none{0, 0, 1, 0, 0};
    const struct {
        std::vector<const char*> Files;
        SaveAllPlace Place;
        const char* Name;
        bool Cancelled;
        std::string Status;
    } cases[] = {
        {{"plan.zvw", "symbol.zvs"}, SaveAllPlace::Folder, "現場", false, SaveAllFolderStatus(two, "現場")},
        {{"plan.zvw", "symbol.zvs"}, SaveAllPlace::Archive, "site.zip", false, SaveAllDownloadStatus(two, "site.zip")},
        // Nothing written: no zip file is handed over.
        {{"fake.zvw", "fake.zvs"}, SaveAllPlace::Archive, "site.zip", false, SaveAllSummary({0, 0, 2, 0, 0})},
        {{"fake.zvw"}, SaveAllPlace::Beside, "", false, SaveAllSummary(none)},
        // The user declined to pick a folder: nothing changes.
        {{"plan.zvw", "symbol.zvs"}, SaveAllPlace::Folder, "", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Status);
        Front front;
        front.Act(action::SourcesGiven{Given(c.Files)});
        front.Settle();
        const std::string before = front.flow.Status();
        front.Act(action::SaveAllClicked{});
        front.Act(action::ExistingCounted{0, c.Place, c.Name, c.Cancelled});
        front.Settle();
        EXPECT_EQ(front.flow.Status(), c.Status.empty() ? before : c.Status);
        EXPECT_FALSE(front.flow.SavingAll());
    }

    // A save the page handed to the browser as a download.
    Front front;
    front.Act(action::SourcesGiven{Given({"plan.zvw"})});
    front.Settle();
    front.Act(action::SaveClicked{front.flow.PaneText()});
    front.Act(action::SaveTargetChosen{"plan.txt"});
    front.Settle(true);
    EXPECT_EQ(front.flow.Status(), DownloadStatus("plan.txt", 10));

    // The table of every line, handed over the same way.
    front.Act(action::SaveTableClicked{});
    front.Act(action::SaveTargetChosen{"all.csv"});
    front.Settle(true);
    EXPECT_EQ(front.flow.Status(), DownloadStatus("all.csv", 10));
}

}  // namespace
}  // namespace vaveze::window
