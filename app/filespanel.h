// The file list beside the pane: the files chosen or dropped together, each
// with what reading it (and saving its listing) came to, and a field that
// keeps in the list only the files whose listing holds a text. The list
// itself (the files and their states) is the core's FileList; this is how
// the window shows it.
#pragma once

#include <cstddef>
#include <functional>

#include <QString>
#include <QTimer>
#include <QWidget>

#include "core/listing/listing.h"
#include "core/session/filelist.h"

class QLineEdit;
class QListWidget;

namespace vaveze {

class Session;

class FilesPanel final : public QWidget {
    Q_OBJECT

public:
    explicit FilesPanel(QWidget* parent = nullptr);

    QLineEdit* Filter;  // "この文字を含むファイルだけ表示"
    QListWidget* List;

    // Shows a new list (the filter emptied) with no entry selected.
    void ShowList(const FileList& files);
    // Entry i's icon and tooltip from what the list says of it.
    void UpdateEntry(std::size_t i);
    // Marks entry i as the one the pane shows, without a Chosen signal.
    void Select(std::size_t i);
    // The filter's text as the core compares it.
    [[nodiscard]] std::u16string Needle() const;
    // Reads the list's files with `options` again to filter them (the
    // boxes changed): only while a filter is set.
    void Refilter();
    [[nodiscard]] bool Filtering() const { return filterNext_ < filterCount_; }

    // Where the filter takes the files' listings from: the list, the options
    // and the window's session (whose kept parse serves the file it shows).
    void Attach(FileList& files, const Session& shown, std::function<ListingOptions()> options);

signals:
    // The user selected entry i.
    void Chosen(std::size_t index);
    // A text for the status line (the filter's progress and result).
    void Says(const QString& text);

private:
    void StartFilter();
    void FilterStep();

    FileList* files_ = nullptr;
    const Session* shown_ = nullptr;
    std::function<ListingOptions()> options_;
    bool quiet_ = false;  // selection changed by the window, not the user
    QTimer typing_;       // the filter starts once the user stops typing
    QTimer step_;         // one file per turn of the event loop
    std::u16string needle_;
    std::size_t filterNext_ = 0;
    std::size_t filterCount_ = 0;
    std::size_t holding_ = 0;
};

}  // namespace vaveze
