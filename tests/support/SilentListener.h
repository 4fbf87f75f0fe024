#pragma once

#include <QtGlobal>

#include <vector>

namespace tavimo::test {

// A listening socket on 127.0.0.1 whose queue of waiting connections is full, so that the
// system drops further connection attempts: they neither succeed nor fail until the client
// gives up. Lets a test see that a connect timeout is honoured.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener &) = delete;
    SilentListener &operator=(const SilentListener &) = delete;

    // False where the system answers or refuses even then: the test should skip.
    bool isSilent() const { return full_; }
    quint16 port() const { return port_; }

private:
    int listener_ = -1;
    quint16 port_ = 0;
    bool full_ = false;
    std::vector<int> clients_;
};

} // namespace tavimo::test
