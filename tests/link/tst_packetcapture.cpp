// Packet captures of the link: the reassembly fed segment by segment, and whole capture files written
// in the test with libpcap (pcap) or by hand (pcapng).
#include "link/PacketCapture.h"
#include "link/TcpReassembler.h"
#include "support/CaptureBuilder.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

using namespace capture_builder;

namespace {

// Segments written as tokens: "S1000" a SYN at 1000, "F1003" a FIN, "1001:AB" data at 1001, "1001:AB+3"
// data with three more bytes cut off by the snap length. Packet n (from 1) is stamped n microseconds.
void Feed(TcpReassembler& stream, const QString& segments) {
    const QStringList tokens = segments.split(' ', Qt::SkipEmptyParts);
    std::vector<std::string> payloads(static_cast<std::size_t>(tokens.size()));
    std::uint64_t packet = 0;
    for (const QString& token : tokens) {
        TcpSegment segment;
        segment.packet = ++packet;
        segment.timeNs = static_cast<std::int64_t>(packet) * 1000;
        if (token.startsWith('S') || token.startsWith('F')) {
            segment.syn = token.startsWith('S');
            segment.fin = token.startsWith('F');
            segment.seq = token.mid(1).toUInt();
        } else {
            const qsizetype colon = token.indexOf(':');
            const qsizetype plus = token.indexOf('+');
            segment.seq = token.left(colon).toUInt();
            std::string& payload = payloads[packet - 1];
            payload = token.mid(colon + 1, plus < 0 ? -1 : plus - colon - 1).toStdString();
            segment.payload = reinterpret_cast<const std::uint8_t*>(payload.data());
            segment.size = payload.size();
            segment.cut = plus < 0 ? 0 : token.mid(plus + 1).toUInt();
        }
        stream.Add(segment);
    }
    stream.Finish(packet);
}

// "offset:bytes@packet", with ">n" when the read could only be delivered after packet n.
QString ReadsText(const TcpReassembler& stream) {
    QStringList parts;
    for (const StreamRead& read : stream.reads()) {
        const auto* first = stream.bytes().data() + read.at;
        QString part = QStringLiteral("%1:%2@%3")
                           .arg(read.offset)
                           .arg(QString::fromLatin1(reinterpret_cast<const char*>(first),
                                                    static_cast<qsizetype>(read.size)))
                           .arg(read.packet);
        if (read.delivered != read.packet)
            part += QStringLiteral(">%1").arg(read.delivered);
        parts << part;
    }
    return parts.join(' ');
}

// "offset+size/first read after it"
QString GapsText(const std::vector<StreamGap>& gaps) {
    QStringList parts;
    for (const StreamGap& gap : gaps)
        parts << QStringLiteral("%1+%2/%3").arg(gap.offset).arg(gap.size).arg(gap.beforeRead);
    return parts.join(' ');
}

QString ReadsText(const PacketCaptureContents& contents, std::size_t connection) {
    return connection < contents.connections.size() ? ReadsText(contents.connections[connection].stream)
                                                    : QStringLiteral("(no connection)");
}

const std::vector<std::uint8_t> kMessage11 = {0x04, 0x41, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00};

// A connection as a capture on the elevator side's port sees it: the handshake, a message split over
// two segments (the first small enough to need Ethernet padding), the answers of the other side, a
// stranger's traffic to another port, and the FIN.
std::vector<Segment> Conversation(const std::string& client, const std::string& server) {
    std::vector<Segment> segments;
    const auto add = [&](std::uint32_t seq, std::uint8_t flags, std::vector<std::uint8_t> payload) {
        Segment segment;
        segment.client = client;
        segment.server = server;
        segment.seq = seq;
        segment.flags = flags;
        segment.payload = std::move(payload);
        segment.timeNs = 1'765'000'000'000'000'000 + static_cast<std::int64_t>(segments.size()) * 1'000'000;
        segments.push_back(segment);
        return &segments.back();
    };
    add(999, kSyn, {});
    Segment* answer = add(5000, kSyn | kAck, {});
    std::swap(answer->client, answer->server);
    std::swap(answer->clientPort, answer->serverPort);
    add(1000, kAck, {});
    add(1000, kAck | kPsh, {kMessage11.begin(), kMessage11.begin() + 2});
    Segment* other = add(1, kAck | kPsh, Bytes("not ours"));
    other->serverPort = 60174;
    answer = add(5001, kAck | kPsh, Bytes("from the elevator side"));
    std::swap(answer->client, answer->server);
    std::swap(answer->clientPort, answer->serverPort);
    add(1002, kAck | kPsh, {kMessage11.begin() + 2, kMessage11.end()});
    add(1008, kFin | kAck, {});
    return segments;
}

} // namespace

