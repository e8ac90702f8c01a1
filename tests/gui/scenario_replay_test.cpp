// The window flow's scenario table (tests/data/window_scenarios.json)
// replayed through the window's own controls: buttons clicked, boxes ticked,
// files dropped, text typed into the pane and the fields, the dialogs
// answered by the table's next steps; what the controls then show is
// checked as the core's scenario test checks the flow.
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "app/filespanel.h"
#include "app/findbar.h"
#include "app/hitspanel.h"
#include "app/statusline.h"
#include "core/session/texts.h"
#include "scenarios.h"
#include "scripted_dialogs.h"
#include "tests/temp_folder.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;
using testing::Json;
using testing::Scenario;
using testing::TestNameOf;

class Replay {
public:
    Replay(fs::path dir, std::size_t paneLimit)
        : dir_(std::move(dir)), form_(dialogs_, paneLimit == 0 ? kPaneCharacterLimit : paneLimit)
    {
        form_.show();
    }

    // Runs the steps; the answers after an action are given to the dialogs
    // before it, as a modal dialog asks while the action runs.
    void Run(const std::vector<Json>& steps)
    {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i + 1) + ": " + steps[i].dump().substr(0, 80));
            const std::string key = steps[i].begin().key();
            if (key == "answer" || key == "save as")
                continue;
            for (std::size_t next = i + 1; next < steps.size(); ++next) {
                if (steps[next].contains("answer"))
                    dialogs_.ConfirmAnswers.push_back(testing::ReplyNamed(steps[next].at("answer")));
                else if (steps[next].contains("save as"))
                    dialogs_.SaveAnswers.push_back(SaveName(steps[next].at("save as")));
                else
                    break;
            }
            Step(key, steps[i].begin().value());
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }

