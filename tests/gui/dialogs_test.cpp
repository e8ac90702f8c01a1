#include "app/dialogs.h"

#include <functional>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "testfiles.h"

namespace vaveze {
namespace {

// Runs `inspect` on the modal dialog as soon as it is open.
template <typename Dialog>
void WhenOpen(std::function<void(Dialog&)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no dialog open";
            QApplication::activeModalWidget()->close();
            return;
        }
        inspect(*dialog);
    });
}

FileDialogSetup MakeSetup(const QString& folder, const QString& name)
{
    FileDialogSetup setup;
    setup.Title = QStringLiteral("開く");
    setup.Folder = folder;
    setup.ProposedName = name;
    setup.Filters = {{QStringLiteral("ZVWデータ"), {QStringLiteral("*.zvw"), QStringLiteral("*.zvs")}},
                     {QStringLiteral("全てのファイル(*.*)"), {QStringLiteral("*.*")}}};
    return setup;
}

TEST(QtNameFilter, MakesPatternsMatchEitherCase)
{
    EXPECT_EQ(QtNameFilter({QStringLiteral("BAKファイル"),
                            {QStringLiteral("*.bak"), QStringLiteral("*.bk?"), QStringLiteral("*.zv$")}}),
              QStringLiteral("BAKファイル (*.[bB][aA][kK] *.[bB][kK]? *.[zZ][vV]$)"));
    EXPECT_EQ(QtNameFilter({QStringLiteral("全てのファイル(*.*)"), {QStringLiteral("*.*")}}),
              QStringLiteral("全てのファイル(*.*) (*)"));

    QTemporaryDir dir;
    for (const char* name : {"a.ZVW", "b.zvw", "c.Bk1", "d.zv$", "e.txt", "f"})
        testing::WriteFile(dir.filePath(QString::fromLatin1(name)), "x");
    auto matching = [&dir](const QString& filter) {
        const QString patterns = filter.mid(filter.lastIndexOf(QLatin1Char('(')) + 1).chopped(1);
        return QDir(dir.path()).entryList(patterns.split(QLatin1Char(' ')), QDir::Files | QDir::CaseSensitive,
                                          QDir::Name);
    };
    EXPECT_EQ(matching(QtNameFilter({{}, {QStringLiteral("*.zvw")}})), QStringList({"a.ZVW", "b.zvw"}));
    EXPECT_EQ(matching(QtNameFilter({{}, {QStringLiteral("*.bk?"), QStringLiteral("*.zv$")}})),
              QStringList({"c.Bk1", "d.zv$"}));
    EXPECT_EQ(matching(QtNameFilter({{}, {QStringLiteral("*.*")}})).size(), 6);
}

TEST(QtDialogs, OpenDialogStartsWhereAskedAndReturnsTheChosenFile)
{
    QTemporaryDir dir;
    testing::WriteFile(dir.filePath(QStringLiteral("plan.ZVW")), "x");
    QtDialogs dialogs;

    WhenOpen<QFileDialog>([&dir](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("開く"));
        EXPECT_TRUE(d.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(d.directory().absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_EQ(d.nameFilters().size(), 2);
        EXPECT_EQ(d.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentIndex(), 0);
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QStringLiteral("plan.ZVW"));
        static_cast<QDialog&>(d).accept();
    });
    EXPECT_EQ(dialogs.ChooseFilesToOpen(nullptr, MakeSetup(dir.path() + QLatin1Char('/'), QStringLiteral("plan.ZVW"))),
              QStringList{dir.filePath(QStringLiteral("plan.ZVW"))});

    WhenOpen<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_TRUE(dialogs.ChooseFilesToOpen(nullptr, MakeSetup(dir.path() + QLatin1Char('/'), {})).isEmpty());
}

