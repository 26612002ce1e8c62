#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace narrata::cli {

// Turns Ctrl-C (SIGINT) and SIGTERM into a Qt signal on the main thread, so that reading
// stops cleanly and open files are finished before the process exits.
class Interruption final : public QObject {
    Q_OBJECT
public:
    Interruption();
    ~Interruption() override;

signals:
    void interrupted();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace narrata::cli
