// The main window: a button that opens files, the file name field, the
// three listing options, the save buttons (the pane; every listing of the
// file list), the notice, the file list beside the listing pane (shown for
// several files), the find bar under it (Ctrl+F) and the status line with
// the progress of a save of every listing.
// What a file holds, how it is listed and how the pane is saved back is the
// session's (core/session); the window keeps its controls, its event loop
// and its system calls.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/dialogs.h"
#include "core/session/batchsave.h"
#include "core/session/filelist.h"
#include "core/session/pane.h"
#include "core/session/session.h"
#include "core/session/texts.h"

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
class PaneFill;
class StatusLine;

class TForm1 final : public QWidget {
    Q_OBJECT

public:
    // `paneCharacterLimit` is there for tests; the window uses the default.
    explicit TForm1(Dialogs& dialogs, std::size_t paneCharacterLimit = kPaneCharacterLimit,
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // The controls, top to bottom.
    QFrame* Panel1;
    QPushButton* Button1;
    QLineEdit* Edit1;      // the last file chosen, listed or not
    QCheckBox* CheckBox1;  // header section
    QCheckBox* CheckBox2;  // dimension texts
    QCheckBox* CheckBox3;  // block section
    QPushButton* Button2;
    QPushButton* Button3;  // every listing of the file list saved beside its source
    QLabel* Panel2;
    QFrame* NoticeBar;  // shown only while the pane's listing needs a word beside it
    QLabel* Notice;     // ... its text
    QSplitter* Split;   // the file list and the pane, side by side
    FilesPanel* FileListPanel;  // shown only for a list of several files
    QPlainTextEdit* RichEdit1;
    FindBar* Find;
    StatusLine* Status;  // what the pane shows and what the last action did
    QProgressBar* Progress;  // while every listing is being saved
    QPushButton* StopButton;  // ... and the way to stop it

    // Start-up: notes the executable's folder.
    void FormShow();
    // Shut-down: stops a fill and lets the session go.
    void FormClose();
    // Opens the files chosen in the file dialog.
    void Button1Click();
    // Saves the pane as Shift-JIS text.
    void Button2Click();
    // Saves every listing of the file list beside its source, a file per
    // turn of the event loop.
    void Button3Click();
    // Opens a file chosen another way (dropped on the window, named on the
    // command line): everything after the file dialog.
    void ExtractFile(const QString& path);
    // The same for a path given as the file system's bytes, which need not
    // be valid UTF-8 (names unpacked from Windows archives).
    void ExtractNativeFile(const QByteArray& nativePath);
    // Files chosen or dropped together become the file list, and its first
    // file is listed; one file is opened as it always was. Folders dropped
    // or named on the command line are walked for their drawings (those
    // given by the open dialog are files).
    void ExtractNativeFiles(const QList<QByteArray>& nativePaths, bool walkFolders = true);
    // Lists entry i of the file list, asking first when the pane holds edits.
    void ChooseEntry(std::size_t index);
    // Lists the file shown with the boxes as they are, from the kept parse,
    // into the pane. `note` ends the status text.
    void ShowListing(const std::string& note = {});

    [[nodiscard]] const QString& ExecutableFolder() const { return executableFolder_; }
    // True while a big listing is still going into the pane.
    [[nodiscard]] bool Filling() const;
    // The user changed the pane since it was last filled or saved.
    [[nodiscard]] bool HoldsEdits() const;
    [[nodiscard]] const Session& CurrentSession() const { return session_; }
    [[nodiscard]] const FileList& CurrentFiles() const { return files_; }
    // True while every listing is being saved.
    [[nodiscard]] bool SavingAll() const { return batch_ != nullptr; }

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
    [[nodiscard]] ListingOptions CurrentOptions() const;
    void OptionToggled(QCheckBox& box, bool checked);
    // True when the pane holds no edits, or the user agreed to lose them.
    [[nodiscard]] bool MayReplaceEdits(EditsAt what);
    void UpdateNotice();
    void ShowFillProgress();
    void FillFinished();
    [[nodiscard]] bool HandleFileDrag(QEvent* event);
    void FitOuterSize();
    // Opens entry i of the file list into the pane, as opening it would.
    void OpenEntry(std::size_t index);
    void SaveAllStep();
    void SaveAllFinished();
    // Find's and the filter's words in the status line: an empty one puts
    // back what the line said before them.
    void SayAside(const QString& text);

    Dialogs& dialogs_;
    std::size_t paneCharacterLimit_;
    Session session_;
    QString executableFolder_;
    bool shown_ = false;
    PaneFill* fill_ = nullptr;
    QString finalStatus_;  // the status line's text once the fill is done
    bool statusTaken_ = false;  // a later message replaced the fill's progress
    FileList files_;
    std::size_t entryShown_ = 0;  // the entry of the file list last opened
    std::unique_ptr<BatchSave> batch_;
    QTimer* saveStep_ = nullptr;
    QPointer<QWidget> focusBeforeBatch_;  // where the keyboard was before Stop took it
    QString statusAside_;  // the status line's text before find or the filter spoke
    QString lastAside_;    // what they said last, while the line still says it
};

// The local files and folders a drag carries, as the file system's bytes.
[[nodiscard]] QList<QByteArray> FilesOfDrop(const QMimeData* data);

}  // namespace vaveze
