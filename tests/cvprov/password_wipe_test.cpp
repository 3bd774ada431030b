// Copies of a connection password are wiped before their memory is let go.
// Every small heap block freed on this thread while a connection is made is
// searched for the password: the provider's own copies are strings of about
// the password's size, while the platform's device messages that carry the
// whole record are far larger and are not the provider's to wipe.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "tests/cvprov/provider_test_support.h"

namespace {

// The UTF-16 bytes looked for, while a search is on.
thread_local const std::string* g_needle = nullptr;
thread_local int g_found = 0;

constexpr std::size_t kSmallBlock = 512;

void Inspect(void* block) {
    if (g_needle == nullptr || block == nullptr) {
        return;
    }
    const std::size_t size = ::malloc_usable_size(block);
    if (size > kSmallBlock || size < g_needle->size()) {
        return;
    }
    const char* bytes = static_cast<const char*>(block);
    if (std::search(bytes, bytes + size, g_needle->begin(), g_needle->end()) != bytes + size) {
        ++g_found;
    }
}

void* Allocate(std::size_t size) {
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void Release(void* block) noexcept {
    Inspect(block);
    std::free(block);
}

}  // namespace

// The whole set of the plain forms, so every allocation of the program pairs
// with a release of the same family.
void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}

namespace {

using namespace provider_test;

// Starts looking for `password` in freed blocks for the life of the object.
class FreedBlockSearch {
public:
    explicit FreedBlockSearch(std::u16string_view password) {
        for (char16_t unit : password) {
            needle_.push_back(static_cast<char>(unit & 0xFF));
            needle_.push_back(static_cast<char>(unit >> 8));
        }
        g_found = 0;
        g_needle = &needle_;
    }
    ~FreedBlockSearch() { g_needle = nullptr; }
    int found() const { return g_found; }

private:
    std::string needle_;
};

class PasswordCopies : public Provider {};

// Long enough to live on the heap in any string.
constexpr char kPassword[] = "Zq7-long-password";
constexpr char16_t kWidePassword[] = u"Zq7-long-password";

// The search itself finds an unwiped copy.
TEST_F(PasswordCopies, TheSearchFindsACopyLeftBehind) {
    static std::u16string* volatile copy;
    FreedBlockSearch search(kWidePassword);
    copy = new std::u16string(kWidePassword);
    delete copy;
    EXPECT_EQ(search.found(), 1);
}

TEST_F(PasswordCopies, WipedAfterANarrowConnection) {
    int found = 0;
    {
        FreedBlockSearch search(kWidePassword);
        EXPECT_EQ(Connect("F:", "\\\\nfshost\\pub", cvprov::RESOURCETYPE_DISK, "alice", kPassword),
                  0u);
        found = search.found();
    }
    EXPECT_EQ(found, 0);
}

TEST_F(PasswordCopies, WipedAfterAWideConnection) {
    std::u16string remote = u"\\\\nfshost\\pub";
    std::u16string password = kWidePassword;
    cvprov::NETRESOURCEW resource{};
    resource.dwType = cvprov::RESOURCETYPE_DISK;
    resource.lpRemoteName = remote.data();
    int found = 0;
    {
        FreedBlockSearch search(kWidePassword);
        EXPECT_EQ(NPAddConnection3(nullptr, &resource, password.data(), nullptr, 4), 0u);
        found = search.found();
    }
    EXPECT_EQ(found, 0);
}

// A refused connection goes through the same copies.
TEST_F(PasswordCopies, WipedAfterARefusal) {
    int found = 0;
    {
        FreedBlockSearch search(kWidePassword);
        EXPECT_EQ(
            Connect("F:", "\\\\nfshost\\nothere", cvprov::RESOURCETYPE_DISK, "alice", kPassword),
            67u);
        found = search.found();
    }
    EXPECT_EQ(found, 0);
}

}  // namespace
