#include "scpiserver/stop_signals.h"

#include <boost/asio/signal_set.hpp>

#include <csignal>
#include <memory>

namespace zz::scpiserver {

void watchStopSignals(boost::asio::io_context &io, std::function<void(int)> stop) {
    auto signals = std::make_shared<boost::asio::signal_set>(io, SIGINT, SIGTERM);
#ifdef SIGHUP
    signals->add(SIGHUP);
#endif
    signals->async_wait(
        [signals, stop = std::move(stop)](const boost::system::error_code &error, int number) {
            if (!error) stop(number);
        });
}

}  // namespace zz::scpiserver
