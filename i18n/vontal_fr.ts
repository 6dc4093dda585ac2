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
        <source>connected</source>
        <translation>connecté</translation>
    </message>
    <message>
        <source>connecting or disconnected</source>
        <translation>connexion en cours ou déconnecté</translation>
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
