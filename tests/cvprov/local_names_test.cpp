// Local device names and remote names as the provider reads them, the
// capabilities it reports, and the local devices it takes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cvprov/connections.h"
#include "cvprov/local_device.h"
#include "tests/cvprov/provider_test_support.h"

namespace {

using namespace provider_test;
using cvprov::DeviceKind;

TEST(LocalDevice, OnlyTheCharactersNamedAreLookedAt) {
    struct Case {
        const char16_t* name;
        int number;
        DeviceKind kind;
        std::uint8_t code;
    };
    const Case cases[] = {
        {u"A:", 1, DeviceKind::Disk, 'A'},
        {u"a:", 1, DeviceKind::Disk, 'A'},
        {u"z:", 26, DeviceKind::Disk, 'Z'},
        {u"F:\\dir\\file", 6, DeviceKind::Disk, 'F'},
        {u"F:anything", 6, DeviceKind::Disk, 'F'},
        {u"LPT1", 1, DeviceKind::Printer, '1'},
        {u"lpt9", 9, DeviceKind::Printer, '9'},
        {u"LpT3:", 3, DeviceKind::Printer, '3'},
        {u"LPT12", 1, DeviceKind::Printer, '1'},
        {u"LPT0", 0, DeviceKind::None, 0},
        {u"LPT", 0, DeviceKind::None, 0},
        {u"COM1", 0, DeviceKind::None, 0},
        {u"F", 0, DeviceKind::None, 0},
        {u"1:", 0, DeviceKind::None, 0},
        {u"@:", 0, DeviceKind::None, 0},
        {u"[:", 0, DeviceKind::None, 0},
        {u":F", 0, DeviceKind::None, 0},
        {u"\\\\host\\path", 0, DeviceKind::None, 0},
        {u"", 0, DeviceKind::None, 0},
    };
    for (const Case& c : cases) {
        cvprov::LocalDevice device = cvprov::ParseLocalDevice(c.name);
        EXPECT_EQ(device.kind, c.kind) << cvprov_test::Ascii(c.name);
        EXPECT_EQ(device.number, c.number) << cvprov_test::Ascii(c.name);
        EXPECT_EQ(cvprov::DeviceCode(device), c.code) << cvprov_test::Ascii(c.name);
    }
}

// The container names come from the catalog, so the provider is started.
class RemoteNames : public Provider {};

TEST_F(RemoteNames, SplitPastAContainerName) {
    ASSERT_EQ(cvprov::State().name_space_container, u"NFS Name Space");
    ASSERT_EQ(cvprov::State().subnet_container, u"NFS Servers on the Subnet");
    struct Case {
        const char16_t* name;
        bool split;
        const char16_t* host;
        std::optional<std::u16string> path;
    };
    const Case cases[] = {
        {u"\\\\host\\export\\sub", true, u"host", u"export\\sub"},
        {u"\\\\host", true, u"host", std::nullopt},
        {u"\\\\host\\", true, u"host", u""},
        {u"host\\export", true, u"host", u"export"},
        {u"\\\\\\host\\export", true, u"host", u"export"},
        {u"NFS Name Space\\host\\export", true, u"host", u"export"},
        {u"\\\\NFS Servers on the Subnet\\host", true, u"host", std::nullopt},
        // Everything up to the end of the first occurrence goes.
        {u"x\\NFS Name Space\\h\\NFS Name Space\\y", true, u"h", u"NFS Name Space\\y"},
        // The name-space container is looked for first, wherever it stands.
        {u"NFS Servers on the Subnet\\NFS Name Space\\h", true, u"h", std::nullopt},
        {u"NFS Name Space", false, u"", std::nullopt},
        {u"\\\\", false, u"", std::nullopt},
        {u"", false, u"", std::nullopt},
    };
    for (const Case& c : cases) {
        std::u16string host;
        std::optional<std::u16string> path = u"unset";
        ASSERT_EQ(cvprov::SplitRemoteName(c.name, &host, &path), c.split)
            << cvprov_test::Ascii(c.name);
        if (c.split) {
            EXPECT_EQ(host, c.host) << cvprov_test::Ascii(c.name);
            EXPECT_EQ(path, c.path) << cvprov_test::Ascii(c.name);
        }
    }
}

TEST_F(RemoteNames, CapabilitiesForEveryIndex) {
    struct Case {
        std::uint32_t index;
        std::uint32_t value;
    };
    const Case cases[] = {
        {0, 0},   {1, 0x00050001}, {2, 0x000C0000}, {3, 0x00030001}, {4, 0x1}, {5, 0},
        {6, 0x7}, {7, 0},          {8, 0x980},      {9, 0},          {10, 0},  {11, 0x7},
        {12, 1},  {13, 0x80},      {14, 0x36},      {15, 0},         {16, 0},  {0xFFFFFFFF, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NPGetCaps(c.index), c.value) << "index " << c.index;
    }
}

// A start that failed is remembered; the library stays callable and says it
// is not started.
TEST_F(RemoteNames, StartStateAfterAFailedStart) {
    cvprov::State().enumeration_start = -1;
    EXPECT_EQ(NPGetCaps(12), 0u);
    cvprov::State().enumeration_start = 1;
    cvprov::State().print_start = -1;
    EXPECT_EQ(NPGetCaps(12), 0u);
    cvprov::State().print_start = 1;
    EXPECT_EQ(NPGetCaps(12), 1u);
    Detach();
    EXPECT_EQ(NPGetCaps(12), 1u);  // before start-up neither result is -1
}

TEST(ValidLocalDevice, DrivesAToYAndTheNinePorts) {
    struct Case {
        std::uint32_t kind;
        std::uint32_t number;
        std::uint32_t mask;
    };
    const Case cases[] = {
        {1, 0, 0x01FFFFFF}, {2, 0, 0x000001FF}, {1, 3, 0},  {2, 1, 0},
        {0, 0, 0},          {3, 0, 0},          {1, 26, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NPValidLocalDevice(c.kind, c.number), c.mask) << c.kind << "," << c.number;
    }
    EXPECT_EQ(NPGetConnectionPerformance(nullptr, nullptr), 50u);
    EXPECT_EQ(NPChangePassword(nullptr, nullptr, nullptr), 0u);
}

}  // namespace
