#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace sonvera {

struct BatchSummary;

// The warning at the end of a batch that left files unconverted: the intro,
// then every file with its reason in a list that scrolls, so that even
// hundreds of failures leave the dialog, and its OK button, on the screen.
class FailureSummary final : public QDialog {
    Q_OBJECT

public:
    FailureSummary(const BatchSummary &summary, QWidget *parent);

    // The listed files and reasons, as shown.
    QString listText() const;

private:
    QPlainTextEdit *m_list;
};

} // namespace sonvera
