<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<!-- The texts of the shut-down dialog. Each button has two lines: when the second is a single
     space, the first stands alone in the middle of the button. -->
<context>
    <name>LumbraShutDown</name>
    <message>
        <source>QuitLumbraString1</source>
        <translation>退出 Lumbra</translation>
    </message>
    <message>
        <source>QuitLumbraString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>TaskManegerString1</source>
        <translation>任务管理器</translation>
    </message>
    <message>
        <source>TaskMAnagerString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>StandByString1</source>
        <translation>待机</translation>
    </message>
    <message>
        <source>StandByString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>RestartString1</source>
        <translation>重新启动</translation>
    </message>
    <message>
        <source>RestartString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>ShutDownString1</source>
        <translation>关机</translation>
    </message>
    <message>
        <source>ShutDownString2</source>
        <translation> </translation>
    </message>
    <message>
        <source>QuitString1</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>QuitString2</source>
        <translation> </translation>
    </message>
</context>
</TS>
