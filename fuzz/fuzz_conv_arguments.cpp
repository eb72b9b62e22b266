// conv's MEncoder-style command line, as the window or a user writes it.
#include "fuzzsupport.h"
#include "legacyoptions.h"

using namespace sonvera;
using namespace sonvera::encoders;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const ConvParse parsed = parseConvArguments(fuzz::decodedArgumentsOf(fuzz::bytesOf(data, size)));
    if (!parsed.request) {
        fuzz::require(!parsed.error.cause.isEmpty(), "a refused command line says why");
        return 0;
    }
    fuzz::require(!parsed.request->source.isEmpty() && !parsed.request->output.isEmpty(),
                  "a run has a source and an output");
    return 0;
}
