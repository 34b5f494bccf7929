#pragma once

#include <QObject>

class QSocketNotifier;

namespace varno::platform {

// Turns SIGTERM and SIGINT into a request on the event loop, so the program
// can close as if by its close box. The handler only writes to a pipe that
// never blocks, and only for the first signal: a storm of them costs
// nothing, before or after the event loop has ended.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);

signals:
    // Once, for the first signal.
    void requested();

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
    bool emitted_ = false;
};

}  // namespace varno::platform
