#include "redirector/core/status.h"

#include <cerrno>

namespace cvnrd {

Failure FailureFromErrno(int error_number) {
    switch (error_number) {
        case ENOENT:
        case ENOTDIR:
            return kNotFound;
        case EACCES:
        case EPERM:
            return kAccessDenied;
        case EROFS:
            return kReadOnly;
        case ENOSPC:
        case EDQUOT:
            return kNoSpace;
        case ENAMETOOLONG:
            return kNameTooLong;
        case EINVAL:
            return kInvalidParameter;
        default:
            return kIoError;
    }
}

}  // namespace cvnrd
