<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fi_FI" sourcelanguage="en_US">
<!-- The texts of the shut-down dialog. Each button has two lines: when the second is a single
     space, the first stands alone in the middle of the button. -->
<context>
    <name>LumbraShutDown</name>
    <message>
        <source>QuitLumbraString1</source>
        <translation>Poistu</translation>
    </message>
    <message>
        <source>QuitLumbraString2</source>
        <translation>Lumbrasta</translation>
    </message>
    <message>
        <source>TaskManegerString1</source>
        <translation>Tehtävien-</translation>
    </message>
    <message>
        <source>TaskMAnagerString2</source>
        <translation>hallinta</translation>
    </message>
    <message>
        <source>StandByString1</source>
        <translation>Lepotila</translation>
    </message>
    <message>
        <source>StandByString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>RestartString1</source>
        <translation>Käynnistä</translation>
    </message>
    <message>
        <source>RestartString2</source>
        <translation>uudelleen</translation>
    </message>
    <message>
        <source>ShutDownString1</source>
        <translation>Sammuta</translation>
    </message>
    <message>
        <source>ShutDownString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>QuitString1</source>
        <translation>Sulje</translation>
    </message>
    <message>
        <source>QuitString2</source>
        <translation> </translation>
    </message>
</context>
</TS>
