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

// The activity spinner, drawn: a bar that turns one step for every piece of
// encoder output, as the glyphs "-", "\", "|", "/" did in a caption, where
// they read as punctuation.
class SpinnerImage final : public QWidget {
    Q_OBJECT

public:
    explicit SpinnerImage(QWidget *parent = nullptr);
    // One of the four glyphs; any other (a null one) draws nothing.
    void setGlyph(QChar glyph);
    QChar glyph() const { return m_glyph; }
    QSize sizeHint() const override { return {14, 14}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QChar m_glyph;
};

// The progress display: the bar image `imgPB`, the progress value `pb`, the
// caption `lblPB` (with the step of a file of two, and the spinner beside
// it), and the batch's elapsed time and time left.
class ProgressView final : public QWidget {
    Q_OBJECT

public:
    explicit ProgressView(QWidget *parent = nullptr);

    void show(const ProgressDisplay &display);
    // A new file started: a display of the file before is cleared.
    void fileStarted();
    // remainingMs -1: no estimate yet.
    void showTiming(qint64 elapsedMs, qint64 remainingMs);
    void clearTiming();

private:
    ProgressBarImage *m_barImage;
    QProgressBar *m_bar;
    SpinnerImage *m_spinner;
    QLabel *m_stepLabel;
    QLabel *m_caption;
    QLabel *m_timing;
    bool m_showsOneFile = false; // the display is one file's (one file at a time), not the batch's
};

} // namespace sonvera
