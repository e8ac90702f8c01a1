// The real program in a real X server: choose a sample in the open dialog,
// save the listing through the save dialog, choose several files and save
// every listing with Ctrl+Shift+S; compare with vaveze-list.
//
// There is no window manager under Xvfb, so windows are never activated
// from here: the test waits for them by name and for the keyboard focus to
// arrive, and types only ASCII paths.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "core/window/startup.h"
#include "testfiles.h"

namespace {

constexpr int kPatienceMs = 30000;
// One xdotool call: one that hangs is given up, and the next poll tries again.
constexpr int kXdotoolPatienceMs = 10000;

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        ASSERT_TRUE(dir_.isValid());

        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env_.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        // Keep the dialogs' remembered folders out of the user's settings.
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
        env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());

        const QString display = StartServer();
        ASSERT_FALSE(display.isEmpty()) << "Xvfb did not start: " << Logs();
        env_.insert(QStringLiteral("DISPLAY"), display);
    }

    // Starts a server; the name of its display once it is ready, or nothing.
    // -displayfd 1: it picks a free display and writes its number then.
    // -noreset: a server resets when its last client leaves, and a client
    // that connects meanwhile (the program, just after an xdotool call) is
    // refused. What the server says goes to a file: a pipe that nobody reads
    // while the test waits would stop the server once it is full.
    QString StartServer()
    {
        xvfb_.setStandardErrorFile(dir_.filePath(QStringLiteral("xvfb.log")));
        xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                                             QStringLiteral("-screen"), QStringLiteral("0"),
                                             QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                             QStringLiteral("tcp")});
        if (!xvfb_.waitForStarted(kPatienceMs))
            return {};
        QByteArray number;
        const QDeadlineTimer deadline(kPatienceMs);
        while (!number.contains('\n') && !deadline.hasExpired() && xvfb_.state() == QProcess::Running) {
            xvfb_.waitForReadyRead(200);
            number += xvfb_.readAllStandardOutput();
        }
        return number.contains('\n') ? QStringLiteral(":") + QString::fromLatin1(number.trimmed()) : QString();
    }

    static void StopProcess(QProcess& process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished();
        }
    }

    void TearDown() override
    {
        StopProcess(program_);
        StopProcess(xvfb_);
    }

    // Starts the program with `arguments` in the test's folder; its window,
    // or nothing when none appeared. Its output goes to a file, as the
    // server's does.
    QString StartProgram(const QStringList& arguments)
    {
        program_.setProcessEnvironment(env_);
        program_.setWorkingDirectory(dir_.path());
        program_.setProcessChannelMode(QProcess::MergedChannels);
        program_.setStandardOutputFile(dir_.filePath(QStringLiteral("program.log")));
        program_.start(QStringLiteral(VAVEZE_GUI_PATH), arguments);
        if (!program_.waitForStarted(kPatienceMs))
            return {};
        return WaitForWindow(QStringLiteral("VAveze Ver.1.01"));
    }

    // What the program and the server said, for the message of a failure.
    std::string Logs() const
    {
        const auto state = [](const QProcess& p) { return p.state() == QProcess::Running ? "running" : "not running"; };
        return "\nprogram (" + std::string(state(program_)) + "): " +
               vaveze::testing::ReadFile(dir_.filePath(QStringLiteral("program.log"))) +
               "\nXvfb (" + state(xvfb_) + "): " + vaveze::testing::ReadFile(dir_.filePath(QStringLiteral("xvfb.log")));
    }

    // Runs xdotool; its output, or nothing when it did not finish in time.
    QString Xdo(const QStringList& arguments) const
    {
        QProcess xdo;
        xdo.setProcessEnvironment(env_);
        xdo.start(QStringLiteral("xdotool"), arguments);
        if (!xdo.waitForFinished(kXdotoolPatienceMs)) {
            xdo.kill();
            xdo.waitForFinished();
            return {};
        }
        return QString::fromUtf8(xdo.readAllStandardOutput()).trimmed();
    }

    // The first visible window whose name is exactly `name`, or nothing.
    QString FindWindow(const QString& name) const
    {
        return Xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                    QStringLiteral("^") + QRegularExpression::escape(name) + QLatin1Char('$')})
            .section(QLatin1Char('\n'), 0, 0);
    }

    QString WaitForWindow(const QString& name) const
    {
        const QDeadlineTimer deadline(kPatienceMs);
        QString window;
        while ((window = FindWindow(name)).isEmpty() && !deadline.hasExpired())
            QThread::msleep(100);
        return window;
    }

    // Clicks a button until the dialog it opens is there: a click that
    // arrives while the window is still busy with a closing dialog is lost.
    QString ClickForDialog(const QString& window, int x, int y, const QString& dialog) const
    {
        const QDeadlineTimer deadline(kPatienceMs);
        while (!deadline.hasExpired()) {
            Click(window, x, y);
            const QDeadlineTimer shortly(3000);
            while (!shortly.hasExpired()) {
                if (const QString found = FindWindow(dialog); !found.isEmpty())
                    return found;
                QThread::msleep(100);
            }
        }
        return {};
    }

    bool WaitForFocus(const QString& window) const
    {
        const QDeadlineTimer deadline(kPatienceMs);
        while (!deadline.hasExpired()) {
            if (Xdo({QStringLiteral("getwindowfocus")}) == window)
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    void Click(const QString& window, int x, int y) const
    {
        Xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x), QString::number(y),
             QStringLiteral("click"), QStringLiteral("1")});
    }

    void TypePathAndEnter(const QString& path) const
    {
        Xdo({QStringLiteral("key"), QStringLiteral("ctrl+a")});
        Xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"), path});
        Xdo({QStringLiteral("key"), QStringLiteral("Return")});
    }

    QTemporaryDir dir_;
    QProcess xvfb_;
    QProcess program_;
    QProcessEnvironment env_;
};

