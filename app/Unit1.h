// The main window: a button that runs one extraction, the file name field,
// the three listing options, the save button, and the listing pane.
#pragma once

#include <cstddef>

#include <QString>
#include <QWidget>

#include "app/dialogs.h"
#include "core/listing/extraction.h"
#include "app/listingpane.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class QPushButton;

namespace vaveze {

// Fixed texts of the window (UTF-8 in this source).
inline constexpr char kApplicationTitle[] = "VAveze";
inline constexpr char kWindowCaption[] = "VAveze Ver.1.01";
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
    QLabel* StatusLine;  // what the last listing came from; outside the listing

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
    void ExtractFile(const QString& path);

    [[nodiscard]] const QString& ExecutableFolder() const { return executableFolder_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    [[nodiscard]] ListingOptions CurrentOptions() const;
    void ShowListing(const Detection& detection);
    [[nodiscard]] bool HandleFileDrag(QEvent* event);
    void FitOuterSize();

    Dialogs& dialogs_;
    std::size_t paneCharacterLimit_;
    Readers readers_;
    QString executableFolder_;
    bool shown_ = false;
};

// The one local file, not a folder, that a drag carries; empty otherwise.
[[nodiscard]] QString SingleDroppedFile(const QMimeData* data);

}  // namespace vaveze
