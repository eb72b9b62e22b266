#include "amrnbencoder.h"

#include <QtEndian>

#include <array>

#include <opencore-amrnb/interf_enc.h>

namespace sonvera::encoders {

namespace {

constexpr qsizetype kSamplesPerFrame = 160;
constexpr qsizetype kBytesPerFrame = kSamplesPerFrame * 2;
constexpr int kMaxFrameBytes = 32; // 12.2 kbit/s: 31 bytes plus the header byte

class OpencoreAmrEncoder final : public AmrEncoder {
public:
    explicit OpencoreAmrEncoder(int mode) : m_mode(static_cast<Mode>(mode)), m_state(Encoder_Interface_init(0)) {}
    ~OpencoreAmrEncoder() override { Encoder_Interface_exit(m_state); }

    OpencoreAmrEncoder(const OpencoreAmrEncoder &) = delete;
    OpencoreAmrEncoder &operator=(const OpencoreAmrEncoder &) = delete;

    QByteArray encode(QByteArrayView pcm) override
    {
        m_pending.append(pcm.data(), pcm.size());
        QByteArray frames;
        qsizetype offset = 0;
        for (; offset + kBytesPerFrame <= m_pending.size(); offset += kBytesPerFrame)
            frames += encodeFrame(QByteArrayView(m_pending).sliced(offset, kBytesPerFrame));
        m_pending.remove(0, offset);
        return frames;
    }

    QByteArray finish() override
    {
        if (m_pending.isEmpty())
            return {};
        QByteArray last = std::exchange(m_pending, {});
        last.append(kBytesPerFrame - last.size(), '\0');
        return encodeFrame(last);
    }

private:
    QByteArray encodeFrame(QByteArrayView bytes)
    {
        std::array<short, kSamplesPerFrame> speech{};
        for (qsizetype i = 0; i < kSamplesPerFrame; ++i)
            speech[std::size_t(i)] = qFromLittleEndian<qint16>(bytes.data() + 2 * i);
        std::array<unsigned char, kMaxFrameBytes + 8> out{};
        const int size = Encoder_Interface_Encode(m_state, m_mode, speech.data(), out.data(), 0);
        return size > 0 ? QByteArray(reinterpret_cast<const char *>(out.data()), size) : QByteArray();
    }

    Mode m_mode;
    void *m_state;
    QByteArray m_pending;
};

} // namespace

std::unique_ptr<AmrEncoder> createOpencoreAmrEncoder(int mode)
{
    return std::make_unique<OpencoreAmrEncoder>(mode);
}

} // namespace sonvera::encoders
