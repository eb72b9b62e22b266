// A RealMedia file as the encoders read it back to add and check its seek index.
#include "fuzzsupport.h"
#include "realmediaindex.h"

using namespace sonvera;
using namespace sonvera::encoders;

namespace {

ByteReader readerOf(const QByteArray &bytes)
{
    return [&bytes](qint64 offset, qint64 length) {
        return offset < 0 || offset >= bytes.size() ? QByteArray() : bytes.mid(offset, length);
    };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const std::optional<RealMediaLayout> layout = readRealMediaLayout(readerOf(bytes), bytes.size(), error);
    if (!layout) {
        fuzz::require(!error.isEmpty(), "a file refused says why");
        return 0;
    }
    fuzz::require(layout->chunks.value(0) == ".RMF" && layout->packetsEnd <= bytes.size(),
                  "a layout begins with .RMF and its packets lie within the file");
    for (qsizetype i = 1; i < layout->packets.size(); ++i)
        fuzz::require(layout->packets[i].offset > layout->packets[i - 1].offset, "packets follow each other");
    const bool checked = !seekIndexProblem(*layout);
    const std::optional<RealMediaEdit> edit = planSeekIndex(*layout);
    fuzz::require(!(checked && edit), "a file that checks is not indexed again");
    if (!edit)
        return 0;
    QByteArray indexed = bytes;
    applyEdit(indexed, *edit);
    const std::optional<RealMediaLayout> again = readRealMediaLayout(readerOf(indexed), indexed.size(), error);
    fuzz::require(again.has_value(), "an indexed file reads back");
    const std::optional<QString> problem = seekIndexProblem(*again);
    fuzz::require(!problem, "an indexed file checks");
    fuzz::require(again->packets.size() == layout->packets.size(), "indexing keeps every packet");
    return 0;
}
