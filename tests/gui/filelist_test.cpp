// Several files at once: the file list beside the pane, "すべて出力" with
// its one question, progress, stop and summary, find in the pane and the
// list's filter; the saved listings against the built vaveze-list --save.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "app/Unit1.h"
#include "app/filespanel.h"
#include "app/findbar.h"
#include "app/hitspanel.h"
#include "app/statusline.h"
#include "scripted_dialogs.h"
#include "testfiles.h"

namespace vaveze {
namespace {

using testing::ReadFile;

// The four files of the list: a drawing, its backup (plan.txt is the
// drawing's, so the backup's listing is plan.bak.txt), a damaged copy (read
// in part) and a file that is no drawing at all.
const QStringList kNames = {QStringLiteral("plan.zvw"), QStringLiteral("plan.bak"), QStringLiteral("cut.zvw"),
                            QStringLiteral("fake.zvk")};
const QStringList kTargets = {QStringLiteral("plan.txt"), QStringLiteral("plan.bak.txt"), QStringLiteral("cut.txt")};

void WriteFiles(const QString& folder)
{
    const std::string plan = ReadFile(QStringLiteral(VAVEZE_SAMPLES_DIR "/plan.zvw"));
    testing::WriteFile(folder + QStringLiteral("/plan.zvw"), plan);
    testing::WriteFile(folder + QStringLiteral("/plan.bak"), plan);
    testing::WriteFile(folder + QStringLiteral("/cut.zvw"), plan.substr(0, 15'000));
    testing::WriteFile(folder + QStringLiteral("/fake.zvk"), "not a drawing");
}

template <typename Done>
bool RunUntil(Done done)
{
    const QDeadlineTimer deadline(30'000);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void Activate(TForm1& form, const QKeySequence& keys)
{
    for (QShortcut* shortcut : form.findChildren<QShortcut*>())
        if (shortcut->key() == keys)
            emit shortcut->activated();
}

// Typed through the input method: only the committed text reaches the field.
void Commit(QWidget& field, const QString& text)
{
    QInputMethodEvent preedit(text, {});
    QApplication::sendEvent(&field, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(&field, &commit);
}

TEST(FileListWindow, ListsSavesEveryListingFindsAndFilters)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString tool = dir.filePath(QStringLiteral("tool"));
    ASSERT_TRUE(QDir().mkpath(tool));
    WriteFiles(dir.path());
    WriteFiles(tool);
    testing::WriteFile(dir.filePath(QStringLiteral("plan.txt")), "an earlier listing");
    testing::ScriptedDialogs dialogs;
    TForm1 form(dialogs);
    form.show();

    // Chosen together: the list, in the order given, the first one listed.
    QStringList chosen;
    for (const QString& name : kNames)
        chosen += dir.filePath(name);
    dialogs.OpenAnswers.push_back(chosen);
    form.Button1Click();
    QListWidget& list = *form.FileListPanel->List;
    ASSERT_TRUE(form.FileListPanel->isVisible());
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("plan.bak"));
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_EQ(form.Edit1->text(), chosen[0]);
    EXPECT_TRUE(form.RichEdit1->toPlainText().contains(QStringLiteral("浴室")));
    EXPECT_TRUE(list.item(0)->toolTip().endsWith(QStringLiteral("\n抽出しました")));
    EXPECT_TRUE(list.item(2)->toolTip().endsWith(QStringLiteral("\nまだ読んでいません")));

    // Selecting one lists it, as opening it would; the state stays in the list.
    list.setCurrentRow(2);
    EXPECT_EQ(form.Edit1->text(), chosen[2]);
    EXPECT_TRUE(form.NoticeBar->isVisible());
    EXPECT_EQ(form.CurrentFiles()[2].State, FileState::Partial);
    EXPECT_TRUE(list.item(2)->toolTip().contains(QStringLiteral("一部のみ抽出しました: ファイルが 15,000 バイト目")))
        << list.item(2)->toolTip().toStdString();

    // With edits in the pane the user is asked first; Cancel keeps all.
    form.RichEdit1->appendPlainText(QStringLiteral("typed"));
    dialogs.ConfirmAnswers.push_back(false);
    list.setCurrentRow(3);
    EXPECT_EQ(list.currentRow(), 2);
    EXPECT_EQ(form.Edit1->text(), chosen[2]);
    EXPECT_TRUE(form.HoldsEdits());

    // Ctrl+Shift+S: one question (the pane's edits are left out; one of the
    // three targets is there already), then a file per turn.
    dialogs.ConfirmAnswers.push_back(true);
    Activate(form, QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    ASSERT_EQ(dialogs.Questions.size(), 2U);
    const QString question = dialogs.Questions[1].Text;
    EXPECT_TRUE(question.startsWith(QStringLiteral("表示中の一覧に編集した内容があります"))) << question.toStdString();
    EXPECT_TRUE(question.endsWith(QStringLiteral("出力する 4 個のテキストファイルのうち 1 個はすでにあります。上書きしますか？")))
        << question.toStdString();
    ASSERT_TRUE(form.SavingAll());
    EXPECT_TRUE(form.Progress->isVisible());
    EXPECT_FALSE(form.Button3->isEnabled());
    ASSERT_TRUE(RunUntil([&] { return !form.SavingAll(); }));
    EXPECT_FALSE(form.Progress->isVisible());
    EXPECT_EQ(form.Status->Text(),
              QStringLiteral("4 個のファイルを出力しました: 保存 2、一部のみ保存 1、認識できず 1"));
    EXPECT_TRUE(form.HoldsEdits());  // the pane is the single save's

    QProcess run;
    run.setWorkingDirectory(tool);
    run.start(QStringLiteral(VAVEZE_LIST_PATH), QStringList{QStringLiteral("-q"), QStringLiteral("--save")} + kNames);
    ASSERT_TRUE(run.waitForFinished(30'000));
    for (const QString& target : kTargets) {
        const std::string saved = ReadFile(dir.filePath(target));
        EXPECT_EQ(saved, ReadFile(tool + QLatin1Char('/') + target)) << target.toStdString();
        EXPECT_NE(saved, "<missing>") << target.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("fake.txt"))));
    EXPECT_TRUE(list.item(1)->toolTip().contains(QStringLiteral("plan.bak.txt」に保存しました (")))
        << list.item(1)->toolTip().toStdString();
    EXPECT_TRUE(list.item(3)->toolTip().contains(QStringLiteral("抽出できませんでした: ZVK 図形ファイルではありません")));

    // Stopped after a file that could not be written (its target is a folder).
    ASSERT_TRUE(QFile::remove(dir.filePath(kTargets[0])) && QDir().mkpath(dir.filePath(kTargets[0])));
    dialogs.ConfirmAnswers.push_back(true);
    form.Button3Click();
    while (form.Progress->value() < 1)  // a turn of the event loop at a time
        QApplication::processEvents();
    form.StopButton->click();
    ASSERT_TRUE(RunUntil([&] { return !form.SavingAll(); }));
    EXPECT_EQ(form.Status->Text(),
              QStringLiteral("4 個中 1 個で中止しました: 書き込めず 1"));
    EXPECT_TRUE(list.item(0)->toolTip().contains(QStringLiteral("plan.txt」に書き込めませんでした: ")))
        << list.item(0)->toolTip().toStdString();

    // Find in the pane: Japanese through the input method, then round the end.
    dialogs.ConfirmAnswers.push_back(true);
    list.setCurrentRow(0);
    Activate(form, QKeySequence::Find);
    ASSERT_TRUE(form.Find->isVisible());
    const QString beforeFind = form.Status->Text();
    Commit(*form.Find->Field, QStringLiteral("浴室"));
    EXPECT_EQ(form.RichEdit1->textCursor().selectedText(), QStringLiteral("浴室"));
    EXPECT_EQ(form.Status->Text(), beforeFind);
    form.Find->Next->click();
    EXPECT_EQ(form.RichEdit1->textCursor().selectedText(), QStringLiteral("浴室"));
    EXPECT_EQ(form.Status->Text(), QStringLiteral("末尾まで検索したので、先頭から検索しました。"));
    Commit(*form.Find->Field, QStringLiteral("洋室"));
    EXPECT_EQ(form.Status->Text(), QStringLiteral("「浴室洋室」は見つかりませんでした。"));
    form.Find->Field->setText(QStringLiteral("居間"));
    form.Find->Previous->click();
    EXPECT_EQ(form.RichEdit1->textCursor().selectedText(), QStringLiteral("居間"));
    EXPECT_EQ(form.Status->Text(), beforeFind);

    // The filter keeps the files whose fresh listing holds the text.
    form.FileListPanel->Filter->setText(QStringLiteral("浴室"));
    ASSERT_TRUE(RunUntil([&] { return form.Status->Text().endsWith(QStringLiteral("にあります。")); }));
    EXPECT_EQ(form.Status->Text(), QStringLiteral("「浴室」は 4 個中 2 個のファイルの 2 行にあります。"));
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(list.item(row)->isHidden(), row >= 2) << row;
    form.FileListPanel->Filter->clear();
    ASSERT_TRUE(RunUntil([&] { return !list.item(3)->isHidden(); }));
}

// The search reads the files on worker threads: typing into the field while
// it runs starts it again for the new text, and the window answers
// meanwhile. A thousand drawings, a third of them with 浴室 and all with 室.
TEST(FileListWindow, TypingWhileTheSearchRunsStartsItAgainAndTheWindowAnswers)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QList<QByteArray> paths;
    for (int i = 0; i < 1'000; ++i) {
        const QString path = dir.filePath(QStringLiteral("d%1.zvk").arg(i, 4, 10, QLatin1Char('0')));
        // 和室, then 浴室 or 廊下, in Shift-JIS.
        testing::WriteFile(path, testing::MakeZvk({"\x98\x61\x8E\xBA", i % 3 == 0 ? "\x97\x81\x8E\xBA" : "\x98\x4C\x89\xBA"}));
        paths.push_back(QFile::encodeName(path));
    }
    testing::ScriptedDialogs dialogs;
    TForm1 form(dialogs);
    form.show();
    form.ExtractNativeFiles(paths);
    const window::WindowFlow& flow = form.Flow();

    form.FileListPanel->Filter->setText(QStringLiteral("室"));
    ASSERT_TRUE(RunUntil([&] { return flow.HitsProgress().Running; }));
    bool answered = false;
    QTimer::singleShot(0, &form, [&] { answered = flow.HitsProgress().Running; });
    QApplication::processEvents();
    EXPECT_TRUE(answered) << "the event loop waited for the search";
    Commit(*form.FileListPanel->Filter, QStringLiteral("浴"));
    EXPECT_EQ(form.FileListPanel->Filter->text(), QStringLiteral("室浴"));
    form.FileListPanel->Filter->setText(QStringLiteral("浴室"));
    ASSERT_TRUE(RunUntil([&] { return flow.Idle() && !flow.HitsProgress().Running; }));

    EXPECT_EQ(form.Status->Text(), QStringLiteral("「浴室」は 1,000 個中 334 個のファイルの 334 行にあります。"));
    const QTreeWidget& hits = *form.Hits->List;
    ASSERT_EQ(hits.topLevelItemCount(), 334);
    EXPECT_TRUE(form.Hits->isVisible());
    EXPECT_FALSE(form.Hits->StopButton->isVisible());
    EXPECT_EQ(hits.topLevelItem(1)->text(0), QStringLiteral("d0003.zvk"));
    EXPECT_EQ(hits.topLevelItem(1)->text(2), QStringLiteral("浴室"));
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(form.FileListPanel->List->item(row)->isHidden(), row % 3 != 0) << row;

    // Enter goes to the first hit: its file in the pane, the text selected.
    emit form.FileListPanel->Filter->returnPressed();
    EXPECT_EQ(form.Edit1->text(), QString::fromUtf8(paths[0]));
    EXPECT_EQ(form.RichEdit1->textCursor().selectedText(), QStringLiteral("浴室"));
}

}  // namespace
}  // namespace vaveze
