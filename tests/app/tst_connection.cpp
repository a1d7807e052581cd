// The main window's link to the access control system: states, buttons, refused clients, the
// receive path and the capture list's order and limits, over real sockets on 127.0.0.1.
#include "AppTestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include "common/modCommon.h"
#include "views/frmAccesibleFloors.h"

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

const QByteArray kMsg20Full = "4C4100002030303031" + QByteArray("C3").repeated(64) + "30000000000000";

const QRegularExpression kLineShape(QStringLiteral(R"(^\[[^\]\r\n]+\] \[[^\]\r\n]+\]( [0-9A-F]{2})*$)"));

} // namespace

class TestConnection : public QObject {
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
    void init() {
        QSettings().clear(); // "Listen again" and the alarm start off in every test
        prompts = FakePrompts();
        window = OpenWindow(prompts);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        prompts.answer = true;
        window.reset();
    }

    // At start-up, and after a Stop while listening, nothing listens.
    void startUpAndStopListenToNothing() {
        ExpectState(0, true, false);
        QCOMPARE(Remote("lblLocalPort"), QStringLiteral("60173"));
        QVERIFY(!Remote("lblLocalIP").isEmpty());
        QVERIFY(Remote("lblRemoteIP").isEmpty());
        QVERIFY(Remote("lblRemotePort").isEmpty());
        QTcpSocket client;
        QVERIFY(IsRefused(client));
        QCOMPARE(window->ConnectState(), 0);
        Press(0);
        Press(1);
        ExpectState(0, true, false);
        QTcpSocket later;
        QVERIFY(IsRefused(later));
    }

