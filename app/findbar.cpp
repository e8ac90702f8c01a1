// The find bar under the pane.
#include "app/findbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextCursor>
#include <QToolButton>

#include "core/session/texts.h"

namespace vaveze {
namespace {

QString Utf8(WindowText text) { return QString::fromUtf8(Text(text)); }

QToolButton* Button(WindowText caption, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(Utf8(caption));
    button->setAccessibleName(button->text());
    button->setAutoRaise(true);
    return button;
}

}  // namespace

FindBar::FindBar(QPlainTextEdit& pane, QWidget* parent) : QFrame(parent), pane_(pane)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    Field = new QLineEdit(this);
    Field->setPlaceholderText(Utf8(WindowText::FindField));
    Field->setAccessibleName(Field->placeholderText());
    Field->setClearButtonEnabled(true);
    Field->installEventFilter(this);
    Previous = Button(WindowText::FindPrevious, this);
    Previous->setToolTip(Previous->text() + QStringLiteral(" (Shift+F3)"));
    Next = Button(WindowText::FindNext, this);
    Next->setToolTip(Next->text() + QStringLiteral(" (F3)"));
    Close = Button(WindowText::FindClose, this);
    Close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    Close->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Close->setToolTip(Close->text() + QStringLiteral(" (Esc)"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(Field, 1);
    layout->addWidget(Previous);
    layout->addWidget(Next);
    layout->addWidget(Close);

    connect(Field, &QLineEdit::textEdited, this,
            [this](const QString& text) { emit Requested(text, FindDirection::Forward, true); });
    connect(Field, &QLineEdit::returnPressed, this, [this] { Request(FindDirection::Forward); });
    connect(Previous, &QToolButton::clicked, this, [this] { Request(FindDirection::Backward); });
    connect(Next, &QToolButton::clicked, this, [this] { Request(FindDirection::Forward); });
    connect(Close, &QToolButton::clicked, this, [this] {
        hide();
        pane_.setFocus();
    });
    hide();
}

void FindBar::Open(const QString& start)
{
    Field->setText(start);
    show();
    Field->setFocus();
    Field->selectAll();
}

void FindBar::Request(FindDirection direction) { emit Requested(Field->text(), direction, false); }

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            Close->click();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ShiftModifier)) {
            Request(FindDirection::Backward);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace vaveze