private:
    QString InDir(const Json& name) const
    {
        return QString::fromStdString(PathUtf8(dir_ / testing::Utf16(name.get<std::string>())));
    }

    std::optional<QString> SaveName(const Json& name) const
    {
        return name.is_null() ? std::nullopt : std::optional<QString>(InDir(name));
    }

    // Ctrl+F: the field holds its start, all selected, ready to be typed over.
    void OpenFind()
    {
        for (QShortcut* shortcut : form_.findChildren<QShortcut*>())
            if (shortcut->key() == QKeySequence::Find)
                emit shortcut->activated();
        const QLineEdit& field = *form_.Find->Field;
        findField_ = field.selectedText() == field.text() ? field.text().toStdString() : "<not selected>";
    }

    void Step(const std::string& key, const Json& value)
    {
        TForm1& f = form_;
        if (key == "open") {
            QStringList paths;
            for (const Json& name : value)
                paths += InDir(name);
            dialogs_.OpenAnswers.push_back(paths);
            f.Button1->click();
        } else if (key == "drop") {
            QMimeData data;
            QList<QUrl> urls;
            for (const Json& name : value)
                urls += QUrl::fromLocalFile(InDir(name));
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&f, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&f, &drop);
            QApplication::processEvents();  // the drop is taken once it has finished
        } else if (key == "choose") {
            f.FileListPanel->List->setCurrentRow(value.get<int>());
        } else if (key == "toggle") {
            (value == "header" ? f.CheckBox1 : value == "dimensions" ? f.CheckBox2 : f.CheckBox3)->click();
        } else if (key == "edit") {
            QTextCursor end(f.RichEdit1->document());
            end.movePosition(QTextCursor::End);
            end.insertText(QString::fromStdString(value.get<std::string>()));
        } else if (key == "save") {
            dialogs_.SaveAnswers.push_front(SaveName(value));  // before those of the answers after it
            f.Button2->click();
        } else if (key == "save all") {
            f.Button3->click();
        } else if (key == "stop") {
            f.StopButton->click();
        } else if (key == "close") {
            f.close();
        } else if (key == "ctrl+f") {
            OpenFind();
        } else if (key == "take offer") {
            f.NoticeButton->click();
        } else if (key == "find" || key == "find previous") {
            if (!f.Find->isVisible())
                OpenFind();
            f.Find->Field->setText(QString::fromStdString(value.get<std::string>()));
            (key == "find" ? f.Find->Next : f.Find->Previous)->click();
        } else if (key == "filter") {
            f.FileListPanel->Filter->setText(QString::fromStdString(value.get<std::string>()));
        } else if (key == "enter") {
            emit f.FileListPanel->Filter->returnPressed();
        } else if (key == "hit") {
            QTreeWidget& hits = *f.Hits->List;
            ASSERT_LT(value.get<int>(), hits.topLevelItemCount());
            QTreeWidgetItem* row = hits.topLevelItem(value.get<int>());
            hits.setCurrentItem(row);
            emit hits.itemClicked(row, 2);
        } else if (key == "stop search") {
            f.Hits->StopButton->click();
        } else if (key == "save table") {
            dialogs_.SaveAnswers.push_back(value.is_null() ? std::nullopt : std::optional<QString>(InDir(value)));
            f.Button4->click();
        } else if (key == "wait") {
            const QDeadlineTimer deadline(30'000);
            while (!f.Flow().Idle() && !deadline.hasExpired())
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            EXPECT_TRUE(f.Flow().Idle());
        } else if (key == "expect") {
            testing::CheckExpectations(value, Observe(), dir_);
        } else {
            ADD_FAILURE() << "unknown step " << key;
        }
    }

    testing::Observed Observe()
    {
        const TForm1& f = form_;
        testing::Observed seen;
        seen.Status = f.Status->Text().toStdString();
        seen.Notice = f.NoticeBar->isVisible() ? f.Notice->text().toStdString() : std::string();
        seen.Path = f.Edit1->text().toStdString();
        if (f.Edit1->cursorPosition() != f.Edit1->text().size())
            ADD_FAILURE() << "the path field does not show its end";
        seen.Boxes = {f.CheckBox1->isChecked(), f.CheckBox2->isChecked(), f.CheckBox3->isChecked()};
        seen.ListShown = f.FileListPanel->isVisible();
        const QListWidget& list = *f.FileListPanel->List;
        for (int row = 0; row < list.count(); ++row) {
            seen.Rows.push_back(list.item(row)->text().toStdString());
            seen.Folders.push_back(list.item(row)->data(FilesPanel::FolderRole).toString().toStdString());
            // The icons are the style's; the mark they stand for is the flow's.
            seen.Marks.push_back(testing::MarkName(static_cast<int>(MarkOf(f.CurrentFiles()[static_cast<std::size_t>(row)]))));
            seen.Tooltips.push_back(list.item(row)->toolTip().toStdString());
            seen.Hidden.push_back(list.item(row)->isHidden());
        }
        seen.Selected = static_cast<std::size_t>(list.currentRow());
        QStringList lines;
        for (QTextBlock block = f.RichEdit1->document()->begin(); block.isValid(); block = block.next())
            lines += block.text();
        seen.Pane = lines.join(QLatin1Char('\n')).toStdU16String();
        seen.PaneSelection = f.RichEdit1->textCursor().selectedText().toStdU16String();
        seen.Edited = f.RichEdit1->document()->isModified();
        seen.Closed = !f.isVisible();
        seen.SavingAll = f.StopButton->isVisible();
        seen.NoticeOffer = f.NoticeButton->isVisible() ? f.NoticeButton->text().toStdString() : std::string();
        seen.FindField = findField_;
        const QTreeWidget& hits = *f.Hits->List;
        for (int row = 0; row < hits.topLevelItemCount(); ++row) {
            const QTreeWidgetItem& hit = *hits.topLevelItem(row);
            const QPoint match = hit.data(2, Qt::UserRole).toPoint();
            seen.Hits.push_back(testing::HitRow(hit.text(0).toStdString(), hit.text(1).toULongLong(),
                                                hit.text(2).toStdU16String(), static_cast<std::size_t>(match.x()),
                                                static_cast<std::size_t>(match.y())));
        }
        seen.PaneLine = static_cast<std::size_t>(f.RichEdit1->textCursor().block().blockNumber()) + 1;
        for (const auto& question : dialogs_.Questions) {
            seen.Questions.push_back(question.Text.toStdString());
            seen.Offered.emplace_back();
            for (const window::Reply reply : question.Replies)
                seen.Offered.back().push_back(window::ReplyCaption(reply));
        }
        for (const auto& message : dialogs_.Messages)
            seen.Told.push_back(message.Text.toStdString());
        for (const FileDialogSetup& setup : dialogs_.SaveSetups)
            seen.Proposed.push_back(setup.ProposedName.toStdString());
        seen.Beeps = dialogs_.Beeps;
        dialogs_.Questions.clear();
        dialogs_.Messages.clear();
        dialogs_.SaveSetups.clear();
        dialogs_.Beeps = 0;
        return seen;
    }

    fs::path dir_;
    std::string findField_;
    testing::ScriptedDialogs dialogs_;
    TForm1 form_;
};

class ScenarioReplay : public ::testing::TestWithParam<Scenario> {};

TEST_P(ScenarioReplay, ThroughTheControls)
{
    const TempFolder folder;
    testing::MakeFiles(GetParam().Files, folder.Path(), VAVEZE_SAMPLES_DIR);
    Replay(folder.Path(), GetParam().PaneLimit).Run(GetParam().Steps);
}

std::vector<Scenario> Replayed()
{
    std::vector<Scenario> replayed;
    for (Scenario& scenario : testing::LoadScenarios(VAVEZE_TEST_DATA_DIR "/window_scenarios.json"))
        if (scenario.Replayed)
            replayed.push_back(std::move(scenario));
    return replayed;
}

INSTANTIATE_TEST_SUITE_P(Table, ScenarioReplay, ::testing::ValuesIn(Replayed()),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return TestNameOf(info.param); });

}  // namespace
}  // namespace vaveze

namespace vaveze::testing {
void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.Name; }
}  // namespace vaveze::testing
