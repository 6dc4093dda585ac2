<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>ContentView</name>
    <message>
        <source>Connected</source>
        <translation>Conectados</translation>
    </message>
    <message>
        <source>Discovered</source>
        <translation>Detectados</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Conectar</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Desconectar</translation>
    </message>
    <message>
        <source>Launch on login</source>
        <translation>Abrir al iniciar sesión</translation>
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
        <translation>Conectando…</translation>
    </message>
    <message>
        <source>Waiting for password</source>
        <translation>Esperando la contraseña</translation>
    </message>
    <message>
        <source>Password refused</source>
        <translation>Contraseña rechazada</translation>
    </message>
    <message>
        <source>Unlocked</source>
        <translation>Desbloqueado</translation>
    </message>
    <message>
        <source>Now sending: %1</source>
        <translation>Enviando ahora: %1</translation>
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
        <translation>Compañero para dispositivos Bluetooth</translation>
    </message>
    <message>
        <source>Tell your Bluetooth LE devices which application you are working in</source>
        <translation>Indique a sus dispositivos Bluetooth LE en qué aplicación está trabajando</translation>
    </message>
    <message>
        <source>Vontal Login Helper</source>
        <translation>Asistente de inicio de sesión de Vontal</translation>
    </message>
    <message>
        <source>Starts Vontal when you log in</source>
        <translation>Abre Vontal al iniciar sesión</translation>
    </message>
</context>
<context>
    <name>ExtensionNotice</name>
    <message>
        <source>Switch On</source>
        <translation>Activar</translation>
    </message>
    <message>
        <source>Application names are not sent until the GNOME extension is switched on.</source>
        <translation>Los nombres de las aplicaciones no se envían hasta que se active la extensión de GNOME.</translation>
    </message>
    <message>
        <source>Application names are sent after your next login, when GNOME loads the extension.</source>
        <translation>Los nombres de las aplicaciones se enviarán tras su próximo inicio de sesión, cuando GNOME cargue la extensión.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension does not support GNOME Shell %1 yet.</source>
        <translation>Los nombres de las aplicaciones no se envían: la extensión de GNOME de vontal aún no es compatible con GNOME Shell %1.</translation>
    </message>
    <message>
        <source>Application names are not sent: GNOME could not run vontal&apos;s extension.</source>
        <translation>Los nombres de las aplicaciones no se envían: GNOME no pudo ejecutar la extensión de vontal.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension is not installed. Installing vontal&apos;s package installs it.</source>
        <translation>Los nombres de las aplicaciones no se envían: la extensión de GNOME de vontal no está instalada. Al instalar el paquete de vontal se instala.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>Ventana nueva</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Salir</translation>
    </message>
</context>
<context>
    <name>PasswordAlert</name>
    <message>
        <source>Enter password for %1</source>
        <translation>Introduzca la contraseña de %1</translation>
    </message>
    <message>
        <source>Incorrect password for %1</source>
        <translation>Contraseña incorrecta para %1</translation>
    </message>
    <message>
        <source>Shown in vontal as %1</source>
        <translation>Se muestra en vontal como %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Reintentar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>vontal password</source>
        <translation>Contraseña de vontal</translation>
    </message>
