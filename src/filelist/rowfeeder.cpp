#include "rowfeeder.h"

namespace sonvera {

RowFeeder::RowFeeder(FileList &list, QObject *parent)
    : QObject(parent)
    , m_list(list)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &RowFeeder::feed);
}

void RowFeeder::add(QList<NewRow> rows, bool trimForLabel, std::function<void()> then)
{
    Batch batch{std::move(rows), 0, trimForLabel, std::move(then)};
    if (m_queue.empty() && batch.rows.size() <= kRowsAtOnce) {
        addSome(batch);
        if (batch.then)
            batch.then();
        return;
    }
    m_queue.push_back(std::move(batch));
    if (!m_timer.isActive())
        m_timer.start();
}

void RowFeeder::cancel()
{
    m_queue.clear();
    m_timer.stop();
}

bool RowFeeder::addSome(Batch &batch)
{
    const qsizetype count = std::min<qsizetype>(kRowsAtOnce, batch.rows.size() - batch.next);
    m_list.appendRows(std::span<const NewRow>(batch.rows.constData() + batch.next, std::size_t(count)),
                      batch.trimForLabel);
    batch.next += count;
    return batch.next >= batch.rows.size();
}

void RowFeeder::feed()
{
    QElapsedTimer slice;
    slice.start();
    // At least one step a slice, so that every slice makes progress.
    do {
        if (m_queue.empty() || !addSome(m_queue.front()))
            continue;
        // Taken off the queue first: `then` may add more rows.
        const std::function<void()> then = std::move(m_queue.front().then);
        m_queue.pop_front();
        if (then)
            then();
    } while (!m_queue.empty() && slice.elapsed() < m_sliceMs);
    if (!m_queue.empty())
        m_timer.start();
}

} // namespace sonvera
