#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT and SIGTERM turned into a Qt signal, so that a recorder being stopped finishes its file in the
// event loop instead of dying between two writes. The handler only writes one byte to a pipe.
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    bool isValid() const { return m_notifier != nullptr; }

signals:
    void stopRequested(int signalNumber);

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
};
