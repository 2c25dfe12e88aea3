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
<context>
    <name>CMessageBoxPrompt</name>
    <message>
        <source>&amp;Try Again</source>
        <translation>再試行(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Continue</source>
        <translation>続行(&amp;C)</translation>
    </message>
</context>
<context>
    <name>CAppPropSheet</name>
    <message>
        <source>Property</source>
        <translation>プロパティ</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>メッセージ</translation>
    </message>
    <message>
        <source>Generic</source>
        <translation>全般</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>ネットワーク</translation>
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
    <name>CPropGeneral</name>
    <message>
        <source>Register startup(&amp;S)</source>
        <translation>スタートアップに入れる(&amp;S)</translation>
    </message>
    <message>
        <source>Save folder(&amp;P)</source>
        <translation>保存先(&amp;P)</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Don't relocate messages when startup (&amp;J)</source>
        <translation>メイン画面外にあるメッセージを起動時に補正しない (&amp;J)</translation>
    </message>
    <message>
        <source>Sort rule</source>
        <translation>整列ルール</translation>
    </message>
    <message>
        <source>Ascend(&amp;A)</source>
        <translation>昇順(&amp;A)</translation>
    </message>
    <message>
        <source>Decende(&amp;D)</source>
        <translation>降順(&amp;D)</translation>
    </message>
    <message>
        <source>Date(&amp;C)</source>
        <translation>生成日順(&amp;C)</translation>
    </message>
    <message>
        <source>Title(&amp;T)</source>
        <translation>タイトル順(&amp;T)</translation>
    </message>
    <message>
        <source>Group(&amp;G)</source>
        <translation>グループ別(&amp;G)</translation>
    </message>
    <message>
        <source>Message gap(&amp;I)</source>
        <translation>整列間隔(&amp;I)</translation>
    </message>
    <message>
        <source>pixels</source>
        <translation>ピクセル</translation>
    </message>
    <message>
        <source>Save folder</source>
        <translation>保存先フォルダ</translation>
    </message>
</context>
<context>
    <name>CPropMessage</name>
    <message>
        <source>Font(&amp;F)</source>
        <translation>フォント(&amp;F)</translation>
    </message>
    <message>
        <source>Size(&amp;P)</source>
        <translation>サイズ(&amp;P)</translation>
    </message>
    <message>
        <source>Pt</source>
        <translation>ポイント</translation>
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
        <source>Background Color</source>
        <translation>背景色</translation>
    </message>
    <message>
        <source>Font Color</source>
        <translation>文字色</translation>
    </message>
    <message>
        <source>Bringing the window top(&amp;T)</source>
        <translation>ウィンドウを常に手前に表示(&amp;T)</translation>
    </message>
    <message>
        <source>Enable auto resize(&amp;A)</source>
        <translation>ウィンドウサイズの自動調整(&amp;A)</translation>
    </message>
    <message>
        <source>Show move bar(&amp;M)</source>
        <translation>ウィンドウ移動用バーの表示(&amp;M)</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>Property(&amp;O)...</source>
        <translation>プロパティ(&amp;O)...</translation>
    </message>
</context>
<context>
    <name>CPropNetwork</name>
    <message>
        <source>Other computers reach this one only at %1.</source>
        <translation>他のコンピュータからは %1 でのみ接続できます。</translation>
    </message>
    <message>
        <source>Only programs on this computer can reach %1; leave Address empty to receive from other computers.</source>
        <translation>%1 にはこのコンピュータ上のプログラムしか接続できません。他のコンピュータから受信するにはアドレスを空にしてください。</translation>
    </message>
    <message>
        <source>Other computers reach this one at any of its addresses.</source>
        <translation>他のコンピュータからは、このコンピュータのどのアドレスでも接続できます。</translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535.</source>
        <translation>ポート番号は 1 から 65535 までの数値で指定してください。</translation>
    </message>
    <message>
        <source>Allow connection(&amp;E)</source>
        <translation>他のコンピュータからの接続を許可する(&amp;E)</translation>
    </message>
    <message>
        <source>Address(&amp;A)</source>
        <translation>アドレス(&amp;A)</translation>
    </message>
    <message>
        <source>Port(&amp;P)</source>
        <translation>ポート(&amp;P)</translation>
    </message>
    <message>
        <source>Access limit(&amp;L)...</source>
        <translation>接続制限(&amp;L)...</translation>
    </message>
    <message>
        <source>Confirm message receive(&amp;C)</source>
        <translation>メッセージの着信を確認する(&amp;C)</translation>
    </message>
    <message>
        <source>Confirmation dialog will be closed after</source>
        <translation>確認ダイアログは</translation>
    </message>
    <message>
        <source>sec.</source>
        <translation>秒後に自動的に閉じる</translation>
    </message>
    <message>
        <source>Allow message transfer(&amp;T)</source>
        <translation>メッセージの転送を許可する(&amp;T)</translation>
    </message>
    <message>
        <source>User ID(&amp;I)</source>
        <translation>ユーザーID(&amp;I)</translation>
    </message>
    <message>
        <source>Password(&amp;S)</source>
        <translation>パスワード(&amp;S)</translation>
    </message>
    <message>
        <source>You should set User ID and Password when you enable message transfer.</source>
        <translation>メッセージ転送を行う場合には、セキュリティのために
ユーザーID、パスワードを設定することが望ましいです。</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Quillet!</source>
        <translation>Quillet! のバージョン情報</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>バージョン %1</translation>
    </message>
    <message>
        <source>Sticky notes for the desktop that travel over the local network.</source>
        <translation>ローカルネットワークで送り合えるデスクトップの付箋です。</translation>
    </message>
    <message>
        <source>Open the help page</source>
        <translation>ヘルプを開く</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CDestinationList</name>
    <message>
        <source>Destination address</source>
        <translation>送り先アドレス</translation>
    </message>
    <message>
        <source>Destination port number</source>
        <translation>ポート番号</translation>
    </message>
    <message>
        <source>Add(&amp;A)...</source>
        <translation>追加(&amp;A)...</translation>
    </message>
    <message>
        <source>Edit(&amp;E)...</source>
        <translation>編集(&amp;E)...</translation>
    </message>
    <message>
        <source>Delete(&amp;D)</source>
        <translation>削除(&amp;D)</translation>
    </message>
</context>
<context>
    <name>CMessageSendDlg</name>
    <message>
        <source>Send message</source>
        <translation>メッセージの送信</translation>
    </message>
    <message>
        <source>Delete after sending(&amp;V)</source>
        <translation>送信後に削除する(&amp;V)</translation>
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
    <name>CSendSimpleTextDlg</name>
    <message>
        <source>Message Send</source>
        <translation>メッセージ送信</translation>
    </message>
    <message>
        <source>Save message(&amp;S)</source>
        <translation>メッセージを保存する(&amp;S)</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>送信</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>エラー</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>Send new message(&amp;M)...</source>
        <translation>新しいメッセージを送る(&amp;M)...</translation>
    </message>
    <message>
        <source>Send(&amp;S)</source>
        <translation>送信(&amp;S)</translation>
    </message>
</context>
<context>
    <name>CHostInfoDlg</name>
    <message>
        <source>Enter the other computer's name or address, and a port from 1 to 65535.</source>
        <translation>相手のコンピュータの名前またはアドレスと、1 から 65535 までのポート番号を入力してください。</translation>
    </message>
    <message>
        <source>Host Information</source>
        <translation>ホスト情報</translation>
    </message>
    <message>
        <source>Address(&amp;A)</source>
        <translation>アドレス(&amp;A)</translation>
    </message>
    <message>
        <source>Port(&amp;P)</source>
        <translation>ポート(&amp;P)</translation>
    </message>
    <message>
        <source>Find(&amp;F)...</source>
        <translation>検索(&amp;F)...</translation>
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
    <name>CHostSearchDlg</name>
    <message>
        <source>Search host</source>
        <translation>ホストの検索</translation>
    </message>
    <message>
        <source>Host name</source>
        <translation>ホスト名</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IPアドレス</translation>
    </message>
    <message>
        <source>About computer</source>
        <translation>コンピュータの説明</translation>
    </message>
    <message>
        <source>Find again(&amp;F)</source>
        <translation>再検索(&amp;F)</translation>
    </message>
    <message>
        <source>%1 (port %2)</source>
        <translation>%1 (ポート %2)</translation>
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
    <name>CNetInfoDlg</name>
    <message>
        <source>&quot;%1&quot; cannot be used. Enter an IPv4 or IPv6 address with a mask or a prefix length (192.168.1.0 and 255.255.255.0, 192.168.1.0/24, fd00::/8), a single address, or a host name.</source>
        <translation>「%1」は使用できません。IPv4 または IPv6 のアドレスとマスクまたはプレフィックス長(192.168.1.0 と 255.255.255.0、192.168.1.0/24、fd00::/8)、単独のアドレス、またはホスト名を入力してください。</translation>
    </message>
    <message>
        <source>Network information</source>
        <translation>ネットワーク情報</translation>
    </message>
    <message>
        <source>Network address</source>
        <translation>ネットワークアドレス</translation>
    </message>
    <message>
        <source>Net mask</source>
        <translation>ネットマスク</translation>
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
    <name>CAccessLimitDlg</name>
    <message>
        <source>Access limitation</source>
        <translation>アクセス制限</translation>
    </message>
    <message>
        <source>A connection from all computer is</source>
        <translation>すべてのコンピュータからの接続を</translation>
    </message>
    <message>
        <source>Allowed(&amp;P)</source>
        <translation>許可する(&amp;P)</translation>
    </message>
    <message>
        <source>Denied(&amp;R)</source>
        <translation>拒否する(&amp;R)</translation>
    </message>
    <message>
        <source>except below</source>
        <translation>（ただし以下を除く）</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IPアドレス</translation>
    </message>
    <message>
        <source>Net mask</source>
        <translation>ネットマスク</translation>
    </message>
    <message>
        <source>Add(&amp;A)...</source>
        <translation>追加(&amp;A)...</translation>
    </message>
    <message>
        <source>Edit(&amp;E)...</source>
        <translation>編集(&amp;E)...</translation>
    </message>
    <message>
        <source>Delete(&amp;D)</source>
        <translation>削除(&amp;D)</translation>
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
    <name>CRetrieveMessageDlg</name>
    <message>
        <source>Retrieve message</source>
        <translation>メッセージの取得</translation>
    </message>
    <message>
        <source>Dest.(&amp;D)</source>
        <translation>接続先(&amp;D)</translation>
    </message>
    <message>
        <source>Port(&amp;P)</source>
        <translation>ポート(&amp;P)</translation>
    </message>
    <message>
        <source>User ID(&amp;I)</source>
        <translation>ユーザーID(&amp;I)</translation>
    </message>
    <message>
        <source>Password(&amp;S)</source>
        <translation>パスワード(&amp;S)</translation>
    </message>
    <message>
        <source>Message List(&amp;L)</source>
        <translation>メッセージリスト(&amp;L)</translation>
    </message>
    <message>
        <source>Retrieve</source>
        <translation>取得</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>エラー</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>Retrieve message(&amp;R)...</source>
        <translation>メッセージの取得(&amp;R)...</translation>
    </message>
</context>
<context>
    <name>CPinletApp</name>
    <message>
        <source>Invalid destination</source>
        <translation>接続先の情報が不正です。</translation>
    </message>
    <message>
        <source>Socket create failed.</source>
        <comment>client</comment>
        <translation>ソケットの生成に失敗しました。</translation>
    </message>
    <message>
        <source>Socket can not connect.</source>
        <translation>相手先に接続できませんでした。</translation>
    </message>
    <message>
        <source>Your message was refused by destination.</source>
        <translation>相手先からメッセージ受信が拒否されました。</translation>
    </message>
    <message>
        <source>Failed for authentification.</source>
        <translation>ユーザー認証に失敗しました。</translation>
    </message>
    <message>
        <source>Retrieveing message list failed. Probably destination user deny to connect.</source>
        <translation>メッセージリストの取得に失敗しました。おそらく、相手先はメッセージの転送を許可していません。</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>Quillet menu</source>
        <translation>Quillet メニュー</translation>
    </message>
    <message>
        <source>New message(&amp;N)...</source>
        <translation>新しいメッセージ(&amp;N)...</translation>
    </message>
    <message>
        <source>Display(&amp;D)</source>
        <translation>表示(&amp;D)</translation>
    </message>
    <message>
        <source>Show all(&amp;S)</source>
        <translation>全て表示(&amp;S)</translation>
    </message>
    <message>
        <source>Hide all(&amp;H)</source>
        <translation>全て隠す(&amp;H)</translation>
    </message>
    <message>
        <source>Order(&amp;E)</source>
        <translation>整列(&amp;E)</translation>
    </message>
    <message>
        <source>Upper left(&amp;1)</source>
        <translation>左上(&amp;1)</translation>
    </message>
    <message>
        <source>Lower left(&amp;2)</source>
        <translation>左下(&amp;2)</translation>
    </message>
    <message>
        <source>Upper right(&amp;3)</source>
        <translation>右上(&amp;3)</translation>
    </message>
    <message>
        <source>Lower right(&amp;4)</source>
        <translation>右下(&amp;4)</translation>
    </message>
    <message>
        <source>Relocate messages into the screen(&amp;5)</source>
        <translation>画面外のメッセージを画面内に戻す(&amp;5)</translation>
    </message>
    <message>
        <source>Delete(&amp;L)</source>
        <translation>削除(&amp;L)</translation>
    </message>
    <message>
        <source>Delete all(&amp;A)</source>
        <translation>全て削除(&amp;A)</translation>
    </message>
    <message>
        <source>Find(&amp;F)...</source>
        <translation>検索(&amp;F)...</translation>
    </message>
    <message>
        <source>Group settings(&amp;G)...</source>
        <translation>グループ設定(&amp;G)...</translation>
    </message>
    <message>
        <source>Help(&amp;H)...</source>
        <translation>ヘルプ(&amp;H)...</translation>
    </message>
    <message>
        <source>About Quillet!(&amp;A)...</source>
        <translation>Quillet! のバージョン情報(&amp;A)...</translation>
    </message>
    <message>
        <source>Exit(&amp;X)</source>
        <translation>終了(&amp;X)</translation>
    </message>
</context>
<context>
    <name>CPinletApp</name>
    <message>
        <source>Message</source>
        <translation>メッセージ</translation>
    </message>
</context>
<context>
    <name>CReminderNotifier</name>
    <message>
        <source>Show the note</source>
        <translation>メッセージを表示</translation>
    </message>
</context>
</TS>