class TestPacketCapture : public QObject {
    Q_OBJECT

private slots:
    void reassembly_data() {
        QTest::addColumn<QString>("segments");
        QTest::addColumn<int>("holdLimit");
        QTest::addColumn<QString>("reads");
        QTest::addColumn<QString>("gaps");
        QTest::addColumn<int>("repeated");
        QTest::addColumn<int>("reordered");
        QTest::addColumn<int>("late");
        const int big = 1 << 20;
        QTest::newRow("SYN, then in order") << "S1000 1001:AB 1003:CD" << big << "0:AB@2 2:CD@3"
                                            << "" << 0 << 0 << 0;
        QTest::newRow("no SYN: the stream starts at the first data")
            << "7000:AB 7002:CD" << big << "0:AB@1 2:CD@2"
            << "" << 0 << 0 << 0;
        QTest::newRow("retransmission counted once")
            << "S1000 1001:AB 1001:AB 1003:CD" << big << "0:AB@2 2:CD@4"
            << "" << 1 << 0 << 0;
        QTest::newRow("overlapping retransmission gives only its new bytes")
            << "S1000 1001:AB 1001:ABCD 1002:BC" << big << "0:AB@2 2:CD@3"
            << "" << 1 << 0 << 0;
        QTest::newRow("out of order put in order") << "S1000 1003:CD 1001:AB" << big << "0:AB@3 2:CD@2>3"
                                                   << "" << 0 << 1 << 0;
        QTest::newRow("out of order with a duplicate of a held segment")
            << "S1000 1005:EF 1005:EF 1003:CD 1001:AB" << big << "0:AB@5 2:CD@4>5 4:EF@2>5"
            << "" << 1 << 2 << 0;
        QTest::newRow("held segments that overlap")
            << "S1000 1004:DEF 1003:CD 1001:AB" << big << "0:AB@4 2:CD@3>4 4:EF@2>4"
            << "" << 0 << 2 << 0;
        QTest::newRow("missing segment: a gap of its size")
            << "S1000 1001:AB 1005:EF 1007:G" << big << "0:AB@2 4:EF@3>4 6:G@4"
            << "2+2/1" << 0 << 0 << 0;
        QTest::newRow("missing first segment after the SYN") << "S1000 1003:CD" << big << "2:CD@2"
                                                             << "0+2/0" << 0 << 0 << 0;
        QTest::newRow("sequence numbers wrap")
            << "S4294967293 4294967294:AB 0:CD 2:EF" << big << "0:AB@2 2:CD@3 4:EF@4"
            << "" << 0 << 0 << 0;
        QTest::newRow("wrap without SYN, out of order across it")
            << "4294967295:AB 3:EF 1:CD 4294967295:AB" << big << "0:AB@1 2:CD@3 4:EF@2>3"
            << "" << 1 << 1 << 0;
        QTest::newRow("bytes cut by the snap length are a gap")
            << "S1000 1001:AB+3 1006:FG" << big << "0:AB@2 5:FG@3"
            << "2+3/1" << 0 << 0 << 0;
        QTest::newRow("without SYN, bytes before the first seen are not invented")
            << "1003:CD 1001:AB 1005:EF" << big << "0:CD@1 2:EF@3"
            << "" << 0 << 0 << 2;
        QTest::newRow("too much held: the hole is given up, the late segment not delivered")
            << "S1000 1001:AB 1005:EF 1007:GH 1009:IJ 1003:CD" << 4 << "0:AB@2 4:EF@3>5 6:GH@4>5 8:IJ@5"
            << "2+2/1" << 0 << 0 << 2;
        QTest::newRow("gap at the end: nothing follows it")
            << "S1000 1001:AB 1003:C+4" << big << "0:AB@2 2:C@3"
            << "3+4/2" << 0 << 0 << 0;
    }

