#include "app/Unit1.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>

#include "app/filespanel.h"
#include "app/findbar.h"
#include "app/statusline.h"
#include "core/session/faults.h"
#include "core/session/texts.h"
#include "core/text/cp932.h"
#include "scripted_dialogs.h"
#include "testfiles.h"

namespace vaveze {
namespace {

using testing::CoreLines;
using testing::CoreListing;
using testing::MagicOnly;
using testing::MakeZvk;
using testing::ReadFile;
using testing::ScriptedDialogs;

const QString kEarlierListing = QStringLiteral("an earlier listing");

QString Shown(const std::vector<std::string>& lines)
{
    QStringList shown;
    for (const std::string& line : lines) {
        const std::u16string text = DecodeCp932(line, ControlBytes::AsRawByte).Text;
        shown += QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    }
    return shown.join(QLatin1Char('\n'));
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        Start(kPaneCharacterLimit);
    }

    void Start(std::size_t limit)
    {
        form_ = std::make_unique<TForm1>(dialogs_, limit);
        form_->show();
    }

    QString Write(const QString& name, std::string_view bytes) const
    {
        const QString path = dir_.filePath(name);
        testing::WriteFile(path, bytes);
        return path;
    }

    void Open(const QString& path)
    {
        dialogs_.OpenAnswers.push_back({path});
        form_->Button1Click();
    }

    void Save(const QString& path)
    {
        dialogs_.SaveAnswers.push_back(path);
        form_->Button2Click();
    }

    [[nodiscard]] QString Pane() const { return form_->RichEdit1->toPlainText(); }

    QTemporaryDir dir_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<TForm1> form_;
};

TEST_F(WindowTest, StartsAsDesigned)
{
    TForm1& f = *form_;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("VAveze Ver.1.01"));
    QApplication::processEvents();
    EXPECT_EQ(f.frameGeometry(), QRect(192, 107, 568, 506));
    EXPECT_FALSE(f.windowIcon().pixmap(32, 32).isNull());

