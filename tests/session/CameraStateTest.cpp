#include "session/CameraState.h"

#include <gtest/gtest.h>

// Guards the main button's path; the flag of a state is part of its identity.
TEST(CameraState, the_main_buttons_path)
{
    using S = CameraState;
    const struct
    {
        S state;
        S successor;
    } cases[] = {
        {S::takePicture(), S::confirmCardSelection(false)},
        {S::confirmCardSelection(true), S::addTarget(false)},
        {S::addTarget(false), S::addTarget(true)},
        {S::addTarget(true), S::addTarget(false)},
        {S::exportPicture(), S::exportPicture()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.state.successor(), c.successor) << c.state.hint().toStdString();
    EXPECT_NE(S::addTarget(true), S::addTarget(false));
    EXPECT_NE(S::confirmCardSelection(true), S::confirmCardSelection(false));
}
