<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL" sourcelanguage="en_US">
<!-- The texts of the shut-down dialog. Each button has two lines: when the second is a single
     space, the first stands alone in the middle of the button. -->
<context>
    <name>LumbraShutDown</name>
    <message>
        <source>QuitLumbraString1</source>
        <translation>Opuść</translation>
    </message>
    <message>
        <source>QuitLumbraString2</source>
        <translation>Lumbra</translation>
    </message>
    <message>
        <source>TaskManegerString1</source>
        <translation>Menedżer</translation>
    </message>
    <message>
        <source>TaskMAnagerString2</source>
        <translation>zadań</translation>
    </message>
    <message>
        <source>StandByString1</source>
        <translation>Uśpij</translation>
    </message>
    <message>
        <source>StandByString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>RestartString1</source>
        <translation>Uruchom</translation>
    </message>
    <message>
        <source>RestartString2</source>
        <translation>ponownie</translation>
    </message>
    <message>
        <source>ShutDownString1</source>
        <translation>Wyłącz</translation>
    </message>
    <message>
        <source>ShutDownString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>QuitString1</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>QuitString2</source>
        <translation> </translation>
    </message>
</context>
</TS>
