#include "app/panefill.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace vaveze {
namespace {

// One piece is one edit of the document: at most this many lines (a few
// milliseconds of short lines) or characters (a few milliseconds of long
// ones).
constexpr std::size_t kPieceLines = 2'000;
constexpr qsizetype kPieceCharacters = 200'000;
// A slice appends pieces for about this long before the event loop runs
// again: well under the half second at which a window seems stuck.
constexpr qint64 kSliceMilliseconds = 25;

}  // namespace

PaneFill::PaneFill(QPlainTextEdit& pane, QObject* parent) : QObject(parent), pane_(pane)
{
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &PaneFill::NextSlice);
}

void PaneFill::Start(ShownListing listing)
{
    Stop();
    listing_ = std::move(listing);
    position_ = 0;
    linesShown_ = 0;
    running_ = true;
    QTextDocument* document = pane_.document();
    // Turning the history off also empties it: the listing cannot be undone.
    document->setUndoRedoEnabled(false);
    pane_.clear();
    KeepOriginalBytes(*document, {});
    pane_.setReadOnly(true);
    (void)AppendPiece();
    if (position_ >= listing_.Text.size())
        Done();
    else
        timer_.start();
}

void PaneFill::Finish()
{
    if (!running_)
        return;
    while (AppendPiece()) {
    }
    Done();
}

void PaneFill::Stop()
{
    if (!running_)
        return;
    timer_.stop();
    running_ = false;
    listing_ = {};
    pane_.setReadOnly(false);
    pane_.document()->setUndoRedoEnabled(true);
}

void PaneFill::NextSlice()
{
    QElapsedTimer slice;
    slice.start();
    while (AppendPiece() && slice.elapsed() < kSliceMilliseconds) {
    }
    if (position_ >= listing_.Text.size())
        Done();
    else
        emit Progress();
}

bool PaneFill::AppendPiece()
{
    const QString& text = listing_.Text;
    if (position_ >= text.size())
        return false;
    // A piece after the first starts with the line end of the line before,
    // so that appending never leaves an empty line behind.
    const qsizetype last = qMin(text.size(), position_ + kPieceCharacters);
    qsizetype end = position_;
    std::size_t lineEnds = 0;
    for (; end < last; ++end) {
        if (text.at(end) == QLatin1Char('\n')) {
            if (end != position_ && lineEnds == kPieceLines)
                break;
            ++lineEnds;
        }
    }
    if (end < text.size() && end - 1 > position_ && text.at(end - 1).isHighSurrogate())
        --end;
    QTextCursor cursor(pane_.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text.mid(position_, end - position_));
    if (position_ == 0)
        linesShown_ = 1;
    linesShown_ += lineEnds;
    position_ = end;
    return true;
}

void PaneFill::Done()
{
    timer_.stop();
    running_ = false;
    linesShown_ = listing_.Lines;
    KeepOriginalBytes(*pane_.document(), std::move(listing_.Kept));
    listing_.Text = QString();
    pane_.setReadOnly(false);
    pane_.document()->setUndoRedoEnabled(true);
    emit Finished();
}

}  // namespace vaveze
