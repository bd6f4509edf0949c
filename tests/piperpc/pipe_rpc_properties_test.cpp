#include "pipe_fixture.h"
#include "piperpc/property_bag.h"

namespace zelkon {
namespace {

using PipeRpcProperties = PipeFixture;

TEST_F(PipeRpcProperties, NewComponentHasItsDefaults) {
    EXPECT_EQ(client.MaxClients(), 1);
    EXPECT_EQ(client.MaxRequest(), 1024);
    EXPECT_EQ(client.MaxResponse(), 1024);
    EXPECT_FALSE(client.MultiPoll());
    EXPECT_EQ(client.PipeName(), "");
    EXPECT_EQ(client.Server(), ".");
    EXPECT_EQ(client.Timeout(), 0);
    EXPECT_EQ(client.State(), PipeRPC::pstFree);
    EXPECT_DOUBLE_EQ(client.Version(), 1.0001);
    EXPECT_EQ(client.ComputerName(), "CONTROL1");
}

// A refused value leaves the property as it was, and the host is told of changes only.
TEST_F(PipeRpcProperties, SettersAcceptTheirBoundsAndRefuseBeyondThem) {
    std::vector<std::string> changed;
    client.PropertyChanged = [&](const std::string& property) { changed.push_back(property); };
    client.SetMaxClients(1);
    client.SetMaxClients(255);
    client.SetMaxRequest(65536);
    client.SetMaxResponse(65536);
    client.SetPipeName("good");
    std::pair<std::function<void()>, std::string> refused[] = {
        {[&] { client.SetMaxClients(0); }, "MaxClients must be from 1 to 255 (unlimited)"},
        {[&] { client.SetMaxClients(256); }, "MaxClients must be from 1 to 255 (unlimited)"},
        {[&] { client.SetMaxRequest(0); }, "MaxRequest must be from 1 to 65536"},
        {[&] { client.SetMaxRequest(65537); }, "MaxRequest must be from 1 to 65536"},
        {[&] { client.SetMaxResponse(0); }, "MaxResponse must be from 1 to 65536"},
        {[&] { client.SetMaxResponse(65537); }, "MaxResponse must be from 1 to 65536"},
        {[&] { client.SetPipeName("a\\b"); }, "Cannot contain \"\\\" or NUL characters"},
        {[&] {
             client.SetPipeName({"a\0b", 3});
         },
         "Cannot contain \"\\\" or NUL characters"}};
    for (auto& [set, message] : refused) {
        auto error = raised_by(set);
        EXPECT_EQ(error.number(), 5);
        EXPECT_EQ(error.description(), message);
        EXPECT_EQ(error.source(), "PipeRPC");
    }
    EXPECT_EQ(client.MaxClients(), 255);
    EXPECT_EQ(client.MaxRequest(), 65536);
    EXPECT_EQ(client.MaxResponse(), 65536);
    EXPECT_EQ(client.PipeName(), "good");
    EXPECT_EQ(changed, (std::vector<std::string>{"MaxClients", "MaxClients", "MaxRequest",
                                                 "MaxResponse", "PipeName"}));
}

// Out-of-range values are kept; values that do not fit their type fall back to the default.
TEST_F(PipeRpcProperties, StoredValuesAreReadWithoutRangeChecks) {
    MemoryPropertyBag bag;
    bag.values = {{"MaxClients", "0"},    {"MaxRequest", "70000"}, {"MultiPoll", "-1"},
                  {"PipeName", "Zelkon"}, {"Timeout", "-1"},       {"MaxResponse", "ten"}};
    client.ReadProperties(bag);
    EXPECT_EQ(client.MaxClients(), 0);
    EXPECT_EQ(client.MaxRequest(), 70000);
    EXPECT_EQ(client.MaxResponse(), 1024);
    EXPECT_TRUE(client.MultiPoll());
    EXPECT_EQ(client.PipeName(), "Zelkon");
    EXPECT_EQ(client.Server(), ".");
    EXPECT_EQ(client.Timeout(), -1);
    bag.values = {{"MaxClients", "70000"}, {"MultiPoll", "maybe"}};
    client.ReadProperties(bag);
    EXPECT_EQ(client.MaxClients(), 1);
    EXPECT_FALSE(client.MultiPoll());
}

TEST_F(PipeRpcProperties, WrittenPropertiesReadBackAndDefaultsAreOmitted) {
    MemoryPropertyBag bag;
    client.WriteProperties(bag);
    EXPECT_TRUE(bag.values.empty());
    client.SetMaxClients(12);
    client.SetMultiPoll(true);
    client.SetServer("nodeB");
    client.SetPipeName("Q");
    client.WriteProperties(bag);
    EXPECT_EQ(bag.values.size(), 4u);
    PipeRPC copy(transport, clock, name);
    copy.ReadProperties(bag);
    EXPECT_EQ(copy.MaxClients(), 12);
    EXPECT_TRUE(copy.MultiPoll());
    EXPECT_EQ(copy.Server(), "nodeB");
    EXPECT_EQ(copy.PipeName(), "Q");
}

TEST_F(PipeRpcProperties, WhileListeningOrOpenNothingChangesAndStateErrorsAreRaised) {
    listen();
    address_client();
    ASSERT_EQ(client.OpenPipe(), 0);
    for (PipeRPC* pipe : {&listener, &client}) {
        std::vector<std::function<void()>> setters = {
            [&] { pipe->SetServer("x"); },      [&] { pipe->SetTimeout(5); },
            [&] { pipe->SetMaxClients(0); },    [&] { pipe->SetMultiPoll(true); },
            [&] { pipe->SetPipeName("a\\b"); }, [&] { pipe->SetMaxRequest(10); },
            [&] { pipe->SetMaxResponse(10); }};
        for (auto& set : setters) {
            auto error = raised_by(set);
            EXPECT_EQ(error.number(), 5);
            EXPECT_EQ(error.description(), "Can only be changed while State = pstFree");
        }
        auto again = raised_by([&] { pipe->Listen(); });
        EXPECT_EQ(again.number(), -2147186172);
        EXPECT_EQ(again.description(), "Invalid call while connected");
        EXPECT_EQ(raised_by([&] { pipe->OpenPipe(); }).description(),
                  "Pipe can only be opened while State = pstFree");
    }
    EXPECT_EQ(client.Server(), ".");
    ByteArray request, response;
    EXPECT_EQ(raised_by([&] { listener.PipeCall(request, response); }).description(),
              "Cannot make calls while listening");
}

}  // namespace
}  // namespace zelkon
