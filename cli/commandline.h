#pragma once

#include <QMap>
#include <QSet>
#include <QStringList>

namespace narrata::cli {

// The arguments of one subcommand: positional arguments, options that take a value
// ("--page 3" or "--page=3") and flags ("--json").
class CommandLine {
public:
    // Throws CliError for an unknown option or a value-taking option without a value.
    CommandLine(const QStringList &arguments, const QSet<QString> &valueOptions, const QSet<QString> &flags);

    const QStringList &positional() const { return m_positional; }
    bool hasFlag(const QString &flag) const { return m_flags.contains(flag); }
    bool hasOption(const QString &option) const { return m_values.contains(option); }
    QString value(const QString &option) const { return m_values.value(option); }
    QStringList values(const QString &option) const { return m_values.values(option); }

    // The option's value as a whole number in [minimum, maximum], or the fallback when absent.
    qint64 integer(const QString &option, qint64 fallback, qint64 minimum, qint64 maximum) const;

private:
    QStringList m_positional;
    QSet<QString> m_flags;
    QMultiMap<QString, QString> m_values;
};

} // namespace narrata::cli
