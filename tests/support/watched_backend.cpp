#include "support/watched_backend.h"

namespace zz::test {

WatchedBackend::WatchedBackend(std::shared_ptr<BackendWatch> watch,
                               std::unique_ptr<link::SerialBackend> inner)
    : watch_(std::move(watch)), inner_(std::move(inner)) {}

Status WatchedBackend::open(int port, const std::string &devicePath) {
    ++watch_->opens;
    return inner_->open(port, devicePath);
}

Status WatchedBackend::write(std::string_view bytes) {
    ++watch_->writes;
    if (watch_->beforeWrite) watch_->beforeWrite();
    return inner_->write(bytes);
}

Status WatchedBackend::close() {
    ++watch_->closes;
    return inner_->close();
}

bool WatchedBackend::isOpen() const {
    return inner_->isOpen();
}

}  // namespace zz::test
