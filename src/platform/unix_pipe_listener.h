#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/pipe_transport.h"

namespace zelkon {

// Starts listening on a SOCK_SEQPACKET Unix socket at `path` (mode 0600). A
// stale socket file left by a listener that died is replaced; a live one is
// not. Each accepted client is greeted with "READY", or "BUSY" when it is
// turned away.
std::unique_ptr<PipeEndpoint> listen_on_unix_socket(const std::string& path,
                                                    const PipeEndpointOptions& options, int& error);

}  // namespace zelkon
