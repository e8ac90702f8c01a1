// Find in the pane (Ctrl+F): a bar under the pane with the text to find,
// "前を検索" and "次を検索", going round the pane's ends. The text is found as it is
// typed (through the input method too: only committed text counts), Enter
// or F3 finds the next, Shift+Enter or Shift+F3 the previous, Escape closes
// the bar. The rule of a match is the core's (FindInText), shared with the
// other windows.
#pragma once

#include <string>

#include <QFrame>
#include <QString>

#include "core/session/find.h"

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace vaveze {

class FindBar final : public QFrame {
    Q_OBJECT

public:
    FindBar(QPlainTextEdit& pane, QWidget* parent = nullptr);

    QLineEdit* Field;
    QToolButton* Previous;
    QToolButton* Next;
    QToolButton* Close;

    // Shows the bar with the field focused; a selection within one line of
    // the pane becomes the text to find.
    void Open();
    // Finds from the pane's selection; false when there is no match.
    bool Find(FindDirection direction);

signals:
    // A text for the status line: not found, or found past an end.
    void Says(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // As typed: from the selection's start, so the match grows in place.
    void FindAsTyped();
    bool FindFrom(std::size_t from, FindDirection direction);
    [[nodiscard]] const std::u16string& PaneText();

    QPlainTextEdit& pane_;
    std::u16string text_;  // the pane's text, taken again after every change
    bool textStale_ = true;
};

}  // namespace vaveze
