<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>CMessageDlg</name>
    <message>
        <source>Undo(&amp;U)</source>
        <translation>元に戻す(&amp;U)</translation>
    </message>
    <message>
        <source>Copy(&amp;C)</source>
        <translation>コピー(&amp;C)</translation>
    </message>
    <message>
        <source>Paste(&amp;P)</source>
        <translation>貼り付け(&amp;P)</translation>
    </message>
    <message>
        <source>Cut(&amp;D)</source>
        <translation>切り取り(&amp;D)</translation>
    </message>
    <message>
        <source>Font(&amp;F)...</source>
        <translation>フォント(&amp;F)...</translation>
    </message>
    <message>
        <source>Top most window(&amp;T)</source>
        <translation>ウィンドウを手前に表示(&amp;T)</translation>
    </message>
    <message>
        <source>Auto resize(&amp;A)</source>
        <translation>ウィンドウサイズの自動調整(&amp;A)</translation>
    </message>
    <message>
        <source>Send message(&amp;S)...</source>
        <translation>他のコンピュータに送る(&amp;S)...</translation>
    </message>
    <message>
        <source>Move to title(&amp;L)</source>
        <translation>選択文字列をタイトルに設定(&amp;L)</translation>
    </message>
    <message>
        <source>Property(&amp;O)...</source>
        <translation>プロパティ(&amp;O)...</translation>
    </message>
    <message>
        <source>Hide(&amp;H)</source>
        <translation>隠す(&amp;H)</translation>
    </message>
    <message>
        <source>Dispose message(&amp;X)</source>
        <translation>メッセージの削除(&amp;X)</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>グループ</translation>
    </message>
    <message>
        <source>Do you really want to delete a message ?</source>
        <translation>本当に削除しますか？</translation>
    </message>
    <message>
        <source>Group Settings(&amp;S)...</source>
        <translation>グループ設定(&amp;S)...</translation>
    </message>
    <message>
        <source>Too long selected text for message title.</source>
        <translation>選択テキストはタイトルとしては長すぎます。</translation>
    </message>
    <message>
        <source>Send with Messenger(&amp;M)...</source>
        <translation>メッセンジャーで送信(&amp;M)...</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>エラー</translation>
    </message>
</context>
</TS>
