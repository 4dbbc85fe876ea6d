#include "app/close_on_signal.h"

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
constexpr std::array<int, 2> watchedSignals = {SIGTERM, SIGINT};
std::array<struct sigaction, 2> previousActions{};

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
    action.sa_flags = SA_RESTART;
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
    window_.close();
}

} // namespace velsaro