    void reassembly() {
        QFETCH(QString, segments);
        QFETCH(int, holdLimit);
        TcpReassembler stream(static_cast<std::size_t>(holdLimit));
        Feed(stream, segments);
        QTEST(ReadsText(stream), "reads");
        QTEST(GapsText(stream.gaps()), "gaps");
        QTEST(static_cast<int>(stream.repeatedSegments()), "repeated");
        QTEST(static_cast<int>(stream.reorderedSegments()), "reordered");
        QTEST(static_cast<int>(stream.lateBytes()), "late");
        // Reads lie back to back in the byte store and in the stream, the gaps between them.
        std::size_t at = 0;
        for (const StreamRead& read : stream.reads()) {
            QCOMPARE(read.timeNs, static_cast<std::int64_t>(read.packet) * 1000); // its own packet's time
            QCOMPARE(read.at, at);
            at += read.size;
        }
        QCOMPARE(stream.bytes().size(), at);
    }

    void captureFiles_data() {
        QTest::addColumn<int>("linkType");
        QTest::addColumn<bool>("pcapng");
        QTest::addColumn<bool>("vlan");
        QTest::addColumn<QString>("client");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("connection");
        const QString v4a = "192.168.10.5", v4b = "192.168.10.9", v6a = "2001:db8::5", v6b = "fe80::9";
        const QString v4 = "192.168.10.5:50212 > 192.168.10.9:60173";
        const QString v6 = "[2001:db8::5]:50212 > [fe80::9]:60173";
        for (const bool pcapng : {false, true}) {
            const char* format = pcapng ? "pcapng" : "pcap";
            QTest::addRow("%s Ethernet IPv4", format) << DLT_EN10MB << pcapng << false << v4a << v4b << v4;
            QTest::addRow("%s Ethernet IPv6", format) << DLT_EN10MB << pcapng << false << v6a << v6b << v6;
            QTest::addRow("%s Linux cooked IPv4", format)
                << DLT_LINUX_SLL << pcapng << false << v4a << v4b << v4;
            QTest::addRow("%s Linux cooked v2 IPv6", format)
                << DLT_LINUX_SLL2 << pcapng << false << v6a << v6b << v6;
            QTest::addRow("%s raw IPv4", format) << DLT_RAW << pcapng << false << v4a << v4b << v4;
            QTest::addRow("%s raw IPv6", format) << DLT_RAW << pcapng << false << v6a << v6b << v6;
        }
        QTest::newRow("pcap Ethernet with a VLAN tag") << DLT_EN10MB << false << true << v4a << v4b << v4;
    }

