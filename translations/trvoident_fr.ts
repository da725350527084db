<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>TRVOIdent</name>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>C++ Test Compiler</source>
        <translation>Compilateur de tests C++</translation>
    </message>
    <message>
        <source>Copyright (C) Tarvelo Software.</source>
        <translation>Copyright (C) Tarvelo Logiciels.</translation>
    </message>
    <message>
        <source>All rights reserved.</source>
        <translation>Tous droits réservés.</translation>
    </message>
</context>
</TS>
