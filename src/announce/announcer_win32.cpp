// The announcer on Windows: DnsServiceRegister (Windows 10 1809 and later),
// looked up in dnsapi.dll at run time so that the program still starts on
// Windows versions without it. One registration per service, all under one
// instance name, on this computer's DNS host name.

#include "announce/announcer.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <windns.h>

#include <string>
#include <vector>

namespace zz::announce {

namespace {

using ConstructFn = PDNS_SERVICE_INSTANCE(WINAPI *)(PCWSTR, PCWSTR, PIP4_ADDRESS, PIP6_ADDRESS,
                                                    WORD, WORD, WORD, DWORD, PCWSTR *, PCWSTR *);
using RegisterFn = DWORD(WINAPI *)(PDNS_SERVICE_REGISTER_REQUEST, PDNS_SERVICE_CANCEL);
using FreeFn = VOID(WINAPI *)(PDNS_SERVICE_INSTANCE);

std::wstring wide(const std::string &text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

// DNS_REQUEST_PENDING of winerror.h, which this MinGW-w64 lacks.
constexpr DWORD kRequestPending = 9506;

void WINAPI onRegistered(DWORD, PVOID, PDNS_SERVICE_INSTANCE) {}

}  // namespace

struct Announcer::Impl {
    Announcement announcement;
    Log log;
    HMODULE dnsapi = nullptr;
    ConstructFn construct = nullptr;
    RegisterFn registerService = nullptr;
    RegisterFn deregisterService = nullptr;
    FreeFn freeInstance = nullptr;
    // One request per service; each must outlive its registration.
    std::vector<DNS_SERVICE_REGISTER_REQUEST> requests;

    void say(const std::string &line) {
        if (log) log(line);
    }
};

Announcer::Announcer(Announcement announcement, Log log) : impl_(std::make_unique<Impl>()) {
    impl_->announcement = std::move(announcement);
    impl_->log = std::move(log);
}

Announcer::~Announcer() {
    for (auto &request : impl_->requests) {
        impl_->deregisterService(&request, nullptr);
        impl_->freeInstance(request.pServiceInstance);
    }
    if (impl_->dnsapi) FreeLibrary(impl_->dnsapi);
}

Status Announcer::start() {
    Impl &d = *impl_;
    if (!d.requests.empty()) return {};
    if (!d.dnsapi) d.dnsapi = LoadLibraryW(L"dnsapi.dll");
    if (d.dnsapi) {
        d.construct = reinterpret_cast<ConstructFn>(
            reinterpret_cast<void *>(GetProcAddress(d.dnsapi, "DnsServiceConstructInstance")));
        d.registerService = reinterpret_cast<RegisterFn>(
            reinterpret_cast<void *>(GetProcAddress(d.dnsapi, "DnsServiceRegister")));
        d.deregisterService = reinterpret_cast<RegisterFn>(
            reinterpret_cast<void *>(GetProcAddress(d.dnsapi, "DnsServiceDeRegister")));
        d.freeInstance = reinterpret_cast<FreeFn>(
            reinterpret_cast<void *>(GetProcAddress(d.dnsapi, "DnsServiceFreeInstance")));
    }
    if (!d.construct || !d.registerService || !d.deregisterService || !d.freeInstance) {
        return Status::failure(Status::kFailed,
                               "\"" + d.announcement.name +
                                   "\" not announced: this Windows has no DnsServiceRegister "
                                   "(Windows 10 1809 or later)");
    }

    wchar_t computer[256];
    DWORD size = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, computer, &size)) {
        return Status::failure(Status::kFailed, "not announced: no host name");
    }
    const std::wstring host = std::wstring(computer) + L".local";
    const std::wstring name = wide(d.announcement.name);

    d.requests.reserve(d.announcement.services.size());
    for (const ServiceRecord &s : d.announcement.services) {
        const std::wstring instance = name + L"." + wide(s.type) + L".local";
        std::vector<std::wstring> keys, values;
        for (const auto &[key, value] : s.txt) {
            keys.push_back(wide(key));
            values.push_back(wide(value));
        }
        std::vector<PCWSTR> keyPointers, valuePointers;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            keyPointers.push_back(keys[i].c_str());
            valuePointers.push_back(values[i].c_str());
        }
        // The instance copies the strings it is given.
        PDNS_SERVICE_INSTANCE record =
            d.construct(instance.c_str(), host.c_str(), nullptr, nullptr, s.port, 0, 0,
                        DWORD(keys.size()), keyPointers.data(), valuePointers.data());
        if (!record) continue;
        DNS_SERVICE_REGISTER_REQUEST request{};
        request.Version = DNS_QUERY_REQUEST_VERSION1;
        request.pServiceInstance = record;
        request.pRegisterCompletionCallback = onRegistered;
        d.requests.push_back(request);
        const DWORD status = d.registerService(&d.requests.back(), nullptr);
        if (status != kRequestPending) {
            d.say("DNS-SD: " + s.type + " not announced (error " + std::to_string(status) + ")");
            d.freeInstance(record);
            d.requests.pop_back();
        }
    }
    if (d.requests.empty())
        return Status::failure(Status::kFailed,
                               "\"" + d.announcement.name + "\": no service announced");
    d.say("DNS-SD: announced as \"" + d.announcement.name + "\"");
    return {};
}

std::string Announcer::name() const {
    return impl_->announcement.name;
}

}  // namespace zz::announce
