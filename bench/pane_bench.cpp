// The window's pane with a listing that fills it (8,200,000 characters):
//  - side by side: from the end of the parse to the whole listing in the
//    pane and painted, the way the window goes when a box is ticked (the
//    flow lists the kept parse, the first piece goes in at once, the rest a
//    piece per tick of the event loop); and Qt's own time for the same text
//    in a bare QPlainTextEdit;
//  - the drawing opened as when it is dropped on the window (read, parsed,
//    listed, filled), to the full pane painted;
//  - the listing collected, then set in one go (the window fills in pieces);
//  - the same listing appended line by line with the pane's own append;
//  - saving the full pane through the window's save button.
// The listings of many short lines (380,000 of 15 characters, 4.1 million of
// one) would take drawings of hundreds of megabytes, so they do not go
// through the window: the core's pane pacing cuts them into pieces and a
// bare QPlainTextEdit set up as the window's pane takes them a piece per
// tick of the event loop, as the window carries them. Timed: the first lines
// on screen, the full pane and the longest the event loop waited meanwhile;
// against Qt's bare setPlainText of the same text.
// Runs on the off-screen platform unless QT_QPA_PLATFORM says otherwise.
// Without --files only the many-lines items run.
//
//   vaveze_pane_bench [--files=FOLDER] [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "app/Unit1.h"
#include "app/dialogs.h"
#include "bench/bench_common.h"
#include "bench/bench_files.h"
#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/session/pane.h"
#include "core/text/cp932.h"
#include "core/window/panepacing.h"

namespace {

using namespace vaveze;
using namespace vaveze::bench;

// Answers the save dialog with a fixed path; a message or a question is
// not expected and is counted.
class BenchDialogs final : public Dialogs {
public:
    QString SavePath;
    int Messages = 0;

