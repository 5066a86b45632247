#pragma once
// SIGINT (Ctrl+C), SIGTERM and, where it exists, SIGHUP end the server
// through its event loop: the handler runs there, never inside a command.

#include <boost/asio/io_context.hpp>

#include <functional>

namespace zz::scpiserver {

// Calls `stop` with the signal's number, once, on `io`'s thread.
void watchStopSignals(boost::asio::io_context &io, std::function<void(int)> stop);

}  // namespace zz::scpiserver
