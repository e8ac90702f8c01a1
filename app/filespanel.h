// The file list beside the pane: the files chosen or dropped together, each
// with its mark and tooltip, and a field that keeps in the list only the
// files whose listing holds a text. What the list holds and which rows the
// filter hides is the window flow's; this is how the window shows it.
#pragma once

#include <cstddef>

#include <QString>
#include <QWidget>

#include "core/window/windowflow.h"

class QLineEdit;
class QListWidget;

namespace vaveze {
class EntryDelegate;
}

namespace vaveze {

class FilesPanel final : public QWidget {
    Q_OBJECT

public:
    explicit FilesPanel(QWidget* parent = nullptr);

    QLineEdit* Filter;  // the filter field, "この文字を含むファイルだけ表示"
    QListWidget* List;  // the files: each row's text its file name, its folder under FolderRole, greyed below it

    static constexpr int FolderRole = Qt::UserRole;

    // Every row and the filter field from the flow's list.
    void ShowList(const window::WindowFlow& flow);
    // Row i's mark, tooltip and whether the filter hides it.
    void UpdateEntry(const window::WindowFlow& flow, std::size_t i);
    // Marks row i as the one the pane shows, without a Chosen signal.
    void Select(std::size_t i);

signals:
    // The user selected row i.
    void Chosen(std::size_t index);
    // The user changed the filter's text.
    void FilterTyped(const QString& text);

private:
    bool quiet_ = false;  // selection changed by the window, not the user
    EntryDelegate* delegate_;  // paints each row: its name, then its folder
};

}  // namespace vaveze
