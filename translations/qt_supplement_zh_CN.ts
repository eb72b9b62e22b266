<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Chinese for the few texts of Qt's file dialog that Qt's own Chinese
     translation (qtbase_zh_CN, from Debian's qt6-translations-l10n) lacks:
     the kinds of entries it lists. Installed after Qt's when the window speaks
     Chinese. -->
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Drive</source>
        <translation>驱动器</translation>
    </message>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>文件夹</translation>
    </message>
    <message>
        <source>Alias</source>
        <comment>Mac OS X Finder</comment>
        <translation>别名</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <comment>All other platforms</comment>
        <translation>快捷方式</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>未知</translation>
    </message>
</context>
</TS>
