#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace sonvera {

struct BatchSummary;

// The warning at the end of a batch that left files unconverted: the intro,
// then each file with its reason (the first 500, then how many more) in a list
// that scrolls, so that even thousands of failures leave the dialog, and its
// OK button, on the screen at once;
// below, a note on what the failures changed (no after-batch action), if any.
class FailureSummary final : public QDialog {
    Q_OBJECT

public:
    FailureSummary(const BatchSummary &summary, const QString &note, QWidget *parent);

    // The listed files and reasons, as shown.
    QString listText() const;
    // The note below the list; empty when there is none.
    QString noteText() const;

private:
    QPlainTextEdit *m_list;
    QLabel *m_note;
};

} // namespace sonvera
