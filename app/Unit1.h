// The main window, a view of the window flow (core/window): its controls
// and their layout, the event loop's timers and the dialogs, which carry out
// the flow's effects and hand it what the user does.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/dialogs.h"
#include "core/session/pane.h"
#include "core/window/windowflow.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTimer;

namespace vaveze {

class FilesPanel;
class FindBar;
class HitsPanel;
class StatusLine;

// The main window.
class TForm1 final : public QWidget {
    Q_OBJECT

public:
    // `paneCharacterLimit` is there for tests; the window uses the default.
    explicit TForm1(Dialogs& dialogs, std::size_t paneCharacterLimit = kPaneCharacterLimit,
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // The controls, top to bottom.
    QFrame* Panel1;        // the raised panel of the controls
    QPushButton* Button1;  // the open button, "ファイル名"
    QLineEdit* Edit1;      // the path field: the last file chosen, listed or not
    QCheckBox* CheckBox1;  // the header section box
    QCheckBox* CheckBox2;  // the dimension texts box
    QCheckBox* CheckBox3;  // the block section box
    QPushButton* Button2;  // the save button, "テキスト出力"
    QPushButton* Button3;  // the save-all button, "すべて出力": every listing of the file list beside its source
    QPushButton* Button4;  // the table button, "表に出力": every line of the file list in one CSV
    QLabel* Panel2;        // the caption above the pane, "文字抽出情報"
    QFrame* NoticeBar;     // the notice: shown only while the pane's listing needs a word beside it
    QLabel* Notice;        // ... its text
    QPushButton* NoticeButton;  // ... and what it offers to do ("残りも探す"), shown only when it offers any
    QSplitter* Rows;       // the file list and the pane above, the hits below
    QSplitter* Split;      // the file list and the pane, side by side
    FilesPanel* FileListPanel;  // the file list and its filter, shown only for several files
    HitsPanel* Hits;            // the lines that hold the filter's text, shown while it holds one
    QPlainTextEdit* RichEdit1;  // the pane: the listing, editable
    FindBar* Find;              // find in the pane (Ctrl+F)
    StatusLine* Status;         // what the pane shows and what the last action did
    QProgressBar* Progress;     // while every listing is being saved
    QPushButton* StopButton;    // ... and the way to stop it, "中止"

    // The window is shown for the first time: it takes the designed size.
    void FormShow();
    // The flow let everything go: the window may close.
    void FormClose();
    // The open button: the open dialog, then the files chosen.
    void Button1Click();
    // The save button: the pane as Shift-JIS text.
    void Button2Click();
    // The save-all button: every listing of the file list beside its source.
    void Button3Click();
    // The table button: every line of the file list in one CSV.
    void Button4Click();
    // Files named on the command line or dropped, as the file system's
    // bytes (which need not be valid UTF-8); folders walked with `walk`.
    void ExtractNativeFiles(const QList<QByteArray>& nativePaths, bool walkFolders = true);

    [[nodiscard]] const window::WindowFlow& Flow() const { return flow_; }
    [[nodiscard]] bool Filling() const { return flow_.Filling(); }
    [[nodiscard]] bool HoldsEdits() const { return flow_.HoldsEdits(); }
    [[nodiscard]] const FileList& CurrentFiles() const { return flow_.Files(); }
    [[nodiscard]] bool SavingAll() const { return flow_.SavingAll(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateNotice();
    void CreateBottom();
    void ConnectControls();
    void LayOutPanel1();
    void FitOuterSize();
    [[nodiscard]] bool HandleFileDrag(QEvent* event);
    [[nodiscard]] const std::u16string& PaneText();

    // Hands an action to the flow and carries out what comes back.
    // A fault inside is told in a box and the window goes on answering.
    void Dispatch(const window::Action& action);
    void DispatchGuarded(const window::Action& action);
    void Carry(const window::Effect& effect);
    void Render(window::Parts parts);
    void RenderProgress();
    void OpenFind();
    void RenderHits();

    Dialogs& dialogs_;
    window::WindowFlow flow_;
    bool shown_ = false;
    bool closing_ = false;  // the flow said the window may close
    int carrying_ = 0;      // the pane changes by the flow's effects, not the user
    std::int64_t lastPieceNanoseconds_ = 0;
    std::array<QTimer*, window::kTimerCount> timers_{};
    std::u16string paneText_;  // the pane's text, taken again after every change
    bool paneTextStale_ = true;
    QPointer<QWidget> focusBeforeBatch_;  // where the keyboard was before Stop took it
};

// The local files and folders a drag carries, as the file system's bytes.
[[nodiscard]] QList<QByteArray> FilesOfDrop(const QMimeData* data);

}  // namespace vaveze
