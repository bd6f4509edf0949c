#include "platform/peer_closed.h"

#include <poll.h>

namespace zelkon {

bool peer_has_closed(int fd) {
    pollfd entry{fd, POLLIN | POLLRDHUP, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLRDHUP | POLLERR)) != 0;
}

}  // namespace zelkon
