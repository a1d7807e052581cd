#include "cli/ReportCommand.h"

#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/ReportRun.h"
#include "common/WriteAll.h"
#include "link/CaptureFileIO.h"
#include "link/LocalClock.h"
#include "print/RecordPdf.h"
#include "report/RecordWriters.h"
#include "report/TestPlan.h"

#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

constexpr std::string_view kCommand = "report";

constexpr std::string_view kHelp = R"(Usage: tarc-emulator report [OPTIONS] [INPUT ...]

Writes the commissioning record of a recording: for every rule of the message format (each field the
decode table colours by its rules, the checks the table leaves out by design, and the framing) how many
messages exercised it, how many broke it and up to five example lines each; what the messages covered
(commands, gates, floors, door sides, attributions, sequence numbers); the link where it is known; and
a timeline. A rule no message exercised reads "not exercised", never passed. With --plan, every output
also says how far each expectation of a test plan came: met, "seen" fewer times than asked, "seen,
invalid" or "not seen".

INPUT is whatever "decode" reads: a capture file (read oldest line first), a file of capture lines as
"record" prints them, a packet capture (pcap or pcapng), "-" or nothing for standard input. Messages are
framed across consecutive lines as the window frames them; each input, and each connection of a packet
capture, is a stream of its own. The input is read as a stream: memory does not grow with it.

  --html FILE     one self-contained HTML page (inline SVG, no scripts; prints on A4)
  --pdf FILE      the same as a PDF on A4
  --junit FILE    JUnit XML for CI: one test case per rule, failed when broken, skipped when not exercised,
                  and one per expectation of the plan, failed unless met
  --json FILE     the record as one JSON object
  --plan FILE     checks the lines against a test plan too (one expectation a line, as the window's
                  "Plan..." reads it); a plan that does not parse is refused with its line and reason,
                  and nothing is written
  --title TEXT    names the site or the test at the top of the record
  --port N        in a packet capture, the elevator side's port (default 60173)
  -h, --help      show this help

Any combination of outputs may be given; each file is written whole or not at all (a failure leaves an
earlier file as it was). A short summary goes to standard output.
Exit status: 0 every exercised rule held (and every expectation of the plan was met), 1 a rule broke
(a packet capture's gap included) or an expectation is unmet, 2 a usage or input/output error.
)";

struct Output {
    QString path;
    std::function<QByteArray()> make;
};

} // namespace

bool ReportWantsGui(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            return false;
        if (argument == QLatin1String("--pdf") || argument.startsWith(QLatin1String("--pdf=")))
            return true;
    }
    return false;
}

int RunReportCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption htmlOption("html", "", "FILE");
    const QCommandLineOption pdfOption("pdf", "", "FILE");
    const QCommandLineOption junitOption("junit", "", "FILE");
    const QCommandLineOption jsonOption("json", "", "FILE");
    const QCommandLineOption titleOption("title", "", "TEXT");
    const QCommandLineOption portOption("port", "", "N");
    const QCommandLineOption planOption("plan", "", "FILE");
    parser.addOptions({htmlOption, pdfOption, junitOption, jsonOption, titleOption, portOption, planOption});
    if (const auto stop = ParseCommandLine(parser, arguments, kCommand, kHelp))
        return *stop;

    ReportInputs inputs;
    if (!ReadInputArguments(parser, portOption, kCommand, inputs.port, inputs.files))
        return kExitUsage;
    if (inputs.files.empty())
        inputs.files.push_back("-");
    inputs.systemDateOrder = DateOrderOf(CurrentFormatText().toStdString());

    CommissioningRecord record;
    record.setTitle(parser.value(titleOption).toStdString());
    if (parser.isSet(planOption)) {
        const std::string path = parser.value(planOption).toStdString();
        TestPlan plan = LoadTestPlan(path);
        if (!plan.Ok()) {
            PrintError(kCommand, "plan " + path + ": " + plan.ErrorText());
            return kExitUsage;
        }
        record.SetPlan(std::move(plan.expectations));
    }
    // A record of an input read in part would say less than the input holds: nothing is written.
    if (!FeedRecord(inputs, record))
        return kExitUsage;
    record.Finish();

    std::string sources;
    for (const std::string& file : inputs.files)
        sources += (sources.empty() ? "" : ", ") + (file == "-" ? std::string("standard input") : file);
    const QString made = MadeByline(QString::fromStdString(sources));
    const auto bytes = [](const std::string& text) { return QByteArray::fromStdString(text); };
    HtmlOptions html;
    html.made = made.toStdString();
    const Output outputs[] = {
        {parser.value(htmlOption), [&] { return bytes(RecordHtml(record, html)); }},
        {parser.value(pdfOption), [&] { return RecordPdf(record, made); }},
        {parser.value(junitOption), [&] { return bytes(RecordJunit(record)); }},
        {parser.value(jsonOption), [&] { return bytes(RecordJson(record)); }},
    };
    bool written = true;
    for (const Output& output : outputs) {
        if (output.path.isEmpty())
            continue;
        const QByteArray content = output.make();
        QString reason;
        if (!SaveWholeFile(output.path,
                           std::string_view(content.constData(), static_cast<std::size_t>(content.size())),
                           &reason)) {
            PrintError(kCommand, "cannot write " + output.path.toStdString() + ": " + reason.toStdString());
            written = false;
        }
    }
    if (const int error = WriteAll(STDOUT_FILENO, RecordSummary(record)); error != 0) {
        PrintError(kCommand, std::string("cannot write the summary: ") + std::strerror(error));
        written = false;
    }
    if (!written)
        return kExitUsage;
    return record.passed() ? kExitOk : kExitCheckFailed;
}
