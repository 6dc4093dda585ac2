<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ContentView</name>
    <message>
        <source>Connected</source>
        <translation>已连接</translation>
    </message>
    <message>
        <source>Discovered</source>
        <translation>已发现</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>断开连接</translation>
    </message>
    <message>
        <source>Launch on login</source>
        <translation>登录时启动</translation>
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
        <translation>正在连接…</translation>
    </message>
    <message>
        <source>Waiting for password</source>
        <translation>等待密码</translation>
    </message>
    <message>
        <source>Password refused</source>
        <translation>密码被拒绝</translation>
    </message>
    <message>
        <source>Unlocked</source>
        <translation>已解锁</translation>
    </message>
    <message>
        <source>Now sending: %1</source>
        <translation>正在发送：%1</translation>
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
        <translation>蓝牙设备助手</translation>
    </message>
    <message>
        <source>Tell your Bluetooth LE devices which application you are working in</source>
        <translation>告诉您的低功耗蓝牙设备您正在使用哪个应用程序</translation>
    </message>
    <message>
        <source>Vontal Login Helper</source>
        <translation>Vontal 登录助手</translation>
    </message>
    <message>
        <source>Starts Vontal when you log in</source>
        <translation>登录时启动 Vontal</translation>
    </message>
</context>
<context>
    <name>ExtensionNotice</name>
    <message>
        <source>Switch On</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>Application names are not sent until the GNOME extension is switched on.</source>
        <translation>在开启 GNOME 扩展之前，不会发送应用程序名称。</translation>
    </message>
    <message>
        <source>Application names are sent after your next login, when GNOME loads the extension.</source>
        <translation>下次登录后，GNOME 加载该扩展时将开始发送应用程序名称。</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension does not support GNOME Shell %1 yet.</source>
        <translation>不会发送应用程序名称：vontal 的 GNOME 扩展尚不支持 GNOME Shell %1。</translation>
    </message>
    <message>
        <source>Application names are not sent: GNOME could not run vontal&apos;s extension.</source>
        <translation>不会发送应用程序名称：GNOME 无法运行 vontal 的扩展。</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension is not installed. Installing vontal&apos;s package installs it.</source>
        <translation>不会发送应用程序名称：未安装 vontal 的 GNOME 扩展。安装 vontal 的软件包即可安装它。</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>新建窗口</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
</context>
<context>
    <name>PasswordAlert</name>
    <message>
        <source>Enter password for %1</source>
        <translation>输入 %1 的密码</translation>
    </message>
    <message>
        <source>Incorrect password for %1</source>
        <translation>%1 的密码不正确</translation>
    </message>
    <message>
        <source>Shown in vontal as %1</source>
        <translation>在 vontal 中显示为 %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>重试</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>vontal password</source>
        <translation>vontal 密码</translation>
    </message>
