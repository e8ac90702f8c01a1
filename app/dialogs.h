// The modal conversations of the window: file dialogs, message boxes and the
// beep. The window talks to them only through Dialogs, so tests can answer
// in place of a person and see what was asked.
#pragma once

#include <optional>
#include <vector>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/window/flowmessages.h"

class QWidget;

namespace vaveze {

// One entry of a dialog's file-type list.
struct FileFilter {
    QString Description;
    QStringList Patterns;  // wildcards such as "*.zvw", matched regardless of case
};

struct FileDialogSetup {
    QString Title;
    QString Folder;        // starting folder
    QString ProposedName;  // file name put in the name field; may be empty
    QList<FileFilter> Filters;  // the first one is selected
    QString DefaultSuffix;  // save dialog: added to a name typed without extension
};

using window::MessageKind;
using window::Reply;

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The full paths of the existing files chosen (one or several), in the
    // order the dialog gives them; none when the user cancelled.
    [[nodiscard]] virtual QStringList ChooseFilesToOpen(QWidget* parent, const FileDialogSetup& setup) = 0;
    // The full path to save to, or nothing when the user cancelled. The user
    // has already agreed to replace an existing file.
    [[nodiscard]] virtual std::optional<QString> ChooseFileToSave(QWidget* parent, const FileDialogSetup& setup) = 0;
    // A modal box with one OK button.
    virtual void ShowMessage(QWidget* parent, MessageKind kind, const QString& caption, const QString& text) = 0;
    // A question with these answers, in this order: the one chosen, or
    // `escape` when the box was closed.
    [[nodiscard]] virtual Reply Ask(QWidget* parent, const QString& caption, const QString& question,
                                    const std::vector<Reply>& replies, Reply byDefault, Reply escape) = 0;
    virtual void Beep() = 0;
};

// The real thing: Qt's own dialogs (never the desktop's, whose filters and
// options differ between platforms) and message boxes.
class QtDialogs final : public Dialogs {
public:
    [[nodiscard]] QStringList ChooseFilesToOpen(QWidget* parent, const FileDialogSetup& setup) override;
    [[nodiscard]] std::optional<QString> ChooseFileToSave(QWidget* parent, const FileDialogSetup& setup) override;
    void ShowMessage(QWidget* parent, MessageKind kind, const QString& caption, const QString& text) override;
    [[nodiscard]] Reply Ask(QWidget* parent, const QString& caption, const QString& question,
                            const std::vector<Reply>& replies, Reply byDefault, Reply escape) override;
    void Beep() override;
};

// Makes Qt's own texts (dialog labels and buttons, the overwrite question)
// Japanese like the rest of the window, whatever the user's locale. False
// when Qt's Japanese translation is not installed.
bool InstallJapaneseQtTexts();

// A filter as a Qt dialog takes it: the description, then the patterns with
// every letter made to match either case ("*.zvw" becomes "*.[zZ][vV][wW]"),
// and "*.*" as "*" so that it also shows files without an extension.
[[nodiscard]] QString QtNameFilter(const FileFilter& filter);

}  // namespace vaveze
