<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Mirrel</name>
    <message id="Main_hintTakePicture">
        <source>Main_hintTakePicture</source>
        <translation>Richte die Kamera auf die Karte und tippe auf den Auslöser</translation>
    </message>
</context>
</TS>
