#include "app/panefill.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace vaveze {
namespace {

// One piece is one edit of the document. The first is at most this many
// lines (a few milliseconds of short lines) or characters (a few
// milliseconds of long ones), so the first screen is there at once.
constexpr std::size_t kFirstPieceLines = 2'000;
constexpr qsizetype kFirstPieceCharacters = 200'000;
// Each slice after it is one piece sized to take about this long before the
// event loop runs again: well under the tenth of a second in which a window
// seems to answer at once. Every piece makes the view lay out its last
// screen of lines again, so pieces are as big as the slices allow.
constexpr qint64 kSliceNanoseconds = 25'000'000;
// A piece grows or shrinks at most this much from one slice to the next, so
// that one slice slowed down by something else does not upset the next.
constexpr double kMostPieceChange = 2.0;
constexpr double kSmallestPieceScale = 0.25;

}  // namespace

PaneFill::PaneFill(QPlainTextEdit& pane, QObject* parent) : QObject(parent), pane_(pane)
{
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &PaneFill::NextSlice);
}

void PaneFill::Start(QString text, std::size_t lines)
{
    Stop();
    text_ = std::move(text);
    lines_ = lines;
    position_ = 0;
    linesShown_ = 0;
    pieceScale_ = 1.0;
    running_ = true;
    QTextDocument* document = pane_.document();
    // Turning the history off also empties it: the listing cannot be undone.
    document->setUndoRedoEnabled(false);
    pane_.clear();
    pane_.setReadOnly(true);
    (void)AppendPiece();
    if (position_ >= text_.size())
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
    text_ = QString();
    pane_.setReadOnly(false);
    pane_.document()->setUndoRedoEnabled(true);
}

void PaneFill::NextSlice()
{
    QElapsedTimer slice;
    slice.start();
    (void)AppendPiece();
    const double taken = static_cast<double>(qMax<qint64>(slice.nsecsElapsed(), 1));
    const double change = qBound(1 / kMostPieceChange, static_cast<double>(kSliceNanoseconds) / taken, kMostPieceChange);
    pieceScale_ = qMax(pieceScale_ * change, kSmallestPieceScale);
    if (position_ >= text_.size())
        Done();
    else
        emit Progress();
}

bool PaneFill::AppendPiece()
{
    const QString& text = text_;
    if (position_ >= text.size())
        return false;
    const auto pieceLines = static_cast<std::size_t>(static_cast<double>(kFirstPieceLines) * pieceScale_);
    const auto pieceCharacters = static_cast<qsizetype>(static_cast<double>(kFirstPieceCharacters) * pieceScale_);
    // A piece after the first starts with the line end of the line before,
    // so that appending never leaves an empty line behind.
    const qsizetype last = qMin(text.size(), position_ + pieceCharacters);
    qsizetype end = position_;
    std::size_t lineEnds = 0;
    for (; end < last; ++end) {
        if (text.at(end) == QLatin1Char('\n')) {
            if (end != position_ && lineEnds == pieceLines)
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
    linesShown_ = lines_;
    text_ = QString();
    pane_.setReadOnly(false);
    pane_.document()->setUndoRedoEnabled(true);
    emit Finished();
}

}  // namespace vaveze
