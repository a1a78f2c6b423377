#include "platform/signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace zem {
namespace {

int gPipe[2] = {-1, -1};
std::mutex gMutex;
std::function<void(int)> gOnStop;

extern "C" void OnSignal(int sig) {
    // Only what a signal handler may do: one write to the pipe.
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    (void)!::write(gPipe[1], &b, 1);
    errno = saved;
}

void Watch() {
    for (;;) {
        unsigned char b = 0;
        const ssize_t n = ::read(gPipe[0], &b, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        std::function<void(int)> f;
        {
            std::lock_guard<std::mutex> lock(gMutex);
            f = gOnStop;
        }
        if (f) f(b);
    }
}

}  // namespace

void OnStopSignals(std::function<void(int)> onStop) {
    {
        std::lock_guard<std::mutex> lock(gMutex);
        gOnStop = std::move(onStop);
    }
    static const bool installed = [] {
        if (::pipe(gPipe) != 0) return false;
        for (int fd : gPipe) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        // A full pipe drops the signal rather than block the handler.
        ::fcntl(gPipe[1], F_SETFL, ::fcntl(gPipe[1], F_GETFL) | O_NONBLOCK);
        std::thread(Watch).detach();
        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &sa, nullptr);
        return true;
    }();
    (void)installed;
}

}  // namespace zem
