#include "cli/CommandLine.h"

#include "cli/ExitStatus.h"
#include "decode/FieldWords.h"
#include "common/TerminalText.h"

#include <cstdio>
#include <string>

void PrintError(std::string_view command, std::string_view message) {
    std::string text(kProgramName);
    if (!command.empty()) {
        text += ' ';
        text += command;
    }
    text += ": ";
    // Messages quote file names, hosts and arguments as given: none may drive the terminal.
    AppendTerminalText(text, message);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    std::string_view command, std::string_view help) {
    const QCommandLineOption helpOption({"h", "help"}, "Show this help.");
    parser.addOption(helpOption);
    // The parser takes the first entry as the program's name.
    QStringList withProgram = arguments;
    withProgram.prepend(QString::fromUtf8(command.data(), static_cast<qsizetype>(command.size())));
    if (!parser.parse(withProgram)) {
        PrintError(command, parser.errorText().toStdString() + " (see: tarc-emulator " +
                                std::string(command) + " --help)");
        return kExitUsage;
    }
    if (parser.isSet(helpOption)) {
        std::fwrite(help.data(), 1, help.size(), stdout);
        std::fflush(stdout);
        return kExitOk;
    }
    return std::nullopt;
}

std::optional<quint16> ParsePort(std::string_view command, const QString& text) {
    const auto port = ParseNumber(text.toStdString(), 0, 65535);
    if (!port) {
        PrintError(command, "not a port number: " + text.toStdString());
        return std::nullopt;
    }
    return static_cast<quint16>(*port);
}

bool ReadInputArguments(const QCommandLineParser& parser, const QCommandLineOption& portOption,
                        std::string_view command, std::uint16_t& port, std::vector<std::string>& files) {
    if (parser.isSet(portOption)) {
        const auto given = ParsePort(command, parser.value(portOption));
        if (!given)
            return false;
        port = *given;
    }
    for (const QString& file : parser.positionalArguments())
        files.push_back(file.toStdString());
    return true;
}
