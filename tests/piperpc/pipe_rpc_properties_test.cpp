#include "pipe_fixture.h"
#include "piperpc/property_bag.h"

namespace zelkon {
namespace {

using PipeRpcProperties = PipeFixture;

// Runs the action and returns the raised error; fails the test if none is raised.
template <typename Action>
ZelkonError raised_by(Action action) {
    try {
        action();
    } catch (const ZelkonError& error) {
        return error;
    }
    ADD_FAILURE() << "no error was raised";
    return ZelkonError(0, "");
}

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

TEST_F(PipeRpcProperties, MaxClientsOutsideItsRangeIsRefusedAndKept) {
    client.SetMaxClients(7);
    for (std::int16_t bad : {0, 256, -1}) {
        auto error = raised_by([&] { client.SetMaxClients(bad); });
        EXPECT_EQ(error.number(), 5);
        EXPECT_EQ(error.description(), "MaxClients must be from 1 to 255 (unlimited)");
        EXPECT_EQ(error.source(), "PipeRPC");
        EXPECT_EQ(client.MaxClients(), 7);
    }
    client.SetMaxClients(255);
    EXPECT_EQ(client.MaxClients(), 255);
}

TEST_F(PipeRpcProperties, MessageSizesAcceptTheirBoundsOnly) {
    client.SetMaxRequest(65536);
    client.SetMaxResponse(65536);
    EXPECT_EQ(client.MaxRequest(), 65536);
    EXPECT_EQ(client.MaxResponse(), 65536);
    for (int bad : {0, 65537}) {
        EXPECT_EQ(raised_by([&] { client.SetMaxRequest(bad); }).description(),
                  "MaxRequest must be from 1 to 65536");
        EXPECT_EQ(raised_by([&] { client.SetMaxResponse(bad); }).description(),
                  "MaxResponse must be from 1 to 65536");
    }
    EXPECT_EQ(client.MaxRequest(), 65536);
    EXPECT_EQ(client.MaxResponse(), 65536);
}

TEST_F(PipeRpcProperties, PipeNameRefusesBackslashAndNul) {
    client.SetPipeName("good");
    for (std::string bad : {std::string("a\\b"), std::string("a\0b", 3)}) {
        auto error = raised_by([&] { client.SetPipeName(bad); });
        EXPECT_EQ(error.number(), 5);
        EXPECT_EQ(error.description(), "Cannot contain \"\\\" or NUL characters");
    }
    EXPECT_EQ(client.PipeName(), "good");
    client.SetPipeName("");
    EXPECT_EQ(client.PipeName(), "");
}

TEST_F(PipeRpcProperties, NothingChangesWhileListeningOrOpen) {
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
    }
    EXPECT_EQ(client.Server(), ".");
    EXPECT_EQ(listener.MaxClients(), 1);
}

TEST_F(PipeRpcProperties, SettersTellTheHostWhatChanged) {
    std::vector<std::string> changed;
    client.PropertyChanged = [&](const std::string& property) { changed.push_back(property); };
    client.SetServer("nodeA");
    client.SetTimeout(9);
    EXPECT_THROW(client.SetMaxClients(0), ZelkonError);
    EXPECT_EQ(changed, (std::vector<std::string>{"Server", "Timeout"}));
}

TEST_F(PipeRpcProperties, StoredValuesAreReadWithoutRangeChecks) {
    MemoryPropertyBag bag;
    bag.values = {{"MaxClients", "0"},
                  {"MaxRequest", "70000"},
                  {"MultiPoll", "-1"},
                  {"PipeName", "Zelkon_Server"},
                  {"Timeout", "-1"}};
    client.ReadProperties(bag);
    EXPECT_EQ(client.MaxClients(), 0);
    EXPECT_EQ(client.MaxRequest(), 70000);
    EXPECT_EQ(client.MaxResponse(), 1024);
    EXPECT_TRUE(client.MultiPoll());
    EXPECT_EQ(client.PipeName(), "Zelkon_Server");
    EXPECT_EQ(client.Server(), ".");
    EXPECT_EQ(client.Timeout(), -1);
}

TEST_F(PipeRpcProperties, UnreadableStoredNumbersFallBackToDefaults) {
    MemoryPropertyBag bag;
    bag.values = {{"MaxClients", "70000"}, {"MaxRequest", "ten"}, {"MultiPoll", "maybe"}};
    client.ReadProperties(bag);
    EXPECT_EQ(client.MaxClients(), 1);
    EXPECT_EQ(client.MaxRequest(), 1024);
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

TEST_F(PipeRpcProperties, StateErrorsOfTheMethods) {
    listen();
    auto again = raised_by([&] { listener.Listen(); });
    EXPECT_EQ(again.number(), PipeRPC::kErrConnected);
    EXPECT_EQ(again.number(), -2147186172);
    EXPECT_EQ(again.description(), "Invalid call while connected");
    EXPECT_EQ(raised_by([&] { listener.OpenPipe(); }).description(),
              "Pipe can only be opened while State = pstFree");
    ByteArray request, response;
    EXPECT_EQ(raised_by([&] { listener.PipeCall(request, response); }).description(),
              "Cannot make calls while listening");

    address_client();
    ASSERT_EQ(client.OpenPipe(), 0);
    EXPECT_EQ(raised_by([&] { client.OpenPipe(); }).number(), 5);
    EXPECT_EQ(raised_by([&] { client.Listen(); }).number(), PipeRPC::kErrConnected);
}

}  // namespace
}  // namespace zelkon
