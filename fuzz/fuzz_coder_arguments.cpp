// coder's FFmpeg-style command line, as the window or a user writes it.
#include "fuzzsupport.h"
#include "legacyoptions.h"

using namespace sonvera;
using namespace sonvera::encoders;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QStringList arguments;
    for (const QByteArray &argument : fuzz::argumentsOf(fuzz::bytesOf(data, size)))
        arguments << QString::fromLocal8Bit(argument); // as QCoreApplication::arguments() decodes them
    const CoderParse parsed = parseCoderArguments(arguments);
    if (!parsed.request) {
        fuzz::require(!parsed.error.cause.isEmpty(), "a refused command line says why");
        return 0;
    }
    fuzz::require(!parsed.request->input.isEmpty(), "a run has an input");
    fuzz::require(parsed.request->output == arguments.last(), "the output is the last argument");
    return 0;
}
