// sonvera-cli's command line: any bytes but NUL in any argument.
#include "clioptions.h"
#include "fuzzsupport.h"
#include "pathtext.h"

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QStringList arguments{u"sonvera-cli"_s};
    for (const QByteArray &argument : fuzz::argumentsOf(fuzz::bytesOf(data, size))) {
        arguments << nativeToEscaped(argument);
        fuzz::require(escapedToNative(arguments.last()) == argument, "an argument keeps its bytes");
    }

    const CliParseResult result = parseCliArguments(arguments, u"/home/user/Videos/Sonvera"_s);
    if (!result.options) {
        fuzz::require(!result.message.isEmpty(), "a refused command line says why");
        return 0;
    }
    const CliOptions &options = *result.options;
    fuzz::require(!options.inputs.isEmpty(), "a batch has files");
    fuzz::require(options.jobs >= 1, "at least one file at a time");
    fuzz::require(options.outputFolder.isEmpty() || options.outputFolder.bytes().startsWith('/'),
                  "the output folder is absolute");
    fuzz::require(!options.cut || options.cut->startSeconds < options.cut->endSeconds, "a cut ends after it starts");
    return 0;
}
