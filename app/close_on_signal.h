// Closes a window when the program is asked to end (SIGTERM, SIGINT from a terminal, SIGHUP when its
// session ends), the way the user closes it, even behind a modal box, so that its closing steps run and
// the program exits normally.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace velsaro {

class CloseOnSignal : public QObject {
    Q_OBJECT

public:
    // One at a time: the handlers are the process's.
    explicit CloseOnSignal(QWidget& window);
    ~CloseOnSignal() override;

private:
    void signalArrived();

    QWidget& window_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace velsaro
