#include "app/close_on_signal.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <array>
#include <csignal>
#include <stdexcept>

#include <sys/socket.h>
#include <unistd.h>

namespace velsaro {

namespace {

// A signal handler may do almost nothing safely; it writes one byte into a socket pair, and the event
// loop, watching the other end, does the closing.
std::array<int, 2> sockets = {-1, -1};
constexpr std::array<int, 3> watchedSignals = {SIGTERM, SIGINT, SIGHUP};
std::array<struct sigaction, watchedSignals.size()> previousActions{};

extern "C" void writeWakeUp(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(sockets[0], &byte, 1);
}

} // namespace

CloseOnSignal::CloseOnSignal(QWidget& window) : window_(window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets.data()) != 0)
        throw std::runtime_error("socketpair failed");
    notifier_ = new QSocketNotifier(sockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CloseOnSignal::signalArrived);

    struct sigaction action = {};
    action.sa_handler = writeWakeUp;
    sigemptyset(&action.sa_mask);
    // A second signal, while the first waits for the event loop (a picture still being read), ends
    // the program at once as if no handler were set.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < watchedSignals.size(); ++i)
        sigaction(watchedSignals[i], &action, &previousActions[i]);
}

CloseOnSignal::~CloseOnSignal()
{
    for (std::size_t i = 0; i < watchedSignals.size(); ++i)
        sigaction(watchedSignals[i], &previousActions[i], nullptr);
    delete notifier_;
    ::close(sockets[0]);
    ::close(sockets[1]);
    sockets = {-1, -1};
}

void CloseOnSignal::signalArrived()
{
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(sockets[1], &byte, 1);
    // A modal box (a message, the file dialog) runs an event loop of its own and would keep the
    // program alive behind it: each goes as its close button would take it, then the window.
    for (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal->close();
         modal = QApplication::activeModalWidget()) {
    }
    window_.close();
}

} // namespace velsaro
