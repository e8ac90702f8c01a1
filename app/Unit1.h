// The main window: a button that opens a file, the file name field, the
// three listing options, the save button, the notice and the listing pane.
// What a file holds, how it is listed and how the pane is saved back is the
// session's (core/session); the window keeps its controls, its event loop
// and its system calls.
#pragma once

#include <cstddef>
#include <string>

#include <QByteArray>
#include <QString>
#include <QWidget>

#include "app/dialogs.h"
#include "core/session/pane.h"
#include "core/session/session.h"
#include "core/session/texts.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class QPushButton;

namespace vaveze {

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
    QLabel* Panel2;
    QFrame* NoticeBar;  // shown only while the pane's listing needs a word beside it
    QLabel* Notice;     // ... its text
    QPlainTextEdit* RichEdit1;
    StatusLine* Status;  // what the pane shows and what the last action did

    // Start-up: notes the executable's folder.
    void FormShow();
    // Shut-down: stops a fill and lets the session go.
    void FormClose();
    // Opens a file chosen in the file dialog.
    void Button1Click();
    // Saves the pane as Shift-JIS text.
    void Button2Click();
    // Opens a file chosen another way (dropped on the window, named on the
    // command line): everything after the file dialog. `othersNotOpened`
    // files came along and are mentioned as not opened.
    void ExtractFile(const QString& path, int othersNotOpened = 0);
    // The same for a path given as the file system's bytes, which need not
    // be valid UTF-8 (names unpacked from Windows archives).
    void ExtractNativeFile(const QByteArray& nativePath, int othersNotOpened = 0);
    // Lists the file shown with the boxes as they are, from the kept parse,
    // into the pane. `note` ends the status text.
    void ShowListing(const std::string& note = {});

    [[nodiscard]] const QString& ExecutableFolder() const { return executableFolder_; }
    // True while a big listing is still going into the pane.
    [[nodiscard]] bool Filling() const;
    // The user changed the pane since it was last filled or saved.
    [[nodiscard]] bool HoldsEdits() const;
    [[nodiscard]] const Session& CurrentSession() const { return session_; }

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

    Dialogs& dialogs_;
    std::size_t paneCharacterLimit_;
    Session session_;
    QString executableFolder_;
    bool shown_ = false;
    PaneFill* fill_ = nullptr;
    QString finalStatus_;  // the status line's text once the fill is done
    bool statusTaken_ = false;  // a later message replaced the fill's progress
};

// The files a drag carries: the first local file that is not a folder, as
// the file system's bytes (empty when there is none), and how many other
// entries came with it.
struct DroppedFiles {
    QByteArray First;
    int Others = 0;
};
[[nodiscard]] DroppedFiles FilesOfDrop(const QMimeData* data);

}  // namespace vaveze
