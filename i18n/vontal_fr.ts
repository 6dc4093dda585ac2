<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>ContentView</name>
    <message>
        <source>Connected</source>
        <translation>Connectés</translation>
    </message>
    <message>
        <source>Discovered</source>
        <translation>Détectés</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Connecter</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Déconnecter</translation>
    </message>
    <message>
        <source>Launch on login</source>
        <translation>Lancer à l’ouverture de session</translation>
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
        <translation>Connexion…</translation>
    </message>
    <message>
        <source>Waiting for password</source>
        <translation>En attente du mot de passe</translation>
    </message>
    <message>
        <source>Password refused</source>
        <translation>Mot de passe refusé</translation>
    </message>
    <message>
        <source>Unlocked</source>
        <translation>Déverrouillé</translation>
    </message>
    <message>
        <source>Now sending: %1</source>
        <translation>Envoi en cours : %1</translation>
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
        <translation>Compagnon pour appareils Bluetooth</translation>
    </message>
    <message>
        <source>Tell your Bluetooth LE devices which application you are working in</source>
        <translation>Indiquer à vos appareils Bluetooth LE dans quelle application vous travaillez</translation>
    </message>
    <message>
        <source>Vontal Login Helper</source>
        <translation>Assistant de connexion de Vontal</translation>
    </message>
    <message>
        <source>Starts Vontal when you log in</source>
        <translation>Lance Vontal à l’ouverture de session</translation>
    </message>
</context>
<context>
    <name>ExtensionNotice</name>
    <message>
        <source>Switch On</source>
        <translation>Activer</translation>
    </message>
    <message>
        <source>Application names are not sent until the GNOME extension is switched on.</source>
        <translation>Les noms d’application ne sont pas envoyés tant que l’extension GNOME n’est pas activée.</translation>
    </message>
    <message>
        <source>Application names are sent after your next login, when GNOME loads the extension.</source>
        <translation>Les noms d’application seront envoyés après votre prochaine ouverture de session, quand GNOME chargera l’extension.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension does not support GNOME Shell %1 yet.</source>
        <translation>Les noms d’application ne sont pas envoyés : l’extension GNOME de vontal ne prend pas encore en charge GNOME Shell %1.</translation>
    </message>
    <message>
        <source>Application names are not sent: GNOME could not run vontal&apos;s extension.</source>
        <translation>Les noms d’application ne sont pas envoyés : GNOME n’a pas pu exécuter l’extension de vontal.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension is not installed. Installing vontal&apos;s package installs it.</source>
        <translation>Les noms d’application ne sont pas envoyés : l’extension GNOME de vontal n’est pas installée. L’installation du paquet de vontal l’installe.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>Nouvelle fenêtre</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
</context>
<context>
    <name>PasswordAlert</name>
    <message>
        <source>Enter password for %1</source>
        <translation>Saisissez le mot de passe de %1</translation>
    </message>
    <message>
        <source>Incorrect password for %1</source>
        <translation>Mot de passe incorrect pour %1</translation>
    </message>
    <message>
        <source>Shown in vontal as %1</source>
        <translation>Affiché dans vontal sous le nom %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Réessayer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>vontal password</source>
        <translation>Mot de passe vontal</translation>
    </message>