    QStringList ChooseFilesToOpen(QWidget*, const FileDialogSetup&) override { return {}; }
    std::optional<QString> ChooseFileToSave(QWidget*, const FileDialogSetup&) override { return SavePath; }
    void ShowMessage(QWidget*, MessageKind, const QString&, const QString&) override { ++Messages; }
    Reply Ask(QWidget*, const QString&, const QString&, const std::vector<Reply>&, Reply byDefault, Reply) override
    {
        ++Messages;
        return byDefault;
    }
    void Beep() override {}
};

struct Fixture {
    BenchDialogs Dialogs;
    std::unique_ptr<TForm1> Form;
    std::string Bytes;  // the pane-filling drawing
    Readers Parsed;  // ... parsed
    QByteArray Path;  // ... as the file system names it
    QTemporaryDir SaveFolder;
};

Fixture* gFixture = nullptr;

// Every item reports the same counters (the CSV output needs that).
void Count(benchmark::State& state, const QPlainTextEdit& pane, std::size_t characters, double savedMegabytes)
{
    state.counters["lines"] = static_cast<double>(pane.document()->blockCount());
    state.counters["characters"] = static_cast<double>(characters);
    state.counters["saved_MB"] = savedMegabytes;
    state.counters["collect_ms"] = 0;
    state.counters["first_lines_ms"] = 0;
    state.counters["longest_pause_ms"] = 0;
}

// Characters of a listing as the pane counts them: a line end is one.
std::size_t Characters(const PaneListing& listing) { return listing.Text().size() + (listing.LineCount() != 0 ? 1 : 0); }

std::size_t Characters(const QPlainTextEdit& pane) { return static_cast<std::size_t>(pane.document()->characterCount()); }

double Milliseconds(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

// Lets the event loop run until the pane's fill is done.
void WaitForFill(const TForm1& form)
{
    while (form.Filling())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Runs what the window does after its layout and paint requests, so that
// the measured time ends with the pane on screen.
void PaintNow(QWidget& widget)
{
    widget.repaint();
    QCoreApplication::processEvents();
}

void EmptyPane(QPlainTextEdit& pane)
{
    pane.clear();
    PaintNow(pane);
}

// The items that set the window's pane themselves, and emptying it, leave
// it edited as far as the window knows; it forgets that, as after a save,
// so that a box ticked or a drop lists again without asking.
void ForgetEdits(TForm1& form)
{
    // The window hears of it only when the document's flag changes.
    QTextDocument& document = *form.RichEdit1->document();
    document.setModified(true);
    document.setModified(false);
}

// The window's own listing again: the blocks box off and on, each fill let
// run to its end.
void ListAgain(TForm1& form)
{
    ForgetEdits(form);
    form.CheckBox3->setChecked(false);
    WaitForFill(form);
    form.CheckBox3->setChecked(true);
    WaitForFill(form);
    PaintNow(form);
}

// The event loop, one round at a time, until the window's fill is done:
// the first round paints the first lines, and no round may hold input for
// long.
struct Rounds {
    double FirstLines = 0;
    qint64 LongestPause = 0;
};

Rounds RunFill(const TForm1& form, const QElapsedTimer& clock)
{
    Rounds rounds;
    for (bool first = true; form.Filling(); first = false) {
        QElapsedTimer round;
        round.start();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        rounds.LongestPause = qMax(rounds.LongestPause, round.elapsed());
        if (first)
            rounds.FirstLines = Milliseconds(clock);
    }
    return rounds;
}

void CountFill(benchmark::State& state, const TForm1& form, double collect, const Rounds& rounds)
{
    Count(state, *form.RichEdit1, Characters(*form.RichEdit1) - 1, 0);
    state.counters["collect_ms"] = collect;
    state.counters["first_lines_ms"] = rounds.FirstLines;
    state.counters["longest_pause_ms"] = static_cast<double>(rounds.LongestPause);
    if (gFixture->Dialogs.Messages != 0)
        state.SkipWithError("the window showed a message or asked a question (the listing did not fit the pane?)");
}

// From the end of the parse to the whole listing in the pane, painted,
// the way the window goes when a box is ticked: the flow lists the kept
// parse, the first piece goes in at once, the rest from the event loop.
void WindowFull(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    double collect = 0;
    Rounds rounds;
    for (auto _ : state) {
        state.PauseTiming();
        ForgetEdits(form);
        form.CheckBox3->setChecked(false);
        WaitForFill(form);
        EmptyPane(*form.RichEdit1);
        ForgetEdits(form);
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        form.CheckBox3->setChecked(true);
        collect = Milliseconds(clock);
        rounds = RunFill(form, clock);
        PaintNow(form);
    }
    CountFill(state, form, collect, rounds);
}

// The drawing dropped on the window: read, parsed, listed and the pane
// filled, to the full pane painted. `collect_ms` is the drop's own time, to
// the first piece in the pane.
void WindowOpen(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    double collect = 0;
    Rounds rounds;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(*form.RichEdit1);
        ForgetEdits(form);
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        form.ExtractNativeFiles({gFixture->Path});
        collect = Milliseconds(clock);
        rounds = RunFill(form, clock);
        PaintNow(form);
    }
    CountFill(state, form, collect, rounds);
}

// A bare pane set up as the window's: its size and font, no wrap.
void LikeTheWindowsPane(QPlainTextEdit& pane)
{
    const QPlainTextEdit& shown = *gFixture->Form->RichEdit1;
    pane.setLineWrapMode(QPlainTextEdit::NoWrap);
    pane.setFont(shown.font());
    pane.resize(shown.size());
    pane.show();
}

// Qt's own time for the same text: a bare pane given the text in one go
// and painted.
void BareFull(benchmark::State& state)
{
    QPlainTextEdit pane;
    LikeTheWindowsPane(pane);
    PaneListing listing;
    (void)ListZvw(gFixture->Parsed.Zvw, kEveryOption, listing);
    const QString text = QString::fromStdU16String(listing.Text());
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(pane);
        state.ResumeTiming();

        pane.setPlainText(text);
        PaintNow(pane);
    }
    Count(state, pane, static_cast<std::size_t>(text.size()), 0);
}

// From the end of the parse: the listing is collected within the pane's
// limit, then set in the window's pane in one go, then painted.
void PaneAtOnce(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    std::size_t characters = 0;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(*form.RichEdit1);
        state.ResumeTiming();

        PaneListing listing;
        const bool complete = ListZvw(gFixture->Parsed.Zvw, kEveryOption, listing);
        form.RichEdit1->setPlainText(QString::fromStdU16String(listing.Text()));
        PaintNow(form);

        characters = Characters(listing);
        if (!complete)
            state.SkipWithError("the listing did not fit the pane");
    }
    Count(state, *form.RichEdit1, characters, 0);
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
        EmptyPane(*form.RichEdit1);
        state.ResumeTiming();

        AppendEachLine sink(*form.RichEdit1);
        (void)ListZvw(gFixture->Parsed.Zvw, kEveryOption, sink);
        PaintNow(form);
    }
    Count(state, *form.RichEdit1, Characters(*form.RichEdit1), 0);
}

// The save button with the window's full pane: the pane's text back to
// Shift-JIS bytes through the flow and written to a file.
void SaveFullPane(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    ListAgain(form);
    const std::size_t characters = Characters(*form.RichEdit1);
    gFixture->Dialogs.SavePath = gFixture->SaveFolder.filePath(QStringLiteral("pane-full.txt"));

    for (auto _ : state)
        form.Button2Click();

    const qint64 size = QFileInfo(gFixture->Dialogs.SavePath).size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
    Count(state, *form.RichEdit1, characters, static_cast<double>(size) / 1e6);
    if (gFixture->Dialogs.Messages != 0 || size <= 0)
        state.SkipWithError("the save reported a problem");
}

// A listing of `lines` lines of `length` characters each, as the pane
// takes it.
PaneListing ManyLines(std::size_t lines, std::size_t length)
{
    PaneListing listing;
    const std::string line(length, 'x');
    for (std::size_t i = 0; i < lines; ++i)
        (void)listing.Append(line);
    return listing;
}

