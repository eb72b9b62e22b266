#pragma once

#include "encoderstatus.h"
#include "nativepath.h"

#include <QHash>
#include <QJsonValue>
#include <QList>
#include <QTextStream>

#include <utility>

namespace sonvera {

// sonvera-cli's events for scripts (--json): JSON Lines, one object a line,
// each flushed as it happens:
//   {"event":"started","file":F}
//   {"event":"progress","file":F,"fraction":0.42,"stage":1}
//   {"event":"converted","file":F,"output":O}
//   {"event":"failed","file":F,"reason":"...","code":"source-damaged"[,"output":O]}
// A path is shown as text; one that is not UTF-8 also comes as its bytes in
// base64 under the same key with "_base64" ("file_base64"), so that every
// line is valid JSON and no name is lost. docs/many-machines.md says more.
class JsonEvents final {
public:
    using Fields = QList<std::pair<QString, QJsonValue>>;

    explicit JsonEvents(QTextStream &out) : m_out(out) {}

    void started(quint64 id, const NativePath &file);
    // Written when the file's fraction (0..1) has risen by a whole percent
    // since the last event of the file, so that a file never goes back and
    // a script is not flooded.
    void progressed(quint64 id, const NativePath &file, double fraction, int stage);
    void converted(quint64 id, const NativePath &file, const NativePath &output);
    // `output`: a partial output that was kept, or empty.
    void failed(quint64 id, const NativePath &file, const QString &reason, FailureCode code, const NativePath &output);

private:
    void write(const Fields &event);

    QTextStream &m_out;
    QHash<quint64, int> m_percent; // each converting file's last percent written
};

} // namespace sonvera