    void captureFiles() {
        QFETCH(int, linkType);
        QFETCH(bool, pcapng);
        QFETCH(bool, vlan);
        QFETCH(QString, client);
        QFETCH(QString, server);
        QTemporaryDir dir;
        const std::string path = dir.filePath("site").toStdString();
        const auto segments = Conversation(client.toStdString(), server.toStdString());
        QVERIFY(pcapng ? WriteBytes(path, Pcapng(linkType, segments))
                       : WritePcap(path, linkType, segments, false, vlan));
        QVERIFY(IsPacketCaptureFile(path));

        const PacketCaptureContents contents = ReadPacketCapture(path, kDefaultLinkPort);
        QCOMPARE(QString::fromStdString(contents.error), QString());
        QCOMPARE(contents.packets, segments.size());
        QCOMPARE(contents.connections.size(), std::size_t{1});
        const TcpConnection& connection = contents.connections[0];
        QTEST(QString::fromStdString(ConnectionText(connection.key)), "connection");
        QCOMPARE(connection.firstPacket, std::uint64_t{1});
        QCOMPARE(connection.firstTimeNs, segments[0].timeNs);
        QVERIFY(connection.stream.synSeen());
        QVERIFY(connection.stream.finSeen());
        QCOMPARE(connection.stream.bytes(), kMessage11);
        QCOMPARE(connection.stream.reads().size(), std::size_t{2});
        QCOMPARE(connection.stream.reads()[0].size, std::size_t{2}); // the Ethernet padding left out
        QCOMPARE(connection.stream.reads()[1].packet, std::uint64_t{7});
        QCOMPARE(connection.stream.reads()[1].timeNs, segments[6].timeNs);
        QVERIFY(connection.stream.gaps().empty());
    }

