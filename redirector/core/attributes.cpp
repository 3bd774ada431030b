#include "redirector/core/attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "common/records.h"

namespace cvnrd {

namespace {

namespace na = cvn::nfs_attributes;
namespace sa = cvn::set_attributes;

std::uint32_t NfsType(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFREG:
            return na::kRegular;
        case S_IFDIR:
            return na::kDirectory;
        case S_IFBLK:
            return na::kBlockDevice;
        case S_IFCHR:
            return na::kCharacterDevice;
        case S_IFLNK:
            return na::kSymbolicLink;
        case S_IFSOCK:
            return na::kSocket;
        case S_IFIFO:
            return na::kNamedPipe;
        default:
            return na::kUnknown;
    }
}

void PutTime(win32::ByteView& record, std::size_t offset, const timespec& time) {
    record.SetU32(offset, static_cast<std::uint32_t>(time.tv_sec));
    record.SetU32(offset + 4, static_cast<std::uint32_t>(time.tv_nsec));
}

timespec TimeAt(const win32::ByteView& record, std::size_t offset) {
    timespec time{};
    time.tv_sec = static_cast<time_t>(record.U32(offset));
    time.tv_nsec = static_cast<long>(record.U32(offset + 4) % 1000000000u);
    return time;
}

}  // namespace

std::optional<Failure> ReadNfsAttributes(const std::string& host_path, win32::ByteView record) {
    struct stat info;
    if (::lstat(host_path.c_str(), &info) != 0) {
        return FailureFromErrno(errno);
    }
    record.SetU32(na::kType, NfsType(info.st_mode));
    // Permission bits, sticky, set-group-id, set-user-id and the file-type bits.
    record.SetU32(na::kMode, static_cast<std::uint32_t>(info.st_mode & 0177777));
    record.SetU32(na::kLinkCount, static_cast<std::uint32_t>(info.st_nlink));
    record.SetU32(na::kUid, info.st_uid);
    record.SetU32(na::kGid, info.st_gid);
    record.SetU32(28, 0);
    record.SetU64(na::kFileSize, static_cast<std::uint64_t>(info.st_size));
    record.SetU64(na::kBytesUsed, static_cast<std::uint64_t>(info.st_blocks) * 512);
    record.SetU32(na::kDevice, major(info.st_rdev));
    record.SetU32(na::kDevice + 4, minor(info.st_rdev));
    record.SetU64(na::kFileSystemId, static_cast<std::uint64_t>(info.st_dev));
    record.SetU64(na::kFileId, static_cast<std::uint64_t>(info.st_ino));
    PutTime(record, na::kAccessTime, info.st_atim);
    PutTime(record, na::kModifyTime, info.st_mtim);
    PutTime(record, na::kChangeTime, info.st_ctim);
    return std::nullopt;
}

std::optional<Failure> WriteNfsAttributes(const std::string& host_path,
                                          const win32::ByteView& record) {
    const std::uint8_t which = record.U8(sa::kWhich);
    const char* path = host_path.c_str();
    // A symbolic link is changed as itself or not at all: the mode and the
    // size are those of what it names, which may lie outside the export.
    struct stat info;
    if (::lstat(path, &info) != 0) {
        return FailureFromErrno(errno);
    }
    if (S_ISLNK(info.st_mode) && (which & (sa::kSetMode | sa::kSetSize))) {
        return kAccessDenied;
    }
    if ((which & sa::kSetMode) &&
        ::chmod(path, static_cast<mode_t>(record.U32(sa::kMode) & 07777)) != 0) {
        return FailureFromErrno(errno);
    }
    if (which & (sa::kSetUid | sa::kSetGid)) {
        uid_t uid = (which & sa::kSetUid) ? record.U32(sa::kUid) : static_cast<uid_t>(-1);
        gid_t gid = (which & sa::kSetGid) ? record.U32(sa::kGid) : static_cast<gid_t>(-1);
        if (::lchown(path, uid, gid) != 0) {
            return FailureFromErrno(errno);
        }
    }
    if (which & sa::kSetSize) {
        const std::uint64_t size = record.U64(sa::kFileSize);
        if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
            return kInvalidParameter;
        }
        int fd = ::open(path, O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            return FailureFromErrno(errno == ELOOP ? EACCES : errno);
        }
        const int truncated = ::ftruncate(fd, static_cast<off_t>(size));
        const int error = errno;
        ::close(fd);
        if (truncated != 0) {
            return FailureFromErrno(error);
        }
    }
    if (which & (sa::kSetAccessTime | sa::kSetModifyTime)) {
        timespec times[2];
        times[0] = (which & sa::kSetAccessTime) ? TimeAt(record, sa::kAccessTime)
                                                : timespec{0, UTIME_OMIT};
        times[1] = (which & sa::kSetModifyTime) ? TimeAt(record, sa::kModifyTime)
                                                : timespec{0, UTIME_OMIT};
        if (::utimensat(AT_FDCWD, path, times, AT_SYMLINK_NOFOLLOW) != 0) {
            return FailureFromErrno(errno);
        }
    }
    return std::nullopt;
}

}  // namespace cvnrd