</context>
<context>
    <name>StatusLine</name>
    <message>
        <source>Switch On</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the D-Bus system bus is not running. Start it, then start vontal again.</source>
        <translation>无法使用蓝牙：D-Bus 系统总线未运行。请启动它，然后重新启动 vontal。</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not running. Start it, and vontal carries on by itself.</source>
        <translation>无法使用蓝牙：蓝牙服务（bluetoothd）未运行。启动它后，vontal 会自动继续。</translation>
    </message>
    <message>
        <source>Bluetooth LE cannot be used: the installed BlueZ is older than 5.42. Update BlueZ, then start vontal again.</source>
        <translation>无法使用低功耗蓝牙：已安装的 BlueZ 早于 5.42。请更新 BlueZ，然后重新启动 vontal。</translation>
    </message>
    <message>
        <source>No Bluetooth adapter was found. Plug one in, or unblock it in your system&apos;s settings.</source>
        <translation>未找到蓝牙适配器。请插入一个，或在系统设置中解除其屏蔽。</translation>
    </message>
    <message>
        <source>Bluetooth is switched off, and BlueZ did not switch it on (%1). Switch it on in your system&apos;s settings.</source>
        <translation>蓝牙已关闭，且 BlueZ 未能将其开启（%1）。请在系统设置中开启。</translation>
    </message>
    <message>
        <source>Bluetooth is switched off. Switch it on to find devices.</source>
        <translation>蓝牙已关闭。请开启蓝牙以查找设备。</translation>
    </message>
    <message>
        <source>Looking for devices. Yours shows up here when it is switched on and near this computer.</source>
        <translation>正在查找设备。您的设备开启并靠近这台电脑时会显示在这里。</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal cannot see which application is in front on %1. They are sent on X11 sessions, KDE Plasma, GNOME and wlroots compositors such as sway.</source>
        <translation>不会发送应用程序名称：在 %1 上 vontal 无法得知哪个应用程序在前台。在 X11 会话、KDE Plasma、GNOME 以及 sway 等 wlroots 合成器上会发送。</translation>
    </message>
    <message>
        <source>Launch on login could not be switched on: %1.</source>
        <translation>无法开启“登录时启动”：%1。</translation>
    </message>
    <message>
        <source>Launch on login could not be switched off: %1.</source>
        <translation>无法关闭“登录时启动”：%1。</translation>
    </message>
    <message>
        <source>Launch on login was set up, but the system does not start vontal at login yet.</source>
        <translation>已设置“登录时启动”，但系统尚未在登录时启动 vontal。</translation>
    </message>
    <message>
        <source>Application names are not sent: another program holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>不发送应用程序名称：另一个程序占用了 vontal 在会话总线上的名称。一旦该程序释放该名称，vontal 会立即取得它。</translation>
    </message>
    <message>
        <source>Application names are not sent: another program (%1, process %2) holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>不发送应用程序名称：另一个程序（%1，进程 %2）占用了 vontal 在会话总线上的名称。一旦该程序释放该名称，vontal 会立即取得它。</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not answer. vontal carries on by itself once it does; restarting bluetoothd may help.</source>
        <translation>无法使用蓝牙：蓝牙服务（bluetoothd）没有响应。一旦它响应，vontal 会自行继续；重启 bluetoothd 可能会有帮助。</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: no keyring (Secret Service) runs in this session. vontal moves them into one as soon as it starts.</source>
        <translation>密码保存在设置文件中：此会话中没有运行密钥环（Secret Service）。密钥环一启动，vontal 就会把密码移入其中。</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring is locked. Unlock it, then start vontal again to move them there.</source>
        <translation>密码保存在设置文件中：密钥环已锁定。请解锁后重新启动 vontal，以将密码移入其中。</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring does not answer. vontal moves them there once it does.</source>
        <translation>密码保存在设置文件中：密钥环没有响应。一旦它响应，vontal 就会把密码移入其中。</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring refused them (%1).</source>
        <translation>密码保存在设置文件中：密钥环拒绝了保存（%1）。</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Open vontal</source>
        <translation>打开 vontal</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>没有已连接的设备</translation>
    </message>
    <message>
        <source>1 device connected:</source>
        <translation>已连接 1 台设备：</translation>
    </message>
    <message>
        <source>%1 devices connected:</source>
        <translation>已连接 %1 台设备：</translation>
    </message>
    <message>
        <source>A device is waiting for its password</source>
        <translation>有设备正在等待输入密码</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Tells your Bluetooth LE devices which application you are working in.</source>
        <translation>告诉您的低功耗蓝牙设备您正在使用哪个应用程序。</translation>
    </message>
    <message>
        <source>Run on simulated demo devices instead of Bluetooth, with settings kept in memory.</source>
        <translation>使用模拟的演示设备代替蓝牙运行，设置仅保存在内存中。</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>意外的参数：%1</translation>
    </message>
    <message>
        <source>Application names are sent on X11 desktops, on wlroots compositors (sway, labwc, Hyprland, river, Wayfire, niri), on KDE Plasma and on GNOME Shell once vontal&apos;s extension is switched on.</source>
        <translation>在 X11 桌面、wlroots 合成器（sway、labwc、Hyprland、river、Wayfire、niri）、KDE Plasma 上，以及开启 vontal 扩展后的 GNOME Shell 上，会发送应用程序名称。</translation>
    </message>
</context>
</TS>
