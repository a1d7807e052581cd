// The checklist of a test plan: loaded through the dialog, ticked live over a real socket, evaluated
// again by Load and Clear, and a row's double click selecting its line.
#include "AppTestSupport.h"

#include <QAbstractItemModelTester>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTreeView>

#include "support/TestFiles.h"

namespace {

const QByteArray kBeat = "0441000011000000";
const QByteArray kGate3 = "0C410000103030303330313531300000";
const QByteArray kGate3BadDoor = "0C410000103030303330313539300000";

} // namespace

class TestChecklist : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    FakePrompts prompts;
    std::unique_ptr<frmMain> window;
    QTreeView* list = nullptr;

    QString Cell(int row, int column, int role = Qt::DisplayRole) {
        return list->model()->index(row, column).data(role).toString();
    }
    // Every row as "state | first | count", the symbol kept apart from the words.
    QStringList Rows() {
        QStringList rows;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            rows << Cell(row, 1, Qt::AccessibleTextRole) + " " + Cell(row, 1).left(1) + " | " +
                        (Cell(row, 2).isEmpty() ? "-" : "time") + " | " + Cell(row, 3);
        return rows;
    }
    void LoadPlan(const QByteArray& text) {
        prompts.fileName = dir.filePath("plan.txt");
        QVERIFY(test_files::WriteFile(prompts.fileName, text));
        FindButton(*window, "btnPlan")->click();
    }

private slots:
    void init() {
        UseTestSettings();
        prompts = FakePrompts();
        window = OpenWindow(prompts);
        LoadPlan("# commissioning\nBeat: 11 --count 2\nGate 3: 10 --gate 3\nVIP: 20 --attr vip\n");
        list = Find<QTreeView>(*window, "lstChecklist");
        QVERIFY(window->findChild<QWidget*>("frmChecklist")->isVisible());
        new QAbstractItemModelTester(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     list);
    }
    void cleanup() { window.reset(); }

    void ticksLiveOverASocket() {
        window->SetLocalPortForTesting(0);
        FindButton(*window, "btnAction_0")->click();
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, window->ListeningPort());
        QVERIFY(client.waitForConnected(2000));
        QCOMPARE(Rows(),
                 (QStringList{"not seen \u25CB | - | ", "not seen \u25CB | - | ", "not seen \u25CB | - | "}));
        const struct {
            QByteArray hex;
            QStringList rows;
        } steps[] = {
            {kBeat, {"seen \u25D0 | time | 1 of 2", "not seen \u25CB | - | ", "not seen \u25CB | - | "}},
            {kGate3BadDoor,
             {"seen \u25D0 | time | 1 of 2", "seen, invalid \u2718 | time | 1", "not seen \u25CB | - | "}},
            {kBeat + kGate3,
             {"seen \u2714 | time | 2 of 2", "seen \u2714 | time | 1", "not seen \u25CB | - | "}},
        };
        for (const auto& step : steps) {
            client.write(QByteArray::fromHex(step.hex));
            QTRY_COMPARE(Rows(), step.rows);
        }
        QCOMPARE(Cell(1, 0, Qt::AccessibleDescriptionRole).section(',', 1), " 1 message");
        QTRY_COMPARE(FindLabel(*window->findChild<QWidget*>("frmChecklist"), "lblChecklistNote")->text(),
                     "2 of 3 met");
    }

    // Clear forgets every tick; Load evaluates the plan again over the loaded lines, oldest first.
    void loadAndClearEvaluateAgain() {
        for (const QByteArray& hex : {kGate3BadDoor, kBeat, kGate3, kBeat})
            RecordHex(*window, hex);
        const QStringList ticked = Rows();
        prompts.fileName = dir.filePath("capture.txt");
        FindButton(*window, "btnSaveCapture")->click();
        FindButton(*window, "btnClearCapture")->click();
        QCOMPARE(Rows(),
                 (QStringList{"not seen \u25CB | - | ", "not seen \u25CB | - | ", "not seen \u25CB | - | "}));
        FindButton(*window, "btnLoadCapture")->click();
        QTRY_COMPARE(Rows(), ticked);
        QCOMPARE(ticked[1], "seen \u2714 | time | 1");
    }

    // A double click on a row selects the line that met it, and the table decodes it.
    void doubleClickSelectsTheLine() {
        for (const QByteArray& hex : {kGate3BadDoor, kGate3, kBeat, kBeat})
            RecordHex(*window, hex);
        for (const auto& [row, line] : {std::pair{1, 2}, std::pair{0, 1}}) {
            const QRect at = list->visualRect(list->model()->index(row, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at.center());
            QCOMPARE(CaptureView(*window)->SelectedRow(), line);
            QCOMPARE(window->Table().lblData[0].caption, row == 1 ? "10" : "11");
        }
    }

    // Report... writes the loaded plan with the record, evaluated over the whole list.
    void reportSaysThePlan() {
        for (const QByteArray& hex : {kBeat, kGate3BadDoor})
            RecordHex(*window, hex);
        prompts.fileName = dir.filePath("record.html");
        prompts.text = QStringLiteral("Site");
        FindButton(*window, "btnReport")->click();
        const QByteArray html = test_files::ReadAll(prompts.fileName);
        QVERIFY(html.contains("0 of 3 expectations of the plan met"));
        for (const char* state : {"seen, fewer than asked</td>", "seen, invalid</td>", "not seen</td>"})
            QVERIFY2(html.contains(state), state);
    }

    void planThatDoesNotParse() {
        LoadPlan("Beat: 11\nVIP: 20 --door rear\n");
        QCOMPARE(prompts.warned, QStringList{"Unable to load the plan."});
        QCOMPARE(prompts.details.constLast(), "line 2: --door: a message of command 20 has no such field");
        QCOMPARE(list->model()->rowCount(), 3); // the plan shown before stays
    }
};

QTEST_MAIN(TestChecklist)
#include "tst_checklist.moc"
