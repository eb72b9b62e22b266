#include "filefilter.h"

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

QString upToNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString QtWildcard(const QString &pattern)
{
    const QString p = pattern.trimmed();
    // "*.*" has always meant every file; as a Linux wildcard it would hide
    // names without a dot.
    if (p.isEmpty() || p == u"*.*"_s)
        return u"*"_s;

    // Qt reads the patterns out of the last parentheses of a name filter and
    // accepts only these characters there besides ASCII letters and digits; a
    // blank would split the pattern in two. "[" and "]" take part in Qt's
    // wildcard syntax, so they are written as one-character classes.
    static const QString passThrough = u"_.,*?+#-@{}!<>$%&=^~:"_s;
    QString out;
    out.reserve(p.size() + 4);
    for (const QChar c : p) {
        const char16_t u = c.unicode();
        const bool alnum = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
        if (u == u'[')
            out += u"[[]"_s;
        else if (u == u']')
            out += u"[]]"_s;
        else if (alnum || passThrough.contains(c))
            out += c;
        else
            out += u'?';
    }
    return out;
}

QStringList qtNameFilters(const QString &filter)
{
    const QStringList parts = upToNul(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts.at(i);
        const QString &patternPart = parts.at(i + 1);
        if (label.isEmpty() && patternPart.isEmpty())
            continue;
        // Qt's pattern matcher does not cross line breaks.
        label.replace(u'\r', u' ').replace(u'\n', u' ');

        QStringList wildcards;
        for (const QString &pattern : patternPart.split(u';')) {
            if (pattern.trimmed().isEmpty())
                continue;
            const QString w = QtWildcard(pattern);
            if (!wildcards.contains(w))
                wildcards.append(w);
        }
        if (wildcards.isEmpty())
            wildcards.append(u"*"_s);
        filters.append(label + u" ("_s + wildcards.join(u' ') + u')');
    }
    return filters;
}

} // namespace sonvera
