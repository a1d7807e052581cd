// The main window's link to the access control system: states, buttons, refused clients, the
// receive path and the capture list's order and limits, over real sockets on 127.0.0.1.
#include "AppTestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "common/modCommon.h"

namespace {

constexpr quint16 kPort = frmMain::kLocalPort;

// Connects a client; true once the connection is established (and not immediately reset).
bool ConnectClient(QTcpSocket& client) {
    client.connectToHost(QHostAddress::LocalHost, kPort);
    return client.waitForConnected(2000);
}

// A client that the kernel accepted but the window refused ends up closed without a byte.
bool IsRefused(QTcpSocket& client) {
    client.connectToHost(QHostAddress::LocalHost, kPort);
    if (!client.waitForConnected(2000))
        return true;
    return QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }, 2000);
}

QColor TextColour(QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

const QRegularExpression kLineShape(QStringLiteral(R"(^\[[^\]\r\n]+\] \[[^\]\r\n]+\]( [0-9A-F]{2})*$)"));

} // namespace

class TestLink : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<frmMain> window;
    FakePrompts prompts;

    void ExpectState(int state, bool startEnabled, bool stopEnabled) {
        static const char* captions[] = {"disconnection", "connecting...", "connection"};
        static const QColor colours[] = {QColor(255, 0, 0), QColor(255, 0, 255), QColor(0, 0, 255)};
        QCOMPARE(window->ConnectState(), state);
        QCOMPARE(FindLabel(*window, "lblConnect")->text(), QString::fromLatin1(captions[state]));
        QCOMPARE(TextColour(FindLabel(*window, "lblConnect")), colours[state]);
        QCOMPARE(FindButton(*window, "btnAction_0")->isEnabled(), startEnabled);
        QCOMPARE(FindButton(*window, "btnAction_1")->isEnabled(), stopEnabled);
        QVERIFY(FindButton(*window, "btnAction_2")->isEnabled());
    }
    void Press(int index) { FindButton(*window, QStringLiteral("btnAction_%1").arg(index))->click(); }
    QString Remote(const char* name) { return FindLabel(*window, name)->text(); }
    QStringList Lines() { return CaptureTexts(*window); }
    QString BytesOf(int row) {
        return QString::fromStdString(std::string(modCommon::ByteText(window->CaptureList().Line(row))));
    }

