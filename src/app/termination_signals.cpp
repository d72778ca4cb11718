#include "app/termination_signals.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace tarnwhistle {

namespace {

int pair[2] = {-1, -1};

void handler(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(pair[0], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::signal(signal, SIG_DFL);
}

bool TerminationSignals::install() {
    if (notifier_) return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
        return false;
    notifier_ = new QSocketNotifier(pair[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool installed = true;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        installed = ::sigaction(signal, &action, nullptr) == 0 && installed;
    return installed;
}

void TerminationSignals::readSignal() {
    unsigned char byte = 0;
    while (::read(pair[1], &byte, 1) == 1) emit received(byte);
}

}  // namespace tarnwhistle
