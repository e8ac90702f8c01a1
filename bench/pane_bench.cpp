// The window's pane with a listing that fills it (8,200,000 characters):
//  - side by side: from the end of the parse to the whole listing in the
//    pane and painted, the way the window goes when a file is opened
//    (collected, then filled a slice at a time from the event loop); and
//    Qt's own time for the same text in a bare QPlainTextEdit;
//  - from the end of the parse to the pane painted, the listing collected,
//    then set in one go (the window itself now fills in slices, below);
//  - the same listing appended line by line with the pane's own append;
//  - saving the full pane through the window's save button;
//  - listings of many short lines (380,000 of 15 characters, 4.1 million of
//    one) put in the way the window does it, a slice at a time from the
//    event loop: the time to the first lines on screen, to the full pane and
//    the longest the event loop waited meanwhile; against Qt's bare
//    setPlainText of the same text.
// Runs on the off-screen platform unless QT_QPA_PLATFORM says otherwise.
// Without --files only the many-lines items run.
//
//   vaveze_pane_bench [--files=FOLDER] [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "app/Unit1.h"
#include "app/dialogs.h"
#include "app/panefill.h"
#include "bench/bench_common.h"
#include "bench/bench_files.h"
#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/session/pane.h"
#include "core/text/cp932.h"

namespace {

using namespace vaveze;
using namespace vaveze::bench;

// Answers the save dialog with a fixed path; nothing else is expected.
class BenchDialogs final : public Dialogs {
public:
    QString SavePath;
    int Messages = 0;

    QStringList ChooseFilesToOpen(QWidget*, const FileDialogSetup&) override { return {}; }
    std::optional<QString> ChooseFileToSave(QWidget*, const FileDialogSetup&) override { return SavePath; }
    void ShowMessage(QWidget*, MessageKind, const QString&, const QString&) override { ++Messages; }
    bool Confirm(QWidget*, const QString&, const QString&) override { return true; }
    void Beep() override {}
};

struct Fixture {
    BenchDialogs Dialogs;
    std::unique_ptr<TForm1> Form;
    std::string Bytes;  // the pane-filling drawing
    Readers Parsed;  // ... parsed
    QString Path;
    QTemporaryDir SaveFolder;
};

Fixture* gFixture = nullptr;

// Every item reports the same counters (the CSV output needs that).
void Count(benchmark::State& state, const TForm1& form, std::size_t characters, double savedMegabytes)
{
    state.counters["lines"] = static_cast<double>(form.RichEdit1->document()->blockCount());
    state.counters["characters"] = static_cast<double>(characters);
    state.counters["saved_MB"] = savedMegabytes;
    state.counters["collect_ms"] = 0;
    state.counters["first_lines_ms"] = 0;
    state.counters["longest_pause_ms"] = 0;
}

// Characters of a listing as the pane counts them: a line end is one.
std::size_t Characters(const PaneListing& listing) { return listing.Text().size() + (listing.LineCount() != 0 ? 1 : 0); }

// Lets the event loop run until the pane's fill is done.
void WaitForFill(const TForm1& form)
{
    while (form.Filling())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Runs what the window does after an extraction's layout and paint
// requests, so that the measured time ends with the pane on screen.
void PaintNow(TForm1& form)
{
    form.repaint();
    QCoreApplication::processEvents();
}

void EmptyPane(TForm1& form)
{
    form.RichEdit1->clear();
    PaintNow(form);
}

// From the end of the parse: the listing is collected within the pane's
// limit, then set in one go, then painted.
void PaneAtOnce(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    std::size_t characters = 0;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(form);
        state.ResumeTiming();

        PaneListing listing;
        const bool complete = ListZvw(gFixture->Parsed.Zvw, kEveryOption, listing);
        form.RichEdit1->setPlainText(QString::fromStdU16String(listing.Text()));
        PaintNow(form);

        characters = Characters(listing);
        if (!complete)
            state.SkipWithError("the listing did not fit the pane");
    }
    Count(state, form, characters, 0);
}

// From the end of the parse to the whole listing in the pane, painted,
// the way the window goes when a file is opened or a box ticked: the
// session's kept parse listed,
// the pane filled a slice at a time from the event loop, then painted.
void WindowFull(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    double collect = 0;
    double firstLines = 0;
    qint64 longestPause = 0;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(form);
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        form.ShowListing();
        collect = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        // The window's event loop, one round at a time: the first round
        // paints the first lines, and no round may hold input for long.
        for (bool first = true; form.Filling(); first = false) {
            QElapsedTimer round;
            round.start();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            longestPause = qMax(longestPause, round.elapsed());
            if (first)
                firstLines = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        }
        PaintNow(form);
    }
    Count(state, form, static_cast<std::size_t>(form.RichEdit1->document()->characterCount() - 1), 0);
    state.counters["collect_ms"] = collect;
    state.counters["first_lines_ms"] = firstLines;
    state.counters["longest_pause_ms"] = static_cast<double>(longestPause);
    if (gFixture->Dialogs.Messages != 0)
        state.SkipWithError("the listing did not fit the pane");
}