private slots:
    void initTestCase() { UseTestSettings(); }
    void init() {
        prompts = FakePrompts();
        window = OpenWindow(prompts);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        prompts.answer = true;
        window.reset();
    }

    void startUpListensToNothing() {
        QVERIFY(window->windowTitle().endsWith(QStringLiteral("V1.10")));
        QCOMPARE(window->windowTitle(), QStringLiteral("T-ARC Emulator V1.10"));
        ExpectState(0, true, false);
        QCOMPARE(Remote("lblLocalPort"), QStringLiteral("60173"));
        QVERIFY(!Remote("lblLocalIP").isEmpty());
        QVERIFY(Remote("lblRemoteIP").isEmpty());
        QVERIFY(Remote("lblRemotePort").isEmpty());
        QTcpSocket client;
        QVERIFY(IsRefused(client));
        QCOMPARE(window->ConnectState(), 0);
    }

    void startAcceptsOneClientAndStopsListening() {
        Press(0);
        ExpectState(1, false, true);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        QTRY_COMPARE(window->ConnectState(), 2);
        ExpectState(2, false, true);
        QCOMPARE(Remote("lblRemoteIP"), QStringLiteral("127.0.0.1"));
        QCOMPARE(Remote("lblRemotePort"), QString::number(client.localPort()));

        QTcpSocket second;
        QVERIFY(IsRefused(second));
        QCOMPARE(window->ConnectState(), 2);
        QCOMPARE(client.state(), QAbstractSocket::ConnectedState);
    }

    void peerCloseRunsStopAndKeepsThePeerShown() {
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        QTRY_COMPARE(window->ConnectState(), 2);
        const QString port = QString::number(client.localPort());
        client.disconnectFromHost();
        QTRY_COMPARE(window->ConnectState(), 0);
        ExpectState(0, true, false);
        QCOMPARE(Remote("lblRemoteIP"), QStringLiteral("127.0.0.1"));
        QCOMPARE(Remote("lblRemotePort"), port);
        QTcpSocket next;
        QVERIFY(IsRefused(next));
        // The next Start empties the peer labels.
        Press(0);
        QVERIFY(Remote("lblRemoteIP").isEmpty());
        QVERIFY(Remote("lblRemotePort").isEmpty());
    }

    void stopWhileConnectedIsOneTransition() {
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        QTRY_COMPARE(window->ConnectState(), 2);
        Press(1);
        ExpectState(0, true, false);
        // Listening again at once: the dropped connection's own close must not end it.
        Press(0);
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
        QTest::qWait(50);
        ExpectState(1, false, true);
        QTcpSocket again;
        QVERIFY(ConnectClient(again));
        QTRY_COMPARE(window->ConnectState(), 2);
    }

    void stopWhileListeningRefusesClients() {
        Press(0);
        Press(1);
        ExpectState(0, true, false);
        QTcpSocket client;
        QVERIFY(IsRefused(client));
    }

    void portInUseIsReportedAndLeavesStateZero() {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, kPort));
        Press(0);
        QCOMPARE(prompts.warned.size(), 1);
        QVERIFY(prompts.warned.first().contains(QStringLiteral("60173")));
        ExpectState(0, true, false);
        holder.close();
        Press(0);
        ExpectState(1, false, true);
    }

    void everyReadIsOneLineNewestFirst() {
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        QTRY_COMPARE(window->ConnectState(), 2);
        client.write(QByteArray::fromHex("0441000011000000"));
        QTRY_COMPARE(window->CaptureList().Count(), 1);
        client.write(QByteArray::fromHex("05"));
        QTRY_COMPARE(window->CaptureList().Count(), 2);
        const QStringList lines = Lines();
        for (const QString& line : lines)
            QVERIFY2(kLineShape.match(line).hasMatch(), qPrintable(line));
        QCOMPARE(BytesOf(0), QStringLiteral("05"));
        QCOMPARE(BytesOf(1), QStringLiteral("04 41 00 00 11 00 00 00"));
    }

    void bytesSentWithTheCloseAreKept() {
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        QTRY_COMPARE(window->ConnectState(), 2);
        client.write(QByteArray::fromHex("0c41000010"));
        client.disconnectFromHost();
        QTRY_COMPARE(window->ConnectState(), 0);
        QCOMPARE(window->CaptureList().Count(), 1);
        QCOMPARE(BytesOf(0), QStringLiteral("0C 41 00 00 10"));
    }

    void bytesSentBeforeTheAcceptAreKept() {
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        client.write(QByteArray::fromHex("0102"));
        client.waitForBytesWritten(1000);
        QTRY_COMPARE(window->CaptureList().Count(), 1);
        QCOMPARE(BytesOf(0), QStringLiteral("01 02"));
    }

    void aLineShowsAtMost256Bytes_data() {
        QTest::addColumn<int>("sent");
        QTest::addColumn<int>("shown");
        QTest::newRow("one byte") << 1 << 1;
        QTest::newRow("255") << 255 << 255;
        QTest::newRow("256") << 256 << 256;
        QTest::newRow("300") << 300 << 256;
    }
    void aLineShowsAtMost256Bytes() {
        QFETCH(int, sent);
        QFETCH(int, shown);
        QByteArray bytes(sent, '\0');
        for (int i = 0; i < sent; ++i)
            bytes[i] = static_cast<char>(i);
        window->RecordArrival(bytes.constData(), bytes.size());
        const QStringList fields = BytesOf(0).split(u' ');
        QCOMPARE(fields.size(), shown);
        QCOMPARE(fields.last(),
                 QString::fromLatin1(QByteArray(1, static_cast<char>(shown - 1)).toHex().toUpper()));
        QVERIFY(kLineShape.match(Lines().first()).hasMatch());
    }

    void theListIsTrimmedToFiveThousandOnePerArrival() {
        for (int i = 0; i < 4999; ++i)
            RecordHex(*window, QByteArray::number(i % 256, 16).rightJustified(2, '0'));
        QCOMPARE(window->CaptureList().Count(), 4999);
        RecordHex(*window, "AA");
        QCOMPARE(window->CaptureList().Count(), 5000);
        QCOMPARE(BytesOf(4999), QStringLiteral("00"));
        RecordHex(*window, "BB");
        QCOMPARE(window->CaptureList().Count(), 5000);
        QCOMPARE(BytesOf(0), QStringLiteral("BB"));
        QCOMPARE(BytesOf(4999), QStringLiteral("01")); // the oldest, "00", is gone
    }

    void arrivalsKeepTheSelectionAndTheTable() {
        RecordHex(*window, "0441000011000000");
        RecordHex(*window, "0c41000010");
        ClickRow(*window, 1);
        const DecodeTable decoded = window->Table();
        QCOMPARE(decoded.lblData[0].caption, std::string("11"));
        RecordHex(*window, "0441000012");
        QCOMPARE(window->Table(), decoded);
        QCOMPARE(CaptureView(*window)->SelectedRow(), 2); // the same line, moved down
    }

    void theKeyboardSelectsToo() {
        RecordHex(*window, "0441000011000000");
        RecordHex(*window, "0c41000010");
        ClickRow(*window, 0);
        QCOMPARE(window->Table().lblData[0].caption, std::string("10"));
        QTest::keyClick(CaptureView(*window), Qt::Key_Down);
        QCOMPARE(CaptureView(*window)->SelectedRow(), 1);
        QCOMPARE(window->Table().lblData[0].caption, std::string("11"));
        QTest::keyClick(CaptureView(*window), Qt::Key_Down); // already at the bottom: nothing changes
        QCOMPARE(CaptureView(*window)->SelectedRow(), 1);
    }

    void theModelKeepsItsContract() {
        for (int i = 0; i < 4998; ++i)
            RecordHex(*window, "05");
        // The tester checks the whole model at every change: attach it for the arrivals around the limit.
        QAbstractItemModelTester tester(const_cast<CaptureListModel*>(&window->CaptureList()),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (int i = 0; i < 5; ++i)
            RecordHex(*window, "05");
        QCOMPARE(window->CaptureList().Count(), 5000);
        prompts.answer = true;
        FindButton(*window, "btnClearCapture")->click();
        QCOMPARE(window->CaptureList().rowCount(), 0);
    }

    void trimmingTheSelectedLineSelectsNothing() {
        for (int i = 0; i < 5000; ++i)
            RecordHex(*window, "0441000011000000");
        ClickRow(*window, 4999);
        QCOMPARE(CaptureView(*window)->SelectedRow(), 4999);
        const DecodeTable decoded = window->Table();
        RecordHex(*window, "0c41000010");
        QCOMPARE(window->CaptureList().Count(), 5000);
        QCOMPARE(CaptureView(*window)->SelectedRow(), -1);
        QCOMPARE(window->Table(), decoded);
    }

    void exitAsksFirst_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No keeps everything") << false;
        QTest::newRow("Yes closes") << true;
    }
    void exitAsksFirst() {
        QFETCH(bool, yes);
        Press(0);
        RecordHex(*window, "05");
        prompts.answer = yes;
        Press(2);
        QCOMPARE(prompts.asked, QStringList{QStringLiteral("Are you sure you wish to exit?")});
        QCOMPARE(window->isVisible(), !yes);
        QCOMPARE(window->CaptureList().Count(), 1);
        QTcpSocket client;
        QCOMPARE(IsRefused(client), yes); // No: still listening
    }

    void titleBarCloseAsksTheSameWithARealBox() {
        window->SetPrompts(nullptr);
        QString text;
        QString title;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            title = box->windowTitle();
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
            box->button(QMessageBox::No)->click();
        });
        window->close();
        QCOMPARE(text, QStringLiteral("Are you sure you wish to exit?"));
        QCOMPARE(title, QStringLiteral("T-ARC Emulator"));
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