QByteArray ListingOf(const QString& path)
{
    QProcess list;
    // Shift-JIS named: to a pipe the tool follows the locale.
    list.start(QStringLiteral(VAVEZE_LIST_PATH), {QStringLiteral("--sjis"), path});
    list.waitForFinished(kPatienceMs);
    return list.readAllStandardOutput();
}

TEST_F(EndToEndTest, ChooseASampleAndSaveItsListing)
{
    const QString sample = dir_.filePath(QStringLiteral("plan.zvw"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VAVEZE_SAMPLES_DIR "/plan.zvw"), sample));
    const QString saved = dir_.filePath(QStringLiteral("listing.txt"));

    const QString window = StartProgram({});
    ASSERT_FALSE(window.isEmpty()) << "the window did not appear" << Logs();

    const QString open = ClickForDialog(window, 50, 20, QStringLiteral("開く"));  // "ファイル名"
    ASSERT_FALSE(open.isEmpty()) << "the open dialog did not appear";
    ASSERT_TRUE(WaitForFocus(open));
    TypePathAndEnter(sample);

    const QString save = ClickForDialog(window, 490, 44, QStringLiteral("名前を付けて保存"));  // "テキスト出力"
    ASSERT_FALSE(save.isEmpty()) << "the save dialog did not appear";
    ASSERT_TRUE(WaitForFocus(save));
    TypePathAndEnter(saved);

    const QDeadlineTimer written(kPatienceMs);
    while (!QFileInfo::exists(saved) && !written.hasExpired())
        QThread::msleep(100);
    ASSERT_TRUE(QFileInfo::exists(saved)) << "nothing was saved";

    const QByteArray expected = ListingOf(sample);
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(QByteArray::fromStdString(vaveze::testing::ReadFile(saved)), expected);

    // Several files chosen at once, then Ctrl+Shift+S: each listing beside
    // its file, under the names vaveze-list --save gives.
    const QString tool = dir_.filePath(QStringLiteral("tool"));
    ASSERT_TRUE(QDir().mkpath(tool));
    // Names the dialog's first filter shows: it passes over typed names it hides.
    const QStringList names = {QStringLiteral("plan.zvw"), QStringLiteral("drawing.zvc"), QStringLiteral("symbol.zvs")};
    for (const QString& name : names.mid(1))
        ASSERT_TRUE(QFile::copy(QStringLiteral(VAVEZE_SAMPLES_DIR "/") + name, dir_.filePath(name)));
    for (const QString& name : names)
        ASSERT_TRUE(QFile::copy(dir_.filePath(name), tool + QLatin1Char('/') + name));
    const QString several = ClickForDialog(window, 50, 20, QStringLiteral("開く"));
    ASSERT_FALSE(several.isEmpty()) << "the open dialog did not appear again";
    ASSERT_TRUE(WaitForFocus(several));
    TypePathAndEnter(QLatin1Char('"') + names.join(QStringLiteral("\" \"")) + QLatin1Char('"'));
    // With no window manager nobody gives the window the focus back.
    Xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    ASSERT_TRUE(WaitForFocus(window));
    Xdo({QStringLiteral("key"), QStringLiteral("ctrl+shift+s")});

    const QStringList targets = {QStringLiteral("plan.txt"), QStringLiteral("drawing.txt"), QStringLiteral("symbol.txt")};
    const QDeadlineTimer allWritten(kPatienceMs);
    const auto allSaved = [&] {
        for (const QString& target : targets)
            if (!QFileInfo::exists(dir_.filePath(target)))
                return false;
        return true;
    };
    while (!allSaved() && !allWritten.hasExpired())
        QThread::msleep(100);
    ASSERT_TRUE(allSaved()) << "not every listing was saved" << Logs();
    QProcess list;
    list.setWorkingDirectory(tool);
    list.start(QStringLiteral(VAVEZE_LIST_PATH), QStringList{QStringLiteral("-q"), QStringLiteral("--save")} + names);
    ASSERT_TRUE(list.waitForFinished(kPatienceMs));
    for (const QString& target : targets)
        EXPECT_EQ(vaveze::testing::ReadFile(dir_.filePath(target)), vaveze::testing::ReadFile(tool + QLatin1Char('/') + target))
            << target.toStdString();
}

