// Fills the listing pane a slice at a time from the event loop, so that the
// window keeps answering while a listing of millions of lines goes in: a
// text document takes its lines at a few microseconds each, and the pane's
// limit allows 4.1 million of them. The first slice goes in at once, so the
// first screen of lines is there when the window next paints.
//
// While a fill runs the pane is read-only (the lines still to come are
// appended at its end) and keeps no undo history; afterwards it is editable
// with a fresh history, as after a fill in one go.
#pragma once

#include <cstddef>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <QString>

class QPlainTextEdit;

namespace vaveze {

class PaneFill final : public QObject {
    Q_OBJECT

public:
    explicit PaneFill(QPlainTextEdit& pane, QObject* parent = nullptr);

    // Empties the pane and puts the first slice of `text` (`lines` lines
    // joined by '\n') in; the rest follows from the event loop. A fill still
    // running is dropped.
    void Start(QString text, std::size_t lines);
    // Puts everything not yet shown in at once.
    void Finish();
    // Stops where it is; the pane keeps what it holds and becomes editable.
    void Stop();

    [[nodiscard]] bool Running() const { return running_; }
    [[nodiscard]] std::size_t LinesShown() const { return linesShown_; }
    [[nodiscard]] std::size_t LineCount() const { return lines_; }

signals:
    // After each slice while the fill runs.
    void Progress();
    // Once the whole listing is in the pane.
    void Finished();

private:
    void NextSlice();
    // Appends the next piece of the listing, of the first piece's size times
    // pieceScale_; false when nothing is left.
    bool AppendPiece();
    void Done();

    QPlainTextEdit& pane_;
    QString text_;
    std::size_t lines_ = 0;
    qsizetype position_ = 0;  // in text_
    std::size_t linesShown_ = 0;
    double pieceScale_ = 1.0;  // of the first piece's size
    bool running_ = false;
    QTimer timer_;
};

}  // namespace vaveze
