#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace sonvera {

// A file system path as the file system spells it, its bytes, and the text
// it is shown as (shownName(), decoded when asked: a list of 100,000 paths
// keeps their bytes only). The bytes are what is opened,
// linked and handed on; the text is only ever shown. Qt's own file functions
// speak UTF-8 and reach a path exactly only when isUtf8().
//
// Paths are "/"-separated; nothing is cleaned or resolved (no "." or ".."
// folding, no following of links).
class NativePath {
public:
    NativePath() = default;
    explicit NativePath(QByteArray bytes);

    // A path that only exists as text (typed, or from a dialog): its UTF-8 bytes.
    static NativePath fromText(const QString &text);
    // A path in nativeToEscaped()'s lossless text form (command-line parsing).
    static NativePath fromEscaped(QStringView escaped);
    // The working folder, read as bytes: a folder whose name is not UTF-8 is
    // kept exactly. Empty when it cannot be read (removed meanwhile).
    static NativePath currentFolder();

    const QByteArray &bytes() const { return m_bytes; }
    QString shown() const;
    // The lossless text form of the bytes (nativeToEscaped()), never shown.
    QString escaped() const;

    bool isEmpty() const { return m_bytes.isEmpty(); }
    bool isAbsolute() const { return m_bytes.startsWith('/'); }
    bool isUtf8() const;

    // Made absolute against the working folder, its bytes kept; an absolute
    // path unchanged.
    NativePath absolute() const;
    // Without the "/" it ends in ("/" itself stays).
    NativePath withoutTrailingSlash() const;
    // The part after the last "/" (see fileNameOf()).
    NativePath fileName() const;
    // `name` put inside this folder, with one "/" between.
    NativePath operator/(const QByteArray &name) const;

    // Makes `link` (a UTF-8 path, replacing a link or file of that name) a
    // symbolic link to this path made absolute: the name through which a
    // child process, whose arguments Qt passes as UTF-8, opens a path that is
    // not UTF-8. False when it cannot be made.
    bool linkAs(const QString &link) const;

    friend bool operator==(const NativePath &a, const NativePath &b) { return a.m_bytes == b.m_bytes; }

private:
    QByteArray m_bytes;
};

} // namespace sonvera
