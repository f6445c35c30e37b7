<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Mirrel</name>
    <message id="Main_hintTakePicture">
        <source>Main_hintTakePicture</source>
        <translation>Fotografiere das Objekt neben einer Karte</translation>
    </message>
    <message id="Main_hintConfirmCardSelectionCard">
        <source>Main_hintConfirmCardSelectionCard</source>
        <translation>Zieh die Ecken auf die Karte, dann bestätige</translation>
    </message>
    <message id="Main_hintAddTarget">
        <source>Main_hintAddTarget</source>
        <translation>Tippe auf + für eine Linie oder ein Rechteck</translation>
    </message>
    <message id="Main_hintAddTargetSelected">
        <source>Main_hintAddTargetSelected</source>
        <translation>Füge eine Linie oder ein Rechteck hinzu</translation>
    </message>
    <message id="Main_hintExport">
        <source>Main_hintExport</source>
        <translation>Teile deine Messung oder fang neu an</translation>
    </message>
    <message id="Main_Error_CameraPermission">
        <source>Main_Error_CameraPermission</source>
        <translation>Mirrel braucht die Kamera zum Messen. Bitte erlaube den Zugriff auf die Kamera.</translation>
    </message>
    <message id="Main_Error_UknownError">
        <source>Main_Error_UknownError</source>
        <translation>Die Kamera ließ sich nicht starten. Prüfe, ob sie angeschlossen ist und keine andere App sie benutzt.</translation>
    </message>
    <message id="Main_Error_UnreadablePhoto">
        <source>Main_Error_UnreadablePhoto</source>
        <translation>Dieses Foto lässt sich nicht öffnen. Wähle ein anderes Bild.</translation>
    </message>
    <message id="Main_Error_UnreadablePhotoReason">
        <source>Main_Error_UnreadablePhotoReason</source>
        <translation>Dieses Foto lässt sich nicht öffnen: %1 Wähle ein anderes Bild.</translation>
    </message>
    <message id="Main_Error_GoToSettings">
        <source>Main_Error_GoToSettings</source>
        <translation>So erlaubst du die Kamera</translation>
    </message>
    <message id="Content from camera">
        <source>Content from camera</source>
        <translation>Foto von der Kamera</translation>
    </message>
    <message id="Common_Skip">
        <source>Common_Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message id="Common_Title">
        <source>Common_Title</source>
        <translation>Mirrel</translation>
    </message>
    <message id="Common_Close">
        <source>Common_Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="Settings_App_Unit">
        <source>Settings_App_Unit</source>
        <translation>Einheiten</translation>
    </message>
    <message id="Settings_App_Unit_Metric">
        <source>Settings_App_Unit_Metric</source>
        <translation>Metrisch (mm)</translation>
    </message>
    <message id="Settings_App_Unit_Imperial">
        <source>Settings_App_Unit_Imperial</source>
        <translation>Imperial (Zoll)</translation>
    </message>
    <message id="Settings_Help">
        <source>Settings_Help</source>
        <translation>Hilfe</translation>
    </message>
    <message id="Settings_HowToUse">
        <source>Settings_HowToUse</source>
        <translation>So benutzt du Mirrel</translation>
    </message>
    <message id="Settings_The_App">
        <source>Settings_The_App</source>
        <translation>Die App</translation>
    </message>
    <message id="Settings_About_Us">
        <source>Settings_About_Us</source>
        <translation>Über uns</translation>
    </message>
    <message id="Settings_Contact_Us">
        <source>Settings_Contact_Us</source>
        <translation>Schreib uns</translation>
    </message>
    <message id="Settings_Rate_the_App">
        <source>Settings_Rate_the_App</source>
        <translation>App bewerten</translation>
    </message>
    <message id="Settings_Contact_Default_Subject">
        <source>Settings_Contact_Default_Subject</source>
        <translation>Rückmeldung zu Mirrel</translation>
    </message>
    <message id="Tutorial_0_Title">
        <source>Tutorial_0_Title</source>
        <translation>Messen mit einer Karte</translation>
    </message>
    <message id="Tutorial_0_Summary">
        <source>Tutorial_0_Summary</source>
        <translation>Leg eine Karte im Bankkartenformat flach neben das Objekt, das du messen willst. Die Karte ist dein Lineal.</translation>
    </message>
    <message id="Tutorial_0_NextButtonTitle">
        <source>Tutorial_0_NextButtonTitle</source>
        <translation>Los geht's</translation>
    </message>
    <message id="Tutorial_1_Title">
        <source>Tutorial_1_Title</source>
        <translation>Von oben fotografieren</translation>
    </message>
    <message id="Tutorial_1_Summary">
        <source>Tutorial_1_Summary</source>
        <translation>Halte die Kamera gerade über Karte und Objekt, sodass beide im Bild sind, und mach das Foto.</translation>
    </message>
    <message id="Tutorial_1_NextButtonTitle">
        <source>Tutorial_1_NextButtonTitle</source>
        <translation>Kamera erlauben</translation>
    </message>
    <message id="Tutorial_2_Title">
        <source>Tutorial_2_Title</source>
        <translation>Karte prüfen</translation>
    </message>
    <message id="Tutorial_2_Summary">
        <source>Tutorial_2_Summary</source>
        <translation>Zieh die vier Ecken genau auf die Ecken der Karte und tippe dann zum Bestätigen auf das Häkchen.</translation>
    </message>
    <message id="Tutorial_2_NextButtonTitle">
        <source>Tutorial_2_NextButtonTitle</source>
        <translation>Weiter</translation>
    </message>
    <message id="Tutorial_3_Title">
        <source>Tutorial_3_Title</source>
        <translation>Messen</translation>
    </message>
    <message id="Tutorial_3_Summary">
        <source>Tutorial_3_Summary</source>
        <translation>Füge Linien und Rechtecke hinzu und zieh ihre Enden auf das Objekt. Jede Kante zeigt ihre Länge.</translation>
    </message>
    <message id="Tutorial_3_NextButtonTitle">
        <source>Tutorial_3_NextButtonTitle</source>
        <translation>Weiter</translation>
    </message>
    <message id="Tutorial_4_Title">
        <source>Tutorial_4_Title</source>
        <translation>Teilen</translation>
    </message>
    <message id="Tutorial_4_Summary">
        <source>Tutorial_4_Summary</source>
        <translation>Speichere oder verschicke das Bild mit allen Längen darauf.</translation>
    </message>
    <message id="Tutorial_4_NextButtonTitle">
        <source>Tutorial_4_NextButtonTitle</source>
        <translation>Jetzt messen</translation>
    </message>
    <message id="OpenPhoto_Error_NotLocal">
        <source>OpenPhoto_Error_NotLocal</source>
        <translation>Nur Fotos, die auf diesem Computer liegen, lassen sich öffnen.</translation>
    </message>
    <message id="OpenPhoto_Error_NoFile">
        <source>OpenPhoto_Error_NoFile</source>
        <translation>Es wurde kein Foto gewählt.</translation>
    </message>
    <message id="OpenPhoto_Error_NoSession">
        <source>OpenPhoto_Error_NoSession</source>
        <translation>Das Foto lässt sich gerade nicht messen. Bitte versuch es gleich noch einmal.</translation>
    </message>
    <message id="Share_Title">
        <source>Share_Title</source>
        <translation>Deine Messung</translation>
    </message>
    <message id="Share_SaveAsPng">
        <source>Share_SaveAsPng</source>
        <translation>Als PNG speichern…</translation>
    </message>
    <message id="Share_CopyImage">
        <source>Share_CopyImage</source>
        <translation>Bild kopieren</translation>
    </message>
    <message id="Share_OpenFolder">
        <source>Share_OpenFolder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message id="Share_Done">
        <source>Share_Done</source>
        <translation>Fertig</translation>
    </message>
    <message id="Share_SaveDialogTitle">
        <source>Share_SaveDialogTitle</source>
        <translation>Messung speichern</translation>
    </message>
    <message id="Share_SaveDialogAccept">
        <source>Share_SaveDialogAccept</source>
        <translation>Speichern</translation>
    </message>
    <message id="Share_PngFilter">
        <source>Share_PngFilter</source>
        <translation>PNG-Bilder (*.png)</translation>
    </message>
    <message id="Share_DefaultFileName">
        <source>Share_DefaultFileName</source>
        <translation>Messung</translation>
    </message>
    <message id="Share_Saved">
        <source>Share_Saved</source>
        <translation>Gespeichert als %1</translation>
    </message>
    <message id="Share_Copied">
        <source>Share_Copied</source>
        <translation>Das Bild ist in der Zwischenablage</translation>
    </message>
    <message id="Share_ReplaceQuestion">
        <source>Share_ReplaceQuestion</source>
        <translation>„%1“ gibt es schon. Ersetzen?</translation>
    </message>
    <message id="Share_Replace">
        <source>Share_Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message id="Share_Cancel">
        <source>Share_Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="Share_Error_SaveFailed">
        <source>Share_Error_SaveFailed</source>
        <translation>Das Bild konnte nicht in „%1“ gespeichert werden (%2). Dort wurde nichts verändert; wähle einen anderen Ordner.</translation>
    </message>
    <message id="Share_Error_OpenFolder">
        <source>Share_Error_OpenFolder</source>
        <translation>Der Ordner ließ sich nicht öffnen.</translation>
    </message>
    <message id="OpenPhoto_DialogTitle">
        <source>OpenPhoto_DialogTitle</source>
        <translation>Foto öffnen</translation>
    </message>
    <message id="OpenPhoto_Opening">
        <source>OpenPhoto_Opening</source>
        <translation>Das Foto wird geöffnet…</translation>
    </message>
    <message id="OpenPhoto_Failed">
        <source>OpenPhoto_Failed</source>
        <translation>Dieses Foto lässt sich nicht messen: %1</translation>
    </message>
    <message id="OpenPhoto_Reason_NotFound">
        <source>OpenPhoto_Reason_NotFound</source>
        <translation>„%1“ wurde nicht gefunden.</translation>
    </message>
    <message id="OpenPhoto_Reason_Folder">
        <source>OpenPhoto_Reason_Folder</source>
        <translation>„%1“ ist ein Ordner, kein Foto.</translation>
    </message>
    <message id="OpenPhoto_Reason_NotAFile">
        <source>OpenPhoto_Reason_NotAFile</source>
        <translation>„%1“ ist keine gewöhnliche Datei und lässt sich nicht als Foto lesen.</translation>
    </message>
    <message id="OpenPhoto_Reason_CannotRead">
        <source>OpenPhoto_Reason_CannotRead</source>
        <translation>„%1“ lässt sich nicht lesen (%2).</translation>
    </message>
    <message id="OpenPhoto_Reason_FileTooLarge">
        <source>OpenPhoto_Reason_FileTooLarge</source>
        <translation>„%1“ ist zu groß für ein Foto (%2 MB).</translation>
    </message>
    <message id="OpenPhoto_Reason_Empty">
        <source>OpenPhoto_Reason_Empty</source>
        <translation>„%1“ ist leer.</translation>
    </message>
    <message id="OpenPhoto_Reason_NotAnImage">
        <source>OpenPhoto_Reason_NotAnImage</source>
        <translation>„%1“ ist kein Bild, das Mirrel lesen kann.</translation>
    </message>
    <message id="OpenPhoto_Reason_Truncated">
        <source>OpenPhoto_Reason_Truncated</source>
        <translation>„%1“ ist unvollständig (die %2-Daten hören zu früh auf).</translation>
    </message>
    <message id="OpenPhoto_Reason_Damaged">
        <source>OpenPhoto_Reason_Damaged</source>
        <translation>„%1“ ist beschädigt (der %2-Aufbau ist fehlerhaft).</translation>
    </message>
    <message id="OpenPhoto_Reason_NoPixels">
        <source>OpenPhoto_Reason_NoPixels</source>
        <translation>„%1“ enthält keine Pixel (%2 × %3).</translation>
    </message>
    <message id="OpenPhoto_Reason_TooManyPixels">
        <source>OpenPhoto_Reason_TooManyPixels</source>
        <translation>„%1“ ist zu groß: %2 × %3 Pixel (höchstens %4 Megapixel).</translation>
    </message>
    <message id="OpenPhoto_Reason_Undecodable">
        <source>OpenPhoto_Reason_Undecodable</source>
        <translation>„%1“ lässt sich nicht als Bild lesen; die Daten sind beschädigt oder in einer Form, die Mirrel nicht unterstützt.</translation>
    </message>
    <message id="Accessibility_TakePicture">
        <source>Accessibility_TakePicture</source>
        <translation>Foto aufnehmen</translation>
    </message>
    <message id="Accessibility_ConfirmCard">
        <source>Accessibility_ConfirmCard</source>
        <translation>Karte bestätigen</translation>
    </message>
    <message id="Accessibility_Add">
        <source>Accessibility_Add</source>
        <translation>Linie oder Rechteck hinzufügen</translation>
    </message>
    <message id="Accessibility_CloseAdd">
        <source>Accessibility_CloseAdd</source>
        <translation>Hinzufügen abbrechen</translation>
    </message>
    <message id="Accessibility_AddLine">
        <source>Accessibility_AddLine</source>
        <translation>Linie hinzufügen</translation>
    </message>
    <message id="Accessibility_AddRectangle">
        <source>Accessibility_AddRectangle</source>
        <translation>Rechteck hinzufügen</translation>
    </message>
    <message id="Accessibility_Share">
        <source>Accessibility_Share</source>
        <translation>Teilen</translation>
    </message>
    <message id="Accessibility_Finish">
        <source>Accessibility_Finish</source>
        <translation>Messung abschließen</translation>
    </message>
    <message id="Accessibility_BackToCamera">
        <source>Accessibility_BackToCamera</source>
        <translation>Zurück zur Kamera</translation>
    </message>
    <message id="Accessibility_Settings">
        <source>Accessibility_Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message id="Accessibility_DeleteLine">
        <source>Accessibility_DeleteLine</source>
        <translation>Linie löschen</translation>
    </message>
    <message id="Accessibility_DeleteRectangle">
        <source>Accessibility_DeleteRectangle</source>
        <translation>Rechteck löschen</translation>
    </message>
    <message id="Accessibility_Preview">
        <source>Accessibility_Preview</source>
        <translation>Bild mit den Messungen</translation>
    </message>
</context>
</TS>
