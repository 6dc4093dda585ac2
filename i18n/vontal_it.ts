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
        <source>🟠</source>
        <translation>🟠</translation>
    </message>
    <message>
        <source>🔴</source>
        <translation>🔴</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Connessione…</translation>
    </message>
    <message>
        <source>Waiting for password</source>
        <translation>In attesa della password</translation>
    </message>
    <message>
        <source>Password refused</source>
        <translation>Password rifiutata</translation>
    </message>
    <message>
        <source>Unlocked</source>
        <translation>Sbloccato</translation>
    </message>
    <message>
        <source>Now sending: %1</source>
        <translation>Invio in corso: %1</translation>
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
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension is not installed. Installing vontal&apos;s package installs it.</source>
        <translation>I nomi delle applicazioni non vengono inviati: l’estensione di GNOME di vontal non è installata. Il pacchetto di vontal la installa.</translation>
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
        <source>Shown in vontal as %1</source>
        <translation>Mostrato in vontal come %1</translation>
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
    <name>StatusLine</name>
    <message>
        <source>Switch On</source>
        <translation>Attiva</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the D-Bus system bus is not running. Start it, then start vontal again.</source>
        <translation>Impossibile usare il Bluetooth: il bus di sistema D-Bus non è in esecuzione. Avviarlo, poi riavviare vontal.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not running. Start it, and vontal carries on by itself.</source>
        <translation>Impossibile usare il Bluetooth: il servizio Bluetooth (bluetoothd) non è in esecuzione. Avviarlo e vontal riprenderà da solo.</translation>
    </message>
    <message>
        <source>Bluetooth LE cannot be used: the installed BlueZ is older than 5.42. Update BlueZ, then start vontal again.</source>
        <translation>Impossibile usare il Bluetooth LE: il BlueZ installato è precedente alla 5.42. Aggiornare BlueZ, poi riavviare vontal.</translation>
    </message>
    <message>
        <source>No Bluetooth adapter was found. Plug one in, or unblock it in your system&apos;s settings.</source>
        <translation>Nessun adattatore Bluetooth trovato. Collegarne uno o sbloccarlo nelle impostazioni di sistema.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off, and BlueZ did not switch it on (%1). Switch it on in your system&apos;s settings.</source>
        <translation>Il Bluetooth è spento e BlueZ non l’ha acceso (%1). Accenderlo nelle impostazioni di sistema.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off. Switch it on to find devices.</source>
        <translation>Il Bluetooth è spento. Accenderlo per trovare i dispositivi.</translation>
    </message>
    <message>
        <source>Looking for devices. Yours shows up here when it is switched on and near this computer.</source>
        <translation>Ricerca di dispositivi. Il vostro comparirà qui quando sarà acceso e vicino a questo computer.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal cannot see which application is in front on %1. They are sent on X11 sessions, KDE Plasma, GNOME and wlroots compositors such as sway.</source>
        <translation>I nomi delle applicazioni non vengono inviati: vontal non può vedere quale applicazione è in primo piano su %1. Vengono inviati nelle sessioni X11, su KDE Plasma, GNOME e sui compositor wlroots come sway.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched on: %1.</source>
        <translation>Impossibile attivare «Avvia all’accesso»: %1.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched off: %1.</source>
        <translation>Impossibile disattivare «Avvia all’accesso»: %1.</translation>
    </message>
    <message>
        <source>Launch on login was set up, but the system does not start vontal at login yet.</source>
        <translation>«Avvia all’accesso» è stato configurato, ma il sistema non avvia ancora vontal all’accesso.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>I nomi delle applicazioni non vengono inviati: un altro programma detiene il nome di vontal sul bus di sessione. vontal prende il nome non appena quel programma lo rilascia.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program (%1, process %2) holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>I nomi delle applicazioni non vengono inviati: un altro programma (%1, processo %2) detiene il nome di vontal sul bus di sessione. vontal prende il nome non appena quel programma lo rilascia.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not answer. vontal carries on by itself once it does; restarting bluetoothd may help.</source>
        <translation>Il Bluetooth non può essere usato: il servizio Bluetooth (bluetoothd) non risponde. vontal riprende da solo appena risponde; riavviare bluetoothd può aiutare.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: no keyring (Secret Service) runs in this session. vontal moves them into one as soon as it starts.</source>
        <translation>Le password sono conservate nel file delle impostazioni: in questa sessione non è attivo alcun portachiavi (Secret Service). vontal le sposta in un portachiavi appena ne viene avviato uno.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring is locked. Unlock it, then start vontal again to move them there.</source>
        <translation>Le password sono conservate nel file delle impostazioni: il portachiavi è bloccato. Sbloccarlo, quindi riavviare vontal per spostarle lì.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring does not answer. vontal moves them there once it does.</source>
        <translation>Le password sono conservate nel file delle impostazioni: il portachiavi non risponde. vontal le sposta lì appena risponde.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring refused them (%1).</source>
        <translation>Le password sono conservate nel file delle impostazioni: il portachiavi le ha rifiutate (%1).</translation>
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
