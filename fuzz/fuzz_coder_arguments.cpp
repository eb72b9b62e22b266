// coder's FFmpeg-style command line, as the window or a user writes it.
#include "fuzzsupport.h"
#include "legacyoptions.h"

using namespace sonvera;
using namespace sonvera::encoders;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList arguments = fuzz::decodedArgumentsOf(fuzz::bytesOf(data, size));
    const CoderParse parsed = parseCoderArguments(arguments);
    if (!parsed.request) {
        fuzz::require(!parsed.error.cause.isEmpty(), "a refused command line says why");
        return 0;
    }
    fuzz::require(!parsed.request->input.isEmpty(), "a run has an input");
    fuzz::require(parsed.request->output == arguments.last(), "the output is the last argument");
    return 0;
}
