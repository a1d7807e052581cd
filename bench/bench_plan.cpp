// An arrival matched against a test plan of 500 expectations: the arrival handler's time in a window
// with the plan's checklist open, beside the same window without a plan, in alternating rounds; and the
// matcher alone on the same lines.
#include "MinMedian.h"
#include "app/Prompts.h"
#include "app/frmMain.h"
#include "capture/CaptureLine.h"
#include "report/PlanMatcher.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

struct PlanOnly : Prompts {
    QString name;
    bool Ask(QWidget*, const QString&, const QString&) override { return true; }
    void Warn(QWidget*, const QString& text, const QString& details) override {
        std::fprintf(stderr, "warning: %s %s\n", qPrintable(text), qPrintable(details));
    }
    QString ChooseFile(QWidget*, bool, const QString&) override { return name; }
};

const QByteArray kMessages[] = {
    QByteArray::fromHex("0C410000103030303330313531300000"),
    QByteArray::fromHex("0441000011000000"),
    QByteArray::fromHex("4C4100002030303031" + QByteArray("C3").repeated(64) + "30000000000000"),
};

// 500 expectations of a large site: gates and floors of 0x10, VIP floors of 0x20, and a few the
// arrivals meet (the heartbeat, gate 3), so the decoder runs for some of them.
std::string SitePlan() {
    std::string plan = "Heartbeat: 11 --count 100\nGate three: 10 --gate 3\n";
    for (int i = 0; i < 498; ++i) {
        const std::string n = std::to_string(i);
        const std::string floor = std::to_string(i % 255 + 1);
        switch (i % 3) {
        case 0:
            plan += "Gate " + n + ": 10 --gate " + n + " --dest-floor " + floor + " --door front\n";
            break;
        case 1:
            plan += "VIP " + n + ": 20 --gate " + floor + " --attr vip --floors 1-" + floor + "\n";
            break;
        default:
            plan += "Seq " + n + ": 10 --gate 3 --dest-floor 15 --seq " + std::to_string(i % 256) + "\n";
        }
    }
    return plan;
}

double ArrivalMicros(frmMain& window, int arrivals) {
    constexpr int kBatch = 100;
    QElapsedTimer timer;
    qint64 nanos = 0;
    for (int i = 0; i < arrivals; i += kBatch) {
        timer.start();
        for (int k = i; k < i + kBatch; ++k)
            window.RecordArrival(kMessages[k % 3].constData(), kMessages[k % 3].size());
        nanos += timer.nsecsElapsed();
        QApplication::processEvents(); // the repaints the handlers asked for, outside their time
    }
    return static_cast<double>(nanos) / 1000.0 / arrivals;
}

std::unique_ptr<frmMain> FullWindow(PlanOnly& prompts) {
    auto window = std::make_unique<frmMain>();
    window->SetPrompts(&prompts);
    window->show();
    ArrivalMicros(*window, 5000); // a full list: every arrival trims one
    return window;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    PlanOnly prompts;
    prompts.name = dir.filePath(QStringLiteral("site-plan.txt"));
    std::ofstream(prompts.name.toStdString()) << SitePlan();

    auto bare = FullWindow(prompts);
    auto planned = FullWindow(prompts);
    planned->findChild<QPushButton*>(QStringLiteral("btnPlan"))->click();
    QApplication::processEvents();

    constexpr int kRounds = 9;
    constexpr int kArrivals = 20000;
    std::vector<double> without, with;
    for (int round = 0; round < kRounds; ++round) {
        without.push_back(ArrivalMicros(*bare, kArrivals));
        with.push_back(ArrivalMicros(*planned, kArrivals));
    }
    const MinMedian a = Of(without);
    const MinMedian b = Of(with);
    std::printf("arrival with a full list, no plan: %.2f / %.2f us (min / median of %d rounds of %d)\n",
                a.min, a.median, kRounds, kArrivals);
    std::printf("arrival with a full list and a plan of 500 expectations: %.2f / %.2f us (target < 5 us); "
                "the plan adds %.2f / %.2f us\n",
                b.min, b.median, b.min - a.min, b.median - a.median);

    // The matcher alone over the same three lines.
    const TestPlan plan = ParseTestPlan(SitePlan());
    PlanMatcher matcher(plan.expectations);
    const std::string prefix = MakeCapturePrefix("12/06/2026", "20:01:03");
    std::string lines[3];
    for (int i = 0; i < 3; ++i)
        lines[i] = MakeCaptureLine(prefix, reinterpret_cast<const std::uint8_t*>(kMessages[i].constData()),
                                   static_cast<std::size_t>(kMessages[i].size()));
    std::vector<double> matched;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kArrivals; ++i)
            matcher.MatchLine(lines[i % 3], i);
        matched.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0 / kArrivals);
    }
    const MinMedian m = Of(matched);
    std::printf("the matcher alone, one line against 500 expectations: %.2f / %.2f us; %d of %zu met\n",
                m.min, m.median, matcher.MetCount(), plan.expectations.size());
    return matcher.MetCount() == 2 ? 0 : 1;
}
