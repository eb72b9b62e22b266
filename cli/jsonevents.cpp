#include "jsonevents.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

void putPath(JsonEvents::Fields &event, const QString &key, const NativePath &path)
{
    event.append({key, path.shown()});
    if (!path.isUtf8())
        event.append({key + u"_base64"_s, QString::fromLatin1(path.bytes().toBase64())});
}

JsonEvents::Fields eventOf(const QString &name, const NativePath &file)
{
    JsonEvents::Fields event{{u"event"_s, name}};
    putPath(event, u"file"_s, file);
    return event;
}

// One value as JSON text, escaped as QJsonDocument escapes it.
QByteArray jsonText(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

void JsonEvents::started(quint64 id, const NativePath &file)
{
    m_percent.insert(id, 0);
    write(eventOf(u"started"_s, file));
}

void JsonEvents::progressed(quint64 id, const NativePath &file, double fraction, int stage)
{
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    const int percent = int(std::floor(clamped * 100));
    const auto last = m_percent.find(id);
    if (last == m_percent.end() || percent <= *last)
        return;
    *last = percent;
    Fields event = eventOf(u"progress"_s, file);
    event.append({u"fraction"_s, std::round(clamped * 1000) / 1000});
    event.append({u"stage"_s, stage});
    write(event);
}

void JsonEvents::converted(quint64 id, const NativePath &file, const NativePath &output)
{
    m_percent.remove(id);
    Fields event = eventOf(u"converted"_s, file);
    putPath(event, u"output"_s, output);
    write(event);
}

void JsonEvents::failed(quint64 id, const NativePath &file, const QString &reason, FailureCode code,
                        const NativePath &output)
{
    m_percent.remove(id);
    Fields event = eventOf(u"failed"_s, file);
    event.append({u"reason"_s, reason});
    event.append({u"code"_s, failureCodeName(code)});
    if (!output.isEmpty())
        putPath(event, u"output"_s, output);
    write(event);
}

void JsonEvents::write(const Fields &event)
{
    // The fields in the order written ("event" first, for the eye), which a
    // QJsonObject, sorting its keys, would not keep. Compact JSON holds no
    // line break: a line break in a name is "\n".
    QByteArray line = "{";
    for (const auto &[key, value] : event)
        line += (line.size() > 1 ? "," : "") + jsonText(key) + ':' + jsonText(value);
    m_out << QString::fromUtf8(line) << "}\n";
}

} // namespace sonvera
