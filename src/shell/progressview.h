#pragma once

#include "progress.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace sonvera {

// The full width of the progress bar in the units of the window this one
// descends from; the bar's filled width is kept in them.
inline constexpr double kBarFullWidth = 5415.0;

// The bar image: its filled length is barWidth / kBarFullWidth of the whole.
class ProgressBarImage final : public QWidget {
    Q_OBJECT

public:
    explicit ProgressBarImage(QWidget *parent = nullptr);
    void setBarWidth(double width);
    double barWidth() const { return m_width; }
    QSize sizeHint() const override { return {300, 14}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_width = 0; // 0..kBarFullWidth
};

// The progress display: the bar image `imgPB`, the progress value `pb`, the
// caption `lblPB`, and the batch's elapsed time and time left.
class ProgressView final : public QWidget {
    Q_OBJECT

public:
    explicit ProgressView(QWidget *parent = nullptr);

    void show(const ProgressDisplay &display);
    // remainingMs -1: no estimate yet.
    void showTiming(qint64 elapsedMs, qint64 remainingMs);
    void clearTiming();

    ProgressBarImage *imgPB() const { return m_imgPB; }
    QProgressBar *pb() const { return m_pb; }
    QLabel *lblPB() const { return m_lblPB; }
    QLabel *lblTime() const { return m_lblTime; }

    // "1:05" or "1:02:03".
    static QString clockText(qint64 ms);

private:
    ProgressBarImage *m_imgPB;
    QProgressBar *m_pb;
    QLabel *m_lblPB;
    QLabel *m_lblTime;
};

} // namespace sonvera