// Qt's own time for the same text: a bare pane of the window's pane's size
// and font, no wrap, shown, given the text in one go and painted.
void BareFull(benchmark::State& state)
{
    const QPlainTextEdit& shown = *gFixture->Form->RichEdit1;
    QPlainTextEdit pane;
    pane.setLineWrapMode(QPlainTextEdit::NoWrap);
    pane.setFont(shown.font());
    pane.resize(shown.size());
    pane.show();
    PaneListing listing;
    (void)ListZvw(gFixture->Parsed.Zvw, kEveryOption, listing);
    const QString text = QString::fromStdU16String(listing.Text());
    for (auto _ : state) {
        state.PauseTiming();
        pane.clear();
        pane.repaint();
        QCoreApplication::processEvents();
        state.ResumeTiming();

        pane.setPlainText(text);
        pane.repaint();
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = static_cast<double>(pane.document()->blockCount());
    state.counters["characters"] = static_cast<double>(text.size());
    state.counters["saved_MB"] = 0;
    state.counters["collect_ms"] = 0;
    state.counters["first_lines_ms"] = 0;
    state.counters["longest_pause_ms"] = 0;
}

// The same lines, each shown as the pane shows it and appended on its own.
class AppendEachLine final : public LineSink {
public:
    explicit AppendEachLine(QPlainTextEdit& pane) : pane_(pane) {}
    void Clear() override { pane_.clear(); }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        const DecodedText decoded = DecodeCp932(line, ControlBytes::AsRawByte);
        pane_.appendPlainText(QString(reinterpret_cast<const QChar*>(decoded.Text.data()),
                                      static_cast<qsizetype>(decoded.Text.size())));
        return true;
    }

private:
    QPlainTextEdit& pane_;
};

void PaneLineByLine(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(form);
        state.ResumeTiming();

        AppendEachLine sink(*form.RichEdit1);
        (void)ListZvw(gFixture->Parsed.Zvw, kEveryOption, sink);
        PaintNow(form);
    }
    Count(state, form, static_cast<std::size_t>(form.RichEdit1->document()->characterCount()), 0);
}

// The save button with the full pane: the pane's text back to Shift-JIS
// bytes through the session and written to a file.
void SaveFullPane(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    form.ShowListing();
    WaitForFill(form);
    PaintNow(form);
    const std::size_t characters = static_cast<std::size_t>(form.RichEdit1->document()->characterCount());
    gFixture->Dialogs.SavePath = gFixture->SaveFolder.filePath(QStringLiteral("pane-full.txt"));

    for (auto _ : state)
        form.Button2Click();

    const qint64 size = QFileInfo(gFixture->Dialogs.SavePath).size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
    Count(state, form, characters, static_cast<double>(size) / 1e6);
    if (gFixture->Dialogs.Messages != 0)
        state.SkipWithError("the save reported a problem");
}

// A listing of `lines` lines of `length` characters each, as the pane
// takes it.
struct ShownLines {
    QString Text;
    std::size_t Lines = 0;
};

ShownLines ManyLines(std::size_t lines, std::size_t length)
{
    PaneListing listing;
    const std::string line(length, 'x');
    for (std::size_t i = 0; i < lines; ++i)
        (void)listing.Append(line);
    return {QString::fromStdU16String(listing.Text()), listing.LineCount()};
}

