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
        <source>🟠</source>
        <translation>🟠</translation>
    </message>
    <message>
        <source>🔴</source>
        <translation>🔴</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>接続中…</translation>
    </message>
    <message>
        <source>Waiting for password</source>
        <translation>パスワード待ち</translation>
    </message>
    <message>
        <source>Password refused</source>
        <translation>パスワードが拒否されました</translation>
    </message>
    <message>
        <source>Unlocked</source>
        <translation>ロック解除済み</translation>
    </message>
    <message>
        <source>Now sending: %1</source>
        <translation>送信中: %1</translation>
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
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension is not installed. Installing vontal&apos;s package installs it.</source>
        <translation>アプリケーション名は送信されません: vontal の GNOME 拡張機能がインストールされていません。vontal のパッケージをインストールするとインストールされます。</translation>
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
        <source>Shown in vontal as %1</source>
        <translation>vontal での表示名: %1</translation>
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
    <name>StatusLine</name>
    <message>
        <source>Switch On</source>
        <translation>オンにする</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the D-Bus system bus is not running. Start it, then start vontal again.</source>
        <translation>Bluetooth を使用できません: D-Bus システムバスが動作していません。起動してから vontal を再度起動してください。</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not running. Start it, and vontal carries on by itself.</source>
        <translation>Bluetooth を使用できません: Bluetooth サービス (bluetoothd) が動作していません。起動すると vontal は自動的に続行します。</translation>
    </message>
    <message>
        <source>Bluetooth LE cannot be used: the installed BlueZ is older than 5.42. Update BlueZ, then start vontal again.</source>
        <translation>Bluetooth LE を使用できません: インストールされている BlueZ が 5.42 より古いためです。BlueZ を更新してから vontal を再度起動してください。</translation>
    </message>
    <message>
        <source>No Bluetooth adapter was found. Plug one in, or unblock it in your system&apos;s settings.</source>
        <translation>Bluetooth アダプターが見つかりません。接続するか、システム設定でブロックを解除してください。</translation>
    </message>
    <message>
        <source>Bluetooth is switched off, and BlueZ did not switch it on (%1). Switch it on in your system&apos;s settings.</source>
        <translation>Bluetooth がオフで、BlueZ はオンにしませんでした (%1)。システム設定でオンにしてください。</translation>
    </message>
    <message>
        <source>Bluetooth is switched off. Switch it on to find devices.</source>
        <translation>Bluetooth がオフです。デバイスを見つけるにはオンにしてください。</translation>
    </message>
    <message>
        <source>Looking for devices. Yours shows up here when it is switched on and near this computer.</source>
        <translation>デバイスを探しています。お使いのデバイスは、電源が入ってこのコンピューターの近くにあるとここに表示されます。</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal cannot see which application is in front on %1. They are sent on X11 sessions, KDE Plasma, GNOME and wlroots compositors such as sway.</source>
        <translation>アプリケーション名は送信されません: %1 では、どのアプリケーションが前面にあるかを vontal が確認できません。X11 セッション、KDE Plasma、GNOME、sway などの wlroots コンポジターでは送信されます。</translation>
    </message>
    <message>
        <source>Launch on login could not be switched on: %1.</source>
        <translation>「ログイン時に起動」をオンにできませんでした: %1。</translation>
    </message>
    <message>
        <source>Launch on login could not be switched off: %1.</source>
        <translation>「ログイン時に起動」をオフにできませんでした: %1。</translation>
    </message>
    <message>
        <source>Launch on login was set up, but the system does not start vontal at login yet.</source>
        <translation>「ログイン時に起動」を設定しましたが、システムはまだログイン時に vontal を起動しません。</translation>
    </message>
    <message>
        <source>Application names are not sent: another program holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>アプリケーション名は送信されません: 別のプログラムがセッションバス上で vontal の名前を保持しています。そのプログラムが名前を手放すと、vontal はすぐにその名前を取得します。</translation>
    </message>
    <message>
        <source>Application names are not sent: another program (%1, process %2) holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>アプリケーション名は送信されません: 別のプログラム (%1、プロセス %2) がセッションバス上で vontal の名前を保持しています。そのプログラムが名前を手放すと、vontal はすぐにその名前を取得します。</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not answer. vontal carries on by itself once it does; restarting bluetoothd may help.</source>
        <translation>Bluetooth を使用できません: Bluetooth サービス (bluetoothd) が応答しません。応答があれば vontal は自動的に続行します。bluetoothd を再起動すると解決する場合があります。</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: no keyring (Secret Service) runs in this session. vontal moves them into one as soon as it starts.</source>
        <translation>パスワードは設定ファイルに保存されています: このセッションではキーリング (Secret Service) が動作していません。キーリングが起動するとすぐに vontal がそこへ移します。</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring is locked. Unlock it, then start vontal again to move them there.</source>
        <translation>パスワードは設定ファイルに保存されています: キーリングがロックされています。ロックを解除してから vontal を再起動すると、そこへ移されます。</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring does not answer. vontal moves them there once it does.</source>
        <translation>パスワードは設定ファイルに保存されています: キーリングが応答しません。応答があり次第、vontal がそこへ移します。</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring refused them (%1).</source>
        <translation>パスワードは設定ファイルに保存されています: キーリングが保存を拒否しました (%1)。</translation>
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
