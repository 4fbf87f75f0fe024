#include "support/SilentListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavimo::test {

SilentListener::SilentListener() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr *>(&address), length) ||
        ::listen(listener_, 0) ||
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length)) {
        return;
    }
    port_ = ntohs(address.sin_port);
    // Connect until an attempt hangs.
    for (int i = 0; i < 8 && !full_; ++i) {
        const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        clients_.push_back(client);
        if (::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
            continue;
        pollfd wait{client, POLLOUT, 0};
        full_ = ::poll(&wait, 1, 300) == 0;
    }
}

SilentListener::~SilentListener() {
    for (const int client : clients_)
        ::close(client);
    if (listener_ >= 0)
        ::close(listener_);
}

} // namespace tavimo::test
