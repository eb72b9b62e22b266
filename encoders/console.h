#pragma once

#include <QString>

namespace sonvera::encoders {

// What an encoder program prints. Everything is written unbuffered, so that
// standard output and standard error keep their order when a reader merges
// them. Status lines end in "\r" and are overwritten by the next; any other
// line first ends a pending status line, so that it starts on a line of its
// own.
class Console final {
public:
    enum class Channel { Out, Err };

    explicit Console(QString program) : m_program(std::move(program)) {}

    const QString &program() const { return m_program; }

    void status(const QString &line, Channel channel);      // line + "\r"
    void finalStatus(const QString &line, Channel channel); // line + "\n"
    void line(const QString &text);                         // to standard error
    void warning(const QString &text);                      // "conv: warning: ..."
    // The one-line reason of a failure: `conv: "/v/a.flv": no video stream`.
    // Nothing may be printed after it.
    void reason(const QString &file, const QString &cause);

private:
    void write(Channel channel, const QString &text);

    QString m_program;
    bool m_statusPending = false;
};

} // namespace sonvera::encoders
