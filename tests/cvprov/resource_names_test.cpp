// What the shell asks about a remote name: the resource it names and the
// part below it, its parent, and how it is shown. The exports are those the
// redirector lists for the host.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cvprov/cvprov.h"
#include "tests/cvprov/provider_test_support.h"

namespace {

using namespace provider_test;

// One NETRESOURCE as the caller reads it, strings copied out.
struct Read {
    std::uint32_t scope, type, display_type, usage;
    std::optional<std::string> local, remote, comment, provider;
    bool operator==(const Read&) const = default;
};

std::optional<std::string> Text(const char* text) {
    return text ? std::optional<std::string>(text) : std::nullopt;
}

Read ReadResource(const void* buffer) {
    cvprov::NETRESOURCEA record;
    std::memcpy(&record, buffer, sizeof record);
    return {record.dwScope,           record.dwType,
            record.dwDisplayType,     record.dwUsage,
            Text(record.lpLocalName), Text(record.lpRemoteName),
            Text(record.lpComment),   Text(record.lpProvider)};
}

std::ostream& operator<<(std::ostream& out, const Read& r) {
    auto show = [](const std::optional<std::string>& s) { return s ? "\"" + *s + "\"" : "null"; };
    return out << "{" << r.scope << "," << r.type << "," << r.display_type << "," << r.usage << ","
               << show(r.local) << "," << show(r.remote) << "," << show(r.comment) << ","
               << show(r.provider) << "}";
}

const Read kContext{5, 0, 0, 0, std::nullopt, std::nullopt, std::nullopt, std::nullopt};

Read Server(const std::string& name, const char* provider) {
    return {2, 0, 2, 2, std::nullopt, name, std::nullopt, provider};
}
Read Share(const std::string& name, const char* provider) {
    return {2, 1, 3, 1, std::nullopt, name, std::nullopt, provider};
}
Read Domain(const std::string& name, const char* provider) {
    return {2, 0, 1, 2, std::nullopt, name, std::nullopt, provider};
}

constexpr char kProvider[] = "Corvane";
constexpr char kProduct[] = "Corvane 95 NFS Client";

// Besides the fixture's exports, one whose path holds a drive and one with
// two components.
class ResourceNames : public Provider {
protected:
    ResourceNames()
        : Provider("nt", "\\\\nfshost\\C:\\data {pub}\n\\\\nfshost\\vol\\data {pub}\n") {}
};

TEST_F(ResourceNames, Information) {
    struct Case {
        const char* remote;
        std::uint32_t expected;
        Read resource;
        const char* system;  // null: no system part
    };
    const Case cases[] = {
        {"\\\\nfshost\\pub\\dir\\file", 0, Share("\\\\nfshost\\pub", kProvider), "\\dir\\file"},
        {"\\\\nfshost\\pub", 0, Share("\\\\nfshost\\pub", kProvider), nullptr},
        {"\\\\nfshost\\pub\\", 0, Share("\\\\nfshost\\pub", kProvider), "\\"},
        {"\\\\nfshost\\PUB\\x", 0, Share("\\\\nfshost\\PUB", kProvider), "\\x"},
        {"\\\\nfshost\\pub/x", 0, Share("\\\\nfshost\\pub", kProvider), "/x"},
        {"\\\\nfshost\\vol/data/x", 0, Share("\\\\nfshost\\vol/data", kProvider), "/x"},
        {"\\\\nfshost\\vol\\data", 0, Share("\\\\nfshost\\vol\\data", kProvider), nullptr},
        // One ':' on each side may be passed over.
        {"\\\\nfshost\\C\\data\\x", 0, Share("\\\\nfshost\\C\\data", kProvider), "\\x"},
        {"\\\\nfshost\\C:\\data", 0, Share("\\\\nfshost\\C:\\data", kProvider), nullptr},
        {"NFS Name Space\\nfshost\\pub\\x", 0, Share("NFS Name Space\\nfshost\\pub", kProvider),
         "\\x"},
        {"\\\\nfshost", 0, Server("\\\\nfshost", kProvider), nullptr},
        {"\\\\otherhost", 0, Server("\\\\otherhost", kProvider), nullptr},
        // The prefix ends at the end or before a separator; a shorter path
        // is no match.
        {"\\\\nfshost\\pubx", 87, {}, nullptr},
        {"\\\\nfshost\\pu", 87, {}, nullptr},
        {"\\\\nfshost\\vol", 87, {}, nullptr},
        {"\\\\nfshost\\nothere\\x", 87, {}, nullptr},
        {"\\\\otherhost\\x", 50, {}, nullptr},
        {"\\\\", 67, {}, nullptr},
        {"", 67, {}, nullptr},
        {nullptr, 67, {}, nullptr},
        // A host named like a container, and not in the name space.
        {"NFS Name Space\\NFS Servers on the Subnet", 67, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remote ? c.remote : "(null)");
        alignas(8) char buffer[512];
        std::memset(buffer, '#', sizeof buffer);
        std::uint32_t size = sizeof buffer;
        char* system = reinterpret_cast<char*>(1);
        cvprov::NETRESOURCEA resource{};
        resource.lpRemoteName = const_cast<char*>(c.remote);
        ASSERT_EQ(NPGetResourceInformation(&resource, buffer, &size, &system), c.expected);
        if (c.expected != 0) {
            continue;
        }
        EXPECT_EQ(ReadResource(buffer), c.resource);
        if (c.system == nullptr) {
            EXPECT_EQ(system, nullptr);
        } else {
            // The system part sits at the very end of the buffer.
            ASSERT_NE(system, nullptr);
            EXPECT_STREQ(system, c.system);
            EXPECT_EQ(system + std::strlen(c.system) + 1, buffer + sizeof buffer);
        }
    }
}

TEST_F(ResourceNames, InformationOnAContainerNamedHost) {
    cvprov::NETRESOURCEA resource{};
    resource.lpRemoteName = const_cast<char*>("NFS Name Space\\NFS Servers on the Subnet");
    alignas(8) char buffer[256];
    std::uint32_t size = sizeof buffer;
    char* system = nullptr;
    ASSERT_EQ(NPGetResourceInformation(&resource, buffer, &size, &system), 67u);
    ASSERT_EQ(NPGetResourceParent(&resource, buffer, &size), 67u);
    ASSERT_EQ(AddHostEntry(u"NFS Servers on the Subnet", NAME_SPACE_SYSTEM, nullptr), 0u);
    EXPECT_EQ(NPGetResourceInformation(&resource, buffer, &size, &system), 0u);
    EXPECT_EQ(ReadResource(buffer), Server(resource.lpRemoteName, kProvider));
    EXPECT_EQ(NPGetResourceParent(&resource, buffer, &size), 0u);
    EXPECT_EQ(ReadResource(buffer), Domain("", kProduct));
}

// Records from the front, strings from the back, each right below the one
// before; the size needed counts the record of this host, each string with
// its terminator, and the system part.
TEST_F(ResourceNames, InformationPackingAndSize) {
    cvprov::NETRESOURCEA resource{};
    resource.lpRemoteName = const_cast<char*>("\\\\nfshost\\pub\\dir\\file");
    const std::uint32_t needed = sizeof(cvprov::NETRESOURCEA) + 14 + 8 + 10;
    alignas(8) char buffer[256];
    for (std::uint32_t given : {0u, 48u, needed - 1}) {
        std::memset(buffer, '#', sizeof buffer);
        std::uint32_t size = given;
        char* system = nullptr;
        EXPECT_EQ(NPGetResourceInformation(&resource, buffer, &size, &system), 234u) << given;
        EXPECT_EQ(size, needed);
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
    }
    std::memset(buffer, '#', sizeof buffer);
    std::uint32_t size = needed;
    char* system = nullptr;
    ASSERT_EQ(NPGetResourceInformation(&resource, buffer, &size, &system), 0u);
    const std::size_t record = sizeof(cvprov::NETRESOURCEA);
    EXPECT_EQ(std::string(buffer + record, needed - record),
              std::string("Corvane\0\\\\nfshost\\pub\0\\dir\\file\0", needed - record));
    cvprov::NETRESOURCEA read;
    std::memcpy(&read, buffer, sizeof read);
    EXPECT_EQ(read.lpProvider, buffer + record);
    EXPECT_EQ(read.lpRemoteName, buffer + record + 8);
    EXPECT_EQ(system, buffer + record + 22);
    EXPECT_EQ(buffer[needed], '#');
}

TEST_F(ResourceNames, Parent) {
    struct Case {
        const char* remote;
        std::uint32_t expected;
        Read parent;
    };
    const Case cases[] = {
        {"\\\\", 0, kContext},
        {"NFS Name Space", 0, kContext},  // a container's parent
        {"\\\\nfshost", 0, Domain("", kProduct)},
        {"\\\\otherhost", 0, Domain("", kProduct)},
        {"\\\\nfshost\\pub", 0, Server("nfshost", kProduct)},
        {"\\\\nfshost\\vol\\data", 0, Server("nfshost", kProduct)},
        {"\\\\nfshost\\pub\\dir", 0, Share("\\\\nfshost\\pub", kProduct)},
        {"\\\\nfshost\\pub\\dir\\file", 0, Share("\\\\nfshost\\pub\\dir", kProduct)},
        {"\\\\nfshost\\pub\\dir\\", 0, Share("\\\\nfshost\\pub", kProduct)},
        {"\\\\nfshost\\pub\\dir/file", 0, Share("\\\\nfshost\\pub\\dir", kProduct)},
        // A '/' right after a '\' is cut at the '\'.
        {"\\\\nfshost\\pub\\dir\\/x", 0, Share("\\\\nfshost\\pub\\dir", kProduct)},
        // A trailing "\X:" component goes with the last one; other ':'s stay.
        {"\\\\nfshost\\pub\\C:\\dir", 0, Share("\\\\nfshost\\pub", kProduct)},
        {"\\\\nfshost\\pub\\ab:\\dir", 0, Share("\\\\nfshost\\pub\\ab:", kProduct)},
        {"NFS Name Space\\nfshost\\pub\\dir", 0, Share("NFS Name Space\\nfshost\\pub", kProduct)},
        {"\\\\nfshost\\nothere\\x", 87, {}},
        {"\\\\nfshost\\pubx", 87, {}},
        {"\\\\otherhost\\x", 50, {}},
        {"", 67, {}},
        {nullptr, 67, {}},
        {"NFS Name Space\\NFS Servers on the Subnet", 67, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remote ? c.remote : "(null)");
        alignas(8) char buffer[512];
        std::uint32_t size = sizeof buffer;
        cvprov::NETRESOURCEA resource{};
        resource.lpRemoteName = const_cast<char*>(c.remote);
        ASSERT_EQ(NPGetResourceParent(&resource, buffer, &size), c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(ReadResource(buffer), c.parent);
        }
    }
    EXPECT_EQ(NPGetResourceParent(nullptr, nullptr, nullptr), 67u);
}

TEST_F(ResourceNames, ParentSize) {
    cvprov::NETRESOURCEA resource{};
    resource.lpRemoteName = const_cast<char*>("\\\\nfshost\\pub\\dir");
    const std::uint32_t needed = sizeof(cvprov::NETRESOURCEA) + 14 + 22;
    alignas(8) char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    std::uint32_t size = needed - 1;
    EXPECT_EQ(NPGetResourceParent(&resource, buffer, &size), 234u);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
    size = needed;
    EXPECT_EQ(NPGetResourceParent(&resource, buffer, &size), 0u);
    EXPECT_EQ(ReadResource(buffer), Share("\\\\nfshost\\pub", kProduct));
    EXPECT_EQ(buffer[needed], '#');

    // The context node has no strings: the record alone.
    resource.lpRemoteName = const_cast<char*>("\\\\");
    size = sizeof(cvprov::NETRESOURCEA) - 1;
    EXPECT_EQ(NPGetResourceParent(&resource, buffer, &size), 234u);
    EXPECT_EQ(size, sizeof(cvprov::NETRESOURCEA));
}

// A host longer than the listing request can name is not listed as some
// other host cut to fit: the name is refused.
TEST_F(ResourceNames, AHostTooLongForTheListing) {
    const std::string host300 = "\\\\" + std::string(300, 'h') + "\\pub\\x";
    const std::string host41 = "\\\\" + kHost40 + "h\\pub\\x";
    for (const std::string& remote : {host300, host41}) {
        cvprov::NETRESOURCEA resource{};
        resource.lpRemoteName = const_cast<char*>(remote.c_str());
        alignas(8) char buffer[512];
        std::uint32_t size = sizeof buffer;
        char* system = nullptr;
        EXPECT_EQ(NPGetResourceInformation(&resource, buffer, &size, &system), 67u);
        size = sizeof buffer;
        EXPECT_EQ(NPGetResourceParent(&resource, buffer, &size), 67u);
    }
    EXPECT_TRUE(Codes(recorder_->Take()).empty());
}

TEST(FormatNetworkName, InAnEnumerationListTheExportAlone) {
    struct Case {
        const char* remote;
        std::uint32_t flags;
        std::uint32_t length;
        std::uint32_t expected;
        const char* out;
        std::uint32_t length_after;
    };
    const Case cases[] = {
        {"\\\\host\\export", 0x10, 64, 0, "export", 7},
        {"\\\\host\\export\\sub", 0x10, 64, 0, "export\\sub", 11},
        {"\\\\host\\export", 0x10, 7, 0, "export", 7},
        {"\\\\host\\export", 0, 64, 0, "\\\\host\\export", 14},
        {"\\\\host\\export", 0x11, 64, 0, "export", 7},
        // Too short: the name as it was, cut to the buffer.
        {"\\\\host\\export", 0x10, 6, 234, "\\\\hos", 7},
        {"\\\\host\\export", 0, 14, 0, "\\\\host\\export", 14},
        {"\\\\host\\export", 0, 13, 234, "\\\\host\\expor", 14},
        // No backslash after the host.
        {"\\\\host", 0x10, 64, 67, "\\\\host", 64},
        {"\\\\", 0x10, 64, 67, "\\\\", 64},
        {"\\\\host", 0x10, 3, 67, "\\\\", 3},
        {"\\\\host\\", 0x10, 64, 0, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.remote) + " flags " + std::to_string(c.flags) + " length " +
                     std::to_string(c.length));
        char out[80];
        std::memset(out, '#', sizeof out);
        std::uint32_t length = c.length;
        EXPECT_EQ(NPFormatNetworkName(c.remote, out, &length, c.flags, 0), c.expected);
        EXPECT_STREQ(out, c.out);
        EXPECT_EQ(length, c.length_after);
        EXPECT_EQ(out[c.length], '#');  // nothing past the buffer given
    }
    char out[8] = "#######";
    std::uint32_t length = 0;
    EXPECT_EQ(NPFormatNetworkName("\\\\host\\export", out, &length, 0x10, 0), 234u);
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(out[0], '#');
    length = sizeof out;
    EXPECT_EQ(NPFormatNetworkName(nullptr, out, &length, 0x10, 0), 67u);
}

}  // namespace
