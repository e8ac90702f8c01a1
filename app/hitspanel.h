// The list of hits under the file list and the pane: each line of the
// list's files that holds the filter's text (file, line, the line with the
// match marked), filled as the search's workers read the files, with its
// progress and 中止 while it runs. What it holds is the window flow's; this
// is how the window shows it.
#pragma once

#include <cstddef>

#include <QWidget>

#include "core/window/windowflow.h"

class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace vaveze {

class HitsPanel final : public QWidget {
    Q_OBJECT

public:
    explicit HitsPanel(QWidget* parent = nullptr);

    QTreeWidget* List;         // the hits: file, line, text
    QProgressBar* Progress;    // while the search runs
    QPushButton* StopButton;   // ... and the way to stop it, "中止"

    // The rows the flow has that the list has not yet, all of them after a
    // new search, and the progress.
    void ShowHits(const window::WindowFlow& flow);

signals:
    // The user chose row i (a click, or Enter on it).
    void Chosen(std::size_t index);

private:
    std::size_t search_ = 0;  // the search the rows are of
};

}  // namespace vaveze
