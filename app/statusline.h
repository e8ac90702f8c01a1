// The window's status line: one line of text that never asks for more width
// than the window has. A text that does not fit is shortened with an ellipsis
// and shown whole in the tooltip.
#pragma once

#include <QLabel>
#include <QString>

namespace vaveze {

class StatusLine final : public QLabel {
    Q_OBJECT

public:
    explicit StatusLine(QWidget* parent = nullptr);

    // The whole text; what is painted may be shortened.
    void SetText(const QString& text);
    [[nodiscard]] const QString& Text() const { return text_; }
    // Whether the painted text is shortened.
    [[nodiscard]] bool IsElided() const { return QLabel::text() != text_; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString text_;
};

}  // namespace vaveze
