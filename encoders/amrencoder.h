#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>

namespace sonvera::encoders {

// Codes 8 kHz mono signed 16-bit little-endian PCM as AMR-NB frames in the
// AMR storage format. Input may come in pieces of any length.
class AmrEncoder {
public:
    virtual ~AmrEncoder() = default;

    // The header that starts an AMR file: "#!AMR\n".
    static QByteArray fileHeader() { return QByteArrayLiteral("#!AMR\n"); }

    // The frames of every complete 20 ms block (160 samples) received so far.
    virtual QByteArray encode(QByteArrayView pcm) = 0;
    // The last, zero-padded block, if samples are left over.
    virtual QByteArray finish() = 0;
};

// Makes an encoder for an AMR-NB mode (0 = 4.75 ... 7 = 12.2 kbit/s).
using AmrEncoderFactory = std::function<std::unique_ptr<AmrEncoder>(int mode)>;

} // namespace sonvera::encoders