    void nanosecondTimes() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("nano.pcap").toStdString();
        Segment segment;
        segment.seq = 1;
        segment.payload = kMessage11;
        segment.timeNs = 1'765'000'000'123'456'789;
        QVERIFY(WritePcap(path, DLT_EN10MB, {segment}, true));
        PacketCaptureContents contents = ReadPacketCapture(path, kDefaultLinkPort);
        QCOMPARE(contents.connections.at(0).stream.reads().at(0).timeNs, segment.timeNs);
        QVERIFY(WritePcap(path, DLT_EN10MB, {segment}, false));
        contents = ReadPacketCapture(path, kDefaultLinkPort);
        QCOMPARE(contents.connections.at(0).stream.reads().at(0).timeNs, segment.timeNs / 1000 * 1000);
    }

    void otherPort() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("port.pcap").toStdString();
        QVERIFY(WritePcap(path, DLT_EN10MB, Conversation("10.1.1.1", "10.1.1.2")));
        const PacketCaptureContents contents = ReadPacketCapture(path, 60174);
        QCOMPARE(contents.connections.size(), std::size_t{1});
        QCOMPARE(ReadsText(contents, 0), QString("0:not ours@5"));
        QVERIFY(ReadPacketCapture(path, 9).connections.empty());
    }

    void snapLengthCut() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("snap.pcap").toStdString();
        Segment first;
        first.seq = 100;
        first.payload = Bytes("ABCDEFGH");
        first.snap = 14 + 20 + 20 + 3; // three payload bytes kept
        Segment second = first;
        second.seq = 108;
        second.payload = Bytes("IJ");
        second.snap = 65535;
        QVERIFY(WritePcap(path, DLT_EN10MB, {first, second}));
        const PacketCaptureContents contents = ReadPacketCapture(path, kDefaultLinkPort);
        QCOMPARE(ReadsText(contents, 0), QString("0:ABC@1 8:IJ@2"));
        QCOMPARE(GapsText(contents.connections[0].stream.gaps()), QString("3+5/1"));
    }

    // The same addresses and ports after a FIN: a connection of its own. Interleaved connections stay apart.
    void connections() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("two.pcap").toStdString();
        std::vector<Segment> segments;
        const auto add = [&](std::uint16_t port, std::uint32_t seq, std::uint8_t flags,
                             std::string_view data) {
            Segment segment;
            segment.clientPort = port;
            segment.seq = seq;
            segment.flags = flags;
            segment.payload = Bytes(data);
            segments.push_back(segment);
        };
        add(40000, 10, kSyn, "");
        add(40001, 70, kSyn, "");
        add(40000, 11, kAck, "AB");
        add(40001, 71, kAck, "XY");
        add(40000, 13, kAck | kFin, "");
        add(40000, 500, kSyn, "");
        add(40000, 501, kAck, "CD");
        QVERIFY(WritePcap(path, DLT_EN10MB, segments));
        const PacketCaptureContents contents = ReadPacketCapture(path, kDefaultLinkPort);
        QCOMPARE(contents.connections.size(), std::size_t{3});
        QCOMPARE(ReadsText(contents, 0), QString("0:AB@3"));
        QCOMPARE(ReadsText(contents, 1), QString("0:XY@4"));
        QCOMPARE(ReadsText(contents, 2), QString("0:CD@7"));
        QCOMPARE(contents.connections[2].firstPacket, std::uint64_t{6});
        QCOMPARE(contents.connections[0].key, contents.connections[2].key);
    }

    void faults_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("connections");
        QTest::newRow("pcap cut in its last packet") << QByteArray("cut pcap") << "truncated" << 1;
        QTest::newRow("pcapng cut in its last block") << QByteArray("cut pcapng") << "truncated" << 1;
        QTest::newRow("another link type") << QByteArray("802.11") << "link type is IEEE802_11" << 0;
        QTest::newRow("a capture-lines file") << QByteArray("text") << "unknown file format" << 0;
        QTest::newRow("no such file") << QByteArray("missing") << "No such file" << 0;
    }

    void faults() {
        QFETCH(QByteArray, kind);
        QTemporaryDir dir;
        const std::string path = dir.filePath("fault").toStdString();
        const auto segments = Conversation("10.0.0.1", "10.0.0.2");
        if (kind == "cut pcap" || kind == "802.11") {
            QVERIFY(WritePcap(path, kind == "802.11" ? DLT_IEEE802_11 : DLT_EN10MB, segments));
            if (kind == "cut pcap")
                QVERIFY(QFile::resize(QString::fromStdString(path), QFileInfo(path.c_str()).size() - 10));
        } else if (kind == "cut pcapng") {
            const std::string bytes = Pcapng(DLT_EN10MB, segments);
            QVERIFY(WriteBytes(path, bytes.substr(0, bytes.size() - 10)));
        } else if (kind == "text") {
            QVERIFY(WriteBytes(path, "[mm/dd/yyyy] [hh:mm:ss]\r\n[1/2/2026] [1:02:03 PM] 04 41\r\n"));
        }
        const PacketCaptureContents contents = ReadPacketCapture(path, kDefaultLinkPort);
        QFETCH(QString, error);
        QVERIFY2(QString::fromStdString(contents.error).contains(error), contents.error.c_str());
        QTEST(static_cast<int>(contents.connections.size()), "connections");
        if (contents.connections.size() == 1) // what came before the cut is kept
            QCOMPARE(contents.connections[0].stream.bytes(), kMessage11);
    }

    void recognisedByContent_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<bool>("capture");
        QTest::newRow("pcap big-endian") << QByteArray("\xA1\xB2\xC3\xD4....", 8) << true;
        QTest::newRow("pcap little-endian") << QByteArray("\xD4\xC3\xB2\xA1....", 8) << true;
        QTest::newRow("pcap nanoseconds big-endian") << QByteArray("\xA1\xB2\x3C\x4D", 4) << true;
        QTest::newRow("pcap nanoseconds little-endian") << QByteArray("\x4D\x3C\xB2\xA1", 4) << true;
        QTest::newRow("pcapng") << QByteArray("\x0A\x0D\x0D\x0A\x1C\0\0\0", 8) << true;
        QTest::newRow("capture file") << QByteArray("[mm/dd/yyyy] [hh:mm:ss]") << false;
        QTest::newRow("three bytes of a magic") << QByteArray("\xD4\xC3\xB2", 3) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void recognisedByContent() {
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        const std::string path = dir.filePath("capture.txt").toStdString();
        QVERIFY(WriteBytes(path, start.toStdString()));
        QTEST(IsPacketCaptureFile(path), "capture");
    }
};

QTEST_GUILESS_MAIN(TestPacketCapture)
#include "tst_packetcapture.moc"