TEST(QtDialogs, SaveDialogAddsTheDefaultExtensionAndAsksBeforeOverwriting)
{
    QTemporaryDir dir;
    QtDialogs dialogs;
    FileDialogSetup setup = MakeSetup(dir.path() + QLatin1Char('/'), QStringLiteral("plan.txt"));
    setup.Title = QStringLiteral("名前を付けて保存");
    setup.DefaultSuffix = QStringLiteral("txt");

    WhenOpen<QFileDialog>([](QFileDialog& d) {
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(d.defaultSuffix(), QStringLiteral("txt"));
        EXPECT_FALSE(d.testOption(QFileDialog::DontConfirmOverwrite));
        d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("listing"));
        static_cast<QDialog&>(d).accept();
    });
    EXPECT_EQ(dialogs.ChooseFileToSave(nullptr, setup), dir.filePath(QStringLiteral("listing.txt")));
}

TEST(QtDialogs, MessageBoxHasTheKindCaptionTextAndOneOkButton)
{
    QtDialogs dialogs;
    for (const MessageKind kind : {MessageKind::Warning, MessageKind::Error}) {
        WhenOpen<QMessageBox>([kind](QMessageBox& box) {
            EXPECT_EQ(box.icon(), kind == MessageKind::Warning ? QMessageBox::Warning : QMessageBox::Critical);
            EXPECT_EQ(box.windowTitle(), QStringLiteral("警告"));
            EXPECT_EQ(box.text(), QStringLiteral("本文"));
            ASSERT_EQ(box.buttons().size(), 1);
            EXPECT_EQ(box.standardButton(box.buttons().front()), QMessageBox::Ok);
            EXPECT_EQ(box.buttons().front()->text(), QStringLiteral("OK"));
            box.buttons().front()->click();
        });
        dialogs.ShowMessage(nullptr, kind, QStringLiteral("警告"), QStringLiteral("本文"));
    }
}

// A question before edits are lost: its answers in Japanese, in the order
// asked, the default one first, and the escape answer when the box is closed.
TEST(QtDialogs, AskOffersTheAnswersGivenAndDefaultsAsTold)
{
    QtDialogs dialogs;
    WhenOpen<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(box.windowTitle(), QStringLiteral("VAveze"));
        EXPECT_EQ(box.text(), QStringLiteral("質問"));
        QStringList texts;
        for (const QAbstractButton* button : box.buttons())
            texts += button->text();
        texts.sort();
        EXPECT_EQ(texts, QStringList({QStringLiteral("いいえ"), QStringLiteral("はい"), QStringLiteral("キャンセル")}));
        EXPECT_EQ(box.defaultButton()->text(), QStringLiteral("キャンセル"));
        for (QAbstractButton* button : box.buttons())
            if (button->text() == QStringLiteral("いいえ"))
                button->click();
    });
    const std::vector<Reply> three = {Reply::Yes, Reply::No, Reply::Cancel};
    EXPECT_EQ(dialogs.Ask(nullptr, QStringLiteral("VAveze"), QStringLiteral("質問"), three, Reply::Cancel, Reply::Cancel),
              Reply::No);
    WhenOpen<QMessageBox>([](QMessageBox& box) { box.reject(); });  // Escape, or the close button
    EXPECT_EQ(dialogs.Ask(nullptr, QStringLiteral("VAveze"), QStringLiteral("質問"), three, Reply::Cancel, Reply::Cancel),
              Reply::Cancel);
}

// Qt's own texts of the dialogs are Japanese whatever the locale.
TEST(QtDialogs, QtsOwnTextsAreJapanese)
{
    ASSERT_TRUE(InstallJapaneseQtTexts());
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("開く"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), QStringLiteral("名前を付けて保存"));
    QTemporaryDir dir;
    WhenOpen<QFileDialog>([](QFileDialog& d) {
        QStringList texts;
        for (const QAbstractButton* button : d.findChildren<QAbstractButton*>())
            texts += button->text();
        EXPECT_TRUE(texts.contains(QStringLiteral("キャンセル"))) << texts.join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(texts.contains(QStringLiteral("Cancel")));
        d.reject();
    });
    (void)QtDialogs().ChooseFileToSave(nullptr, MakeSetup(dir.path(), {}));
}

}  // namespace
}  // namespace vaveze
