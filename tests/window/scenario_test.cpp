// Every scenario of the window flow's table, run against the flow with a
// scripted view: the view carries out the effects as a front would (the
// pane's text and selection, the boxes, the dialogs answered by the table's
// next step) and the flow's state is what the window would render. Each
// scenario runs twice: with the flow reading and writing the files itself,
// as the windows have it, and with the view doing it, as the page does.
#include <algorithm>
#include <chrono>
#include <thread>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include <gtest/gtest.h>

#include "core/session/texts.h"
#include "core/session/walk.h"
#include "core/window/windowflow.h"
#include "scenarios.h"
#include "tests/temp_folder.h"

namespace vaveze::window {
namespace {

namespace fs = std::filesystem;
using testing::Json;
using testing::Scenario;
using testing::TestNameOf;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ScriptedView {
public:
    ScriptedView(FileAccess access, fs::path dir, std::size_t paneLimit)
        : flow_({access, dir, paneLimit == 0 ? kPaneCharacterLimit : paneLimit}), access_(access), dir_(std::move(dir))
    {
    }

    void Step(const Json& step)
    {
        const std::string key = step.begin().key();
        const Json& value = step.begin().value();
        if (pendingAsk_ && key != "answer")
            ADD_FAILURE() << "a question nobody answered before " << key;
        if (key == "open") {
            Run(action::OpenClicked{});
            EXPECT_TRUE(openDialog_) << "no open dialog";
            openDialog_ = false;
            Run(action::FilesChosen{Paths(value)});
        } else if (key == "drop") {
            if (access_ == FileAccess::Core)
                Run(action::FilesDropped{Paths(value)});
            else  // the page walks what is dropped in the core's order
                Run(action::SourcesGiven{CollectSources(Paths(value), true)});
        } else if (key == "choose") {
            Run(action::EntryChosen{value.get<std::size_t>()});
        } else if (key == "toggle") {
            const Option which = value == "header" ? Option::Header : value == "dimensions" ? Option::Dimensions
                                                                                            : Option::Blocks;
            bool& box = boxes_[static_cast<std::size_t>(which)];
            box = !box;
            Run(action::OptionToggled{which, box});
        } else if (key == "edit") {
            pane_ += testing::Utf16(value.get<std::string>());
            edited_ = true;
            Run(action::PaneEdited{true});
        } else if (key == "save") {
            // The name goes to the save dialog, now or once a question is answered.
            saveName_ = value;
            Run(action::SaveClicked{pane_});
            AnswerSaveDialog();
        } else if (key == "save as") {
            EXPECT_TRUE(saveDialog_) << "no save dialog";
            saveName_ = value;
            AnswerSaveDialog();
        } else if (key == "ctrl+f") {
            const std::u16string selected = pane_.substr(selection_.first, selection_.second - selection_.first);
            seen_.FindField = testing::Utf8(std::u16string(flow_.FindStart(selected)));
        } else if (key == "take offer") {
            Run(action::NoticeOfferTaken{});
        } else if (key == "save all") {
            Run(action::SaveAllClicked{});
        } else if (key == "answer") {
            ASSERT_TRUE(pendingAsk_) << "no question to answer";
            const Reply reply = testing::ReplyNamed(value.get<std::string>());
            EXPECT_NE(std::find(offered_.begin(), offered_.end(), reply), offered_.end()) << "not offered: " << value;
            const std::uint32_t serial = *pendingAsk_;
            pendingAsk_.reset();
            Run(action::Answered{serial, reply});
            AnswerSaveDialog();
        } else if (key == "stop") {
            Run(action::StopClicked{});
        } else if (key == "close") {
            Run(action::CloseRequested{pane_});
        } else if (key == "find" || key == "find previous") {
            const bool forward = key == "find";
            Run(action::Find{testing::Utf16(value.get<std::string>()),
                             forward ? FindDirection::Forward : FindDirection::Backward,
                             forward ? selection_.second : selection_.first, false, pane_});
        } else if (key == "filter") {
            Run(action::FilterTyped{testing::Utf16(value.get<std::string>())});
        } else if (key == "enter") {
            Run(action::FilterEntered{pane_});
        } else if (key == "hit") {
            Run(action::HitChosen{value.get<std::size_t>(), pane_});
        } else if (key == "stop search") {
            Run(action::StopSearchClicked{});
        } else if (key == "save table") {
            Run(action::SaveTableClicked{});
            if (!saveDialog_)
                return;
            saveDialog_ = false;
            Run(action::SaveTargetChosen{value.is_null() ? fs::path() : dir_ / testing::Utf16(value.get<std::string>())});
        } else if (key == "tick") {
            bool running[kTimerCount];
            for (std::size_t t = 0; t < kTimerCount; ++t)
                running[t] = flow_.TimerRunning(static_cast<Timer>(t));
            for (std::size_t t = 0; t < kTimerCount; ++t)
                if (running[t])
                    Run(action::TimerFired{static_cast<Timer>(t), 1'000'000});
        } else if (key == "wait") {
            Wait();
        } else if (key == "expect") {
            Check(value);
        } else {
            ADD_FAILURE() << "unknown step " << key;
        }
    }

private:
    std::vector<fs::path> Paths(const Json& names) const
    {
        std::vector<fs::path> paths;
        for (const Json& name : names)
            paths.push_back(dir_ / testing::Utf16(name.get<std::string>()));
        return paths;
    }

    void AnswerSaveDialog()
    {
        if (!saveDialog_ || saveName_.is_discarded())
            return;
        saveDialog_ = false;
        const Json name = std::exchange(saveName_, Json(Json::value_t::discarded));
        Run(action::SaveTargetChosen{name.is_null() ? fs::path() : dir_ / testing::Utf16(name.get<std::string>())});
    }

    void Run(const Action& action)
    {
        for (Effect& effect : flow_.Update(action))
            std::visit([this](auto& e) { Carry(e); }, effect);
        // The front's reads and writes answer later, as the page's do.
        while (!io_.empty()) {
            const Action answer = std::move(io_.front());
            io_.pop_front();
            Run(answer);
        }
    }

    // Every timer, as an event loop fires them, until no work is left.
    void Wait()
    {
        for (int turn = 0; turn < 100'000 && !flow_.Idle(); ++turn) {
            // The search's workers read the files meanwhile, as they do
            // between two ticks of a window's event loop.
            if (flow_.HitsProgress().Running)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            for (std::size_t t = 0; t < kTimerCount; ++t)
                if (flow_.TimerRunning(static_cast<Timer>(t)))
                    Run(action::TimerFired{static_cast<Timer>(t), 1'000'000});
        }
        EXPECT_TRUE(flow_.Idle());
    }

    void Carry(const effect::Refresh& refresh)
    {
        if (refresh.What & Part::Boxes)
            boxes_ = {flow_.Options().Header, flow_.Options().Dimensions, flow_.Options().Blocks};
        if (refresh.What & Part::Selection)
            selected_ = flow_.Selected();
    }
    void Carry(const effect::RefreshEntry&) {}
    void Carry(const effect::Ask& ask)
    {
        // Every question ends in one style, whatever it asks.
        EXPECT_TRUE(ask.Text.ends_with("？")) << ask.Text;
        seen_.Questions.push_back(ask.Text);
        seen_.Offered.emplace_back();
        for (const Reply reply : ask.Replies)
            seen_.Offered.back().push_back(ReplyCaption(reply));
        offered_ = ask.Replies;
        pendingAsk_ = ask.Serial;
    }
    void Carry(const effect::ChooseFilesToOpen&) { openDialog_ = true; }
    void Carry(const effect::ChooseSaveTarget& dialog)
    {
        seen_.Proposed.push_back(PathUtf8(dialog.ProposedName));
        saveDialog_ = true;
    }
    void Carry(const effect::Tell& tell) { seen_.Told.push_back(tell.Text); }
    void Carry(const effect::StartPane&)
    {
        pane_.clear();
        selection_ = {0, 0};
    }
    void Carry(const effect::AppendToPane& piece)
    {
        pane_.append(flow_.PaneText(), piece.From, piece.To - piece.From);
    }
    void Carry(const effect::FinishPane&) { edited_ = false; }
    void Carry(const effect::MarkPaneUnmodified&) { edited_ = false; }
    void Carry(const effect::SelectInPane& select) { selection_ = {select.Position, select.Position + select.Length}; }
    void Carry(const effect::StartTimer&) {}
    void Carry(const effect::StopTimer&) {}
    void Carry(const effect::ReadFile& read)
    {
        std::error_code ec;
        if (fs::is_regular_file(read.Path, ec))
            io_.push_back(action::FileRead{read.For, read.Index, ReadAll(read.Path), {}, read.Serial});
        else
            io_.push_back(action::FileRead{read.For, read.Index, {}, "the browser could not read it", read.Serial});
    }
    void Carry(const effect::WriteFile& write)
    {
        std::ofstream out(write.Path, std::ios::binary);
        out << write.Bytes;
        io_.push_back(action::FileWritten{write.For, write.Index, out ? std::string() : "not written", write.Serial});
    }
    void Carry(const effect::CountExisting& count)
    {
        std::size_t existing = 0;
        for (const fs::path& path : count.Paths)
            existing += fs::exists(path) ? 1 : 0;
        io_.push_back(action::ExistingCounted{existing, SaveAllPlace::Beside, {}, false});
    }
    void Carry(const effect::Beep&) { ++seen_.Beeps; }
    void Carry(const effect::Focus&) {}
    void Carry(const effect::Close&) { closed_ = true; }

    void Check(const Json& expect)
    {
        seen_.Status = flow_.Status();
        seen_.Notice = flow_.Notice();
        seen_.Path = PathUtf8(flow_.ChosenPath());
        seen_.Boxes = boxes_;
        seen_.ListShown = flow_.ListShown();
        seen_.Rows.clear();
        seen_.Marks.clear();
        seen_.Tooltips.clear();
        seen_.Hidden.clear();
        for (std::size_t i = 0; i < flow_.Files().Size(); ++i) {
            const ListedFile& file = flow_.Files()[i];
            const EntryLabel label = EntryLabelOf(file);
            seen_.Rows.push_back(PathUtf8(label.Name));
            seen_.Folders.push_back(PathUtf8(label.Folder.generic_string()));
            seen_.Marks.push_back(testing::MarkName(static_cast<int>(MarkOf(file))));
            seen_.Tooltips.push_back(FileTooltip(file));
            seen_.Hidden.push_back(flow_.RowHidden(i));
        }
        seen_.Selected = selected_;
        seen_.Pane = pane_;
        seen_.PaneSelection = pane_.substr(selection_.first, selection_.second - selection_.first);
        seen_.Edited = edited_;
        seen_.Closed = closed_;
        seen_.SavingAll = flow_.SavingAll();
        seen_.NoticeOffer = NoticeOfferCaption(flow_.Offer());
        for (const Hit& hit : flow_.Hits())
            seen_.Hits.push_back(testing::HitRow(PathUtf8(EntryName(flow_.Files()[hit.Entry]).generic_string()),
                                                 hit.Line, hit.Text, hit.Position, hit.Length));
        seen_.PaneLine = 1 + static_cast<std::size_t>(std::count(pane_.begin(), pane_.begin() + selection_.first, u'\n'));
        testing::CheckExpectations(expect, seen_, dir_);
        seen_ = {};
    }

    WindowFlow flow_;
    FileAccess access_;
    fs::path dir_;
    std::deque<Action> io_;
    std::optional<std::uint32_t> pendingAsk_;
    std::vector<Reply> offered_;
    Json saveName_ = Json(Json::value_t::discarded);
    bool openDialog_ = false;
    bool saveDialog_ = false;
    std::array<bool, 3> boxes_{};
    std::size_t selected_ = 0;
    std::u16string pane_;
    std::pair<std::size_t, std::size_t> selection_{0, 0};
    bool edited_ = false;
    bool closed_ = false;
    testing::Observed seen_;
};

std::vector<Scenario> Table() { return testing::LoadScenarios(VAVEZE_TEST_DATA_DIR "/window_scenarios.json"); }

}  // namespace
}  // namespace vaveze::window

namespace vaveze::testing {
// A scenario by its name in test messages.
void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.Name; }
}  // namespace vaveze::testing

namespace vaveze::window {
namespace {

class WindowFlowScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(WindowFlowScenario, Runs)
{
    for (const FileAccess access : {FileAccess::Core, FileAccess::Front}) {
        SCOPED_TRACE(access == FileAccess::Core ? "the flow reads the files" : "the front reads the files");
        const TempFolder folder;
        const fs::path dir = folder.Path() / "scenario";
        fs::create_directories(dir);
        testing::MakeFiles(GetParam().Files, dir, VAVEZE_SAMPLES_DIR);
        ScriptedView view(access, dir, GetParam().PaneLimit);
        int number = 0;
        for (const Json& step : GetParam().Steps) {
            SCOPED_TRACE("step " + std::to_string(++number) + ": " + step.dump().substr(0, 80));
            view.Step(step);
            if (HasFatalFailure())
                return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(scenario, WindowFlowScenario, ::testing::ValuesIn(Table()),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return TestNameOf(info.param); });

}  // namespace
}  // namespace vaveze::window
