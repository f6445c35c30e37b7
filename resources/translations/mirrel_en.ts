<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Mirrel</name>
    <message id="Main_hintTakePicture">
        <source>Main_hintTakePicture</source>
        <translation>Photograph the object next to a card</translation>
    </message>
    <message id="Main_hintConfirmCardSelectionCard">
        <source>Main_hintConfirmCardSelectionCard</source>
        <translation>Drag the corners onto the card, then confirm</translation>
    </message>
    <message id="Main_hintAddTarget">
        <source>Main_hintAddTarget</source>
        <translation>Tap + to add a line or a rectangle</translation>
    </message>
    <message id="Main_hintAddTargetSelected">
        <source>Main_hintAddTargetSelected</source>
        <translation>Add a line or a rectangle</translation>
    </message>
    <message id="Main_hintExport">
        <source>Main_hintExport</source>
        <translation>Share your measurement or start again</translation>
    </message>
    <message id="Main_Error_CameraPermission">
        <source>Main_Error_CameraPermission</source>
        <translation>Mirrel needs the camera to measure. Please allow camera access.</translation>
    </message>
    <message id="Main_Error_UknownError">
        <source>Main_Error_UknownError</source>
        <translation>The camera could not be started. Check that it is connected and not in use by another app.</translation>
    </message>
    <message id="Main_Error_UnreadablePhoto">
        <source>Main_Error_UnreadablePhoto</source>
        <translation>This photo can't be opened. Choose another picture.</translation>
    </message>
    <message id="Main_Error_UnreadablePhotoReason">
        <source>Main_Error_UnreadablePhotoReason</source>
        <translation>This photo can't be opened: %1 Choose another picture.</translation>
    </message>
    <message id="Main_Error_GoToSettings">
        <source>Main_Error_GoToSettings</source>
        <translation>How to allow the camera</translation>
    </message>
    <message id="Content from camera">
        <source>Content from camera</source>
        <translation>Photo from the camera</translation>
    </message>
    <message id="Common_Skip">
        <source>Common_Skip</source>
        <translation>Skip</translation>
    </message>
    <message id="Common_Title">
        <source>Common_Title</source>
        <translation>Mirrel</translation>
    </message>
    <message id="Common_Close">
        <source>Common_Close</source>
        <translation>Close</translation>
    </message>
    <message id="Settings_App_Unit">
        <source>Settings_App_Unit</source>
        <translation>Units</translation>
    </message>
    <message id="Settings_App_Unit_Metric">
        <source>Settings_App_Unit_Metric</source>
        <translation>Metric (mm)</translation>
    </message>
    <message id="Settings_App_Unit_Imperial">
        <source>Settings_App_Unit_Imperial</source>
        <translation>Imperial (in)</translation>
    </message>
    <message id="Settings_Help">
        <source>Settings_Help</source>
        <translation>Help</translation>
    </message>
    <message id="Settings_HowToUse">
        <source>Settings_HowToUse</source>
        <translation>How to use Mirrel</translation>
    </message>
    <message id="Settings_The_App">
        <source>Settings_The_App</source>
        <translation>The app</translation>
    </message>
    <message id="Settings_About_Us">
        <source>Settings_About_Us</source>
        <translation>About us</translation>
    </message>
    <message id="Settings_Contact_Us">
        <source>Settings_Contact_Us</source>
        <translation>Contact us</translation>
    </message>
    <message id="Settings_Rate_the_App">
        <source>Settings_Rate_the_App</source>
        <translation>Rate the app</translation>
    </message>
    <message id="Settings_Contact_Default_Subject">
        <source>Settings_Contact_Default_Subject</source>
        <translation>Feedback on Mirrel</translation>
    </message>
    <message id="Tutorial_0_Title">
        <source>Tutorial_0_Title</source>
        <translation>Measure with a card</translation>
    </message>
    <message id="Tutorial_0_Summary">
        <source>Tutorial_0_Summary</source>
        <translation>Lay any bank-card-sized card flat next to the object you want to measure. The card is your ruler.</translation>
    </message>
    <message id="Tutorial_0_NextButtonTitle">
        <source>Tutorial_0_NextButtonTitle</source>
        <translation>Let's start</translation>
    </message>
    <message id="Tutorial_1_Title">
        <source>Tutorial_1_Title</source>
        <translation>Photograph from above</translation>
    </message>
    <message id="Tutorial_1_Summary">
        <source>Tutorial_1_Summary</source>
        <translation>Hold the camera straight above the card and the object so both are in the picture, then take the photo.</translation>
    </message>
    <message id="Tutorial_1_NextButtonTitle">
        <source>Tutorial_1_NextButtonTitle</source>
        <translation>Allow the camera</translation>
    </message>
    <message id="Tutorial_2_Title">
        <source>Tutorial_2_Title</source>
        <translation>Check the card</translation>
    </message>
    <message id="Tutorial_2_Summary">
        <source>Tutorial_2_Summary</source>
        <translation>Drag the four corners exactly onto the card's corners, then tap the check mark to confirm.</translation>
    </message>
    <message id="Tutorial_2_NextButtonTitle">
        <source>Tutorial_2_NextButtonTitle</source>
        <translation>Next</translation>
    </message>
    <message id="Tutorial_3_Title">
        <source>Tutorial_3_Title</source>
        <translation>Measure</translation>
    </message>
    <message id="Tutorial_3_Summary">
        <source>Tutorial_3_Summary</source>
        <translation>Add lines and rectangles and drag their ends onto the object. Every edge shows its length.</translation>
    </message>
    <message id="Tutorial_3_NextButtonTitle">
        <source>Tutorial_3_NextButtonTitle</source>
        <translation>Next</translation>
    </message>
    <message id="Tutorial_4_Title">
        <source>Tutorial_4_Title</source>
        <translation>Share</translation>
    </message>
    <message id="Tutorial_4_Summary">
        <source>Tutorial_4_Summary</source>
        <translation>Save or send the picture with every length on it.</translation>
    </message>
    <message id="Tutorial_4_NextButtonTitle">
        <source>Tutorial_4_NextButtonTitle</source>
        <translation>Start measuring</translation>
    </message>
    <message id="OpenPhoto_Error_NotLocal">
        <source>OpenPhoto_Error_NotLocal</source>
        <translation>Only photos stored on this computer can be opened.</translation>
    </message>
    <message id="OpenPhoto_Error_NoFile">
        <source>OpenPhoto_Error_NoFile</source>
        <translation>No photo was chosen.</translation>
    </message>
    <message id="OpenPhoto_Error_NoSession">
        <source>OpenPhoto_Error_NoSession</source>
        <translation>The photo can't be measured right now. Please try again in a moment.</translation>
    </message>
    <message id="Share_Title">
        <source>Share_Title</source>
        <translation>Your measurement</translation>
    </message>
    <message id="Share_SaveAsPng">
        <source>Share_SaveAsPng</source>
        <translation>Save as PNG…</translation>
    </message>
    <message id="Share_CopyImage">
        <source>Share_CopyImage</source>
        <translation>Copy image</translation>
    </message>
    <message id="Share_OpenFolder">
        <source>Share_OpenFolder</source>
        <translation>Show in folder</translation>
    </message>
    <message id="Share_Done">
        <source>Share_Done</source>
        <translation>Done</translation>
    </message>
    <message id="Share_SaveDialogTitle">
        <source>Share_SaveDialogTitle</source>
        <translation>Save the measurement</translation>
    </message>
    <message id="Share_SaveDialogAccept">
        <source>Share_SaveDialogAccept</source>
        <translation>Save</translation>
    </message>
    <message id="Share_PngFilter">
        <source>Share_PngFilter</source>
        <translation>PNG images (*.png)</translation>
    </message>
    <message id="Share_DefaultFileName">
        <source>Share_DefaultFileName</source>
        <translation>Measurement</translation>
    </message>
    <message id="Share_Saved">
        <source>Share_Saved</source>
        <translation>Saved as %1</translation>
    </message>
    <message id="Share_Copied">
        <source>Share_Copied</source>
        <translation>The picture is on the clipboard</translation>
    </message>
    <message id="Share_ReplaceQuestion">
        <source>Share_ReplaceQuestion</source>
        <translation>“%1” already exists. Replace it?</translation>
    </message>
    <message id="Share_Replace">
        <source>Share_Replace</source>
        <translation>Replace</translation>
    </message>
    <message id="Share_Cancel">
        <source>Share_Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="Share_Error_SaveFailed">
        <source>Share_Error_SaveFailed</source>
        <translation>The picture could not be saved in “%1” (%2). Nothing was changed there; choose another folder.</translation>
    </message>
    <message id="Share_Error_OpenFolder">
        <source>Share_Error_OpenFolder</source>
        <translation>The folder could not be opened.</translation>
    </message>
    <message id="OpenPhoto_DialogTitle">
        <source>OpenPhoto_DialogTitle</source>
        <translation>Open a photo</translation>
    </message>
    <message id="OpenPhoto_Opening">
        <source>OpenPhoto_Opening</source>
        <translation>Opening the photo…</translation>
    </message>
    <message id="OpenPhoto_Failed">
        <source>OpenPhoto_Failed</source>
        <translation>This photo cannot be measured: %1</translation>
    </message>
    <message id="OpenPhoto_Reason_NotFound">
        <source>OpenPhoto_Reason_NotFound</source>
        <translation>“%1” was not found.</translation>
    </message>
    <message id="OpenPhoto_Reason_Folder">
        <source>OpenPhoto_Reason_Folder</source>
        <translation>“%1” is a folder, not a photo.</translation>
    </message>
    <message id="OpenPhoto_Reason_NotAFile">
        <source>OpenPhoto_Reason_NotAFile</source>
        <translation>“%1” is not an ordinary file, so it can't be read as a photo.</translation>
    </message>
    <message id="OpenPhoto_Reason_CannotRead">
        <source>OpenPhoto_Reason_CannotRead</source>
        <translation>“%1” can't be read (%2).</translation>
    </message>
    <message id="OpenPhoto_Reason_FileTooLarge">
        <source>OpenPhoto_Reason_FileTooLarge</source>
        <translation>“%1” is too large for a photo (%2 MB).</translation>
    </message>
    <message id="OpenPhoto_Reason_Empty">
        <source>OpenPhoto_Reason_Empty</source>
        <translation>“%1” is empty.</translation>
    </message>
    <message id="OpenPhoto_Reason_NotAnImage">
        <source>OpenPhoto_Reason_NotAnImage</source>
        <translation>“%1” is not a picture Mirrel can read.</translation>
    </message>
    <message id="OpenPhoto_Reason_Truncated">
        <source>OpenPhoto_Reason_Truncated</source>
        <translation>“%1” is incomplete (the %2 data ends too early).</translation>
    </message>
    <message id="OpenPhoto_Reason_Damaged">
        <source>OpenPhoto_Reason_Damaged</source>
        <translation>“%1” is damaged (its %2 structure is broken).</translation>
    </message>
    <message id="OpenPhoto_Reason_NoPixels">
        <source>OpenPhoto_Reason_NoPixels</source>
        <translation>“%1” has no pixels (%2 × %3).</translation>
    </message>
    <message id="OpenPhoto_Reason_TooManyPixels">
        <source>OpenPhoto_Reason_TooManyPixels</source>
        <translation>“%1” is too large: %2 × %3 pixels (at most %4 megapixels).</translation>
    </message>
    <message id="OpenPhoto_Reason_Undecodable">
        <source>OpenPhoto_Reason_Undecodable</source>
        <translation>“%1” can't be read as a picture; its data is damaged or in a form Mirrel doesn't support.</translation>
    </message>
    <message id="Accessibility_TakePicture">
        <source>Accessibility_TakePicture</source>
        <translation>Take a photo</translation>
    </message>
    <message id="Accessibility_ConfirmCard">
        <source>Accessibility_ConfirmCard</source>
        <translation>Confirm the card</translation>
    </message>
    <message id="Accessibility_Add">
        <source>Accessibility_Add</source>
        <translation>Add a line or rectangle</translation>
    </message>
    <message id="Accessibility_CloseAdd">
        <source>Accessibility_CloseAdd</source>
        <translation>Cancel adding</translation>
    </message>
    <message id="Accessibility_AddLine">
        <source>Accessibility_AddLine</source>
        <translation>Add a line</translation>
    </message>
    <message id="Accessibility_AddRectangle">
        <source>Accessibility_AddRectangle</source>
        <translation>Add a rectangle</translation>
    </message>
    <message id="Accessibility_Share">
        <source>Accessibility_Share</source>
        <translation>Share</translation>
    </message>
    <message id="Accessibility_Finish">
        <source>Accessibility_Finish</source>
        <translation>Finish measuring</translation>
    </message>
    <message id="Accessibility_BackToCamera">
        <source>Accessibility_BackToCamera</source>
        <translation>Back to the camera</translation>
    </message>
    <message id="Accessibility_Settings">
        <source>Accessibility_Settings</source>
        <translation>Settings</translation>
    </message>
    <message id="Accessibility_DeleteLine">
        <source>Accessibility_DeleteLine</source>
        <translation>Delete the line</translation>
    </message>
    <message id="Accessibility_DeleteRectangle">
        <source>Accessibility_DeleteRectangle</source>
        <translation>Delete the rectangle</translation>
    </message>
    <message id="Accessibility_Preview">
        <source>Accessibility_Preview</source>
        <translation>Picture with the measurements</translation>
    </message>
</context>
</TS>