// The desktop hands a file to the program when the user opens it with
// VAveze; after "--" even a name that reads as an option is a file's.
TEST_F(EndToEndTest, ListsAFileNamedOnTheCommandLine)
{
    const QString sample = dir_.filePath(QStringLiteral("--help"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VAVEZE_SAMPLES_DIR "/symbol.zvs"), sample));
    const QString saved = dir_.filePath(QStringLiteral("--help.txt"));

    const QString window = StartProgram({QStringLiteral("--"), QStringLiteral("--help")});
    ASSERT_FALSE(window.isEmpty()) << "the window did not appear" << Logs();

    const QString save = ClickForDialog(window, 490, 44, QStringLiteral("名前を付けて保存"));  // "テキスト出力"
    ASSERT_FALSE(save.isEmpty()) << "the save dialog did not appear";
    ASSERT_TRUE(WaitForFocus(save));
    Xdo({QStringLiteral("key"), QStringLiteral("Return")});  // the proposed name, beside the source

    const QDeadlineTimer written(kPatienceMs);
    while (!QFileInfo::exists(saved) && !written.hasExpired())
        QThread::msleep(100);
    ASSERT_TRUE(QFileInfo::exists(saved)) << "nothing was saved";
    EXPECT_EQ(QByteArray::fromStdString(vaveze::testing::ReadFile(saved)), ListingOf(sample));
}

// After a file that is not a drawing, the warning box comes up and saving
// proposes the name of the file whose listing the pane still shows. The
// dialogs' titles are Qt's own Japanese texts: the locale here is C.
TEST_F(EndToEndTest, AFailedOpenKeepsTheListingAndTheNameItIsSavedUnder)
{
    const QString sample = dir_.filePath(QStringLiteral("plan.zvw"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VAVEZE_SAMPLES_DIR "/plan.zvw"), sample));
    const QString fake = dir_.filePath(QStringLiteral("fake.zvw"));
    vaveze::testing::WriteFile(fake, "not a drawing");

    const QString window = StartProgram({sample});
    ASSERT_FALSE(window.isEmpty()) << "the window did not appear" << Logs();

    const QString open = ClickForDialog(window, 50, 20, QStringLiteral("開く"));
    ASSERT_FALSE(open.isEmpty()) << "the open dialog did not appear in Japanese";
    ASSERT_TRUE(WaitForFocus(open));
    TypePathAndEnter(fake);
    const QString warning = WaitForWindow(QStringLiteral("警告"));
    ASSERT_FALSE(warning.isEmpty()) << "no warning for a file that is not a drawing";
    ASSERT_TRUE(WaitForFocus(warning));
    Xdo({QStringLiteral("key"), QStringLiteral("Return")});

    const QString save = ClickForDialog(window, 490, 44, QStringLiteral("名前を付けて保存"));
    ASSERT_FALSE(save.isEmpty()) << "the save dialog did not appear in Japanese";
    ASSERT_TRUE(WaitForFocus(save));
    Xdo({QStringLiteral("key"), QStringLiteral("Return")});  // the proposed name

    const QString saved = dir_.filePath(QStringLiteral("plan.txt"));
    const QDeadlineTimer written(kPatienceMs);
    while (!QFileInfo::exists(saved) && !written.hasExpired())
        QThread::msleep(100);
    ASSERT_TRUE(QFileInfo::exists(saved)) << "the listing was not saved under the listed file's name";
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath(QStringLiteral("fake.txt"))));
    EXPECT_EQ(QByteArray::fromStdString(vaveze::testing::ReadFile(saved)), ListingOf(sample));
}

// --help and --version answer on standard output, with no display to open.
TEST(ProgramCommandLine, HelpAndVersionAnswerWithoutADisplay)
{
    using vaveze::window::StartRequest;
    for (const auto& [option, what] : {std::pair{"--help", StartRequest::Kind::Help},
                                       std::pair{"--version", StartRequest::Kind::Version}}) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(VAVEZE_GUI_PATH), {QString::fromLatin1(option)});
        ASSERT_TRUE(program.waitForFinished(kPatienceMs)) << option;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(program.exitCode(), 0) << option;
        EXPECT_EQ(program.readAllStandardOutput().toStdString(), vaveze::window::StartAnswer(what)) << option;
    }
}

}  // namespace
