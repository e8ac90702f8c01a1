// The window's pane with a listing that fills it (8,200,000 characters):
//  - from the end of the parse to the pane painted, the way the window fills
//    it (the listing collected, then set in one go);
//  - the same listing appended line by line with the pane's own append;
//  - saving the full pane through the window's save button.
// Runs on the off-screen platform unless QT_QPA_PLATFORM says otherwise.
//
//   vaveze_pane_bench --files=FOLDER [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "app/Unit1.h"
#include "core/text/cp932.h"
#include "app/dialogs.h"
#include "core/listing/listing.h"
#include "app/listingpane.h"
#include "bench/bench_common.h"
#include "bench/bench_files.h"
#include "core/readers/win/zvwunit.h"

namespace {

using namespace vaveze;
using namespace vaveze::bench;

// Answers the save dialog with a fixed path; nothing else is expected.
class BenchDialogs final : public Dialogs {
public:
    QString SavePath;
    int Messages = 0;

    std::optional<QString> ChooseFileToOpen(QWidget*, const FileDialogSetup&) override { return std::nullopt; }
    std::optional<QString> ChooseFileToSave(QWidget*, const FileDialogSetup&) override { return SavePath; }
    void ShowMessage(QWidget*, MessageKind, const QString&, const QString&) override { ++Messages; }
    void Beep() override {}
};

struct Fixture {
    BenchDialogs Dialogs;
    std::unique_ptr<TForm1> Form;
    ZvwReader Reader;  // the parsed pane-filling drawing
    QTemporaryDir SaveFolder;
};

Fixture* gFixture = nullptr;

// Every item reports the same counters (the CSV output needs that).
void Count(benchmark::State& state, const TForm1& form, std::size_t characters, double savedMegabytes)
{
    state.counters["lines"] = static_cast<double>(form.RichEdit1->document()->blockCount());
    state.counters["characters"] = static_cast<double>(characters);
    state.counters["saved_MB"] = savedMegabytes;
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

// What the window does from the end of the parse: the listing is collected
// within the pane's limit, then set in one go, then painted.
void PaneAtOnce(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    std::size_t characters = 0;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyPane(form);
        state.ResumeTiming();

        PaneListing listing;
        const bool complete = ListZvw(gFixture->Reader, kEveryOption, listing);
        listing.ShowIn(*form.RichEdit1);
        PaintNow(form);

        characters = listing.CharacterCount();
        if (!complete)
            state.SkipWithError("the listing did not fit the pane");
    }
    Count(state, form, characters, 0);
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
        (void)ListZvw(gFixture->Reader, kEveryOption, sink);
        PaintNow(form);
    }
    Count(state, form, static_cast<std::size_t>(form.RichEdit1->document()->characterCount()), 0);
}

// The save button with the full pane: the pane's text back to Shift-JIS
// bytes and written to a file.
void SaveFullPane(benchmark::State& state)
{
    TForm1& form = *gFixture->Form;
    PaneListing listing;
    (void)ListZvw(gFixture->Reader, kEveryOption, listing);
    listing.ShowIn(*form.RichEdit1);
    PaintNow(form);
    form.Edit1->setText(gFixture->SaveFolder.filePath(QStringLiteral("pane-full.zvw")));
    gFixture->Dialogs.SavePath = gFixture->SaveFolder.filePath(QStringLiteral("pane-full.txt"));

    for (auto _ : state)
        form.Button2Click();

    const qint64 size = QFileInfo(gFixture->Dialogs.SavePath).size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
    Count(state, form, listing.CharacterCount(), static_cast<double>(size) / 1e6);
    if (gFixture->Dialogs.Messages != 0)
        state.SkipWithError("the save reported a problem");
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = TakeFolderArgument(argc, argv);
    if (folder.empty()) {
        std::fprintf(stderr, "usage: %s --files=FOLDER [benchmark flags]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        Fixture fixture;
        gFixture = &fixture;
        const std::string bytes = LoadFile(folder + "/" + std::string(kPaneZvw));
        if (!ParseZvwBytes(fixture.Reader, bytes)) {
            std::fprintf(stderr, "the pane-filling drawing did not parse to its end\n");
            return 1;
        }
        fixture.Form = std::make_unique<TForm1>(fixture.Dialogs);
        fixture.Form->show();
        QCoreApplication::processEvents();

        // One pass each is long enough to measure; repetitions give the spread.
        benchmark::RegisterBenchmark("pane/show_at_once", PaneAtOnce)
            ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
        benchmark::RegisterBenchmark("pane/append_line_by_line", PaneLineByLine)
            ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
        benchmark::RegisterBenchmark("pane/save", SaveFullPane)->Unit(benchmark::kMillisecond)->UseRealTime();

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
