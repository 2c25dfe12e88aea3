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
    <message>
        <source>Notification time for message %s is already passed %d minutes.</source>
        <translation>メッセージ ”%s” の通知時間は既に %d 分過ぎています。</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
</context>
<context>
    <name>CSearchDlg</name>
    <message>
        <source>Find String</source>
        <translation>文字列検索</translation>
    </message>
    <message>
        <source>String(&amp;S)</source>
        <translation>検索文字列(&amp;S)</translation>
    </message>
    <message>
        <source>Result(&amp;L)</source>
        <translation>検索結果(&amp;L)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Open(&amp;O)</source>
        <translation>開く(&amp;O)</translation>
    </message>
    <message>
        <source>Start search(&amp;F)</source>
        <translation>検索開始(&amp;F)</translation>
    </message>
    <message>
        <source>Stop search(&amp;T)</source>
        <translation>検索中止(&amp;T)</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>生成日</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>タイトル</translation>
    </message>
</context>
<context>
    <name>CConfirmDlg</name>
    <message>
        <source>Confirmation</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>はい</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>いいえ</translation>
    </message>
</context>
<context>
    <name>CPropertyDlg</name>
    <message>
        <source>Property</source>
        <translation>プロパティ</translation>
    </message>
    <message>
        <source>Message property</source>
        <translation>メッセージプロパティ</translation>
    </message>
    <message>
        <source>Title(&amp;S)</source>
        <translation>タイトル(&amp;S)</translation>
    </message>
    <message>
        <source>Bringing to front(&amp;T)</source>
        <translation>ウィンドウを常に手前に表示(&amp;T)</translation>
    </message>
    <message>
        <source>Auto resize(&amp;A)</source>
        <translation>ウィンドウサイズの自動調整(&amp;A)</translation>
    </message>
    <message>
        <source>Show move bar(&amp;B)</source>
        <translation>ウィンドウ移動用バーの表示(&amp;B)</translation>
    </message>
    <message>
        <source>Read only(&amp;R)</source>
        <translation>書込み禁止(&amp;R)</translation>
    </message>
    <message>
        <source>Notify(&amp;N)</source>
        <translation>通知する(&amp;N)</translation>
    </message>
    <message>
        <source>Date(&amp;Y)</source>
        <translation>日時(&amp;Y)</translation>
    </message>
    <message>
        <source>Time(&amp;E)</source>
        <translation>経過時間(&amp;E)</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>年</translation>
    </message>
    <message>
        <source>M</source>
        <translation>月</translation>
    </message>
    <message>
        <source>D</source>
        <translation>日</translation>
    </message>
    <message>
        <source>H</source>
        <translation>時</translation>
    </message>
    <message>
        <source>M</source>
        <comment>minute</comment>
        <translation>分</translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>分後</translation>
    </message>
    <message>
        <source>Repeate cycle(&amp;C)</source>
        <translation>リピートサイクル(&amp;C)</translation>
    </message>
    <message>
        <source>Monthly(&amp;M)</source>
        <translation>毎月(&amp;M)</translation>
    </message>
    <message>
        <source>Weekly(&amp;W)</source>
        <translation>毎週(&amp;W)</translation>
    </message>
    <message>
        <source>Dayly(&amp;D)</source>
        <translation>毎日(&amp;D)</translation>
    </message>
    <message>
        <source>Hourly(&amp;H)</source>
        <translation>毎時(&amp;H)</translation>
    </message>
    <message>
        <source>Inform</source>
        <translation>通知方法</translation>
    </message>
    <message>
        <source>Play sound(&amp;R)</source>
        <translation>サウンドを鳴らす(&amp;R)</translation>
    </message>
    <message>
        <source>Bring the window top(&amp;O)</source>
        <translation>ウィンドウを手前に表示する(&amp;O)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ｷｬﾝｾﾙ</translation>
    </message>
    <message>
        <source>You should choose one of Repeate Cycle when you choose a mode date for Repeate Timer.</source>
        <translation>リピートタイマーを日時で設定している場合には、必ずリピートサイクルを指定してください。</translation>
    </message>
    <message>
        <source>Choose Date or Time for the notification.</source>
        <translation>通知の日時か経過時間を指定してください。</translation>
    </message>
    <message>
        <source>The repeat cycle is not valid.</source>
        <translation>リピートサイクルが正しくありません。</translation>
    </message>
    <message>
        <source>A repeating notification needs at least one minute.</source>
        <translation>リピートする通知には 1 分以上の時間を指定してください。</translation>
    </message>
    <message>
        <source>The notification time must lie between the years 1 and 9999.</source>
        <translation>通知時間は 1 年から 9999 年の間で指定してください。</translation>
    </message>
    <message>
        <source>Wave Files (*.wav)</source>
        <translation>Wave ファイル (*.wav)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>すべてのファイル (*)</translation>
    </message>
