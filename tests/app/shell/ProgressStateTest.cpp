// The progress window's auto-close choice and its Finish/Cancel flags.
#include "shell/ProgressState.h"

#include "settings/MemorySettingsStore.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressState, AutoCloseComesFromTheSettingsAutoInAnyCase)
{
    MemorySettingsStore store;
    EXPECT_TRUE(CProgressState(store).AutoClose());
    store.WriteString("Settings", "ProgressBox", "aUTo");
    EXPECT_TRUE(CProgressState(store).AutoClose());
    store.WriteString("Settings", "ProgressBox", "User");
    EXPECT_FALSE(CProgressState(store).AutoClose());
    store.WriteString("Settings", "ProgressBox", "Auto ");
    EXPECT_FALSE(CProgressState(store).AutoClose());
}

TEST(ProgressState, TogglingTheBoxWritesAutoOrUser)
{
    MemorySettingsStore store;
    CProgressState s(store);
    EXPECT_TRUE(s.SetAutoClose(false));
    EXPECT_EQ(store.ReadString("Settings", "ProgressBox", ""), "User");
    EXPECT_TRUE(s.SetAutoClose(true));
    EXPECT_EQ(store.ReadString("Settings", "ProgressBox", ""), "Auto");
}

TEST(ProgressState, SuccessWithAutoCloseFinishesAtOnceAnErrorWaitsForTheUser)
{
    MemorySettingsStore store;
    CProgressState ok(store);
    EXPECT_FALSE(ok.CanFinish());
    ok.Finish(true);
    EXPECT_TRUE(ok.CanFinish());
    EXPECT_TRUE(ok.TakeFinished());
    EXPECT_FALSE(ok.TakeFinished());

    CProgressState failed(store);
    failed.Finish(false);
    EXPECT_FALSE(failed.TakeFinished());
    EXPECT_FALSE(failed.TakeCancelled());
    failed.PressFinish();
    EXPECT_TRUE(failed.TakeFinished());
    EXPECT_TRUE(failed.TakeCancelled());

    store.WriteString("Settings", "ProgressBox", "User");
    CProgressState user(store);
    user.Finish(true);
    EXPECT_FALSE(user.TakeFinished());
    user.PressCancel();
    EXPECT_TRUE(user.TakeCancelled());
    EXPECT_FALSE(user.TakeCancelled());
    EXPECT_FALSE(user.TakeFinished());
}

} // namespace
