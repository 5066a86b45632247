
#include "link/serial_backend_win32.h"

#include "link/line_time.h"
#include "link/port_map.h"
#include "link/serial_errors.h"
#include "link/text_win32.h"

#include <windows.h>

#include <algorithm>
#include <thread>

namespace zz::link {
namespace {

HANDLE handleOf(void *h) {
    return static_cast<HANDLE>(h);
}

// 9600 8N1, binary, no handshake of any kind (no CTS/DSR output flow, no
// DSR sensitivity, no XON/XOFF). DTR and RTS stay as the open left them,
// unless a previous program set them to take part in a handshake.
void applyLineSettings(DCB &dcb) {
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) dcb.fDtrControl = DTR_CONTROL_ENABLE;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE)
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
}

// Reads return at once (nothing is read); a write waits at most `writeBound`.
bool setWriteBound(HANDLE h, DWORD writeBound) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.WriteTotalTimeoutConstant = std::max<DWORD>(writeBound, 1);
    return SetCommTimeouts(h, &t) != 0;
}

std::string withText(const char *what, DWORD error) {
    return std::string(what) + " (" + win32::errorText(error) + ")";
}

// A bare "COM12" (a --device given by hand) is a file name to CreateFileW
// beyond COM9: the device namespace names every port.
std::string deviceNamespacePath(const std::string &path) {
    const bool bareCom = path.size() > 3 && _strnicmp(path.c_str(), "COM", 3) == 0 &&
                         path.find_first_not_of("0123456789", 3) == std::string::npos;
    return bareCom ? "\\\\.\\" + path : path;
}

}  // namespace

Win32SerialBackend::~Win32SerialBackend() {
    close();
}

Status Win32SerialBackend::failure(int number, const std::string &reason) const {
    return Status::failure(number, label_ + ": " + reason);
}

Status Win32SerialBackend::open(int port, const std::string &devicePath) {
    if (isOpen()) return failure(serial_error::PortAlreadyOpen, "Port already open");
    label_ = "COM" + std::to_string(port);
    if (devicePath != portDevicePath(port)) label_ += " (" + devicePath + ")";
    const auto giveUp = Clock::now() + kBusyWait;
    for (;;) {
        Status status = tryOpen(devicePath);
        if (status.number() != serial_error::PortBusy || Clock::now() >= giveUp) return status;
        std::this_thread::sleep_for(kBusyRetry);
    }
}

Status Win32SerialBackend::tryOpen(const std::string &devicePath) {
    using namespace serial_error;
    // Files and folders are refused unopened: one that may not be written
    // would otherwise answer "access denied", which for a port means in use.
    if (!namesDevice(devicePath) &&
        GetFileAttributesW(win32::widen(devicePath).c_str()) != INVALID_FILE_ATTRIBUTES)
        return failure(NotASerialPort, "not a serial port");
    HANDLE h = CreateFileW(win32::widen(deviceNamespacePath(devicePath)).c_str(),
                           GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        switch (error) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
                return failure(NoSuchPort, withText("no such port", error));
            // Windows: access denied. Wine: a lock violation when a POSIX
            // program holds the terminal in exclusive mode.
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION:
            case ERROR_BUSY:
                return failure(PortBusy, withText("in use by another program", error));
            default:
                return failure(NoSuchPort, withText("cannot open", error));
        }
    }
    auto refuse = [&](int number, const char *what) {
        const DWORD error = GetLastError();
        CloseHandle(h);
        return failure(number, withText(what, error));
    };
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    // Files, pipes and NUL are never written: only a port has line settings.
    if (GetFileType(h) != FILE_TYPE_CHAR) {
        CloseHandle(h);
        return failure(NotASerialPort, "not a serial port");
    }
    if (!GetCommState(h, &dcb)) return refuse(NotASerialPort, "not a serial port");
    applyLineSettings(dcb);
    if (!SetCommState(h, &dcb)) return refuse(ConfigureFailed, "line settings refused");
    if (!setWriteBound(h, DWORD(kCycleMargin.count())))
        return refuse(ConfigureFailed, "timeouts refused");
    handle_ = h;
    writing_ = false;
    return {};
}

Status Win32SerialBackend::write(std::string_view bytes) {
    using namespace serial_error;
    using namespace std::chrono;
    if (!isOpen()) return Status::failure(PortNotOpen, "Port not open");
    // As on POSIX, the cycle's clock starts at its first write.
    if (!writing_) {
        writing_ = true;
        cycleStart_ = Clock::now();
        cycleDeadline_ = cycleStart_ + kCycleMargin;
    }
    cycleDeadline_ += wireTime(bytes.size());
    const auto left = ceil<milliseconds>(cycleDeadline_ - Clock::now());
    if (left.count() <= 0) {
        release(true);
        return stalled();
    }
    if (!setWriteBound(handleOf(handle_), DWORD(left.count()))) {
        const DWORD error = GetLastError();
        release(true);
        return failure(ConfigureFailed, withText("timeouts refused", error));
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(handleOf(handle_), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (ok && written == bytes.size()) return {};
    release(true);
    if (ok || error == ERROR_SEM_TIMEOUT || error == WAIT_TIMEOUT) return stalled();
    return failure(WriteFailed, withText("write failed", error));
}

Status Win32SerialBackend::close() {
    if (!isOpen()) return {};
    // The driver's queue is watched empty within the cycle's bound first:
    // FlushFileBuffers alone would wait without limit on a stalled port.
    const auto deadline = writing_ ? cycleDeadline_ : Clock::now() + kCycleMargin;
    for (;;) {
        DWORD errors = 0;
        COMSTAT queue{};
        if (!ClearCommError(handleOf(handle_), &errors, &queue) || queue.cbOutQue == 0) break;
        if (Clock::now() >= deadline) {
            release(true);
            return stalled();
        }
        Sleep(1);
    }
    if (FlushFileBuffers(handleOf(handle_))) {
        release(false);
        return {};
    }
    const DWORD error = GetLastError();
    release(true);
    return failure(serial_error::WriteFailed, withText("drain failed", error));
}

Status Win32SerialBackend::stalled() const {
    const auto bound = std::chrono::round<std::chrono::milliseconds>(cycleDeadline_ - cycleStart_);
    return failure(serial_error::WriteTimeout, "the device did not take the command within " +
                                                   std::to_string(bound.count()) + " ms");
}

void Win32SerialBackend::release(bool discardQueued) {
    // Queued bytes are dropped so that they cannot run into the next frame.
    if (discardQueued) PurgeComm(handleOf(handle_), PURGE_TXABORT | PURGE_TXCLEAR);
    CloseHandle(handleOf(handle_));
    handle_ = nullptr;
}

std::unique_ptr<SerialBackend> makePlatformSerialBackend() {
    return std::make_unique<Win32SerialBackend>();
}

}  // namespace zz::link
