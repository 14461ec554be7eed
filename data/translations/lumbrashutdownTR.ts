<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="tr_TR" sourcelanguage="en_US">
<!-- The texts of the shut-down dialog. Each button has two lines: when the second is a single
     space, the first stands alone in the middle of the button. -->
<context>
    <name>LumbraShutDown</name>
    <message>
        <source>QuitLumbraString1</source>
        <translation>Lumbra'dan</translation>
    </message>
    <message>
        <source>QuitLumbraString2</source>
        <translation>çık</translation>
    </message>
    <message>
        <source>TaskManegerString1</source>
        <translation>Görev</translation>
    </message>
    <message>
        <source>TaskMAnagerString2</source>
        <translation>Yöneticisi</translation>
    </message>
    <message>
        <source>StandByString1</source>
        <translation>Uyku</translation>
    </message>
    <message>
        <source>StandByString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>RestartString1</source>
        <translation>Yeniden</translation>
    </message>
    <message>
        <source>RestartString2</source>
        <translation>başlat</translation>
    </message>
    <message>
        <source>ShutDownString1</source>
        <translation>Bilgisayarı</translation>
    </message>
    <message>
        <source>ShutDownString2</source>
        <translation>kapat</translation>
    </message>
    <message>
        <source>QuitString1</source>
        <translation>Kapat</translation>
    </message>
    <message>
        <source>QuitString2</source>
        <translation> </translation>
    </message>
</context>
</TS>
