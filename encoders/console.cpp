#include "console.h"
#include "pathtext.h"

#include <cerrno>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

void Console::status(const QString &line, Channel channel)
{
    write(channel, line + u'\r');
    m_statusPending = true;
}

void Console::finalStatus(const QString &line, Channel channel)
{
    write(channel, line + u'\n');
    m_statusPending = false;
}

void Console::line(const QString &text)
{
    QString out = m_statusPending ? u"\n"_s : QString();
    out += text + u'\n';
    write(Channel::Err, out);
    m_statusPending = false;
}

void Console::warning(const QString &text)
{
    line(m_program + u": warning: "_s + text);
}

void Console::reason(const QString &file, const QString &cause)
{
    // A reason is one line, whatever the file name or ffmpeg's text holds.
    QString text = m_program + u": "_s;
    if (!file.isEmpty())
        text += u'"' + file + u"\": "_s;
    text += cause;
    // Nor can it drive the terminal of whoever runs the encoder by hand.
    line(shownSafely(text));
}

void Console::write(Channel channel, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const int fd = channel == Channel::Out ? STDOUT_FILENO : STDERR_FILENO;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // nobody reads any more: the run goes on, its result is the exit status
        done += n;
    }
}

} // namespace sonvera::encoders