</context>
<context>
    <name>StatusLine</name>
    <message>
        <source>Switch On</source>
        <translation>Activer</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the D-Bus system bus is not running. Start it, then start vontal again.</source>
        <translation>Le Bluetooth ne peut pas être utilisé : le bus système D-Bus ne fonctionne pas. Démarrez-le, puis relancez vontal.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not running. Start it, and vontal carries on by itself.</source>
        <translation>Le Bluetooth ne peut pas être utilisé : le service Bluetooth (bluetoothd) ne fonctionne pas. Démarrez-le et vontal reprendra de lui-même.</translation>
    </message>
    <message>
        <source>Bluetooth LE cannot be used: the installed BlueZ is older than 5.42. Update BlueZ, then start vontal again.</source>
        <translation>Le Bluetooth LE ne peut pas être utilisé : la version installée de BlueZ est antérieure à 5.42. Mettez BlueZ à jour, puis relancez vontal.</translation>
    </message>
    <message>
        <source>No Bluetooth adapter was found. Plug one in, or unblock it in your system&apos;s settings.</source>
        <translation>Aucun adaptateur Bluetooth n’a été trouvé. Branchez-en un, ou débloquez-le dans les paramètres de votre système.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off, and BlueZ did not switch it on (%1). Switch it on in your system&apos;s settings.</source>
        <translation>Le Bluetooth est désactivé et BlueZ ne l’a pas activé (%1). Activez-le dans les paramètres de votre système.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off. Switch it on to find devices.</source>
        <translation>Le Bluetooth est désactivé. Activez-le pour trouver des appareils.</translation>
    </message>
    <message>
        <source>Looking for devices. Yours shows up here when it is switched on and near this computer.</source>
        <translation>Recherche d’appareils. Le vôtre apparaîtra ici lorsqu’il sera allumé et près de cet ordinateur.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal cannot see which application is in front on %1. They are sent on X11 sessions, KDE Plasma, GNOME and wlroots compositors such as sway.</source>
        <translation>Les noms d’application ne sont pas envoyés : vontal ne peut pas voir quelle application est au premier plan sur %1. Ils sont envoyés dans les sessions X11, sur KDE Plasma, GNOME et les compositeurs wlroots comme sway.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched on: %1.</source>
        <translation>« Lancer à l’ouverture de session » n’a pas pu être activé : %1.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched off: %1.</source>
        <translation>« Lancer à l’ouverture de session » n’a pas pu être désactivé : %1.</translation>
    </message>
    <message>
        <source>Launch on login was set up, but the system does not start vontal at login yet.</source>
        <translation>« Lancer à l’ouverture de session » a été configuré, mais le système ne démarre pas encore vontal à l’ouverture de session.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>Les noms d&apos;application ne sont pas envoyés : un autre programme détient le nom de vontal sur le bus de session. vontal prend le nom dès que ce programme le libère.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program (%1, process %2) holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>Les noms d&apos;application ne sont pas envoyés : un autre programme (%1, processus %2) détient le nom de vontal sur le bus de session. vontal prend le nom dès que ce programme le libère.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not answer. vontal carries on by itself once it does; restarting bluetoothd may help.</source>
        <translation>Le Bluetooth ne peut pas être utilisé : le service Bluetooth (bluetoothd) ne répond pas. vontal reprend de lui-même dès qu'il répond ; redémarrer bluetoothd peut aider.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: no keyring (Secret Service) runs in this session. vontal moves them into one as soon as it starts.</source>
        <translation>Les mots de passe sont conservés dans le fichier de réglages : aucun trousseau (Secret Service) ne fonctionne dans cette session. vontal les y déplace dès qu’un trousseau démarre.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring is locked. Unlock it, then start vontal again to move them there.</source>
        <translation>Les mots de passe sont conservés dans le fichier de réglages : le trousseau est verrouillé. Déverrouillez-le, puis redémarrez vontal pour les y déplacer.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring does not answer. vontal moves them there once it does.</source>
        <translation>Les mots de passe sont conservés dans le fichier de réglages : le trousseau ne répond pas. vontal les y déplace dès qu’il répond.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring refused them (%1).</source>
        <translation>Les mots de passe sont conservés dans le fichier de réglages : le trousseau les a refusés (%1).</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Open vontal</source>
        <translation>Ouvrir vontal</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>Aucun appareil connecté</translation>
    </message>
    <message>
        <source>1 device connected:</source>
        <translation>1 appareil connecté&#xa0;:</translation>
    </message>
    <message>
        <source>%1 devices connected:</source>
        <translation>%1 appareils connectés&#xa0;:</translation>
    </message>
    <message>
        <source>A device is waiting for its password</source>
        <translation>Un appareil attend son mot de passe</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Tells your Bluetooth LE devices which application you are working in.</source>
        <translation>Indique à vos appareils Bluetooth LE dans quelle application vous travaillez.</translation>
    </message>
    <message>
        <source>Run on simulated demo devices instead of Bluetooth, with settings kept in memory.</source>
        <translation>Fonctionner avec des appareils de démonstration simulés au lieu du Bluetooth, les paramètres étant gardés en mémoire.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argument inattendu&#xa0;: %1</translation>
    </message>
    <message>
        <source>Application names are sent on X11 desktops, on wlroots compositors (sway, labwc, Hyprland, river, Wayfire, niri), on KDE Plasma and on GNOME Shell once vontal&apos;s extension is switched on.</source>
        <translation>Les noms d’application sont envoyés sur les bureaux X11, sur les compositeurs wlroots (sway, labwc, Hyprland, river, Wayfire, niri), sur KDE Plasma et sur GNOME Shell une fois l’extension de vontal activée.</translation>
    </message>
</context>
</TS>
