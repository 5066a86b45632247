// The ports present on Windows: SetupAPI's Ports class (the friendly name and
// hardware id of each device node), then HARDWARE\DEVICEMAP\SERIALCOMM for
// ports without a device node (Wine fills only that key). SetupAPI is looked
// up at run time, so that the program starts where it is missing.
#include "link/device_ids.h"
#include "link/port_scan.h"
#include "link/sysfs_text.h"
#include "link/text_win32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

#include <algorithm>

namespace zz::link {
namespace {

// {4d36e978-e325-11ce-bfc1-08002be10318}: the Ports (COM & LPT) class.
constexpr GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

using GetClassDevsFn = HDEVINFO(WINAPI *)(const GUID *, PCWSTR, HWND, DWORD);
using EnumDeviceInfoFn = BOOL(WINAPI *)(HDEVINFO, DWORD, PSP_DEVINFO_DATA);
using GetPropertyFn = BOOL(WINAPI *)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD,
                                     PDWORD);
using GetInstanceIdFn = BOOL(WINAPI *)(HDEVINFO, PSP_DEVINFO_DATA, PWSTR, DWORD, PDWORD);
using OpenDevRegKeyFn = HKEY(WINAPI *)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, DWORD, DWORD, REGSAM);
using DestroyListFn = BOOL(WINAPI *)(HDEVINFO);

template <typename Fn>
Fn lookUp(HMODULE module, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

// A REG_SZ value, or empty; registry strings need not end in a NUL.
std::string stringValue(HKEY key, const wchar_t *name) {
    wchar_t buffer[256] = {};
    DWORD type = 0, size = sizeof buffer - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return win32::narrow(std::wstring(buffer, size / sizeof(wchar_t)).c_str());
}

void addSetupApiPorts(std::vector<PresentPort> &ports) {
    HMODULE setupapi = LoadLibraryW(L"setupapi.dll");
    if (!setupapi) return;
    const auto getClassDevs = lookUp<GetClassDevsFn>(setupapi, "SetupDiGetClassDevsW");
    const auto enumDeviceInfo = lookUp<EnumDeviceInfoFn>(setupapi, "SetupDiEnumDeviceInfo");
    const auto getProperty = lookUp<GetPropertyFn>(setupapi, "SetupDiGetDeviceRegistryPropertyW");
    const auto getInstanceId = lookUp<GetInstanceIdFn>(setupapi, "SetupDiGetDeviceInstanceIdW");
    const auto openDevRegKey = lookUp<OpenDevRegKeyFn>(setupapi, "SetupDiOpenDevRegKey");
    const auto destroyList = lookUp<DestroyListFn>(setupapi, "SetupDiDestroyDeviceInfoList");
    if (!getClassDevs || !enumDeviceInfo || !getProperty || !openDevRegKey || !destroyList) {
        FreeLibrary(setupapi);
        return;
    }
    HDEVINFO devices = getClassDevs(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        FreeLibrary(setupapi);
        return;
    }
    for (DWORD index = 0; index < 1024; ++index) {
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof info;
        if (!enumDeviceInfo(devices, index, &info)) break;
        HKEY key = openDevRegKey(devices, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        const std::string name = stringValue(key, L"PortName");
        RegCloseKey(key);
        const auto number = comPortNumber(name);
        if (!number) continue;  // LPT1 and the like
        PresentPort port;
        port.device = name;
        port.kind = "setupapi";
        port.ports = {*number};
        wchar_t text[512] = {};
        if (getProperty(devices, &info, SPDRP_FRIENDLYNAME, nullptr, reinterpret_cast<BYTE *>(text),
                        sizeof text - sizeof(wchar_t), nullptr))
            port.description = sysfs::attributeText(win32::narrow(text));
        if (getProperty(devices, &info, SPDRP_MFG, nullptr, reinterpret_cast<BYTE *>(text),
                        sizeof text - sizeof(wchar_t), nullptr))
            port.manufacturer = sysfs::attributeText(win32::narrow(text));
        wchar_t id[512] = {};
        if (getInstanceId && getInstanceId(devices, &info, id, 511, nullptr)) {
            const DeviceIds ids = readDeviceIds(win32::narrow(id));
            port.vendorId = ids.vendorId;
            port.productId = ids.productId;
            port.serial = ids.serial;
        }
        ports.push_back(std::move(port));
    }
    destroyList(devices);
    FreeLibrary(setupapi);
}

// SERIALCOMM: one value a port, "\Device\Serial0" = "COM1".
void addSerialCommPorts(std::vector<PresentPort> &ports) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    for (DWORD index = 0; index < 1024; ++index) {
        wchar_t name[256] = {};
        wchar_t data[64] = {};
        DWORD nameSize = 255, dataSize = sizeof data - sizeof(wchar_t), type = 0;
        const LONG rc = RegEnumValueW(key, index, name, &nameSize, nullptr, &type,
                                      reinterpret_cast<BYTE *>(data), &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        const std::string portName =
            win32::narrow(std::wstring(data, dataSize / sizeof(wchar_t)).c_str());
        const auto number = comPortNumber(portName);
        if (!number) continue;
        const bool known = std::any_of(ports.begin(), ports.end(),
                                       [&](const PresentPort &p) { return p.device == portName; });
        if (known) continue;
        PresentPort port;
        port.device = portName;
        port.kind = "serialcomm";
        port.ports = {*number};
        // "\Device\Serial0" for a UART, "\Device\VCP0" for FTDI's driver, ...
        port.description = sysfs::attributeText(win32::narrow(name));
        ports.push_back(std::move(port));
    }
    RegCloseKey(key);
}

}  // namespace

std::vector<PresentPort> scanPorts(const ScanRoots &) {
    std::vector<PresentPort> ports;
    addSetupApiPorts(ports);
    addSerialCommPorts(ports);
    std::sort(ports.begin(), ports.end(), [](const PresentPort &a, const PresentPort &b) {
        return a.ports.front() < b.ports.front();
    });
    return ports;
}

std::optional<std::string> stableNamePath(const std::string &, const ScanRoots &) {
    return std::nullopt;
}

}  // namespace zz::link
