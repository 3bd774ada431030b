#include "platform/device.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "platform/case_fold.h"
#include "platform/codepage.h"
#include "platform/device_protocol.h"
#include "platform/device_transport.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/host_errors.h"
#include "platform/last_error.h"
#include "platform/paths.h"

namespace win32 {

namespace {

namespace protocol = device_protocol;

// A handle served by the redirector: a control device or one of its files.
class RedirectorObject : public KernelObject {
public:
    explicit RedirectorObject(std::unique_ptr<DeviceConnection> connection)
        : connection_(std::move(connection)) {}

    // The reply, or nullopt with the last error set when the redirector is
    // gone or answers nonsense.
    std::optional<protocol::Reply> Call(const protocol::Request& request) {
        if (cancelled_) {
            SetLastError(ERROR_OPERATION_ABORTED);
            return std::nullopt;
        }
        std::optional<Bytes> payload = connection_->Exchange(protocol::EncodeRequest(request));
        std::optional<protocol::Reply> reply;
        if (payload) {
            reply = protocol::DecodeReply(*payload);
        }
        if (!reply) {
            SetLastError(cancelled_ ? ERROR_OPERATION_ABORTED : ERROR_GEN_FAILURE);
        }
        return reply;
    }

    void Cancel() {
        cancelled_ = true;
        connection_->Cancel();
    }

private:
    std::unique_ptr<DeviceConnection> connection_;
    std::atomic<bool> cancelled_{false};
};

class HostFileObject : public KernelObject {
public:
    explicit HostFileObject(int fd) : fd_(fd) {}
    ~HostFileObject() override { ::close(fd_); }

private:
    int fd_;
};

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

// Opens a connection and names what it is for; null with the last error set.
std::shared_ptr<RedirectorObject> OpenRedirector(const protocol::Request& open,
                                                 DWORD unreachable_error) {
    std::unique_ptr<DeviceConnection> connection = CurrentDeviceTransport()->Connect();
    if (!connection) {
        SetLastError(unreachable_error);
        return nullptr;
    }
    auto object = std::make_shared<RedirectorObject>(std::move(connection));
    std::optional<protocol::Reply> reply = object->Call(open);
    if (!reply) {
        return nullptr;
    }
    if (!reply->ok) {
        SetLastError(reply->error);
        return nullptr;
    }
    return object;
}

std::optional<protocol::DeviceKind> ControlDeviceKind(std::u16string_view device) {
    if (FileNamesEqual(device, u"CVNCTL")) {
        return protocol::kControlDeviceNt;
    }
    if (FileNamesEqual(device, u"VCORV")) {
        return protocol::kControlDevice95;
    }
    return std::nullopt;
}

HANDLE OpenControlDevice(std::u16string_view device, DWORD disposition) {
    std::optional<protocol::DeviceKind> kind = ControlDeviceKind(device);
    if (!kind) {
        return Fail(ERROR_FILE_NOT_FOUND);
    }
    if (disposition != OPEN_EXISTING) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    protocol::Request open;
    open.operation = protocol::kOpenDevice;
    open.device = *kind;
    std::shared_ptr<RedirectorObject> object = OpenRedirector(open, ERROR_FILE_NOT_FOUND);
    return object ? InsertHandle(object) : INVALID_HANDLE_VALUE;
}

HANDLE OpenRedirectorFile(const std::u16string& full, DWORD access, DWORD disposition,
                          DWORD flags) {
    if (disposition != OPEN_EXISTING) {
        return Fail(ERROR_NOT_SUPPORTED);  // the redirector's files are opened, not created, here
    }
    protocol::Request open;
    open.operation = protocol::kOpenFile;
    open.access = access;
    open.flags = flags;
    open.name = full;
    const DWORD unreachable = full.starts_with(u"\\\\") ? ERROR_BAD_NETPATH : ERROR_PATH_NOT_FOUND;
    std::shared_ptr<RedirectorObject> object = OpenRedirector(open, unreachable);
    return object ? InsertHandle(object) : INVALID_HANDLE_VALUE;
}

int OpenFlagsFor(DWORD access, DWORD disposition) {
    const bool reads = access & (GENERIC_READ | FILE_READ_DATA);
    const bool writes = access & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA);
    int flags = O_CLOEXEC;
    if (reads && writes) {
        flags |= O_RDWR;
    } else if (writes) {
        flags |= O_WRONLY;
    } else if (reads) {
        flags |= O_RDONLY;
    } else {
        flags |= O_PATH;  // attributes only: no data access is asked for
    }
    switch (disposition) {
        case CREATE_NEW:
            return flags | O_CREAT | O_EXCL;
        case CREATE_ALWAYS:
            return flags | O_CREAT | O_TRUNC;
        case OPEN_ALWAYS:
            return flags | O_CREAT;
        case TRUNCATE_EXISTING:
            return flags | O_TRUNC;
        default:
            return flags;
    }
}

HANDLE OpenHostFile(const std::u16string& full, DWORD access, DWORD disposition, DWORD flags) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::optional<std::string> path = HostPathOf(full);
    if (!path) {
        return INVALID_HANDLE_VALUE;
    }
    struct stat info;
    if (::stat(path->c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
        !(flags & FILE_FLAG_BACKUP_SEMANTICS)) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    int fd = ::open(path->c_str(), OpenFlagsFor(access, disposition), 0666);
    if (fd < 0) {
        return Fail(errno == EEXIST ? ERROR_FILE_EXISTS : Win32ErrorForPath(errno, *path));
    }
    return InsertHandle(std::make_shared<HostFileObject>(fd));
}

}  // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD, SECURITY_ATTRIBUTES*, DWORD disposition,
                   DWORD flags, HANDLE) {
    if (name == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::u16string_view text(name);
    if (text.starts_with(u"\\\\.\\")) {
        return OpenControlDevice(text.substr(4), disposition);
    }
    std::optional<std::u16string> full = FullPathName(text);
    if (!full) {
        return INVALID_HANDLE_VALUE;
    }
    if (IsRedirectorPath(*full)) {
        return OpenRedirectorFile(*full, access, disposition, flags);
    }
    return OpenHostFile(*full, access, disposition, flags);
}

BOOL CancelIoEx(HANDLE device, OVERLAPPED*) {
    std::shared_ptr<KernelObject> object = ReferenceHandle(device);
    if (!object) {
        return FALSE;
    }
    auto redirector = std::dynamic_pointer_cast<RedirectorObject>(object);
    if (!redirector) {
        SetLastError(ERROR_NOT_FOUND);
        return FALSE;
    }
    redirector->Cancel();
    return TRUE;
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES* security,
                   DWORD disposition, DWORD flags, HANDLE template_file) {
    if (name == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    return CreateFileW(AnsiToWide(name).c_str(), access, share_mode, security, disposition, flags,
                       template_file);
}

BOOL DeviceIoControl(HANDLE device, DWORD code, const void* input, DWORD input_size, void* output,
                     DWORD output_size, DWORD* bytes_returned, OVERLAPPED* overlapped) {
    if (bytes_returned != nullptr) {
        *bytes_returned = 0;
    }
    std::shared_ptr<KernelObject> object = ReferenceHandle(device);
    if (!object) {
        return FALSE;
    }
    if (overlapped != nullptr || (input_size > 0 && input == nullptr) ||
        (output_size > 0 && output == nullptr) || input_size > protocol::kMaxBufferBytes ||
        output_size > protocol::kMaxBufferBytes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto redirector = std::dynamic_pointer_cast<RedirectorObject>(object);
    if (!redirector) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    protocol::Request request;
    request.operation = protocol::kControl;
    request.code = code;
    request.output_size = output_size;
    const auto* in = static_cast<const std::uint8_t*>(input);
    request.input.assign(in, in + input_size);
    std::optional<protocol::Reply> reply = redirector->Call(request);
    if (!reply) {
        return FALSE;
    }
    const size_t stored = std::min<size_t>(reply->output.size(), output_size);
    if (stored > 0) {
        std::memcpy(output, reply->output.data(), stored);
    }
    if (bytes_returned != nullptr) {
        *bytes_returned = static_cast<DWORD>(stored);
    }
    if (!reply->ok) {
        SetLastError(reply->error);
        return FALSE;
    }
    return TRUE;
}

}  // namespace win32
