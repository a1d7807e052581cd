#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <optional>
#include <string_view>

// What every headless command shares: messages on stderr prefixed with the command, --help, and the
// exit status of a usage error.

inline constexpr std::string_view kProgramName = "tarc-emulator";

// "tarc-emulator COMMAND: message" on stderr, control characters in the message shown as "?".
void PrintError(std::string_view command, std::string_view message);

// Adds --help, parses the arguments that follow the command name and handles --help and errors: an
// exit status when the command must stop there (0 after the help, 2 after a usage error), nullopt when
// it goes on.
std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    std::string_view command, std::string_view help);

// A port number from an option's text (0 to 65535); prints the error itself.
std::optional<quint16> ParsePort(std::string_view command, const QString& text);