</context>
<context>
    <name>CFontDlg</name>
    <message>
        <source>Font property</source>
        <translation>フォントプロパティ</translation>
    </message>
    <message>
        <source>Font(&amp;F)</source>
        <translation>フォント(&amp;F)</translation>
    </message>
    <message>
        <source>Size(&amp;P)</source>
        <translation>サイズ(&amp;P)</translation>
    </message>
    <message>
        <source>pt</source>
        <translation>pt</translation>
    </message>
    <message>
        <source>Font attribute</source>
        <translation>文字飾り</translation>
    </message>
    <message>
        <source>Bold(&amp;B)</source>
        <translation>太字(&amp;B)</translation>
    </message>
    <message>
        <source>Italic(&amp;I)</source>
        <translation>斜体(&amp;I)</translation>
    </message>
    <message>
        <source>Strike line(&amp;O)</source>
        <translation>取り消し線(&amp;O)</translation>
    </message>
    <message>
        <source>Under line(&amp;U)</source>
        <translation>下線(&amp;U)</translation>
    </message>
    <message>
        <source>Background color</source>
        <translation>背景色</translation>
    </message>
    <message>
        <source>Font color</source>
        <translation>文字色</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>CColorBtnDlg</name>
    <message>
        <source>Other(&amp;O)...</source>
        <translation>その他(&amp;O)...</translation>
    </message>
</context>
<context>
    <name>CGroupDlg</name>
    <message>
        <source>Group settings</source>
        <translation>グループ設定</translation>
    </message>
    <message>
        <source>Group(&amp;G)</source>
        <translation>グループ(&amp;G)</translation>
    </message>
    <message>
        <source>Messages(&amp;M)</source>
        <translation>メッセージ(&amp;M)</translation>
    </message>
    <message>
        <source>Add(&amp;A)</source>
        <translation>追加(&amp;A)</translation>
    </message>
    <message>
        <source>Delete(&amp;D)</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>Property(&amp;P)...</source>
        <translation>プロパティ(&amp;P)...</translation>
    </message>
    <message>
        <source>Apply group property when the message registered(&amp;R)</source>
        <translation>グループ登録時にグループプロパティを適用する(&amp;R)</translation>
    </message>
    <message>
        <source>Change all message property when group property will be changed(&amp;E)</source>
        <translation>グループプロパティ変更時に属するメッセージのプロパティも変更する(&amp;E)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ｷｬﾝｾﾙ</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>グループ</translation>
    </message>
    <message>
        <source>New group</source>
        <translation>新規グループ</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Group name already exist.</source>
        <translation>指定されたグループ名は既に存在します。</translation>
    </message>
    <message>
        <source>Do you really want to change the property for all belonged messages?</source>
        <translation>グループ "%s" に属する全てのメッセージのプロパティを変更しますか？</translation>
    </message>
</context>
<context>
    <name>CPinletApp</name>
    <message>
        <source>Message limitation over.</source>
        <translation>メッセージ数が多すぎます。</translation>
    </message>
    <message>
        <source>Do you really want to delete all messages ?</source>
        <translation>本当に全てのメッセージを削除しますか？</translation>
    </message>
    <message>
        <source>Do you really want to change the property for all belonged messages?</source>
        <translation>グループ "%s" に属する全てのメッセージのプロパティを変更しますか？</translation>
    </message>
    <message>
        <source>Message saving failed. You shoud make room on disk or change save folder.</source>
        <translation>メッセージの保存に失敗しました。このままではメッセージが失われる可能性があるので、保存先のディスクスペースを確保するか、保存先を変更してください。</translation>
    </message>
    <message>
        <source>Socket create failed.</source>
        <translation>外部接続用のソケットの生成に失敗しました。</translation>
    </message>
    <message>
        <source>Do you want to receive message from %s ?</source>
        <translation>”%s” からメッセージが届きました。受信しますか？</translation>
    </message>
</context>
</TS>
