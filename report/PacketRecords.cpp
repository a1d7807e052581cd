#include "report/PacketRecords.h"

#include "common/AppendNumber.h"
#include "report/JsonText.h"

#include <string_view>

namespace {

void AppendCount(std::string& out, std::uint64_t count, std::string_view one, std::string_view many) {
    AppendNumber(out, count);
    out += ' ';
    out += count == 1 ? one : many;
}

void Begin(std::string& out, const LineHeader& header, bool json) {
    if (json)
        AppendJsonHeader(out, header);
    else
        AppendTextHeader(out, header);
}

void End(std::string& out, bool valid, bool json) {
    if (json) {
        AppendJsonBool(out, "valid", valid);
        out += "}\n";
    } else {
        out += "\n\n";
    }
}

void AppendSummaryJson(std::string& out, const StreamSummary& stream) {
    AppendJsonKey(out, "stream");
    out += '{';
    AppendJsonNumber(out, "bytes", stream.bytes);
    AppendJsonNumber(out, "messages", stream.messages);
    AppendJsonBool(out, "syn", stream.syn);
    AppendJsonBool(out, "fin", stream.fin);
    AppendJsonBool(out, "reset", stream.reset);
    AppendJsonNumber(out, "repeated", stream.repeatedSegments);
    AppendJsonNumber(out, "out_of_order", stream.reorderedSegments);
    AppendJsonNumber(out, "gaps", stream.gaps);
    AppendJsonNumber(out, "missing", stream.missingBytes);
    AppendJsonNumber(out, "late", stream.lateBytes);
    out += '}';
}

void AppendSummaryText(std::string& out, const StreamSummary& stream) {
    out += "connection: ";
    AppendCount(out, stream.bytes, "byte", "bytes");
    out += ", ";
    AppendCount(out, stream.messages, "message", "messages");
    out += stream.syn ? ", SYN seen" : ", SYN not in the capture";
    out += stream.reset ? ", reset"
           : stream.fin ? ", closed by FIN"
                        : ", still open at the end of the capture";
    if (stream.repeatedSegments > 0) {
        out += ", ";
        AppendCount(out, stream.repeatedSegments, "segment repeated", "segments repeated");
    }
    if (stream.reorderedSegments > 0) {
        out += ", ";
        AppendCount(out, stream.reorderedSegments, "segment out of order", "segments out of order");
    }
    if (stream.gaps > 0) {
        out += ", ";
        AppendCount(out, stream.gaps, "gap", "gaps");
        out += " (";
        AppendCount(out, stream.missingBytes, "byte", "bytes");
        out += " missing)";
    }
    if (stream.lateBytes > 0) {
        out += ", ";
        AppendCount(out, stream.lateBytes, "byte", "bytes");
        out += " came after their place was given up";
    }
}

void AppendGapJson(std::string& out, const GapRecord& gap) {
    AppendJsonKey(out, "gap");
    out += '{';
    AppendJsonNumber(out, "offset", gap.offset);
    AppendJsonNumber(out, "missing", gap.missing);
    AppendJsonKey(out, "cut_message");
    if (gap.cutsMessage) {
        out += '{';
        AppendJsonNumber(out, "offset", gap.messageOffset);
        AppendJsonNumber(out, "length", gap.messageLength);
        out += '}';
    } else {
        out += "null";
    }
    AppendJsonNumber(out, "passed_over", gap.passedOver);
    AppendJsonText(out, "resume",
                   gap.resume == Resume::MessageEnd    ? "message end"
                   : gap.resume == Resume::NextSegment ? "next segment"
                                                       : "end");
    out += '}';
}

void AppendGapText(std::string& out, const GapRecord& gap, std::uint64_t packet) {
    out += "gap: ";
    AppendCount(out, gap.missing, "byte", "bytes");
    out += " missing from the capture at stream byte ";
    AppendNumber(out, gap.offset);
    if (gap.cutsMessage) {
        out += "; it cuts the message of ";
        AppendCount(out, gap.messageLength, "byte", "bytes");
        out += " from stream byte ";
        AppendNumber(out, gap.messageOffset);
    }
    switch (gap.resume) {
    case Resume::MessageEnd:
        if (gap.passedOver > 0) {
            out += "; its last ";
            AppendCount(out, gap.passedOver, "byte", "bytes");
            out += " after the gap are passed over";
        } else {
            out += "; the next message starts after the gap";
        }
        break;
    case Resume::NextSegment:
        out += "; framing starts again at packet ";
        AppendNumber(out, packet);
        out += ", which may begin inside a message";
        break;
    case Resume::End:
        out += "; nothing follows it in the capture";
        break;
    }
}

} // namespace

void AppendOpenedRecord(std::string& out, const LineHeader& header, bool json) {
    Begin(out, header, json);
    if (json)
        AppendJsonBool(out, "opened", true);
    else
        out += "connection opened";
    End(out, true, json);
}

void AppendConnectionRecord(std::string& out, const LineHeader& header, const StreamSummary& stream,
                            bool json) {
    Begin(out, header, json);
    if (json)
        AppendSummaryJson(out, stream);
    else
        AppendSummaryText(out, stream);
    End(out, stream.gaps == 0, json);
}

void AppendGapRecord(std::string& out, const LineHeader& header, const GapRecord& gap, bool json) {
    Begin(out, header, json);
    if (json)
        AppendGapJson(out, gap);
    else
        AppendGapText(out, gap, header.number);
    End(out, false, json);
}
