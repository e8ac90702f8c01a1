// The main window: a button that runs one extraction, the file name field,
// the three listing options, the save button, and the listing pane.
#pragma once

#include <cstddef>

#include <QByteArray>
#include <QString>
#include <QWidget>

#include "app/dialogs.h"
#include "app/listingpane.h"
#include "core/listing/extraction.h"
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

// Fixed texts of the window (UTF-8 in this source).
inline constexpr char kWarningCaption[] = "警告";
inline constexpr char kPaneFullMessage[] = "RichEdit での行の挿入エラー.";

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
    QLineEdit* Edit1;
    QCheckBox* CheckBox1;  // header section
    QCheckBox* CheckBox2;  // dimension texts
    QCheckBox* CheckBox3;  // block section
    QPushButton* Button2;
    QLabel* Panel2;
    QPlainTextEdit* RichEdit1;
    StatusLine* Status;  // what the pane shows and what the last action did

    // Start-up: resets every reader and notes the executable's folder.
    void FormShow();
    // Shut-down: clears every reader.
    void FormClose();
    // One extraction from the file dialog.
    void Button1Click();
    // Saves the pane as Shift-JIS text.
    void Button2Click();
    // One extraction of a file chosen another way (dropped on the window,
    // named on the command line): everything after the file dialog.
    // `othersNotOpened` files came along and are mentioned as not opened.
    void ExtractFile(const QString& path, int othersNotOpened = 0);
    // The same for a path given as the file system's bytes, which need not
    // be valid UTF-8 (names unpacked from Windows archives).
    void ExtractNativeFile(const QByteArray& nativePath, int othersNotOpened = 0);
    // Everything after the parse: lists the tables parsed into `readers` and
    // puts the listing into the pane. `note` ends the status text.
    void ShowListing(const QString& path, const Readers& readers, const Detection& detection,
                     const QString& note = {});

    [[nodiscard]] const QString& ExecutableFolder() const { return executableFolder_; }
    // True while a big listing is still going into the pane.
    [[nodiscard]] bool Filling() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void LayOutPanel1();
    [[nodiscard]] ListingOptions CurrentOptions() const;
    void ShowFillProgress();
    void FillFinished();
    [[nodiscard]] bool HandleFileDrag(QEvent* event);
    void FitOuterSize();

    Dialogs& dialogs_;
    std::size_t paneCharacterLimit_;
    Readers readers_;
    QString executableFolder_;
    bool shown_ = false;
    PaneFill* fill_ = nullptr;
    QString listedPath_;  // the file whose listing the pane shows; empty before the first
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
