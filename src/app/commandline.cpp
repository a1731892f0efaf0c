#include "app/commandline.h"

namespace zeq {

namespace {

bool isToolOption(const QString &argument)
{
    static const QStringList options = {
        QStringLiteral("--check"),    QStringLiteral("--resolve"), QStringLiteral("--readings"),
        QStringLiteral("--annotate"), QStringLiteral("--in-place"), QStringLiteral("-o"),
        QStringLiteral("--convert"),  QStringLiteral("--from"),    QStringLiteral("--to"),
        QStringLiteral("--separators"), QStringLiteral("--help"),
    };
    return options.contains(argument) || argument.startsWith(QLatin1String("--separators="));
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (optionsEnded) {
            line.files.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--version")) {
            line.kind = CommandLine::Version;
            return line;
        } else if (isToolOption(argument)) {
            line.kind = CommandLine::Tool;
            line.help = line.help || argument == QLatin1String("--help");
        } else if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            if (line.unknownOption.isEmpty())
                line.unknownOption = argument;
        } else {
            line.files.append(argument);
        }
    }
    return line;
}

QString versionLine()
{
    return QStringLiteral("Zeq Text Editor 1.02");
}

} // namespace zeq
