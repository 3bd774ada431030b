// An in-process redirector whose export, a directory of the test, is
// mounted as F:, for tests that call cvperm's parts directly (and so can
// make the redirector fail one request).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "common/catalog.h"
#include "common/control_client.h"
#include "common/records.h"
#include "common/redirector_codes.h"
#include "platform/modules.h"
#include "redirector/core/exports.h"
#include "redirector/core/in_process.h"
#include "tests/support/process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace cvperm_test {

// The English catalog of the build, loaded for the parts that print texts.
class ScopedCatalog {
public:
    ScopedCatalog() : catalog_(win32::LoadLibraryA(cvn_test::BinPath("cvn3_enu.lrl").c_str())) {
        cvn::SetCatalogHandle(catalog_);
    }
    ~ScopedCatalog() {
        cvn::SetCatalogHandle(nullptr);
        if (catalog_ != nullptr) {
            win32::FreeLibrary(catalog_);
        }
    }
    ScopedCatalog(const ScopedCatalog&) = delete;
    ScopedCatalog& operator=(const ScopedCatalog&) = delete;
    bool loaded() const { return catalog_ != nullptr; }

private:
    win32::HMODULE catalog_;
};

class InProcessDrive {
public:
    explicit InProcessDrive(const char* platform)
        : env_("CVN_PLATFORM", platform), attached_(cvnrd::ExportTable::Demo(data_.path())) {
        env_.Set("CVN_DRIVES", "C=/");
        cvn::MountEntry entry;
        entry.Initialize();
        entry.set_device_code('F');
        entry.SetText(cvn::mount_entry::kHost, u"localhost");
        entry.SetText(cvn::mount_entry::kPath, u"demo");
        mounted_ = cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_ADD_DISK);
    }

    win32::DWORD mount_error() const { return mounted_; }
    std::string Host(const std::string& name) const { return data_ / name; }
    cvnrd::Redirector& redirector() { return attached_.redirector(); }

private:
    cvn_test::TempDir data_;
    cvn_test::ScopedEnv env_;
    cvnrd::ScopedInProcessRedirector attached_;
    win32::DWORD mounted_ = 0;
};

}  // namespace cvperm_test
