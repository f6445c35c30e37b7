<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Mirrel</name>
    <message id="Main_hintTakePicture">
        <source>Main_hintTakePicture</source>
        <translation>Aim at the card and tap the button</translation>
    </message>
</context>
</TS>
