#include "platform/suite_bus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvi::platform {
namespace {

TEST(SuiteBus, LinkFailsUntilTheSourceExistsAndEndsWithIt) {
    SuiteBus& bus = suiteBus();
    EXPECT_EQ(bus.Link("QUVLAYED", [](const std::string&) {}), 0);
    ASSERT_TRUE(bus.RegisterSource("QUVLAYED"));
    EXPECT_FALSE(bus.RegisterSource("QUVLAYED"));
    EXPECT_FALSE(bus.RegisterSource(""));
    std::vector<std::string> got;
    const int link = bus.Link("QUVLAYED", [&](const std::string& t) { got.push_back(t); });
    ASSERT_NE(link, 0);
    bus.Publish("QUVLAYED", "All,UP");
    bus.UnregisterSource("QUVLAYED");
    EXPECT_FALSE(bus.Linked(link));
    bus.DeliverPending();
    EXPECT_TRUE(got.empty()) << "a delivery for a link that has ended is dropped";
    EXPECT_EQ(bus.LinkAttempts(), 2);
}

TEST(SuiteBus, EveryPublicationIsDeliveredLaterWithItsOwnText) {
    SuiteBus& bus = suiteBus();
    bus.RegisterSource("TOLVI32");
    std::vector<std::string> got;
    bus.Link("TOLVI32", [&](const std::string& t) { got.push_back(t); });
    bus.Publish("TOLVI32", "All,UP");
    bus.Publish("TOLVI32", "All,UP");
    bus.Publish("TOLVI32", "QUVSCHED,EX");
    EXPECT_TRUE(got.empty()) << "nothing is delivered inside the publisher's call";
    EXPECT_EQ(bus.SourceText("TOLVI32"), "QUVSCHED,EX");
    EXPECT_TRUE(bus.DeliverPending());
    EXPECT_EQ(got, (std::vector<std::string>{"All,UP", "All,UP", "QUVSCHED,EX"}));
}

TEST(SuiteBus, ADeliveryThatPublishesIsNotReentered) {
    SuiteBus& bus = suiteBus();
    bus.RegisterSource("A");
    bus.RegisterSource("B");
    std::vector<std::string> order;
    bus.Link("A", [&](const std::string& t) {
        order.push_back("A:" + t + " begin");
        bus.Publish("B", "from A");
        bus.DeliverPending();  // a nested drain must not run B's delivery inside this one
        order.push_back("A:" + t + " end");
    });
    bus.Link("B", [&](const std::string& t) { order.push_back("B:" + t); });
    bus.Publish("A", "x");
    bus.DeliverPending();
    EXPECT_EQ(order, (std::vector<std::string>{"A:x begin", "A:x end", "B:from A"}));
    EXPECT_EQ(bus.Pending(), 0u);
}

TEST(SuiteBus, HeldQueueWaitsAndKeepsOrder) {
    SuiteBus& bus = suiteBus();
    bool modal = true;
    int scheduled = 0;
    bus.SetHold([&] { return modal; });
    bus.SetScheduler([&] { ++scheduled; });
    bus.RegisterSource("A");
    std::vector<std::string> got;
    bus.Link("A", [&](const std::string& t) { got.push_back(t); });
    bus.Publish("A", "1");
    bus.Post([&] { got.push_back("typed"); });
    bus.Publish("A", "2");
    EXPECT_EQ(scheduled, 1) << "one drain is arranged per batch";
    EXPECT_FALSE(bus.DeliverPending());
    EXPECT_TRUE(got.empty());
    modal = false;
    EXPECT_TRUE(bus.DeliverPending());
    EXPECT_EQ(got, (std::vector<std::string>{"1", "typed", "2"}));
}

TEST(SuiteBus, RegisteredMessageIsStableAndSynchronous) {
    SuiteBus& bus = suiteBus();
    const uint32_t id = bus.RegisterMessage("TOLVI32");
    EXPECT_EQ(bus.RegisterMessage("TOLVI32"), id);
    EXPECT_NE(bus.RegisterMessage("OTHER"), id);
    EXPECT_EQ(bus.MessageName(id), "TOLVI32");
    std::vector<int32_t> seen;
    int second = 0;
    second = bus.ListenRegistered([&](uint32_t, int32_t w) { seen.push_back(w * 10); });
    bus.ListenRegistered([&](uint32_t m, int32_t w) {
        EXPECT_EQ(m, id);
        seen.push_back(w);
        bus.StopListening(second);  // a listener may leave while the message is being handled
    });
    bus.Broadcast(id, 3);
    EXPECT_EQ(seen, (std::vector<int32_t>{30, 3}));
    bus.Broadcast(id, 3);
    EXPECT_EQ(seen.size(), 3u);
}

TEST(SuiteBus, ActivationReachesOnlyASourceThatOffersIt) {
    SuiteBus& bus = suiteBus();
    bus.RegisterSource("PLAIN");
    std::vector<bool> asked;
    SuiteBus::SourceHooks hooks;
    hooks.activate = [&](bool restore) {
        asked.push_back(restore);
        return true;
    };
    bus.RegisterSource("QUVCONVT", hooks);
    EXPECT_FALSE(bus.Activate("NONE", false));
    EXPECT_FALSE(bus.Activate("PLAIN", false));
    EXPECT_TRUE(bus.Activate("QUVCONVT", true));
    EXPECT_EQ(asked, std::vector<bool>{true});
}

TEST(KeyCapture, Table) {
    struct Case {
        std::string keys;
        std::vector<std::string> lines;
        bool openAfter;
    };
    const Case cases[] = {
        {"@TOLVI32,UP$", {"TOLVI32,UP"}, false},
        {"TOLVI32,UP$", {}, false},
        {"@A@B$", {"B"}, false},
        {"@$", {""}, false},
        {"@abc", {}, true},
        {"@a$$@b$", {"a", "b"}, false},
    };
    for (const Case& c : cases) {
        KeyCapture capture;
        std::vector<std::string> lines;
        for (char k : c.keys)
            if (auto line = capture.Feed(k)) lines.push_back(*line);
        EXPECT_EQ(lines, c.lines) << c.keys;
        EXPECT_EQ(capture.Capturing(), c.openAfter) << c.keys;
    }
}

}  // namespace
}  // namespace tolvi::platform
