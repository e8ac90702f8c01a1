// The status line, shortened with an ellipsis to the window's width.
#include "app/statusline.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace vaveze {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void StatusLine::SetText(const QString& text)
{
    text_ = text;
    // A line break would make the line taller; the tooltip keeps them.
    setToolTip(text);
    Elide();
}

// Only the height counts: the width is whatever the window gives.
QSize StatusLine::sizeHint() const
{
    const QMargins margins = contentsMargins();
    return {1, fontMetrics().height() + margins.top() + margins.bottom() + 2 * margin()};
}

QSize StatusLine::minimumSizeHint() const { return sizeHint(); }

void StatusLine::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void StatusLine::Elide()
{
    QString oneLine = text_;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const int width = contentsRect().width() - 2 * margin() - indent();
    QLabel::setText(fontMetrics().elidedText(oneLine, Qt::ElideRight, qMax(width, 0)));
}

}  // namespace vaveze
