<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>ContentView</name>
    <message>
        <source>Connected</source>
        <translation>Conectados</translation>
    </message>
    <message>
        <source>Discovered</source>
        <translation>Encontrados</translation>
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
        <translation>Abrir ao iniciar a sessão</translation>
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
        <translation>conectado</translation>
    </message>
    <message>
        <source>connecting or disconnected</source>
        <translation>conectando ou desconectado</translation>
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
        <translation>Companheiro para dispositivos Bluetooth</translation>
    </message>
    <message>
        <source>Tell your Bluetooth LE devices which application you are working in</source>
        <translation>Informe aos seus dispositivos Bluetooth LE em qual aplicativo você está trabalhando</translation>
    </message>
    <message>
        <source>Vontal Login Helper</source>
        <translation>Auxiliar de início de sessão do Vontal</translation>
    </message>
    <message>
        <source>Starts Vontal when you log in</source>
        <translation>Abre o Vontal ao iniciar a sessão</translation>
    </message>
</context>
<context>
    <name>ExtensionNotice</name>
    <message>
        <source>Switch On</source>
        <translation>Ativar</translation>
    </message>
    <message>
        <source>Application names are not sent until the GNOME extension is switched on.</source>
        <translation>Os nomes dos aplicativos só são enviados depois que a extensão do GNOME for ativada.</translation>
    </message>
    <message>
        <source>Application names are sent after your next login, when GNOME loads the extension.</source>
        <translation>Os nomes dos aplicativos serão enviados após o próximo início de sessão, quando o GNOME carregar a extensão.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension does not support GNOME Shell %1 yet.</source>
        <translation>Os nomes dos aplicativos não são enviados: a extensão do GNOME do vontal ainda não é compatível com o GNOME Shell %1.</translation>
    </message>
    <message>
        <source>Application names are not sent: GNOME could not run vontal&apos;s extension.</source>
        <translation>Os nomes dos aplicativos não são enviados: o GNOME não conseguiu executar a extensão do vontal.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Arquivo</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>Nova janela</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Sair</translation>
    </message>
</context>
<context>
    <name>PasswordAlert</name>
    <message>
        <source>Enter password for %1</source>
        <translation>Digite a senha de %1</translation>
    </message>
    <message>
        <source>Incorrect password for %1</source>
        <translation>Senha incorreta para %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Tentar novamente</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>vontal password</source>
        <translation>Senha do vontal</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Open vontal</source>
        <translation>Abrir o vontal</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Sair</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>Nenhum dispositivo conectado</translation>
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
        <translation>Um dispositivo está aguardando a senha</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Tells your Bluetooth LE devices which application you are working in.</source>
        <translation>Informa aos seus dispositivos Bluetooth LE em qual aplicativo você está trabalhando.</translation>
    </message>
    <message>
        <source>Run on simulated demo devices instead of Bluetooth, with settings kept in memory.</source>
        <translation>Executar com dispositivos de demonstração simulados em vez de Bluetooth, com as configurações mantidas só na memória.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Argumento inesperado: %1</translation>
    </message>
    <message>
        <source>Application names are sent on X11 desktops, on wlroots compositors (sway, labwc, Hyprland, river, Wayfire, niri), on KDE Plasma and on GNOME Shell once vontal&apos;s extension is switched on.</source>
        <translation>Os nomes dos aplicativos são enviados em áreas de trabalho X11, em compositores wlroots (sway, labwc, Hyprland, river, Wayfire, niri), no KDE Plasma e no GNOME Shell depois que a extensão do vontal for ativada.</translation>
    </message>
</context>
</TS>
