#pragma once

namespace zelkon {

// Whether the other end of a connected socket has gone: what tells a read of
// zero bytes at the end of a connection from an empty message.
bool peer_has_closed(int fd);

}  // namespace zelkon
