#include "tests/cli/clave_process.h"
#include "tests/support/user_without_rights.h"

#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <sstream>

namespace velsaro::testing {

namespace {

struct Channel {
    int fd = -1;
    std::string* text = nullptr;
};

// Reads every channel until each reports end of file (a pseudo-terminal reports EIO instead, once
// the child has closed it).
void drain(std::vector<Channel> channels)
{
    while (!channels.empty()) {
        std::vector<pollfd> polls;
        for (const Channel& channel : channels)
            polls.push_back({channel.fd, POLLIN, 0});
        if (poll(polls.data(), polls.size(), -1) < 0 && errno != EINTR)
            return;
        for (std::size_t i = channels.size(); i-- > 0;) {
            if (polls[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t count = read(channels[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                channels[i].text->append(buffer, std::size_t(count));
            } else if (count == 0 || errno != EINTR) {
                close(channels[i].fd);
                channels.erase(channels.begin() + std::ptrdiff_t(i));
            }
        }
    }
}

[[noreturn]] void execClave(const std::vector<std::string>& arguments, int outFd, int errFd)
{
    alarm(120); // a run that hangs ends as killed instead of holding the tests up for ever
    dup2(outFd, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    std::vector<char*> argv;
    std::string program = VELSARO_CLAVE_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// Both ends of the error stream: [0] read by the test, [1] given to the child. A terminal's output
// processing would turn every "\n" into "\r\n"; it is switched off so that both kinds read alike.
bool openErrorStream(ErrorStream kind, int ends[2])
{
    if (kind == ErrorStream::Pipe)
        return pipe(ends) == 0;
    if (openpty(&ends[0], &ends[1], nullptr, nullptr, nullptr) != 0)
        return false;
    termios settings{};
    tcgetattr(ends[1], &settings);
    settings.c_oflag &= ~tcflag_t(OPOST);
    tcsetattr(ends[1], TCSANOW, &settings);
    return true;
}

// Drops root for good, so that the program runs as an ordinary process of that user.
void becomeUser(const std::optional<UserIds>& user)
{
    if (!user)
        return;
    if (setgroups(0, nullptr) != 0 || setgid(user->gid) != 0 || setuid(user->uid) != 0)
        _exit(126);
}

// setUp runs in the child just before the program starts.
ClaveRun runClaveAs(const std::vector<std::string>& arguments, ErrorStream errorStream,
                    const std::function<void()>& setUp)
{
    int outPipe[2];
    int errEnds[2];
    if (pipe(outPipe) != 0 || !openErrorStream(errorStream, errEnds))
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(outPipe[0]);
        close(errEnds[0]);
        setUp();
        execClave(arguments, outPipe[1], errEnds[1]);
    }
    close(outPipe[1]);
    close(errEnds[1]);
    ClaveRun run;
    drain({{outPipe[0], &run.out}, {errEnds[0], &run.err}});
    int status = 0;
    waitpid(child, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

ClaveRun runClave(const std::vector<std::string>& arguments, ErrorStream errorStream)
{
    return runClaveAs(arguments, errorStream, [] {});
}

ClaveRun runClaveWithoutRights(const std::vector<std::string>& arguments)
{
    return runClaveAs(arguments, ErrorStream::Pipe, [user = userWithoutRights()] { becomeUser(user); });
}

// Ignored, SIGXFSZ makes a write past the limit fail with EFBIG instead of killing the program.
ClaveRun runClaveWithFileSizeLimit(const std::vector<std::string>& arguments, rlim_t maxFileBytes)
{
    return runClaveAs(arguments, ErrorStream::Pipe, [=] {
        const rlimit limit{maxFileBytes, maxFileBytes};
        if (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(126);
    });
}

int startClave(const std::vector<std::string>& arguments, const std::string& outFile)
{
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0)
        return -1;
    const pid_t child = fork();
    if (child == 0)
        execClave(arguments, out, out);
    close(out);
    return child;
}

int waitForClave(int process)
{
    int status = 0;
    if (process <= 0 || waitpid(process, &status, 0) != process)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

} // namespace velsaro::testing
