<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it">
<context>
    <name>ContentView</name>
    <message>
        <source>Connected</source>
        <translation>Connessi</translation>
    </message>
    <message>
        <source>Discovered</source>
        <translation>Rilevati</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Connetti</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Disconnetti</translation>
    </message>
    <message>
        <source>Launch on login</source>
        <translation>Avvia all’accesso</translation>
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
        <translation>connesso</translation>
    </message>
    <message>
        <source>connecting or disconnected</source>
        <translation>in connessione o disconnesso</translation>
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
        <translation>Compagno per dispositivi Bluetooth</translation>
    </message>
    <message>
        <source>Tell your Bluetooth LE devices which application you are working in</source>
        <translation>Comunica ai dispositivi Bluetooth LE in quale applicazione si sta lavorando</translation>
    </message>
    <message>
        <source>Vontal Login Helper</source>
        <translation>Assistente di accesso di Vontal</translation>
    </message>
    <message>
        <source>Starts Vontal when you log in</source>
        <translation>Avvia Vontal all’accesso</translation>
    </message>
</context>
<context>
    <name>ExtensionNotice</name>
    <message>
        <source>Switch On</source>
        <translation>Attiva</translation>
    </message>
    <message>
        <source>Application names are not sent until the GNOME extension is switched on.</source>
        <translation>I nomi delle applicazioni non vengono inviati finché l’estensione di GNOME non è attivata.</translation>
    </message>
    <message>
        <source>Application names are sent after your next login, when GNOME loads the extension.</source>
        <translation>I nomi delle applicazioni verranno inviati dopo il prossimo accesso, quando GNOME caricherà l’estensione.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension does not support GNOME Shell %1 yet.</source>
        <translation>I nomi delle applicazioni non vengono inviati: l’estensione di GNOME di vontal non supporta ancora GNOME Shell %1.</translation>
    </message>
    <message>
        <source>Application names are not sent: GNOME could not run vontal&apos;s extension.</source>
        <translation>I nomi delle applicazioni non vengono inviati: GNOME non è riuscito a eseguire l’estensione di vontal.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>Nuova finestra</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Esci</translation>
    </message>
</context>
<context>
    <name>PasswordAlert</name>
    <message>
        <source>Enter password for %1</source>
        <translation>Inserire la password per %1</translation>
    </message>
    <message>
        <source>Incorrect password for %1</source>
        <translation>Password errata per %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Riprova</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>vontal password</source>
        <translation>Password di vontal</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Open vontal</source>
        <translation>Apri vontal</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Esci</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>Nessun dispositivo connesso</translation>
    </message>
    <message>
        <source>1 device connected:</source>
        <translation>1 dispositivo connesso:</translation>
    </message>
    <message>
        <source>%1 devices connected:</source>
        <translation>%1 dispositivi connessi:</translation>
    </message>
    <message>
        <source>A device is waiting for its password</source>
        <translation>Un dispositivo attende la sua password</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Tells your Bluetooth LE devices which application you are working in.</source>
        <translation>Comunica ai dispositivi Bluetooth LE in quale applicazione si sta lavorando.</translation>
    </message>
    <message>
        <source>Run on simulated demo devices instead of Bluetooth, with settings kept in memory.</source>
        <translation>Usa dispositivi dimostrativi simulati invece del Bluetooth, con le impostazioni tenute solo in memoria.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argomento inatteso: %1</translation>
    </message>
    <message>
        <source>Application names are sent on X11 desktops, on wlroots compositors (sway, labwc, Hyprland, river, Wayfire, niri), on KDE Plasma and on GNOME Shell once vontal&apos;s extension is switched on.</source>
        <translation>I nomi delle applicazioni vengono inviati sui desktop X11, sui compositor wlroots (sway, labwc, Hyprland, river, Wayfire, niri), su KDE Plasma e su GNOME Shell una volta attivata l’estensione di vontal.</translation>
    </message>
</context>
</TS>
