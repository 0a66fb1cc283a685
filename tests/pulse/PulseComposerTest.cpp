#include "pulse/PulseComposer.h"

#include "app/LaunchState.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

// The pulse composer has no document: it keeps its own channel, the one the host left in the
// exchange file when it starts and again at the host's re-read event.
TEST(PulseComposer, ComposesTheTrainOfTheHostsActiveChannel) {
    test::Sandbox box(kPulseComposer);
    box.set(box.exchange(), "Settings", "ActiveCh", "1");
    PulseComposer composer{box.session(), box.prompts};
    EXPECT_EQ(composer.activeChannel(), 1);
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch2", "qPls"), "1") << "a fresh train";
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "qPls"), "<absent>");
    EXPECT_EQ(composer.windowTitle(""), "Trainsmith -> Untitled-Ch2");

    box.set(box.exchange(), "PulseRoot-ch1", "PulseOrg", "/t/first.pls");
    box.set(box.exchange(), "Settings", "ActiveCh", "0");
    composer.RereadChannel();
    EXPECT_EQ(composer.activeChannel(), 0);
    EXPECT_EQ(composer.windowTitle(""), "Trainsmith -> /t/first.pls");

    box.set(box.exchange(), "Settings", "ActiveCh", "2"); // the instrument has two channels
    composer.RereadChannel();
    EXPECT_EQ(composer.activeChannel(), 0);
    EXPECT_TRUE(box.prompts.sawText("Key=ActiveCh\nValue 2 is out of range 0..1; 0 is used."));
}

} // namespace
} // namespace tw
