#include "commandline.h"

#include "clierror.h"

namespace narrata::cli {

CommandLine::CommandLine(const QStringList &arguments, const QSet<QString> &valueOptions, const QSet<QString> &flags)
{
    bool optionsEnded = false; // after "--" everything is a file name, "-name.pdf" included
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            m_positional.append(argument);
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (flags.contains(name) && equals < 0) {
            m_flags.insert(name);
        } else if (valueOptions.contains(name)) {
            if (equals >= 0)
                m_values.insert(name, argument.mid(equals + 1));
            else if (i + 1 < arguments.size())
                m_values.insert(name, arguments.at(++i));
            else
                throw CliError(QStringLiteral("%1 needs a value").arg(name));
        } else {
            throw CliError(QStringLiteral("unknown option %1").arg(name));
        }
    }
}

qint64 CommandLine::integer(const QString &option, qint64 fallback, qint64 minimum, qint64 maximum) const
{
    if (!hasOption(option))
        return fallback;
    bool ok = false;
    const qint64 number = value(option).toLongLong(&ok);
    if (!ok || number < minimum || number > maximum)
        throw CliError(QStringLiteral("%1 takes a whole number from %2 to %3, not \"%4\"")
                           .arg(option)
                           .arg(minimum)
                           .arg(maximum)
                           .arg(value(option)));
    return number;
}

} // namespace narrata::cli
