#include "app/findbar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
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

    connect(Field, &QLineEdit::textEdited, this, &FindBar::FindAsTyped);
    connect(Field, &QLineEdit::returnPressed, this, [this] { (void)Find(FindDirection::Forward); });
    connect(Previous, &QToolButton::clicked, this, [this] { (void)Find(FindDirection::Backward); });
    connect(Next, &QToolButton::clicked, this, [this] { (void)Find(FindDirection::Forward); });
    connect(Close, &QToolButton::clicked, this, [this] {
        hide();
        pane_.setFocus();
    });
    connect(pane_.document(), &QTextDocument::contentsChanged, this, [this] { textStale_ = true; });
    hide();
}

void FindBar::Open()
{
    const QString selected = pane_.textCursor().selectedText();
    // A paragraph separator in a selection means it spans lines.
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        Field->setText(selected);
    show();
    Field->setFocus();
    Field->selectAll();
}

const std::u16string& FindBar::PaneText()
{
    if (!textStale_)
        return text_;
    // Document positions count one for each line end: the blocks' texts
    // joined by one character, as the session reads the pane.
    text_.clear();
    for (QTextBlock block = pane_.document()->begin(); block.isValid(); block = block.next()) {
        if (block != pane_.document()->begin())
            text_ += u'\n';
        text_ += block.text().toStdU16String();
    }
    textStale_ = false;
    return text_;
}

bool FindBar::Find(FindDirection direction)
{
    const QTextCursor cursor = pane_.textCursor();
    const int from = direction == FindDirection::Forward ? cursor.selectionEnd() : cursor.selectionStart();
    return FindFrom(static_cast<std::size_t>(from), direction);
}

void FindBar::FindAsTyped()
{
    if (Field->text().isEmpty()) {
        QTextCursor cursor = pane_.textCursor();
        cursor.setPosition(cursor.selectionStart());
        pane_.setTextCursor(cursor);
        emit Says({});
        return;
    }
    (void)FindFrom(static_cast<std::size_t>(pane_.textCursor().selectionStart()), FindDirection::Forward);
}

bool FindBar::FindFrom(std::size_t from, FindDirection direction)
{
    const std::u16string needle = Field->text().toStdU16String();
    if (needle.empty())
        return false;
    const std::optional<TextMatch> match = FindInText(PaneText(), needle, from, direction);
    if (!match) {
        QApplication::beep();
        emit Says(QString::fromUtf8(NotFoundStatus(Field->text().toStdString())));
        return false;
    }
    QTextCursor cursor(pane_.document());
    cursor.setPosition(static_cast<int>(match->Position));
    cursor.setPosition(static_cast<int>(match->Position + match->Length), QTextCursor::KeepAnchor);
    pane_.setTextCursor(cursor);
    pane_.ensureCursorVisible();
    emit Says(match->Wrapped ? QString::fromUtf8(WrappedStatus(direction)) : QString());
    return true;
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            Close->click();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ShiftModifier)) {
            (void)Find(FindDirection::Backward);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace vaveze
