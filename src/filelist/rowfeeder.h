#pragma once

#include "filelist.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

namespace sonvera {

// Adds rows to a FileList in slices short enough to keep the event loop
// responsive, whatever their number (a folder of 50,000 files, a journal of
// 100,000 rows): each slice inserts a few hundred rows at a time (one
// insertion each, for the views and the journal) until its time is spent,
// then yields to the event loop. Rows handed over while earlier ones are
// still going in queue behind them, so the list keeps the order they were
// given in. A small addition to an idle feeder goes in at once.
class RowFeeder final : public QObject {
    Q_OBJECT

public:
    // Up to this many rows go in at once, without yielding.
    static constexpr int kRowsAtOnce = 500;

    // `list` must outlive the feeder.
    explicit RowFeeder(FileList &list, QObject *parent = nullptr);

    // Adds `rows` after everything handed over before; `then` runs once they
    // are all in (before add() returns, when they go in at once).
    void add(QList<NewRow> rows, bool trimForLabel, std::function<void()> then = {});
    // Forgets the rows not added yet; their `then` does not run.
    void cancel();
    bool isBusy() const { return !m_queue.empty(); }

    // How long one slice may take before the feeder yields, in ms.
    void setSliceBudget(int ms) { m_sliceMs = ms; }

private:
    struct Batch {
        QList<NewRow> rows;
        qsizetype next = 0; // the first row not added yet
        bool trimForLabel = true;
        std::function<void()> then;
    };
    void feed();
    // Adds up to kRowsAtOnce rows of the front batch; true when it is done.
    bool addSome(Batch &batch);

    FileList &m_list;
    std::deque<Batch> m_queue;
    QTimer m_timer; // a zero timer: the next slice once the event loop has run
    int m_sliceMs = 10;
};

} // namespace sonvera
