#include "cvagent/worker.h"

#include <vector>

#include "common/records.h"
#include "common/redirector_codes.h"
#include "cvagent/answers.h"
#include "cvagent/service.h"
#include "platform/bytes.h"
#include "platform/debug_output.h"
#include "platform/device.h"
#include "platform/errors.h"
#include "platform/format.h"
#include "platform/handles.h"
#include "platform/last_error.h"

namespace cvagent {

namespace {

namespace hr = cvn::helper_request;

void Debug(std::string_view format, win32::FormatArgs args) {
    win32::OutputDebugStringA(win32::FormatNarrow(format, args).value_or("").c_str());
}

void Answer(std::vector<std::uint8_t>& buffer) {
    win32::ByteView request(buffer.data(), buffer.size());
    request.SetU16(hr::kAnswerStatus, 0);
    switch (request.U16(hr::kKind)) {
        case hr::kKindNameToAddress:
            AnswerNameToAddress(buffer);
            break;
        case hr::kKindPendingAddressNames:
            AnswerPendingAddressNames(buffer);
            break;
        default:
            request.SetU16(hr::kAnswerStatus, kStatusNotServed);
            break;
    }
}

// Keeps the worker's handle known to the service for as long as it waits.
class RegisteredHandle {
public:
    RegisteredHandle(Service& service, win32::HANDLE handle) : service_(service), handle_(handle) {
        service_.AddWorkerHandle(handle_);
    }
    ~RegisteredHandle() { service_.RemoveWorkerHandle(handle_); }
    RegisteredHandle(const RegisteredHandle&) = delete;
    RegisteredHandle& operator=(const RegisteredHandle&) = delete;

private:
    Service& service_;
    win32::HANDLE handle_;
};

}  // namespace

win32::DWORD ServeRedirector(Service& service) {
    win32::HANDLE device =
        win32::CreateFileW(u"\\\\.\\CVNCTL", win32::GENERIC_READ | win32::GENERIC_WRITE, 0, nullptr,
                           win32::OPEN_EXISTING, 0, nullptr);
    if (device == win32::INVALID_HANDLE_VALUE) {
        return win32::GetLastError();
    }
    win32::UniqueHandle owner(device);
    RegisteredHandle registered(service, device);

    std::vector<std::uint8_t> buffer;
    try {
        buffer.assign(hr::kBasicSize, 0);
    } catch (const std::bad_alloc&) {
        return win32::ERROR_OUTOFMEMORY;
    }
    win32::ByteView header(buffer.data(), buffer.size());
    cvn::InitializeHeader(header);
    header.SetU32(hr::kTransactionId, 0);
    Debug("Helper request Xid = %x\n", {0u});

    for (;;) {
        win32::DWORD returned = 0;
        // The answer goes in whole; the next request comes back in the
        // first 532 bytes.
        if (!win32::DeviceIoControl(device, cvn::FSCTL_SERVER_HELPER_EXCHANGE, buffer.data(),
                                    static_cast<win32::DWORD>(buffer.size()), buffer.data(),
                                    hr::kBasicSize, &returned, nullptr)) {
            const win32::DWORD error = win32::GetLastError();
            Debug("error = %d, %d\n",
                  {static_cast<int>(error),
                   static_cast<int>(win32::ByteView(buffer.data(), buffer.size()).U16(2))});
            return error;
        }
        Answer(buffer);
        Debug("Helper request Xid = %x\n",
              {win32::ByteView(buffer.data(), buffer.size()).U32(hr::kTransactionId)});
    }
}

}  // namespace cvagent
