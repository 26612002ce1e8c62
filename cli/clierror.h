#pragma once

#include <QString>

#include <stdexcept>

namespace narrata::cli {

// A problem with the arguments or the input file: reported as one line on stderr, exit 2.
class CliError : public std::runtime_error {
public:
    explicit CliError(const QString &message)
        : std::runtime_error(message.toStdString())
    {
    }
};

} // namespace narrata::cli
