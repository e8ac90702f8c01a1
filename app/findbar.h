// Find in the pane (Ctrl+F): a bar under the pane with the text to find,
// "前を検索" and "次を検索". The text is found as it is typed (through the
// input method too: only committed text counts), Enter or F3 finds the
// next, Shift+Enter or Shift+F3 the previous, Escape closes the bar. What is
// found, and what the status line says of it, is the window flow's.
#pragma once

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

    QLineEdit* Field;       // the text to find
    QToolButton* Previous;  // "前を検索"
    QToolButton* Next;      // "次を検索"
    QToolButton* Close;     // closes the bar

    // Shows the bar with the field focused, holding `start`, selected.
    void Open(const QString& start);
    // Asks for the field's text in `direction`.
    void Request(FindDirection direction);

signals:
    // Find `needle` from the pane's selection; `asTyped`: as the user types,
    // from the selection's start, so that the match grows in place.
    void Requested(const QString& needle, FindDirection direction, bool asTyped);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit& pane_;
};

}  // namespace vaveze