void FillInSlices(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    QPlainTextEdit& pane = *form.RichEdit1;
    PaneFill fill(pane);
    double firstLines = 0;
    double collect = 0;
    qint64 longestPause = 0;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(form);
        // Collecting the lines comes before the fill and is not sliced.
        QElapsedTimer collecting;
        collecting.start();
        ShownLines listing = ManyLines(static_cast<std::size_t>(state.range(0)),
                                         static_cast<std::size_t>(state.range(1)));
        collect = static_cast<double>(collecting.nsecsElapsed()) / 1e6;
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        fill.Start(std::move(listing.Text), listing.Lines);
        PaintNow(form);
        firstLines = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        // A timer that should fire every 10 ms shows how long input waits.
        QTimer ticks;
        QElapsedTimer sinceTick;
        sinceTick.start();
        QObject::connect(&ticks, &QTimer::timeout, [&] { longestPause = qMax(longestPause, sinceTick.restart()); });
        ticks.start(10);
        QEventLoop loop;
        QObject::connect(&fill, &PaneFill::Finished, &loop, &QEventLoop::quit);
        if (fill.Running())
            loop.exec();
        PaintNow(form);
    }
    state.counters["first_lines_ms"] = firstLines;
    state.counters["collect_ms"] = collect;
    state.counters["longest_pause_ms"] = static_cast<double>(longestPause);
    state.counters["lines"] = static_cast<double>(pane.document()->blockCount());
    state.counters["characters"] = static_cast<double>(pane.document()->characterCount());
    state.counters["saved_MB"] = 0;
}

void BareSetPlainText(benchmark::State& state)
{
    QPlainTextEdit pane;
    pane.setLineWrapMode(QPlainTextEdit::NoWrap);
    pane.resize(gFixture->Form->RichEdit1->size());
    pane.show();
    const QString text =
        ManyLines(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1))).Text;
    for (auto _ : state) {
        state.PauseTiming();
        pane.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        pane.setPlainText(text);
        pane.repaint();
        QCoreApplication::processEvents();
    }
    state.counters["first_lines_ms"] = 0;
    state.counters["collect_ms"] = 0;
    state.counters["longest_pause_ms"] = 0;
    state.counters["lines"] = static_cast<double>(pane.document()->blockCount());
    state.counters["characters"] = static_cast<double>(pane.document()->characterCount());
    state.counters["saved_MB"] = 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = TakeFolderArgument(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        Fixture fixture;
        gFixture = &fixture;
        fixture.Form = std::make_unique<TForm1>(fixture.Dialogs);
        fixture.Form->show();
        QCoreApplication::processEvents();

        // One pass each is long enough to measure; repetitions give the spread.
        if (!folder.empty()) {
            const std::string path = folder + "/" + std::string(kPaneZvw);
            fixture.Path = QString::fromStdString(path);
            fixture.Bytes = LoadFile(path);
            const Detection drawing = DetectAndParseBytes(fixture.Parsed, std::string(kPaneZvw), fixture.Bytes);
            // The window opens it with every box ticked and keeps its parse.
            for (QCheckBox* box : {fixture.Form->CheckBox1, fixture.Form->CheckBox2, fixture.Form->CheckBox3})
                box->setChecked(true);
            fixture.Form->ExtractFile(fixture.Path);
            WaitForFill(*fixture.Form);
            const OpenResult& opened = fixture.Form->CurrentSession().Shown();
            if (drawing.Kind != FormatKind::Zvw || !drawing.Outcome || opened.Kind != FormatKind::Zvw ||
                opened.Partial()) {
                std::fprintf(stderr, "the pane-filling drawing did not parse to its end\n");
                return 1;
            }
            benchmark::RegisterBenchmark("pane/window_full", WindowFull)
                ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
            benchmark::RegisterBenchmark("pane/bare_full", BareFull)
                ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
            benchmark::RegisterBenchmark("pane/show_at_once", PaneAtOnce)
                ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
            benchmark::RegisterBenchmark("pane/append_line_by_line", PaneLineByLine)
                ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
            benchmark::RegisterBenchmark("pane/save", SaveFullPane)->Unit(benchmark::kMillisecond)->UseRealTime();
        }
        using Item = std::pair<const char*, void (*)(benchmark::State&)>;
        for (const auto& [name, run] : {Item{"pane/fill_in_slices", FillInSlices},
                                        Item{"pane/bare_setPlainText", BareSetPlainText}})
            benchmark::RegisterBenchmark(name, run)
                ->Args({380'000, 15})->Args({4'100'000, 1})
                ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 2;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        fixture.Form->close();
        gFixture = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
