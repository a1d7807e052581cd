#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The inputs of a command that reads capture files and packet captures: the port of --port, when
// given, and the file arguments. False after a usage error, which it prints.
bool ReadInputArguments(const QCommandLineParser& parser, const QCommandLineOption& portOption,
                        std::string_view command, std::uint16_t& port, std::vector<std::string>& files);
