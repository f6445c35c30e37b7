#include "session/CameraState.h"

#include <gtest/gtest.h>

// The banner looks its text up by these keys; a wrong one shows the raw key to the user.
TEST(CameraState, hint_keys_and_the_main_buttons_path)
{
    using S = CameraState;
    EXPECT_EQ(S().hint(), "Main_hintTakePicture");
    EXPECT_EQ(S::confirmCardSelection(false).hint(), "Main_hintConfirmCardSelectionCard");
    EXPECT_EQ(S::confirmCardSelection(true).hint(), "Main_hintConfirmCardSelectionCard");
    EXPECT_EQ(S::addTarget(false).hint(), "Main_hintAddTarget");
    EXPECT_EQ(S::addTarget(true).hint(), "Main_hintAddTargetSelected");
    EXPECT_EQ(S::exportPicture().hint(), "Main_hintExport");

    // The main button: live -> confirm (never recorded as found) -> add -> toggle; export
    // stays.
    EXPECT_EQ(S::takePicture().successor(), S::confirmCardSelection(false));
    EXPECT_EQ(S::confirmCardSelection(true).successor(), S::addTarget(false));
    EXPECT_EQ(S::addTarget(false).successor(), S::addTarget(true));
    EXPECT_EQ(S::addTarget(true).successor(), S::addTarget(false));
    EXPECT_EQ(S::exportPicture().successor(), S::exportPicture());

    // Equal only with equal flags; a flag belongs to its own case only.
    EXPECT_NE(S::addTarget(true), S::addTarget(false));
    EXPECT_NE(S::confirmCardSelection(true), S::confirmCardSelection(false));
    EXPECT_FALSE(S::confirmCardSelection(true).selected());
    EXPECT_FALSE(S::addTarget(true).foundAutomatically());
    EXPECT_EQ(S::exportPicture().name(), "export");
}
