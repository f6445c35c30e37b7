#include "session/CameraState.h"

#include <gtest/gtest.h>

// Guards the hint keys (a wrong one shows the raw key) and the main button's path.
TEST(CameraState, hint_keys_and_the_main_buttons_path)
{
    using S = CameraState;
    const struct
    {
        S state;
        const char *hint;
        S successor;
    } cases[] = {
        {S::takePicture(), "Main_hintTakePicture", S::confirmCardSelection(false)},
        {S::confirmCardSelection(true), "Main_hintConfirmCardSelectionCard", S::addTarget(false)},
        {S::addTarget(false), "Main_hintAddTarget", S::addTarget(true)},
        {S::addTarget(true), "Main_hintAddTargetSelected", S::addTarget(false)},
        {S::exportPicture(), "Main_hintExport", S::exportPicture()},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.state.hint(), c.hint);
        EXPECT_EQ(c.state.successor(), c.successor) << c.hint;
    }
    EXPECT_NE(S::addTarget(true), S::addTarget(false));
    EXPECT_NE(S::confirmCardSelection(true), S::confirmCardSelection(false));
}
