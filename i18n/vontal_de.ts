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
        <source>🟠</source>
        <translation>🟠</translation>
    </message>
    <message>
        <source>🔴</source>
        <translation>🔴</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Verbindet…</translation>
    </message>
    <message>
        <source>Waiting for password</source>
        <translation>Wartet auf Passwort</translation>
    </message>
    <message>
        <source>Password refused</source>
        <translation>Passwort abgelehnt</translation>
    </message>
    <message>
        <source>Unlocked</source>
        <translation>Entsperrt</translation>
    </message>
    <message>
        <source>Now sending: %1</source>
        <translation>Wird gesendet: %1</translation>
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
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension is not installed. Installing vontal&apos;s package installs it.</source>
        <translation>Anwendungsnamen werden nicht gesendet: Die GNOME-Erweiterung von vontal ist nicht installiert. Das Paket von vontal installiert sie.</translation>
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
        <source>Shown in vontal as %1</source>
        <translation>In vontal angezeigt als %1</translation>
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
    <name>StatusLine</name>
    <message>
        <source>Switch On</source>
        <translation>Einschalten</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the D-Bus system bus is not running. Start it, then start vontal again.</source>
        <translation>Bluetooth kann nicht verwendet werden: Der D-Bus-Systembus läuft nicht. Starten Sie ihn und dann vontal erneut.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not running. Start it, and vontal carries on by itself.</source>
        <translation>Bluetooth kann nicht verwendet werden: Der Bluetooth-Dienst (bluetoothd) läuft nicht. Starten Sie ihn, dann macht vontal von selbst weiter.</translation>
    </message>
    <message>
        <source>Bluetooth LE cannot be used: the installed BlueZ is older than 5.42. Update BlueZ, then start vontal again.</source>
        <translation>Bluetooth LE kann nicht verwendet werden: Das installierte BlueZ ist älter als 5.42. Aktualisieren Sie BlueZ und starten Sie vontal dann erneut.</translation>
    </message>
    <message>
        <source>No Bluetooth adapter was found. Plug one in, or unblock it in your system&apos;s settings.</source>
        <translation>Es wurde kein Bluetooth-Adapter gefunden. Schließen Sie einen an oder heben Sie die Sperre in den Systemeinstellungen auf.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off, and BlueZ did not switch it on (%1). Switch it on in your system&apos;s settings.</source>
        <translation>Bluetooth ist ausgeschaltet, und BlueZ hat es nicht eingeschaltet (%1). Schalten Sie es in den Systemeinstellungen ein.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off. Switch it on to find devices.</source>
        <translation>Bluetooth ist ausgeschaltet. Schalten Sie es ein, um Geräte zu finden.</translation>
    </message>
    <message>
        <source>Looking for devices. Yours shows up here when it is switched on and near this computer.</source>
        <translation>Suche nach Geräten. Ihr Gerät erscheint hier, sobald es eingeschaltet und in der Nähe dieses Computers ist.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal cannot see which application is in front on %1. They are sent on X11 sessions, KDE Plasma, GNOME and wlroots compositors such as sway.</source>
        <translation>Anwendungsnamen werden nicht gesendet: vontal kann auf %1 nicht sehen, welche Anwendung im Vordergrund ist. Sie werden in X11-Sitzungen, auf KDE Plasma, GNOME und wlroots-Compositoren wie sway gesendet.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched on: %1.</source>
        <translation>„Beim Anmelden starten“ konnte nicht eingeschaltet werden: %1.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched off: %1.</source>
        <translation>„Beim Anmelden starten“ konnte nicht ausgeschaltet werden: %1.</translation>
    </message>
    <message>
        <source>Launch on login was set up, but the system does not start vontal at login yet.</source>
        <translation>„Beim Anmelden starten“ wurde eingerichtet, aber das System startet vontal noch nicht beim Anmelden.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>Anwendungsnamen werden nicht gesendet: Ein anderes Programm hält vontals Namen auf dem Sitzungsbus. vontal übernimmt den Namen, sobald dieses Programm ihn freigibt.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program (%1, process %2) holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>Anwendungsnamen werden nicht gesendet: Ein anderes Programm (%1, Prozess %2) hält vontals Namen auf dem Sitzungsbus. vontal übernimmt den Namen, sobald dieses Programm ihn freigibt.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not answer. vontal carries on by itself once it does; restarting bluetoothd may help.</source>
        <translation>Bluetooth kann nicht verwendet werden: Der Bluetooth-Dienst (bluetoothd) antwortet nicht. vontal macht von selbst weiter, sobald er antwortet; bluetoothd neu zu starten kann helfen.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: no keyring (Secret Service) runs in this session. vontal moves them into one as soon as it starts.</source>
        <translation>Passwörter werden in der Einstellungsdatei aufbewahrt: In dieser Sitzung läuft kein Schlüsselbund (Secret Service). vontal verschiebt sie dorthin, sobald einer startet.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring is locked. Unlock it, then start vontal again to move them there.</source>
        <translation>Passwörter werden in der Einstellungsdatei aufbewahrt: Der Schlüsselbund ist gesperrt. Entsperren Sie ihn und starten Sie vontal dann neu, um sie dorthin zu verschieben.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring does not answer. vontal moves them there once it does.</source>
        <translation>Passwörter werden in der Einstellungsdatei aufbewahrt: Der Schlüsselbund antwortet nicht. vontal verschiebt sie dorthin, sobald er antwortet.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring refused them (%1).</source>
        <translation>Passwörter werden in der Einstellungsdatei aufbewahrt: Der Schlüsselbund hat sie abgelehnt (%1).</translation>
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
