<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>ContentView</name>
    <message>
        <source>Connected</source>
        <translation>接続済み</translation>
    </message>
    <message>
        <source>Discovered</source>
        <translation>検出済み</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>接続</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>切断</translation>
    </message>
    <message>
        <source>Launch on login</source>
        <translation>ログイン時に起動</translation>
    </message>
    <message>
        <source>🟢</source>
        <translation>🟢</translation>
    </message>
    <message>
        <source>⚪️</source>
        <translation>⚪️</translation>
    </message>
    <message>
        <source>connected</source>
        <translation>接続済み</translation>
    </message>
    <message>
        <source>connecting or disconnected</source>
        <translation>接続中または未接続</translation>
    </message>
</context>
<context>
    <name>DesktopEntry</name>
    <message>
        <source>Vontal</source>
        <translation>Vontal</translation>
    </message>
    <message>
        <source>Bluetooth Device Companion</source>
        <translation>Bluetooth デバイスコンパニオン</translation>
    </message>
    <message>
        <source>Tell your Bluetooth LE devices which application you are working in</source>
        <translation>作業中のアプリケーションを Bluetooth LE デバイスに知らせます</translation>
    </message>
    <message>
        <source>Vontal Login Helper</source>
        <translation>Vontal ログインヘルパー</translation>
    </message>
    <message>
        <source>Starts Vontal when you log in</source>
        <translation>ログイン時に Vontal を起動します</translation>
    </message>
</context>
<context>
    <name>ExtensionNotice</name>
    <message>
        <source>Switch On</source>
        <translation>オンにする</translation>
    </message>
    <message>
        <source>Application names are not sent until the GNOME extension is switched on.</source>
        <translation>GNOME 拡張機能をオンにするまで、アプリケーション名は送信されません。</translation>
    </message>
    <message>
        <source>Application names are sent after your next login, when GNOME loads the extension.</source>
        <translation>次回のログイン後、GNOME が拡張機能を読み込むとアプリケーション名が送信されます。</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension does not support GNOME Shell %1 yet.</source>
        <translation>アプリケーション名は送信されません: vontal の GNOME 拡張機能はまだ GNOME Shell %1 に対応していません。</translation>
    </message>
    <message>
        <source>Application names are not sent: GNOME could not run vontal&apos;s extension.</source>
        <translation>アプリケーション名は送信されません: GNOME が vontal の拡張機能を実行できませんでした。</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>新しいウィンドウ</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
</context>
<context>
    <name>PasswordAlert</name>
    <message>
        <source>Enter password for %1</source>
        <translation>%1 のパスワードを入力してください</translation>
    </message>
    <message>
        <source>Incorrect password for %1</source>
        <translation>%1 のパスワードが正しくありません</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>再試行</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>vontal password</source>
        <translation>vontal のパスワード</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Open vontal</source>
        <translation>vontal を開く</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>接続中のデバイスはありません</translation>
    </message>
    <message>
        <source>1 device connected:</source>
        <translation>1 台のデバイスが接続中:</translation>
    </message>
    <message>
        <source>%1 devices connected:</source>
        <translation>%1 台のデバイスが接続中:</translation>
    </message>
    <message>
        <source>A device is waiting for its password</source>
        <translation>パスワードの入力を待っているデバイスがあります</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Tells your Bluetooth LE devices which application you are working in.</source>
        <translation>作業中のアプリケーションを Bluetooth LE デバイスに知らせます。</translation>
    </message>
    <message>
        <source>Run on simulated demo devices instead of Bluetooth, with settings kept in memory.</source>
        <translation>Bluetooth の代わりにシミュレートされたデモ用デバイスで実行し、設定はメモリー上にのみ保持します。</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>予期しない引数: %1</translation>
    </message>
    <message>
        <source>Application names are sent on X11 desktops, on wlroots compositors (sway, labwc, Hyprland, river, Wayfire, niri), on KDE Plasma and on GNOME Shell once vontal&apos;s extension is switched on.</source>
        <translation>アプリケーション名は、X11 デスクトップ、wlroots コンポジター (sway、labwc、Hyprland、river、Wayfire、niri)、KDE Plasma、そして vontal の拡張機能をオンにした GNOME Shell で送信されます。</translation>
    </message>
</context>
</TS>
