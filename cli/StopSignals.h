#pragma once

#include <QObject>

#include <string>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP turned into a Qt signal, so that a recorder being stopped finishes its file in
// the event loop instead of dying between two writes. The handler only writes one byte to a pipe.
class StopSignals : public QObject {
    Q_OBJECT

public:
    // On failure error() says why, and no signal is caught.
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    const std::string& error() const { return m_error; }

signals:
    void stopRequested(int signalNumber);

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
    std::string m_error;
};
