#pragma once

#include <QLoggingCategory>
#include <QStringList>

// Collects the messages of one logging category while it lives (one at a time).
class CapturedLog final {
public:
    explicit CapturedLog(const char *category)
    {
        s_category = category;
        s_lines.clear();
        m_previous = qInstallMessageHandler(&CapturedLog::handle);
        s_previous = m_previous;
    }
    ~CapturedLog() { qInstallMessageHandler(m_previous); }

    QStringList lines() const { return s_lines; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (context.category && qstrcmp(context.category, s_category) == 0)
            s_lines << message;
        if (s_previous)
            s_previous(type, context, message);
    }

    QtMessageHandler m_previous;
    static inline const char *s_category = nullptr;
    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};
