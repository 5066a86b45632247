// The announcer on Avahi: a threaded poll of its own, a client that waits
// for the daemon (AVAHI_CLIENT_NO_FAIL) and one entry group with every
// service under one name. Avahi calls back on its poll thread, which holds
// the poll's lock; name() takes that lock to read the name.

#include "announce/announcer.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>
#include <avahi-common/timeval.h>

namespace zz::announce {

namespace {

constexpr unsigned kRetryMs = 10000;
// Every interface, IPv4 and IPv6 (Avahi's "unset" values).
constexpr AvahiIfIndex kAnyInterface = -1;
constexpr AvahiProtocol kAnyProtocol = -1;

}  // namespace

struct Announcer::Impl {
    Announcement announcement;
    Log log;
    AvahiThreadedPoll *poll = nullptr;
    AvahiClient *client = nullptr;
    AvahiEntryGroup *group = nullptr;
    AvahiTimeout *retry = nullptr;
    bool waitingLogged = false;  // one line per absence of the daemon

    void say(const std::string &line) {
        if (log) log(line);
    }

    bool connect() {
        int error = 0;
        client = avahi_client_new(avahi_threaded_poll_get(poll), AVAHI_CLIENT_NO_FAIL,
                                  &Impl::onClient, this, &error);
        if (client) return true;
        // No system bus, or no daemon on it: try again later.
        if (!waitingLogged)
            say(std::string("DNS-SD: avahi-daemon is not reachable (") + avahi_strerror(error) +
                "); announcing when it is");
        waitingLogged = true;
        const AvahiPoll *api = avahi_threaded_poll_get(poll);
        timeval when{};
        avahi_elapse_time(&when, kRetryMs, 0);
        if (retry)
            api->timeout_update(retry, &when);
        else
            retry = api->timeout_new(api, &when, &Impl::onRetry, this);
        return false;
    }

    static void onRetry(AvahiTimeout *, void *data) {
        auto *self = static_cast<Impl *>(data);
        if (!self->client) self->connect();
    }

    static void onClient(AvahiClient *c, AvahiClientState state, void *data) {
        auto *self = static_cast<Impl *>(data);
        self->client = c;  // called from within avahi_client_new too
        switch (state) {
            case AVAHI_CLIENT_S_RUNNING:
                if (self->waitingLogged) self->say("DNS-SD: avahi-daemon is back");
                self->waitingLogged = false;
                self->publish();
                break;
            case AVAHI_CLIENT_S_COLLISION:
            case AVAHI_CLIENT_S_REGISTERING:
                // The host name is being (re)established: publish again once running.
                if (self->group) avahi_entry_group_reset(self->group);
                break;
            case AVAHI_CLIENT_CONNECTING:
                if (!self->waitingLogged)
                    self->say("DNS-SD: avahi-daemon is not running; announcing when it starts");
                self->waitingLogged = true;
                break;
            case AVAHI_CLIENT_FAILURE:
                if (avahi_client_errno(c) == AVAHI_ERR_DISCONNECTED) {
                    if (!self->waitingLogged)
                        self->say("DNS-SD: avahi-daemon stopped; announcing when it is back");
                    self->waitingLogged = true;
                    // The group goes with the client; a new client waits for the daemon.
                    avahi_client_free(c);
                    self->client = nullptr;
                    self->group = nullptr;
                    self->connect();
                } else {
                    self->say(std::string("DNS-SD: ") + avahi_strerror(avahi_client_errno(c)));
                }
                break;
        }
    }

    static void onGroup(AvahiEntryGroup *g, AvahiEntryGroupState state, void *data) {
        auto *self = static_cast<Impl *>(data);
        self->group = g;
        if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            self->takeAlternativeName();
            self->publish();
        } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
            self->say(std::string("DNS-SD: ") +
                      avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(g))));
        } else if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) {
            self->say("DNS-SD: announced as \"" + self->announcement.name + "\"");
        }
    }

    void takeAlternativeName() {
        char *alternative = avahi_alternative_service_name(announcement.name.c_str());
        say("DNS-SD: the name \"" + announcement.name + "\" is taken; now \"" + alternative + "\"");
        announcement.name = alternative;
        avahi_free(alternative);
    }

    void publish() {
        if (!client) return;
        if (!group) group = avahi_entry_group_new(client, &Impl::onGroup, this);
        if (!group) {
            say(std::string("DNS-SD: ") + avahi_strerror(avahi_client_errno(client)));
            return;
        }
        avahi_entry_group_reset(group);
        for (int attempt = 0; attempt < 10; ++attempt) {
            int error = AVAHI_OK;
            for (const ServiceRecord &s : announcement.services) {
                AvahiStringList *txt = nullptr;
                for (auto it = s.txt.rbegin(); it != s.txt.rend(); ++it)  // prepends
                    txt = avahi_string_list_add_pair(txt, it->first.c_str(), it->second.c_str());
                error = avahi_entry_group_add_service_strlst(
                    group, kAnyInterface, kAnyProtocol, AvahiPublishFlags(0),
                    announcement.name.c_str(), s.type.c_str(), nullptr, nullptr, s.port, txt);
                avahi_string_list_free(txt);
                if (error != AVAHI_OK) break;
            }
            if (error == AVAHI_ERR_COLLISION) {  // a local service holds the name
                avahi_entry_group_reset(group);
                takeAlternativeName();
                continue;
            }
            if (error == AVAHI_OK) error = avahi_entry_group_commit(group);
            if (error != AVAHI_OK) say(std::string("DNS-SD: ") + avahi_strerror(error));
            return;
        }
    }
};

Announcer::Announcer(Announcement announcement, Log log) : impl_(std::make_unique<Impl>()) {
    impl_->announcement = std::move(announcement);
    impl_->log = std::move(log);
}

Announcer::~Announcer() {
    if (!impl_->poll) return;
    avahi_threaded_poll_stop(impl_->poll);
    if (impl_->retry) avahi_threaded_poll_get(impl_->poll)->timeout_free(impl_->retry);
    if (impl_->client) avahi_client_free(impl_->client);  // frees the group too
    avahi_threaded_poll_free(impl_->poll);
}

Status Announcer::start() {
    const Status noThread = Status::failure(Status::kFailed, "not announced: no poll thread");
    if (impl_->poll) return {};
    impl_->poll = avahi_threaded_poll_new();
    if (!impl_->poll) return noThread;
    // Before the thread runs, so the first callbacks need no lock. A failed
    // first attempt has set up its retry on the poll.
    impl_->connect();
    if (avahi_threaded_poll_start(impl_->poll) < 0) {
        if (impl_->retry) avahi_threaded_poll_get(impl_->poll)->timeout_free(impl_->retry);
        if (impl_->client) avahi_client_free(impl_->client);
        impl_->retry = nullptr;
        impl_->client = nullptr;
        avahi_threaded_poll_free(impl_->poll);
        impl_->poll = nullptr;
        return noThread;
    }
    return {};
}

std::string Announcer::name() const {
    if (!impl_->poll) return impl_->announcement.name;
    avahi_threaded_poll_lock(impl_->poll);
    std::string name = impl_->announcement.name;
    avahi_threaded_poll_unlock(impl_->poll);
    return name;
}

}  // namespace zz::announce