</context>
<context>
    <name>StatusLine</name>
    <message>
        <source>Switch On</source>
        <translation>Activar</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the D-Bus system bus is not running. Start it, then start vontal again.</source>
        <translation>No se puede usar Bluetooth: el bus del sistema D-Bus no está en ejecución. Inícielo y vuelva a iniciar vontal.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not running. Start it, and vontal carries on by itself.</source>
        <translation>No se puede usar Bluetooth: el servicio de Bluetooth (bluetoothd) no está en ejecución. Inícielo y vontal continuará por sí solo.</translation>
    </message>
    <message>
        <source>Bluetooth LE cannot be used: the installed BlueZ is older than 5.42. Update BlueZ, then start vontal again.</source>
        <translation>No se puede usar Bluetooth LE: el BlueZ instalado es anterior a la 5.42. Actualice BlueZ y vuelva a iniciar vontal.</translation>
    </message>
    <message>
        <source>No Bluetooth adapter was found. Plug one in, or unblock it in your system&apos;s settings.</source>
        <translation>No se encontró ningún adaptador Bluetooth. Conecte uno o desbloquéelo en la configuración del sistema.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off, and BlueZ did not switch it on (%1). Switch it on in your system&apos;s settings.</source>
        <translation>Bluetooth está desactivado y BlueZ no lo activó (%1). Actívelo en la configuración del sistema.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off. Switch it on to find devices.</source>
        <translation>Bluetooth está desactivado. Actívelo para encontrar dispositivos.</translation>
    </message>
    <message>
        <source>Looking for devices. Yours shows up here when it is switched on and near this computer.</source>
        <translation>Buscando dispositivos. El suyo aparecerá aquí cuando esté encendido y cerca de este equipo.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal cannot see which application is in front on %1. They are sent on X11 sessions, KDE Plasma, GNOME and wlroots compositors such as sway.</source>
        <translation>Los nombres de las aplicaciones no se envían: vontal no puede ver qué aplicación está en primer plano en %1. Se envían en sesiones X11, KDE Plasma, GNOME y compositores wlroots como sway.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched on: %1.</source>
        <translation>No se pudo activar «Abrir al iniciar sesión»: %1.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched off: %1.</source>
        <translation>No se pudo desactivar «Abrir al iniciar sesión»: %1.</translation>
    </message>
    <message>
        <source>Launch on login was set up, but the system does not start vontal at login yet.</source>
        <translation>Se configuró «Abrir al iniciar sesión», pero el sistema aún no inicia vontal al iniciar sesión.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>Los nombres de aplicación no se envían: otro programa tiene el nombre de vontal en el bus de sesión. vontal toma el nombre en cuanto ese programa lo suelte.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program (%1, process %2) holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>Los nombres de aplicación no se envían: otro programa (%1, proceso %2) tiene el nombre de vontal en el bus de sesión. vontal toma el nombre en cuanto ese programa lo suelte.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not answer. vontal carries on by itself once it does; restarting bluetoothd may help.</source>
        <translation>No se puede usar Bluetooth: el servicio Bluetooth (bluetoothd) no responde. vontal continúa por sí solo en cuanto responda; reiniciar bluetoothd puede ayudar.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: no keyring (Secret Service) runs in this session. vontal moves them into one as soon as it starts.</source>
        <translation>Las contraseñas se guardan en el archivo de configuración: no hay ningún llavero (Secret Service) en esta sesión. vontal las traslada a uno en cuanto se inicie.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring is locked. Unlock it, then start vontal again to move them there.</source>
        <translation>Las contraseñas se guardan en el archivo de configuración: el llavero está bloqueado. Desbloquéelo y vuelva a iniciar vontal para trasladarlas allí.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring does not answer. vontal moves them there once it does.</source>
        <translation>Las contraseñas se guardan en el archivo de configuración: el llavero no responde. vontal las traslada allí en cuanto responda.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring refused them (%1).</source>
        <translation>Las contraseñas se guardan en el archivo de configuración: el llavero las rechazó (%1).</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Open vontal</source>
        <translation>Abrir vontal</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>Ningún dispositivo conectado</translation>
    </message>
    <message>
        <source>1 device connected:</source>
        <translation>1 dispositivo conectado:</translation>
    </message>
    <message>
        <source>%1 devices connected:</source>
        <translation>%1 dispositivos conectados:</translation>
    </message>
    <message>
        <source>A device is waiting for its password</source>
        <translation>Un dispositivo está esperando su contraseña</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Tells your Bluetooth LE devices which application you are working in.</source>
        <translation>Indica a sus dispositivos Bluetooth LE en qué aplicación está trabajando.</translation>
    </message>
    <message>
        <source>Run on simulated demo devices instead of Bluetooth, with settings kept in memory.</source>
        <translation>Usar dispositivos de demostración simulados en lugar de Bluetooth, con la configuración guardada en memoria.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argumento inesperado: %1</translation>
    </message>
    <message>
        <source>Application names are sent on X11 desktops, on wlroots compositors (sway, labwc, Hyprland, river, Wayfire, niri), on KDE Plasma and on GNOME Shell once vontal&apos;s extension is switched on.</source>
        <translation>Los nombres de las aplicaciones se envían en escritorios X11, en compositores wlroots (sway, labwc, Hyprland, river, Wayfire, niri), en KDE Plasma y en GNOME Shell una vez activada la extensión de vontal.</translation>
    </message>
</context>
</TS>
