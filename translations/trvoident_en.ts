<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>TRVOIdent</name>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>C++ Test Compiler</source>
        <translation>C++ Test Compiler</translation>
    </message>
    <message>
        <source>Copyright (C) Tarvelo Software.</source>
        <translation>Copyright (C) Tarvelo Software.</translation>
    </message>
    <message>
        <source>All rights reserved.</source>
        <translation>All rights reserved.</translation>
    </message>
</context>
</TS>
