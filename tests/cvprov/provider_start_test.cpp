// Starting the provider as the platform starts it: the catalog it needs, the
// texts it keeps, and the helper program it starts when the redirector asks
// for one or cannot be reached.
#include <gtest/gtest.h>

#include <string>

#include "tests/cvprov/provider_test_support.h"

namespace {

using namespace provider_test;

class ProviderStart : public ProviderFixture, public testing::TestWithParam<std::string> {
protected:
    ProviderStart() : ProviderFixture(GetParam()) {}
    ~ProviderStart() override { Detach(); }

    // No program of that name anywhere the platform looks.
    cvn_test::TempDir no_programs_;
    cvn_test::ScopedEnv path_{"PATH", no_programs_.path()};
};

INSTANTIATE_TEST_SUITE_P(Platforms, ProviderStart, testing::Values("nt", "95"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

// The in-process redirector refuses the start-up probe: nothing is started,
// so nothing is reported. The texts of the catalog are kept.
TEST_P(ProviderStart, ARefusedProbeStartsNothing) {
    ASSERT_TRUE(Attach()) << win32::GetLastError();
    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].device, protocol::kControlDevice95);
    ASSERT_EQ(sent[1].code, cvn::FSCTL_SERVER_HELPER_EXCHANGE);
    ASSERT_EQ(sent[1].input.size(), 532u);
    std::vector<std::uint8_t> probe(532, 0);
    probe[0] = 326 & 0xFF;
    probe[1] = 326 >> 8;
    probe[8] = 1;
    probe[10] = 1;
    EXPECT_EQ(sent[1].input, probe);
    EXPECT_TRUE(ui_->message_boxes().empty());

    const cvprov::ProviderState& state = cvprov::State();
    EXPECT_EQ(state.enumeration_start, 1);
    EXPECT_EQ(state.print_start, 1);
    EXPECT_EQ(state.caption, u"Corvane NFS Client");
    EXPECT_EQ(state.name_space_container, u"NFS Name Space");
    EXPECT_EQ(state.subnet_container, u"NFS Servers on the Subnet");
    EXPECT_EQ(state.name_space_comment, u"NFS hosts you have named");
    EXPECT_EQ(state.subnet_comment, u"NFS servers found on the local subnet");
    EXPECT_EQ(NPGetCaps(12), 1u);
}

// A redirector that wants the helper: it answers the start-up probe, and
// passes every other message on.
class WantsTheHelper : public win32::DeviceTransport {
public:
    explicit WantsTheHelper(win32::DeviceTransport* inner) : inner_(inner) {}
    std::unique_ptr<win32::DeviceConnection> Connect() override {
        return std::make_unique<Connection>(inner_->Connect());
    }

private:
    class Connection : public win32::DeviceConnection {
    public:
        explicit Connection(std::unique_ptr<win32::DeviceConnection> inner)
            : inner_(std::move(inner)) {}
        std::optional<win32::Bytes> Exchange(const win32::Bytes& message) override {
            std::optional<protocol::Request> request = protocol::DecodeRequest(message);
            if (request && request->operation == protocol::kControl &&
                request->code == cvn::FSCTL_SERVER_HELPER_EXCHANGE) {
                ++probes;
                return protocol::EncodeReply({true, 0, request->input});
            }
            return inner_->Exchange(message);
        }

    private:
        std::unique_ptr<win32::DeviceConnection> inner_;
    };

    win32::DeviceTransport* inner_;

public:
    static inline int probes = 0;
};

// A probe that succeeds starts the helper; it cannot be found here, and
// message 1243 says so.
TEST_P(ProviderStart, AnsweredProbeStartsTheHelper) {
    WantsTheHelper::probes = 0;
    win32::SetDeviceTransport(std::make_shared<WantsTheHelper>(&in_process_.transport()));
    ASSERT_TRUE(Attach()) << win32::GetLastError();
    EXPECT_EQ(WantsTheHelper::probes, 1);
    ASSERT_EQ(ui_->message_boxes().size(), 1u);
    EXPECT_EQ(ui_->message_boxes()[0].text,
              u"The NFS helper program cvagent.exe could not be started.");
}

// No redirector answers: the helper is to be started, and since it cannot
// be, message 1243 says so; the library still loads.
TEST_P(ProviderStart, NoRedirectorAndNoHelper) {
    in_process_.transport().SetReachable(false);
    ASSERT_TRUE(Attach()) << win32::GetLastError();
    ASSERT_EQ(ui_->message_boxes().size(), 1u);
    EXPECT_EQ(ui_->message_boxes()[0].text,
              u"The NFS helper program cvagent.exe could not be started.");
    EXPECT_EQ(ui_->message_boxes()[0].type, win32::MB_ICONWARNING | win32::MB_SETFOREGROUND);
    EXPECT_EQ(NPGetCaps(12), 1u);
}

// The same with no redirector attached at all: the socket's runtime
// directory is empty.
TEST_P(ProviderStart, NoRedirectorDaemon) {
    cvn_test::TempDir runtime;
    cvn_test::ScopedEnv runtime_dir("CVN_RUNTIME_DIR", runtime.path());
    win32::SetDeviceTransport(nullptr);
    ASSERT_TRUE(Attach()) << win32::GetLastError();
    ASSERT_EQ(ui_->message_boxes().size(), 1u);
    EXPECT_EQ(ui_->message_boxes()[0].text,
              u"The NFS helper program cvagent.exe could not be started.");
}

TEST_P(ProviderStart, NoCatalogFailsTheLoad) {
    cvn_test::TempDir empty;
    cvn_test::ScopedEnv libpath("CVN_LIBPATH", empty.path());
    win32::SetLastError(0);
    EXPECT_FALSE(Attach());
    EXPECT_EQ(win32::GetLastError(), 1815u);
    EXPECT_TRUE(recorder_->Take().empty());  // it failed before the probe
    EXPECT_TRUE(ui_->message_boxes().empty());
}

}  // namespace