    EXPECT_EQ(f.Panel1->height(), 105);
    EXPECT_EQ(f.Panel1->geometry().top(), 0);
    struct Control {
        QWidget* Widget;
        QRect Geometry;
        QString Caption;
    };
    const Control controls[] = {
        {f.Button1, {8, 8, 89, 25}, QStringLiteral("ファイル名")},
        {f.Edit1, {104, 8, 441, 24}, {}},
        {f.CheckBox1, {104, 40, 329, 17}, QStringLiteral("ヘッダ情報を含む（※ZVSの場合は無関係）")},
        {f.CheckBox2, {104, 60, 409, 17}, QStringLiteral("寸法図形の文字を含む（※ZVC/ZVKの場合は無関係）")},
        {f.CheckBox3, {104, 80, 417, 17}, QStringLiteral("ブロック情報を含む　（※ZVC/ZVKの場合は無関係）")},
        {f.Button2, {440, 32, 105, 25}, QStringLiteral("テキスト出力")},
        {f.Button4, {8, 40, 89, 25}, QStringLiteral("表に出力")},
    };
    for (const Control& c : controls) {
        EXPECT_EQ(c.Widget->parentWidget(), f.Panel1);
        EXPECT_EQ(c.Widget->geometry(), c.Geometry) << c.Caption.toStdString();
        if (auto* button = qobject_cast<QAbstractButton*>(c.Widget)) {
            EXPECT_EQ(button->text(), c.Caption);
            EXPECT_FALSE(button->isChecked());
        }
    }
    EXPECT_TRUE(f.Edit1->isReadOnly());
    EXPECT_TRUE(f.Edit1->text().isEmpty());
    EXPECT_EQ(f.Panel2->text(), QStringLiteral("文字抽出情報"));
    EXPECT_EQ(f.Panel2->height(), 24);
    EXPECT_EQ(f.Panel2->geometry().top(), 105);
    EXPECT_FALSE(f.NoticeBar->isVisible());
    EXPECT_EQ(f.RichEdit1->mapTo(&f, QPoint(0, 0)).y(), 129);
    EXPECT_FALSE(f.FileListPanel->isVisible());
    EXPECT_FALSE(f.Find->isVisible());
    EXPECT_FALSE(f.Progress->isVisible());
    EXPECT_FALSE(f.RichEdit1->isReadOnly());
    EXPECT_EQ(f.RichEdit1->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(f.RichEdit1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(f.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(Pane().isEmpty());
    EXPECT_GT(f.Status->geometry().top(), f.RichEdit1->geometry().bottom());

    // One fixed-pitch Japanese font, 16 pixels high, for every control.
    const QFontInfo font(f.RichEdit1->font());
    EXPECT_EQ(font.pixelSize(), 16);
    EXPECT_TRUE(QStringList({"ＭＳ ゴシック", "MS Gothic", "IPAGothic", "IPAゴシック"}).contains(font.family()))
        << font.family().toStdString();
    const QFontMetrics metrics(f.RichEdit1->font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(metrics.horizontalAdvance(QChar(0x3042)), 2 * metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(QFontInfo(f.CheckBox2->font()).family(), font.family());

    // Tab order: the panel's controls, then the pane.
    std::vector<QWidget*> order;
    for (QWidget* w = f.Button1; order.size() < 9; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&f))
            order.push_back(w);
    EXPECT_EQ(order, (std::vector<QWidget*>{f.Button1, f.Edit1, f.CheckBox1, f.CheckBox2, f.CheckBox3, f.Button2,
                                            f.Button4, f.Button3, f.RichEdit1}));
    EXPECT_TRUE(f.RichEdit1->tabChangesFocus());
}

TEST_F(WindowTest, OpenDialogStartsInTheFirstFolderThenAtTheLastFile)
{
    const QString missing = dir_.filePath(QStringLiteral("plan.zvw"));
    Open(missing);
    Open(missing);
    ASSERT_EQ(dialogs_.OpenSetups.size(), 2U);
    const FileDialogSetup& first = dialogs_.OpenSetups[0];
    EXPECT_TRUE(first.Folder.endsWith(QLatin1Char('/')) && QFileInfo(first.Folder).isDir()) << first.Folder.toStdString();
    EXPECT_EQ(first.Title, QStringLiteral("開く"));
    EXPECT_TRUE(first.ProposedName.isEmpty());
    ASSERT_EQ(first.Filters.size(), 5);
    const std::pair<QString, QStringList> filters[] = {
        {QStringLiteral("Zv_cadデータ(*.zvc,*.zvk,*.zvw,*.zvs)"), {"*.zvc", "*.zvk", "*.zvw", "*.zvs"}},
        {QStringLiteral("ZV_CAD(MS-DOS)データ"), {"*.zvc", "*.zvk"}},
        {QStringLiteral("ZVWデータ"), {"*.zvw", "*.zvs"}},
        {QStringLiteral("BAKファイル"), {"*.bak", "*.bk?", "*.zv$"}},
        {QStringLiteral("全てのファイル(*.*)"), {"*.*"}},
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(first.Filters[i].Description, filters[i].first);
        EXPECT_EQ(first.Filters[i].Patterns, filters[i].second);
    }
    EXPECT_EQ(dialogs_.OpenSetups[1].Folder, dir_.path() + QLatin1Char('/'));
    EXPECT_EQ(dialogs_.OpenSetups[1].ProposedName, QStringLiteral("plan.zvw"));
}

TEST_F(WindowTest, CancellingChangesNothing)
{
    const QString path = Write(QStringLiteral("a.zvk"), MakeZvk({"one"}));
    Open(path);
    const QString pane = Pane();
    const QString status = form_->Status->Text();
    dialogs_.OpenAnswers.push_back({});
    form_->Button1Click();
    EXPECT_EQ(form_->Edit1->text(), path);
    EXPECT_EQ(Pane(), pane);
    EXPECT_EQ(form_->Status->Text(), status);
    EXPECT_TRUE(dialogs_.Messages.empty());
}

enum class Content { Zvw, Zvs, Zvc, Zvk, Other };
enum class Outcome { Listed, ZvwWarning, ZvsWarning, Silent };

struct Row {
    const char* Name;
    Content Holds;
    Outcome Expected;
    const char* Kind;  // the status line's start when listed
};

std::string Bytes(Content content)
{
    switch (content) {
    case Content::Zvw:
        return MagicOnly(kZvwMagic);
    case Content::Zvs:
        return MagicOnly(kZvsMagic);
    case Content::Zvc:
        return MagicOnly(kZvcMagic);
    case Content::Zvk:
        return MakeZvk({"\x82\xA0", "text"});
    case Content::Other:
        break;
    }
    return "plain text, no drawing";
}

class DecisionTest : public WindowTest, public ::testing::WithParamInterface<Row> {};

TEST_P(DecisionTest, RecognisesByExtensionThenMagic)
{
    const Row& row = GetParam();
    form_->RichEdit1->setPlainText(kEarlierListing);
    const QString path = Write(QString::fromUtf8(row.Name), Bytes(row.Holds));
    Open(path);

    EXPECT_EQ(form_->Edit1->text(), path);
    if (row.Expected == Outcome::Listed) {
        EXPECT_EQ(Pane(), Shown(CoreLines(path)));
        EXPECT_TRUE(form_->Status->Text().startsWith(QString::fromUtf8(row.Kind)))
            << form_->Status->Text().toStdString();
    } else {
        EXPECT_EQ(Pane(), kEarlierListing);
        EXPECT_TRUE(form_->Status->Text().startsWith(QStringLiteral("「%1」は抽出できませんでした").arg(row.Name)))
            << form_->Status->Text().toStdString();
    }
    if (row.Expected == Outcome::ZvwWarning || row.Expected == Outcome::ZvsWarning) {
        ASSERT_EQ(dialogs_.Messages.size(), 1U);
        const auto& message = dialogs_.Messages.front();
        EXPECT_EQ(message.Kind, MessageKind::Warning);
        EXPECT_EQ(message.Caption, QStringLiteral("警告"));
        EXPECT_EQ(message.Text, row.Expected == Outcome::ZvwWarning
                                    ? QStringLiteral("このファイルは、Zv_cad for Windows(Ver2.20～)図面ファイルではありません。")
                                    : QStringLiteral("このファイルは、Zv_cad for Windows 図形ファイルではありません。"));
    } else {
        EXPECT_TRUE(dialogs_.Messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DecisionTest,
    ::testing::Values(Row{"plan.zvw", Content::Zvw, Outcome::Listed, "ZVW"},
                      Row{"PLAN.ZvW", Content::Zvw, Outcome::Listed, "ZVW"},
                      Row{"plan.zvw", Content::Zvk, Outcome::ZvwWarning, ""},
                      Row{"plan.zvw", Content::Other, Outcome::ZvwWarning, ""},
                      Row{"plan.zvs", Content::Zvs, Outcome::Listed, "ZVS"},
                      Row{"plan.ZVS", Content::Zvw, Outcome::ZvsWarning, ""},
                      Row{"plan.zvc", Content::Zvc, Outcome::Listed, "ZVC"},
                      Row{"plan.zvc", Content::Zvk, Outcome::Silent, ""},
                      Row{"plan.ZVK", Content::Zvk, Outcome::Listed, "ZVK"},
                      Row{"plan.zvk", Content::Zvc, Outcome::Silent, ""},
                      Row{"plan.bak", Content::Zvw, Outcome::Listed, "ZVW"},
                      Row{"plan.BK1", Content::Zvs, Outcome::Listed, "ZVS"},
                      Row{"plan.bkup", Content::Zvc, Outcome::Listed, "ZVC"},
                      Row{"plan.bk", Content::Zvk, Outcome::Listed, "ZVK"},
                      Row{"plan.zv$", Content::Zvk, Outcome::Listed, "ZVK"},
                      Row{"plan.bak", Content::Other, Outcome::Silent, ""},
                      Row{"plan.ba", Content::Zvk, Outcome::Silent, ""},
                      Row{"plan", Content::Zvw, Outcome::Silent, ""},
                      Row{"plan.txt", Content::Zvk, Outcome::Silent, ""},
                      Row{"plan.zvw.txt", Content::Zvw, Outcome::Silent, ""}));

TEST_F(WindowTest, AFileThatIsGoneIsPassedOverSilently)
{
    form_->RichEdit1->setPlainText(kEarlierListing);
    const QString path = dir_.filePath(QStringLiteral("gone.zvw"));
    Open(path);
    EXPECT_EQ(form_->Edit1->text(), path);
    EXPECT_EQ(Pane(), kEarlierListing);
    EXPECT_TRUE(dialogs_.Messages.empty());
}

TEST_F(WindowTest, StatusLineTellsWhatWasListedAndWhetherTheFileWasReadToItsEnd)
{
    Open(Write(QStringLiteral("whole.zvk"), MakeZvk({"a", "b"})));
    const QString whole = form_->Status->Text();
    EXPECT_TRUE(whole.contains(QStringLiteral("ZVK"))) << whole.toStdString();
    EXPECT_TRUE(whole.contains(QStringLiteral(" 3 行"))) << whole.toStdString();
    EXPECT_FALSE(whole.contains(QStringLiteral("最後まで読め"))) << whole.toStdString();

    std::string cut = MakeZvk({"a", "b"});
    cut.pop_back();  // the string pool ends early
    Open(Write(QStringLiteral("cut.zvk"), cut));
    const QString partial = form_->Status->Text();
    EXPECT_TRUE(partial.contains(QStringLiteral("最後まで読めなかった"))) << partial.toStdString();
    EXPECT_TRUE(partial.contains(QStringLiteral("ファイルが %1 バイト目").arg(cut.size()))) << partial.toStdString();
}

// A file that cannot be listed leaves the pane as it is; the status line says
// which file, why, and which file the pane still shows.
TEST_F(WindowTest, AFailedOpenSaysWhyAndKeepsTheEarlierListing)
{
    const QString listed = Write(QStringLiteral("first.zvk"), MakeZvk({"kept"}));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.zvw")));
    const QString locked = Write(QStringLiteral("locked.zvk"), MakeZvk({"x"}));
    QFile::setPermissions(locked, {});
    const bool permissionsBind = ::access(QFile::encodeName(locked).constData(), R_OK) != 0;
    const std::pair<QString, QString> rows[] = {
        {dir_.filePath(QStringLiteral("gone.zvw")), "ファイルがありません"},
        {dir_.filePath(QStringLiteral("folder.zvw")), "フォルダーです"},
        {Write(QStringLiteral("empty.zvc"), ""), "空のファイルです"},
        {Write(QStringLiteral("fake.zvw"), "text"), "ZVW 図面ファイルではありません"},
        {Write(QStringLiteral("fake.zvk"), "text"), "ZVK 図形ファイルではありません"},
        {Write(QStringLiteral("plan.bak"), "text"), "ZVW、ZVS、ZVC、ZVK いずれのファイルのバックアップでもありません"},
        {Write(QStringLiteral("plan.txt"), "text"), "図面ファイルでも図形ファイルでもありません"},
        {permissionsBind ? locked : QString(), "読み取る権限がありません"},
    };
    Open(listed);
    const QString pane = Pane();
    for (const auto& [path, reason] : rows) {
        if (path.isEmpty())
            continue;
        Open(path);
        const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        const QString status = form_->Status->Text();
        EXPECT_TRUE(status.startsWith(QStringLiteral("「%1」は抽出できませんでした（%2").arg(name, reason)) &&
                    status.endsWith(QStringLiteral("表示は「first.zvk」のままです。")))
            << status.toStdString();
        EXPECT_EQ(form_->Notice->text(), status);
        EXPECT_EQ(Pane(), pane);
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(WindowTest, PaneShowsEveryByteAndAnUntouchedListingSavesByteForByte)
{
    const std::vector<std::string> texts = {
        "\x82\xA0\x82\xA2 \x90\x7D\x96\xCA",  // kana and kanji
        "\xB1\xB2\xB3",                       // half-width katakana
        "\x87\x40\x87\x90\xED\x40\xEE\xEF\xFA\x5C",  // extension rows, codes sharing characters
        "A\x80\xA0\xFD\xFE\xFFZ",            // bytes that are not Shift-JIS
        "\x82\x0A\x41\x81\x0D",               // control bytes kept after lead bytes
        "\x7F\x41\x81",                       // DEL, a lead byte at the end
    };
    const QString path = Write(QStringLiteral("bytes.zvk"), MakeZvk(texts, "\x83\x65\x83\x58\x83\x67"));
    form_->CheckBox1->setChecked(true);
    Open(path);

    const std::vector<std::string> lines = CoreLines(path, true);
    EXPECT_EQ(form_->RichEdit1->document()->blockCount(), static_cast<int>(lines.size()));
    EXPECT_EQ(Pane(), Shown(lines));
    EXPECT_TRUE(Pane().contains(QStringLiteral("あい 図面")));

    const QString saved = dir_.filePath(QStringLiteral("bytes.txt"));
    Save(saved);
    EXPECT_EQ(ReadFile(saved), CoreListing(path, true));
    EXPECT_TRUE(dialogs_.Messages.empty());
}

TEST_F(WindowTest, EditedLinesAreEncodedAndTheOthersKeepTheirBytes)
{
    const QString path = Write(QStringLiteral("edit.zvk"), MakeZvk({"\xED\x40 one", "two", "\xED\x40 three"}));
    Open(path);
    QTextCursor cursor(form_->RichEdit1->document()->findBlockByNumber(2));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(QStringLiteral("\u6F22"));  // typed after "two"
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("\n\uFF71\u2460"));  // a new last line

    const QString saved = dir_.filePath(QStringLiteral("edit.txt"));
    Save(saved);
    const std::vector<std::string> lines = CoreLines(path);
    EXPECT_EQ(ReadFile(saved), lines[0] + "\r\n\xED\x40 one\r\ntwo\x8A\xBF\r\n\xED\x40 three\r\n\xB1\x87\x40\r\n");
}

TEST_F(WindowTest, TextThatShiftJisCannotHoldIsFoundBeforeTheSaveDialog)
{
    Open(Write(QStringLiteral("plan.zvk"), MakeZvk({"text"})));
    // A no-break space is saved as typed, not as the space toPlainText makes of it.
    form_->RichEdit1->appendPlainText(QStringLiteral("\U0001F600 and \u00E9\u00A0"));
    form_->Button2Click();
    EXPECT_TRUE(dialogs_.SaveSetups.empty());
    ASSERT_EQ(dialogs_.Messages.size(), 1U);
    EXPECT_EQ(dialogs_.Messages[0].Kind, MessageKind::Warning);
    EXPECT_EQ(dialogs_.Messages[0].Caption, QStringLiteral("警告"));
    EXPECT_TRUE(dialogs_.Messages[0].Text.contains(QStringLiteral("U+1F600")));
    EXPECT_TRUE(dialogs_.Messages[0].Text.contains(QStringLiteral("「\u00E9」(U+00E9)")));
    EXPECT_TRUE(dialogs_.Messages[0].Text.contains(QStringLiteral("U+00A0")));
}

TEST_F(WindowTest, SavingBeforeAnyFileWasChosenBeepsFocusesTheFileButtonAndSaysWhy)
{
    form_->Button2->setFocus();
    form_->Button2Click();
    EXPECT_EQ(dialogs_.Beeps, 1);
    EXPECT_TRUE(dialogs_.SaveSetups.empty());
    EXPECT_EQ(form_->focusWidget(), form_->Button1);
    EXPECT_TRUE(form_->Status->Text().contains(QStringLiteral("保存しませんでした")));
}

TEST_F(WindowTest, CtrlOOpensAndCtrlSSaves)
{
    Open(dir_.filePath(QStringLiteral("plan.zvw")));
    dialogs_.OpenAnswers.push_back({});
    dialogs_.SaveAnswers.push_back(std::nullopt);
    for (QShortcut* shortcut : form_->findChildren<QShortcut*>())
        if (shortcut->key() == QKeySequence(QStringLiteral("Ctrl+O")) ||
            shortcut->key() == QKeySequence(QStringLiteral("Ctrl+S")))
            emit shortcut->activated();
    EXPECT_EQ(dialogs_.OpenSetups.size(), 2U);
    EXPECT_EQ(dialogs_.SaveSetups.size(), 1U);
}

TEST_F(WindowTest, FollowsTheWindowsWidthAndStopsAtASizeWhereNothingOverlaps)
{
    TForm1& f = *form_;
    QApplication::processEvents();
    const QRect edit = f.Edit1->geometry();
    const QRect save = f.Button2->geometry();
    f.resize(f.width() + 200, f.height() + 100);
    QApplication::processEvents();
    const int width = f.width();
    EXPECT_EQ(f.Edit1->geometry(), edit.adjusted(0, 0, 200, 0));
    EXPECT_EQ(f.Button2->geometry(), save.translated(200, 0));
    EXPECT_EQ(f.RichEdit1->width(), f.width());

    // A long status is shortened and never widens the window.
    const QString longText = QStringLiteral("長い状態表示").repeated(100);
    f.Status->SetText(longText);
    QApplication::processEvents();
    EXPECT_EQ(f.width(), width);
    EXPECT_TRUE(f.Status->IsElided());
    EXPECT_EQ(f.Status->toolTip(), longText);

    f.resize(1, 1);
    QApplication::processEvents();
    EXPECT_EQ(f.size(), f.minimumSize());
    const QList<QWidget*> controls = f.Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : controls) {
        EXPECT_TRUE(f.Panel1->rect().contains(a->geometry())) << a->metaObject()->className();
        for (QWidget* b : controls)
            EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
                << a->metaObject()->className() << " " << b->metaObject()->className();
    }
    EXPECT_GT(f.Button2->geometry().left(), f.CheckBox1->geometry().right());
    EXPECT_GE(f.RichEdit1->height(), 96);
    EXPECT_LE(f.Status->geometry().bottom(), f.height());
}

struct Proposal {
    const char* Source;
    const char* Name;
};

class ProposalTest : public WindowTest, public ::testing::WithParamInterface<Proposal> {};

TEST_P(ProposalTest, SaveDialogProposesTheSourceNameAsText)
{
    Open(dir_.filePath(QString::fromUtf8(GetParam().Source)));  // need not exist
    dialogs_.SaveAnswers.push_back(std::nullopt);
    form_->Button2Click();
    ASSERT_EQ(dialogs_.SaveSetups.size(), 1U);
    const FileDialogSetup& setup = dialogs_.SaveSetups[0];
    EXPECT_EQ(setup.Folder, dir_.path() + QLatin1Char('/'));
    EXPECT_EQ(setup.ProposedName, QString::fromUtf8(GetParam().Name));
    EXPECT_EQ(setup.DefaultSuffix, QStringLiteral("txt"));
    ASSERT_EQ(setup.Filters.size(), 1);
    EXPECT_EQ(setup.Filters[0].Description, QStringLiteral("テキストファイル(*.txt)"));
    EXPECT_EQ(setup.Filters[0].Patterns, QStringList{QStringLiteral("*.txt")});
}

INSTANTIATE_TEST_SUITE_P(Names, ProposalTest,
                         ::testing::Values(Proposal{"plan.zvw", "plan.txt"}, Proposal{"plan.old.zvw", "plan.old.txt"},
                                           Proposal{"plan", "plan.txt"}, Proposal{"図面.ZVK", "図面.txt"}));

TEST_F(WindowTest, AnEmptyPaneSavesAnEmptyFile)
{
    Open(dir_.filePath(QStringLiteral("gone.zvw")));
    const QString saved = Write(QStringLiteral("gone.txt"), "old content");
    Save(saved);
    EXPECT_EQ(ReadFile(saved), "");
}

// The proposal follows the listing in the pane, not a later file that could
// not be listed; after saving, the status line names the file and its lines.
TEST_F(WindowTest, AfterAnUnrecognisedFileSavingProposesTheListedFile)
{
    const QString listed = Write(QStringLiteral("first.zvk"), MakeZvk({"kept"}));
    Open(listed);
    Open(Write(QStringLiteral("second.zvw"), "not a drawing"));
    const QString saved = dir_.filePath(QStringLiteral("first.txt"));
    Save(saved);
    EXPECT_EQ(dialogs_.SaveSetups[0].ProposedName, QStringLiteral("first.txt"));
    EXPECT_EQ(ReadFile(saved), CoreListing(listed));
    EXPECT_EQ(form_->Status->Text(), QStringLiteral("「%1」に 2 行を保存しました。").arg(saved));
}

TEST_F(WindowTest, AFailedSaveIsReportedAndLeavesNoFile)
{
    Open(Write(QStringLiteral("plan.zvk"), MakeZvk({"text"})));
    const QString target = dir_.filePath(QStringLiteral("no such folder/plan.txt"));
    Save(target);
    ASSERT_EQ(dialogs_.Messages.size(), 1U);
    EXPECT_EQ(dialogs_.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(dialogs_.Messages[0].Caption, QStringLiteral("VAveze"));
    EXPECT_TRUE(dialogs_.Messages[0].Text.contains(target));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(Pane(), Shown(CoreLines(dir_.filePath(QStringLiteral("plan.zvk")))));
}

TEST_F(WindowTest, AWriteThatFailsHalfwayLeavesTheExistingFileAsItWas)
{
    std::vector<std::string> texts(200, std::string(100, 'x'));
    Open(Write(QStringLiteral("big.zvk"), MakeZvk(texts)));
    const QString target = Write(QStringLiteral("big.txt"), "the file the user chose to replace");

    // Files may grow to 4 KiB only, so the listing (about 20 KiB) cannot be
    // written; the signal that would end the process is ignored.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Save(target);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(ReadFile(target), "the file the user chose to replace");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files, QDir::Name), QStringList({"big.txt", "big.zvk"}));
    ASSERT_EQ(dialogs_.Messages.size(), 1U);
    EXPECT_EQ(dialogs_.Messages[0].Kind, MessageKind::Error);
    EXPECT_TRUE(dialogs_.Messages[0].Text.contains(target));
}

TEST_F(WindowTest, AFolderThatCannotBeWrittenKeepsItsFile)
{
    Open(Write(QStringLiteral("plan.zvk"), MakeZvk({"text"})));
    const QString folder = dir_.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString target = folder + QStringLiteral("/plan.txt");
    testing::WriteFile(target, "old");
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0) {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        GTEST_SKIP() << "permissions do not bind this user";
    }
    Save(target);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("plan.txt")});
    ASSERT_EQ(dialogs_.Messages.size(), 1U);
    EXPECT_EQ(dialogs_.Messages[0].Kind, MessageKind::Error);
}

TEST_F(WindowTest, AFullPaneStopsTheListingWithAnErrorAndKeepsTheLinesBefore)
{
    // The heading, "12345" and the three kana fill 16 characters exactly:
    // 5 + 5 + 3 characters and three line ends.
    Start(16);
    const QString path = Write(QStringLiteral("many.zvk"), MakeZvk({"12345", "\x82\xA0\x82\xA0\x82\xA0", "x"}));
    Open(path);
    EXPECT_EQ(Pane(), Shown({std::string(kHeadingText), "12345"}) + QStringLiteral("\n\u3042\u3042\u3042"));
    ASSERT_EQ(dialogs_.Messages.size(), 1U);
    EXPECT_EQ(dialogs_.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(dialogs_.Messages[0].Caption, QStringLiteral("VAveze"));
    EXPECT_EQ(dialogs_.Messages[0].Text, QStringLiteral("RichEdit での行の挿入エラー."));
    EXPECT_TRUE(form_->Status->Text().contains(QStringLiteral("上限"))) << form_->Status->Text().toStdString();

    // The next file is listed from an empty pane again.
    Open(Write(QStringLiteral("few.zvk"), MakeZvk({"ok"})));
    EXPECT_EQ(Pane(), Shown(CoreLines(dir_.filePath(QStringLiteral("few.zvk")))));
    EXPECT_EQ(dialogs_.Messages.size(), 1U);
}

// Each box gates what its caption says: the second the dimension texts, the
// third the block section. Every sample, every combination of options, saved
// untouched, gives the bytes of the core's listing.
TEST_F(WindowTest, SamplesListedUnderEveryOptionSaveAsTheCoreListsThem)
{
    const QDir samples(QStringLiteral(VAVEZE_SAMPLES_DIR));
    const QStringList names = samples.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        const QString path = samples.filePath(name);
        for (int options = 0; options < 8; ++options) {
            const bool header = options & 1;
            const bool dimensions = options & 2;
            const bool blocks = options & 4;
            form_->CheckBox1->setChecked(header);
            form_->CheckBox2->setChecked(dimensions);
            form_->CheckBox3->setChecked(blocks);
            Open(path);
            const QString saved = dir_.filePath(QStringLiteral("saved.txt"));
            Save(saved);
            EXPECT_EQ(ReadFile(saved), CoreListing(path, header, dimensions, blocks))
                << name.toStdString() << " options " << options;
        }
    }
    EXPECT_TRUE(dialogs_.Messages.empty());

    // The drawing sample has both dimensions and blocks, so the two boxes
    // cannot be told apart by accident.
    const QString plan = samples.filePath(QStringLiteral("plan.zvw"));
    ASSERT_NE(CoreListing(plan, false, true, false), CoreListing(plan, false, false, true));
    form_->CheckBox1->setChecked(false);
    form_->CheckBox2->setChecked(true);
    form_->CheckBox3->setChecked(false);
    Open(plan);
    EXPECT_EQ(Pane(), Shown(CoreLines(plan, false, true, false)));
}

// Sends a drag carrying `urls` over `target` and drops it there.
bool DragAndDrop(QWidget* target, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QApplication::processEvents();
    return drop.isAccepted();
}

TEST_F(WindowTest, DroppingOneFileExtractsIt)
{
    const QString first = Write(QStringLiteral("dropped.zvk"), MakeZvk({"dropped"}));
    EXPECT_TRUE(DragAndDrop(form_.get(), {QUrl::fromLocalFile(first)}));
    EXPECT_EQ(form_->Edit1->text(), first);
    EXPECT_EQ(Pane(), Shown(CoreLines(first)));

    // On the pane too, where the file's name is not pasted as text.
    const QString second = Write(QStringLiteral("second.zvw"), "no drawing");
    EXPECT_TRUE(DragAndDrop(form_->RichEdit1->viewport(), {QUrl::fromLocalFile(second)}));
    EXPECT_EQ(form_->Edit1->text(), second);
    EXPECT_EQ(Pane(), Shown(CoreLines(first)));
    ASSERT_EQ(dialogs_.Messages.size(), 1U);
    EXPECT_EQ(dialogs_.Messages[0].Caption, QStringLiteral("警告"));
}

// A big listing goes into the pane from the event loop: the first lines at
// once, saving refused (with a word) until the rest is in, and closing the
// window stops the fill.
TEST_F(WindowTest, ABigListingFillsThePaneInSlicesAndSavesWhole)
{
    const QString path = Write(QStringLiteral("big.zvk"), MakeZvk(std::vector<std::string>(20'000, "x")));
    Open(path);
    ASSERT_TRUE(form_->Filling());
    EXPECT_GT(form_->RichEdit1->document()->blockCount(), 100);
    EXPECT_TRUE(form_->RichEdit1->isReadOnly());
    EXPECT_FALSE(form_->Button2->isEnabled());
    EXPECT_TRUE(form_->Status->Text().contains(QStringLiteral("表示しています"))) << form_->Status->Text().toStdString();
    form_->Button2Click();
    EXPECT_EQ(dialogs_.Beeps, 1);
    EXPECT_TRUE(form_->Status->Text().contains(QStringLiteral("表示の途中")));

    while (form_->Filling())
        QApplication::processEvents();
    EXPECT_EQ(Pane(), Shown(CoreLines(path)));
    EXPECT_FALSE(form_->RichEdit1->isReadOnly());
    EXPECT_FALSE(form_->RichEdit1->document()->isUndoAvailable());
    const QString saved = dir_.filePath(QStringLiteral("big.txt"));
    Save(saved);
    EXPECT_EQ(ReadFile(saved), CoreListing(path));

    Open(path);
    ASSERT_TRUE(form_->Filling());
    form_->close();
    EXPECT_FALSE(form_->Filling());
    QApplication::processEvents();
}

// Several files make the file list, the first one listed; a folder brings
// its drawings, a file already there is listed once; a name that is not
// UTF-8 is reached by its bytes. A folder without drawings changes nothing.
TEST_F(WindowTest, DroppingSeveralFilesMakesTheListAndListsTheFirst)
{
    const QByteArray shiftJisName = QFile::encodeName(dir_.path()) + "/\x90\x7D\x96\xCA.zvk";  // 図面
    {
        std::ofstream out(shiftJisName.toStdString(), std::ios::binary);
        out << MakeZvk({"sjis"});
    }
    const QUrl sjisUrl = QUrl::fromEncoded("file://" + shiftJisName.toPercentEncoding("/"));
    const QString b = Write(QStringLiteral("b.zvk"), MakeZvk({"b"}));
    ASSERT_TRUE(DragAndDrop(form_.get(), {sjisUrl, QUrl::fromLocalFile(b), QUrl::fromLocalFile(dir_.path())}));
    EXPECT_TRUE(Pane().endsWith(QStringLiteral("sjis"))) << Pane().toStdString();
    ASSERT_EQ(form_->CurrentFiles().Size(), 2U);
    EXPECT_EQ(form_->CurrentFiles()[1].Where.Path, QFile::encodeName(b).toStdString());
    EXPECT_TRUE(form_->FileListPanel->isVisible());

    form_->RichEdit1->setPlainText(kEarlierListing);
    const QString empty = dir_.filePath(QStringLiteral("empty"));
    ASSERT_TRUE(QDir().mkdir(empty));
    EXPECT_TRUE(DragAndDrop(form_->RichEdit1->viewport(), {QUrl::fromLocalFile(empty)}));
    EXPECT_EQ(form_->Status->Text(), QStringLiteral("何も開いていません: フォルダーに図面ファイルも図形ファイルもありません。"));
    EXPECT_EQ(form_->CurrentFiles().Size(), 2U);
    for (QWidget* target : {static_cast<QWidget*>(form_.get()), form_->RichEdit1->viewport()})
        EXPECT_FALSE(DragAndDrop(target, {QUrl(QStringLiteral("https://example.com/a.zvk"))}));
    EXPECT_EQ(Pane(), kEarlierListing);

    // One file dropped is opened as it always was: no list beside the pane.
    EXPECT_TRUE(DragAndDrop(form_.get(), {QUrl::fromLocalFile(b)}));
    EXPECT_FALSE(form_->FileListPanel->isVisible());
    EXPECT_EQ(Pane(), Shown(CoreLines(b)));
}

// Types `text` at the end of line `line` of the pane, as the user would.
void TypeAtEnd(QPlainTextEdit& pane, int line, const QString& text)
{
    QTextCursor cursor(pane.document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(text);
}

// What the window does beyond the original design: a box takes effect at
// once, edits are asked for before they are replaced, a partial or failed
// open is said beside the pane.
TEST_F(WindowTest, BoxesActAtOnceEditsAreAskedForAndNoticesStandBesideThePane)
{
    TForm1& f = *form_;
    const QString path = Write(QStringLiteral("sym.zvk"), MakeZvk({"text"}, "first", "second"));
    const QString withHeader = Shown(CoreLines(path, true));
    const QString without = Shown(CoreLines(path));
    Open(path);
    EXPECT_FALSE(f.NoticeBar->isVisible());

    {
        SCOPED_TRACE("a box lists the file shown again at once, from what was read");
        ASSERT_TRUE(QFile::remove(path));
        f.CheckBox1->click();
        EXPECT_EQ(Pane(), withHeader);
        EXPECT_TRUE(f.Status->Text().contains(QStringLiteral(" 5 行"))) << f.Status->Text().toStdString();
        EXPECT_TRUE(dialogs_.Questions.empty());
        EXPECT_FALSE(f.HoldsEdits());
    }
    {
        SCOPED_TRACE("with edits in the pane, a box asks first; Cancel puts it back");
        TypeAtEnd(*f.RichEdit1, 1, QStringLiteral(" typed"));
        ASSERT_TRUE(f.HoldsEdits());
        const QString edited = Pane();
        dialogs_.ConfirmAnswers = {false};
        f.CheckBox1->click();
        ASSERT_EQ(dialogs_.Questions.size(), 1U);
        EXPECT_EQ(dialogs_.Questions[0].Caption, QStringLiteral("VAveze"));
        EXPECT_EQ(dialogs_.Questions[0].Text, QString::fromStdString(EditsLostQuestion(EditsAt::Relist)));
        EXPECT_TRUE(f.CheckBox1->isChecked());
        EXPECT_EQ(Pane(), edited);

        dialogs_.ConfirmAnswers = {true};
        f.CheckBox1->click();
        EXPECT_FALSE(f.CheckBox1->isChecked());
        EXPECT_EQ(Pane(), without);
        EXPECT_FALSE(f.HoldsEdits());
    }
    {
        SCOPED_TRACE("once saved, the edits are not asked for");
        TypeAtEnd(*f.RichEdit1, 1, QStringLiteral(" typed"));
        Save(dir_.filePath(QStringLiteral("sym.txt")));
        f.CheckBox1->click();
        EXPECT_EQ(Pane(), withHeader);
        EXPECT_EQ(dialogs_.Questions.size(), 2U);
    }
    {
        SCOPED_TRACE("opening another file asks first; Cancel keeps the file and the pane");
        TypeAtEnd(*f.RichEdit1, 1, QStringLiteral(" typed"));
        const QString edited = Pane();
        const QString other = Write(QStringLiteral("other.zvk"), MakeZvk({"other"}));
        dialogs_.ConfirmAnswers = {false};
        Open(other);
        ASSERT_EQ(dialogs_.Questions.size(), 3U);
        EXPECT_EQ(dialogs_.Questions[2].Text, QString::fromStdString(EditsLostQuestion(EditsAt::Open)));
        EXPECT_EQ(f.Edit1->text(), path);
        EXPECT_EQ(Pane(), edited);
    }
    {
        SCOPED_TRACE("a file not listed: the notice says why and what the pane shows; the field shows it");
        const QString edited = Pane();
        const QString fake = Write(QStringLiteral("fake.zvc"), "no drawing");
        dialogs_.ConfirmAnswers = {true};
        Open(fake);
        EXPECT_EQ(f.Edit1->text(), fake);
        EXPECT_EQ(Pane(), edited);  // nothing replaced it
        ASSERT_TRUE(f.NoticeBar->isVisible());
        EXPECT_TRUE(f.Notice->text().startsWith(QStringLiteral("「fake.zvc」は抽出できませんでした")) &&
                    f.Notice->text().endsWith(QStringLiteral("表示は「sym.zvk」のままです。")))
            << f.Notice->text().toStdString();
    }
    {
        SCOPED_TRACE("a partial listing: the notice says where it stops; a whole one hides it");
        std::string cut = MakeZvk({"a", "b"});
        cut.pop_back();
        const QString partial = Write(QStringLiteral("cut.zvk"), cut);
        dialogs_.ConfirmAnswers = {true};
        Open(partial);
        ASSERT_TRUE(f.NoticeBar->isVisible());
        EXPECT_TRUE(f.Notice->text().startsWith(QStringLiteral("「cut.zvk」は最後まで読めませんでした（ファイルが %1 バイト目")
                                                    .arg(cut.size())))
            << f.Notice->text().toStdString();
        // However long, the notice wraps within the window's width.
        QApplication::processEvents();
        const int width = f.width();
        f.Notice->setText(QStringLiteral("長い注意書き").repeated(100));
        QApplication::processEvents();
        EXPECT_EQ(f.width(), width);
        EXPECT_GE(f.RichEdit1->height(), 96);

        Open(Write(QStringLiteral("whole.zvk"), MakeZvk({"a"})));
        EXPECT_FALSE(f.NoticeBar->isVisible());
    }
    {
        SCOPED_TRACE("closing with edits asks first; Cancel keeps the window open");
        TypeAtEnd(*f.RichEdit1, 0, QStringLiteral(" typed"));
        dialogs_.ConfirmAnswers = {false, window::Reply::DontSave};
        EXPECT_FALSE(f.close());
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(dialogs_.Questions.back().Text, QString::fromStdString(EditsLostQuestion(EditsAt::SaveBeforeClose)));
        EXPECT_TRUE(f.close());
        EXPECT_FALSE(f.isVisible());
    }
}

// A fault inside the flow (memory that runs out, a fault of the program)
// stops what the user asked, is told in a box, and the window goes on: the
// pane keeps its listing and the next open lists.
TEST_F(WindowTest, AFaultInTheFlowIsToldAndTheWindowAnswers)
{
    TForm1& f = *form_;
    const QString first = Write(QStringLiteral("first.zvk"), MakeZvk({"first"}));
    const QString second = Write(QStringLiteral("second.zvk"), MakeZvk({"second"}));
    Open(first);
    const QString listed = Pane();
    // Reading the file, then listing it: a fault while reading keeps the
    // pane and the file shown; memory running out while the file read is
    // listed empties the pane, which no longer shows a file the window holds.
    const struct {
        FaultKind Kind;
        unsigned After;
        std::string Message;
        bool WhileListing;
    } faults[] = {
        {FaultKind::OutOfMemory, 0, OutOfMemoryMessage(), false},
        {FaultKind::Internal, 0, "内部エラーのため、処理できませんでした", false},
        {FaultKind::OutOfMemory, 1, OutOfMemoryMessage(), true},
    };
    for (const auto& [kind, after, message, whileListing] : faults) {
        SCOPED_TRACE(message + " after " + std::to_string(after));
        dialogs_.Messages.clear();
        ArmFault(kind, after);
        Open(second);
        DisarmFault();
        ASSERT_EQ(dialogs_.Messages.size(), 1U);
        EXPECT_EQ(dialogs_.Messages[0].Kind, MessageKind::Error);
        const std::string told = dialogs_.Messages[0].Text.toStdString();
        EXPECT_TRUE(told.starts_with(message)) << told;
        EXPECT_EQ(Pane(), whileListing ? QString() : listed);
        EXPECT_EQ(f.Edit1->text(), whileListing ? second : first);
        if (whileListing) {
            // Nothing left that a save could take for the second file's listing.
            const int beeps = dialogs_.Beeps;
            f.Button2Click();
            EXPECT_EQ(dialogs_.Beeps, beeps + 1);
            Open(first);
        }
    }
    Open(second);
    EXPECT_EQ(Pane(), Shown(CoreLines(second)));
    EXPECT_EQ(f.Edit1->text(), second);
}

// The edit every front with an editable pane is held to (tests/data): the
// pane edited through its own cursor, then saved.
TEST_F(WindowTest, TheSharedEditSavesTheSharedBytes)
{
    const QDir data(QStringLiteral(VAVEZE_TEST_DATA_DIR));
    QFile caseFile(data.filePath(QStringLiteral("pane_edits.json")));
    ASSERT_TRUE(caseFile.open(QIODevice::ReadOnly));
    const QJsonObject edit = QJsonDocument::fromJson(caseFile.readAll()).object();
    const QJsonObject options = edit[QStringLiteral("options")].toObject();
    form_->CheckBox1->setChecked(options[QStringLiteral("header")].toBool());
    form_->CheckBox2->setChecked(options[QStringLiteral("dimensions")].toBool());
    form_->CheckBox3->setChecked(options[QStringLiteral("blocks")].toBool());
    Open(data.filePath(edit[QStringLiteral("file")].toString()));
    QStringList shown;
    for (const QJsonValue line : edit[QStringLiteral("shown")].toArray())
        shown += line.toString();
    ASSERT_EQ(Pane(), shown.join(QLatin1Char('\n')));

    QTextDocument& document = *form_->RichEdit1->document();
    for (const QJsonValue value : edit[QStringLiteral("edits")].toArray()) {
        const QJsonObject step = value.toObject();
        const QString kind = step[QStringLiteral("edit")].toString();
        QTextCursor cursor(document.findBlockByNumber(step[QStringLiteral("line")].toInt()));
        if (kind == QLatin1String("insert")) {
            cursor.insertText(step[QStringLiteral("text")].toString() + QLatin1Char('\n'));
        } else if (kind == QLatin1String("delete")) {
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        } else {
            ASSERT_EQ(kind, QLatin1String("type"));
            cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, step[QStringLiteral("column")].toInt());
            cursor.insertText(step[QStringLiteral("text")].toString());
        }
    }
    QByteArray expected;
    for (const QJsonValue line : edit[QStringLiteral("saved")].toArray())
        expected += QByteArray::fromHex(line.toString().toLatin1()) + "\r\n";

    const QString saved = dir_.filePath(QStringLiteral("edited.txt"));
    Save(saved);
    EXPECT_EQ(QByteArray::fromStdString(ReadFile(saved)).toHex(' '), expected.toHex(' '));
}

}  // namespace
}  // namespace vaveze