    // One client is accepted, a second refused; Stop while connected is one transition.
    void startAcceptsOneClientAndStopEndsIt() {
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

    // The peer's close runs Stop; the bytes sent with the close are kept.
    void peerCloseRunsStopAndKeepsThePeerShown() {
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        QTRY_COMPARE(window->ConnectState(), 2);
        const QString port = QString::number(client.localPort());
        client.write(QByteArray::fromHex("0c41000010"));
        client.disconnectFromHost();
        QTRY_COMPARE(window->ConnectState(), 0);
        ExpectState(0, true, false);
        QCOMPARE(window->CaptureList().Count(), 1);
        QCOMPARE(BytesOf(0), QStringLiteral("0C 41 00 00 10"));
        QCOMPARE(Remote("lblRemoteIP"), QStringLiteral("127.0.0.1"));
        QCOMPARE(Remote("lblRemotePort"), port);
        QTcpSocket next;
        QVERIFY(IsRefused(next));
        // The next Start empties the peer labels.
        Press(0);
        QVERIFY(Remote("lblRemoteIP").isEmpty());
        QVERIFY(Remote("lblRemotePort").isEmpty());
    }

    void portInUseIsReportedAndLeavesStateZero() {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, kPort));
        Press(0);
        QCOMPARE(prompts.warned, QStringList{"Unable to listen on port 60173."});
        QCOMPARE(prompts.details, QStringList{"Port 60173 is already in use by another program."});
        ExpectState(0, true, false);
        holder.close();
        Press(0);
        ExpectState(1, false, true);
    }

    // Every read is one line, newest first; bytes sent before the window accepted are kept too.
    void everyReadIsOneLineNewestFirst() {
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        client.write(QByteArray::fromHex("0441000011000000"));
        QVERIFY(client.waitForBytesWritten(1000)); // in the kernel before the window's loop runs
        QTRY_COMPARE(window->CaptureList().Count(), 1);
        client.write(QByteArray::fromHex("05"));
        QTRY_COMPARE(window->CaptureList().Count(), 2);
        const QStringList lines = Lines();
        for (const QString& line : lines)
            QVERIFY2(kLineShape.match(line).hasMatch(), qPrintable(line));
        QCOMPARE(BytesOf(0), QStringLiteral("05"));
        QCOMPARE(BytesOf(1), QStringLiteral("04 41 00 00 11 00 00 00"));
    }

    // A read over 256 bytes is several lines of at most 256 bytes, oldest part first, so the later part
    // sits above it; put back together they are the read, byte for byte, under one date and time.
    void aLongReadIsKeptWhole_data() {
        QTest::addColumn<int>("sent");
        QTest::addColumn<QList<int>>("lineSizes"); // newest first
        QTest::newRow("one byte") << 1 << QList<int>{1};
        QTest::newRow("256") << 256 << QList<int>{256};
        QTest::newRow("257") << 257 << QList<int>{1, 256};
        QTest::newRow("513") << 513 << QList<int>{1, 256, 256};
    }
    void aLongReadIsKeptWhole() {
        QFETCH(int, sent);
        QFETCH(QList<int>, lineSizes);
        RecordHex(*window, "05");
        QByteArray bytes(sent, '\0');
        for (int i = 0; i < sent; ++i)
            bytes[i] = static_cast<char>(i * 7);
        window->RecordArrival(bytes.constData(), bytes.size());
        QCOMPARE(window->CaptureList().Count(), lineSizes.size() + 1);
        QByteArray joined;
        for (int row = lineSizes.size() - 1; row >= 0; --row) {
            const QStringList fields = BytesOf(row).split(u' ');
            QCOMPARE(fields.size(), lineSizes[row]);
            joined += QByteArray::fromHex(BytesOf(row).toLatin1());
            QVERIFY(kLineShape.match(Lines()[row]).hasMatch());
            QCOMPARE(Lines()[row].section(u']', 0, 1), Lines()[0].section(u']', 0, 1));
        }
        QCOMPARE(joined, bytes);
        QCOMPARE(BytesOf(lineSizes.size()), QStringLiteral("05"));
    }

    // The mouse and the keyboard select; arrivals keep the selection and the table.
    void selectionByMouseAndKeysStaysUnderArrivals() {
        RecordHex(*window, "0441000011000000");
        RecordHex(*window, "0c41000010");
        ClickRow(*window, 0);
        QCOMPARE(window->Table().lblData[0].caption, std::string("10"));
        QTest::keyClick(CaptureView(*window), Qt::Key_Down);
        QCOMPARE(CaptureView(*window)->SelectedRow(), 1);
        QCOMPARE(window->Table().lblData[0].caption, std::string("11"));
        QTest::keyClick(CaptureView(*window), Qt::Key_Down); // already at the bottom: nothing changes
        QCOMPARE(CaptureView(*window)->SelectedRow(), 1);
        const DecodeTable decoded = window->Table();
        RecordHex(*window, "0441000012");
        QCOMPARE(window->Table(), decoded);
        QCOMPARE(CaptureView(*window)->SelectedRow(), 2); // the same line, moved down
    }

    // The list at its limit: an arrival inserts on top and drops the oldest line, once; the model keeps
    // its contract throughout; a dropped selected line leaves nothing selected, the table as it was, and
    // Details with nothing to hand over.
    void theListIsTrimmedToFiveThousandOnePerArrival() {
        RecordHex(*window, kMsg20Full);
        for (int i = 1; i < 4999; ++i)
            RecordHex(*window, QByteArray::number(i % 256, 16).rightJustified(2, '0'));
        QCOMPARE(window->CaptureList().Count(), 4999);
        QCOMPARE(window->CaptureList().ConnectionRows(), std::vector<int>{4998}); // the first line recorded
        ClickRow(*window, 4998);
        QVERIFY(FindButton(*window, "btnDetailFloors")->isVisible());
        const DecodeTable decoded = window->Table();
        // The tester checks the whole model at every change: attach it for the arrivals around the limit.
        QAbstractItemModelTester tester(const_cast<CaptureListModel*>(&window->CaptureList()),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        RecordHex(*window, "AA");
        QCOMPARE(window->CaptureList().Count(), 5000);
        QCOMPARE(window->CaptureList().ConnectionRows(), std::vector<int>{4999});
        QCOMPARE(CaptureView(*window)->SelectedRow(), 4999);
        RecordHex(*window, "BB");
        QCOMPARE(window->CaptureList().Count(), 5000);
        QCOMPARE(BytesOf(0), QStringLiteral("BB"));
        QCOMPARE(BytesOf(4999), QStringLiteral("01")); // the oldest, the 0x20 line, is gone
        QCOMPARE(CaptureView(*window)->SelectedRow(), -1);
        QVERIFY(window->CaptureList().ConnectionRows().empty());
        QCOMPARE(window->Table(), decoded);
        FindButton(*window, "btnDetailFloors")->click();
        QVERIFY(!window->FloorsWindow() || !window->FloorsWindow()->isVisible());
        prompts.answer = true;
        FindButton(*window, "btnClearCapture")->click();
        QCOMPARE(window->CaptureList().rowCount(), 0);
    }

    // A peer that left mid-message, then the next peer's first read, a whole 0x10: that line starts on a
    // message of its own and nothing is joined across the two connections; the same lines saved and
    // loaded carry no connection and read as one stream.
    void aNewConnectionStartsANewStream() {
        const QByteArray whole = QByteArray::fromHex("0c410000103030303330313531300000");
        for (const QByteArray& bytes : {whole.left(7), whole}) {
            Press(0);
            QTcpSocket client;
            QVERIFY(ConnectClient(client));
            client.write(bytes);
            client.disconnectFromHost();
            QTRY_COMPARE(window->ConnectState(), 0);
        }
        QCOMPARE(BytesOf(1), QStringLiteral("0C 41 00 00 10 30 30"));
        const auto message = [this] { return FindLabel(*window, "lblMessage")->text(); };
        ClickRow(*window, 0);
        QCOMPARE(message(), QStringLiteral("message 1 of 1"));
        QVERIFY(!FindButton(*window, "btnNextMessage")->isEnabled());
        QCOMPARE(window->CaptureList().Mark(0), LineMark(LineKind::Valid, LineCommand::C10));
        QTRY_COMPARE(FindLabel(*window, "lblCounters")->text(),
                     QStringLiteral("2 lines, 0 invalid; 0x10: 2, 0x11: 0, 0x20: 0, other: 0"));
        QCOMPARE(window->CaptureList().ConnectionRows(), (std::vector<int>{0, 1}));
        ClickRow(*window, 1);
        QCOMPARE(message(), QStringLiteral("message 1 of 1, 9 bytes missing"));
        QVERIFY(!FindButton(*window, "btnNextMessage")->isEnabled());

        QTemporaryDir dir;
        prompts.fileName = dir.filePath(QStringLiteral("two.txt"));
        FindButton(*window, "btnSaveCapture")->click();
        FindButton(*window, "btnLoadCapture")->click();
        ClickRow(*window, 0);
        QCOMPARE(message(), QStringLiteral("starts with the last 9 bytes of a message from the line below"));
        FindButton(*window, "btnNextMessage")->click();
        QCOMPARE(message(), QStringLiteral("the message from the line below, joined with this line"));
    }

    // A controller retrying in a loop over a weekend: the history keeps its latest entries and counts the
    // rest, and the open History window adds each entry at its end, never writing its text again.
    // Unattended: with "Listen again" on, a peer that closes and comes back is recorded every time without
    // a click; a second client meanwhile is refused and written down; the choice stays. A thousand
    // reconnects with the History window open: the history keeps its latest entries and the window adds a
    // line per event instead of rebuilding its text, so the thousandth costs what the first did.
    void listenAgainRecordsEveryConnection() {
        Find<QCheckBox>(*window, "chkRelisten")->setChecked(true);
        Press(0);
        FindButton(*window, "btnHistory")->click();
        auto* history = window->findChild<QWidget*>("frmLinkHistory");
        auto* text = history->findChild<QPlainTextEdit*>("txtHistory");
        int mostRemoved = 0;
        connect(text->document(), &QTextDocument::contentsChange, this,
                [&](int, int removed, int) { mostRemoved = std::max(mostRemoved, removed); });
        QTimer wake; // processEvents below waits for an event; this one always comes
        wake.start(20);
        const auto waitFor = [](const auto& done) {
            QDeadlineTimer deadline(5000);
            while (!done() && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            return done();
        };
        constexpr int kRounds = 1000;
        for (int round = 0; round < kRounds; ++round) {
            QTcpSocket client;
            QVERIFY(ConnectClient(client));
            QVERIFY(waitFor([&] { return window->ConnectState() == 2; }));
            if (round == 0) {
                QTcpSocket second;
                QVERIFY(IsRefused(second));
                QCOMPARE(window->ConnectState(), 2);
            }
            if (round < 10) {
                client.write(QByteArray(1, static_cast<char>(round)));
                QVERIFY(waitFor([&] { return window->CaptureList().Count() == round + 1; }));
            }
            client.disconnectFromHost();
            QVERIFY(waitFor([&] { return window->ConnectState() == 1; }));
        }
        ExpectState(1, false, true);
        const LinkHistory& events = window->History();
        QCOMPARE(events.Events().size(), LinkHistory::kKept);
        QCOMPARE(events.Dropped(), 2 * kRounds + 1 - LinkHistory::kKept); // the refused client among them
        QCOMPARE(events.Events().back().kind, LinkEvent::Kind::PeerClosed);
        QCOMPARE(text->document()->blockCount(), static_cast<int>(LinkHistory::kKept));
        QCOMPARE(text->document()->lastBlock().text(), events.Events().back().Text());
        QVERIFY2(mostRemoved < 200, qPrintable(QString::number(mostRemoved))); // one line at most
        QVERIFY(history->windowTitle().contains(QString::number(events.Dropped())));
        QVERIFY(FindLabel(*window, "lblConnect")->toolTip().contains("reset the connection after"));
        Press(1);
        ExpectState(0, true, false);
        QTcpSocket after;
        QVERIFY(IsRefused(after)); // Stop is the operator's: nothing listens again
        window.reset();
        QVERIFY(QSettings().value("link/relisten").toBool()); // the choice is remembered
        frmMain again;
        QVERIFY(Find<QCheckBox>(again, "chkRelisten")->isChecked());
    }

    // A peer quiet for longer than the limit trips the alarm within a second more; its next bytes clear it.
    void theSilenceAlarm() {
        Find<QSpinBox>(*window, "spnSilence")->setValue(1);
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        QTRY_COMPARE(window->ConnectState(), 2);
        QElapsedTimer quiet;
        quiet.start();
        QLabel* label = FindLabel(*window, "lblLastArrival");
        QTRY_VERIFY_WITH_TIMEOUT(label->text().contains("silent"), 3000);
        QVERIFY2(quiet.elapsed() < 2000, "the alarm came later than the limit plus a second");
        QVERIFY(label->text().startsWith(QChar(0x26A0)));
        QCOMPARE(DrawnColour(label), QColor(255, 192, 0));
        QCOMPARE(window->History().Events().back().kind, LinkEvent::Kind::Silent);
        client.write(QByteArray::fromHex("05"));
        QTRY_VERIFY(!label->text().contains("silent"));
        QCOMPARE(window->History().Events().back().kind, LinkEvent::Kind::Resumed);
        QVERIFY(DrawnColour(label) != QColor(255, 192, 0));
    }

    // Each line keeps its arrival to the millisecond beside it: a paced sender's own clock agrees.
    void arrivalTimesFollowTheSender() {
        Press(0);
        QTcpSocket client;
        QVERIFY(ConnectClient(client));
        QTRY_COMPARE(window->ConnectState(), 2);
        client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QList<qint64> sent;
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(120);
            sent << QDateTime::currentMSecsSinceEpoch();
            client.write(QByteArray(1, static_cast<char>(i)));
            client.flush();
            QTRY_COMPARE(window->CaptureList().Count(), i + 1);
        }
        const CaptureListModel& list = window->CaptureList();
        for (int i = 0; i < 5; ++i)
            QVERIFY2(qAbs(list.ArrivedMs(4 - i) - sent[i]) < 15, qPrintable(list.TimingText(4 - i)));
        QVERIFY(list.TimingText(0).contains(" ms after the line below"));
        RecordHex(*window, "06");
        QVERIFY(list.data(list.index(0), Qt::ToolTipRole).toString().startsWith("arrived "));
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

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