// The window's fill without the window: the core's pacing cuts the listing
// into pieces, the first goes in at once and the others one per tick of a
// zero timer, each appended at the end of the document and timed for the
// pacing, as the window carries them.
class PacedFill {
public:
    explicit PacedFill(QPlainTextEdit& pane) : pane_(pane)
    {
        QObject::connect(&ticks_, &QTimer::timeout, [this] { Step(); });
    }

    void Start(const PaneListing& listing)
    {
        listing_ = &listing;
        QTextDocument& document = *pane_.document();
        document.setUndoRedoEnabled(false);
        pane_.clear();
        pane_.setReadOnly(true);
        pacing_.Start(listing.Text(), listing.LineCount());
        Append(pacing_.Next());
        pane_.setTextCursor(QTextCursor(&document));
        if (!pacing_.Done())
            ticks_.start(0);
    }
    [[nodiscard]] bool Running() const { return ticks_.isActive(); }

private:
    void Step()
    {
        pacing_.Took(lastPieceNanoseconds_);
        Append(pacing_.Next());
        if (pacing_.Done()) {
            ticks_.stop();
            pane_.setReadOnly(false);
            pane_.document()->setUndoRedoEnabled(true);
        }
    }

    void Append(window::Piece piece)
    {
        QElapsedTimer took;
        took.start();
        QTextCursor end(pane_.document());
        end.movePosition(QTextCursor::End);
        const std::u16string& text = listing_->Text();
        end.insertText(QString::fromUtf16(text.data() + piece.From, static_cast<qsizetype>(piece.To - piece.From)));
        lastPieceNanoseconds_ = took.nsecsElapsed();
    }

    QPlainTextEdit& pane_;
    QTimer ticks_;
    window::PanePacing pacing_;
    const PaneListing* listing_ = nullptr;
    std::int64_t lastPieceNanoseconds_ = 0;
};

void FillInSlices(benchmark::State& state)
{
    QPlainTextEdit pane;
    LikeTheWindowsPane(pane);
    PacedFill fill(pane);
    double firstLines = 0;
    double collect = 0;
    qint64 longestPause = 0;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(pane);
        // Collecting the lines comes before the fill and is not sliced.
        QElapsedTimer collecting;
        collecting.start();
        const PaneListing listing =
            ManyLines(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
        collect = Milliseconds(collecting);
        state.ResumeTiming();

        QElapsedTimer clock;
        clock.start();
        fill.Start(listing);
        PaintNow(pane);
        firstLines = Milliseconds(clock);
        // A timer that should fire every 10 ms shows how long input waits.
        QTimer ticks;
        QElapsedTimer sinceTick;
        sinceTick.start();
        QObject::connect(&ticks, &QTimer::timeout, [&] { longestPause = qMax(longestPause, sinceTick.restart()); });
        ticks.start(10);
        while (fill.Running())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        PaintNow(pane);
    }
    Count(state, pane, Characters(pane), 0);
    state.counters["first_lines_ms"] = firstLines;
    state.counters["collect_ms"] = collect;
    state.counters["longest_pause_ms"] = static_cast<double>(longestPause);
}

void BareSetPlainText(benchmark::State& state)
{
    QPlainTextEdit pane;
    LikeTheWindowsPane(pane);
    const QString text = QString::fromStdU16String(
        ManyLines(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1))).Text());
    for (auto _ : state) {
        state.PauseTiming();
        pane.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        pane.setPlainText(text);
        PaintNow(pane);
    }
    Count(state, pane, Characters(pane), 0);
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
            fixture.Path = QFile::encodeName(QString::fromStdString(path));
            fixture.Bytes = LoadFile(path);
            const Detection drawing = DetectAndParseBytes(fixture.Parsed, std::string(kPaneZvw), fixture.Bytes);
            // The window opens it with every box ticked, as dropped on it,
            // and keeps its parse.
            TForm1& form = *fixture.Form;
            for (QCheckBox* box : {form.CheckBox1, form.CheckBox2, form.CheckBox3})
                box->setChecked(true);
            form.ExtractNativeFiles({fixture.Path});
            WaitForFill(form);
            const OpenResult& opened = form.Flow().CurrentSession().Shown();
            if (drawing.Kind != FormatKind::Zvw || !drawing.Outcome || opened.Kind != FormatKind::Zvw ||
                opened.Partial() || fixture.Dialogs.Messages != 0) {
                std::fprintf(stderr, "the pane-filling drawing did not parse to its end\n");
                return 1;
            }
            using Item = std::pair<const char*, void (*)(benchmark::State&)>;
            for (const auto& [name, run] : {Item{"pane/window_full", WindowFull}, Item{"pane/window_open", WindowOpen},
                                            Item{"pane/bare_full", BareFull}, Item{"pane/show_at_once", PaneAtOnce},
                                            Item{"pane/append_line_by_line", PaneLineByLine}})
                benchmark::RegisterBenchmark(name, run)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
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
        ForgetEdits(*fixture.Form);
        fixture.Form->close();
        gFixture = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
