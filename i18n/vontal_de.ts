<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>ContentView</name>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Discovered</source>
        <translation>Gefunden</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Trennen</translation>
    </message>
    <message>
        <source>Launch on login</source>
        <translation>Beim Anmelden starten</translation>
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
        <translation>verbunden</translation>
    </message>
    <message>
        <source>connecting or disconnected</source>
        <translation>wird verbunden oder nicht verbunden</translation>
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
        <translation>Begleiter für Bluetooth-Geräte</translation>
    </message>
    <message>
        <source>Tell your Bluetooth LE devices which application you are working in</source>
        <translation>Ihren Bluetooth-LE-Geräten mitteilen, in welcher Anwendung Sie arbeiten</translation>
    </message>
    <message>
        <source>Vontal Login Helper</source>
        <translation>Vontal-Anmeldehelfer</translation>
    </message>
    <message>
        <source>Starts Vontal when you log in</source>
        <translation>Startet Vontal beim Anmelden</translation>
    </message>
</context>
<context>
    <name>ExtensionNotice</name>
    <message>
        <source>Switch On</source>
        <translation>Einschalten</translation>
    </message>
    <message>
        <source>Application names are not sent until the GNOME extension is switched on.</source>
        <translation>Anwendungsnamen werden erst gesendet, wenn die GNOME-Erweiterung eingeschaltet ist.</translation>
    </message>
    <message>
        <source>Application names are sent after your next login, when GNOME loads the extension.</source>
        <translation>Anwendungsnamen werden nach Ihrer nächsten Anmeldung gesendet, wenn GNOME die Erweiterung lädt.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension does not support GNOME Shell %1 yet.</source>
        <translation>Anwendungsnamen werden nicht gesendet: Die GNOME-Erweiterung von vontal unterstützt GNOME Shell %1 noch nicht.</translation>
    </message>
    <message>
        <source>Application names are not sent: GNOME could not run vontal&apos;s extension.</source>
        <translation>Anwendungsnamen werden nicht gesendet: GNOME konnte die Erweiterung von vontal nicht ausführen.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>Neues Fenster</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
</context>
<context>
    <name>PasswordAlert</name>
    <message>
        <source>Enter password for %1</source>
        <translation>Passwort für %1 eingeben</translation>
    </message>
    <message>
        <source>Incorrect password for %1</source>
        <translation>Falsches Passwort für %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>vontal password</source>
        <translation>vontal-Passwort</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Open vontal</source>
        <translation>vontal öffnen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>Kein Gerät verbunden</translation>
    </message>
    <message>
        <source>1 device connected:</source>
        <translation>1 Gerät verbunden:</translation>
    </message>
    <message>
        <source>%1 devices connected:</source>
        <translation>%1 Geräte verbunden:</translation>
    </message>
    <message>
        <source>A device is waiting for its password</source>
        <translation>Ein Gerät wartet auf sein Passwort</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Tells your Bluetooth LE devices which application you are working in.</source>
        <translation>Teilt Ihren Bluetooth-LE-Geräten mit, in welcher Anwendung Sie gerade arbeiten.</translation>
    </message>
    <message>
        <source>Run on simulated demo devices instead of Bluetooth, with settings kept in memory.</source>
        <translation>Mit simulierten Demo-Geräten statt Bluetooth laufen; die Einstellungen bleiben nur im Arbeitsspeicher.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
    <message>
        <source>Application names are sent on X11 desktops, on wlroots compositors (sway, labwc, Hyprland, river, Wayfire, niri), on KDE Plasma and on GNOME Shell once vontal&apos;s extension is switched on.</source>
        <translation>Anwendungsnamen werden auf X11-Desktops, auf wlroots-Compositoren (sway, labwc, Hyprland, river, Wayfire, niri), auf KDE Plasma und auf GNOME Shell gesendet, sobald die Erweiterung von vontal eingeschaltet ist.</translation>
    </message>
</context>
</TS>
