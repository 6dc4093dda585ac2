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
        <translation>Aguardando a senha</translation>
    </message>
    <message>
        <source>Password refused</source>
        <translation>Senha recusada</translation>
    </message>
    <message>
        <source>Unlocked</source>
        <translation>Desbloqueado</translation>
    </message>
    <message>
        <source>Now sending: %1</source>
        <translation>Enviando agora: %1</translation>
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
    <message>
        <source>Application names are not sent: vontal&apos;s GNOME extension is not installed. Installing vontal&apos;s package installs it.</source>
        <translation>Os nomes dos aplicativos não são enviados: a extensão do GNOME do vontal não está instalada. Instalar o pacote do vontal a instala.</translation>
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
        <source>Shown in vontal as %1</source>
        <translation>Exibido no vontal como %1</translation>
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
    <name>StatusLine</name>
    <message>
        <source>Switch On</source>
        <translation>Ativar</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the D-Bus system bus is not running. Start it, then start vontal again.</source>
        <translation>Não é possível usar o Bluetooth: o barramento de sistema D-Bus não está em execução. Inicie-o e depois inicie o vontal novamente.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not running. Start it, and vontal carries on by itself.</source>
        <translation>Não é possível usar o Bluetooth: o serviço de Bluetooth (bluetoothd) não está em execução. Inicie-o e o vontal continuará sozinho.</translation>
    </message>
    <message>
        <source>Bluetooth LE cannot be used: the installed BlueZ is older than 5.42. Update BlueZ, then start vontal again.</source>
        <translation>Não é possível usar o Bluetooth LE: o BlueZ instalado é anterior à versão 5.42. Atualize o BlueZ e depois inicie o vontal novamente.</translation>
    </message>
    <message>
        <source>No Bluetooth adapter was found. Plug one in, or unblock it in your system&apos;s settings.</source>
        <translation>Nenhum adaptador Bluetooth foi encontrado. Conecte um ou desbloqueie-o nas configurações do sistema.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off, and BlueZ did not switch it on (%1). Switch it on in your system&apos;s settings.</source>
        <translation>O Bluetooth está desligado e o BlueZ não o ligou (%1). Ligue-o nas configurações do sistema.</translation>
    </message>
    <message>
        <source>Bluetooth is switched off. Switch it on to find devices.</source>
        <translation>O Bluetooth está desligado. Ligue-o para encontrar dispositivos.</translation>
    </message>
    <message>
        <source>Looking for devices. Yours shows up here when it is switched on and near this computer.</source>
        <translation>Procurando dispositivos. O seu aparecerá aqui quando estiver ligado e perto deste computador.</translation>
    </message>
    <message>
        <source>Application names are not sent: vontal cannot see which application is in front on %1. They are sent on X11 sessions, KDE Plasma, GNOME and wlroots compositors such as sway.</source>
        <translation>Os nomes dos aplicativos não são enviados: o vontal não consegue ver qual aplicativo está em primeiro plano em %1. Eles são enviados em sessões X11, no KDE Plasma, no GNOME e em compositores wlroots como o sway.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched on: %1.</source>
        <translation>Não foi possível ativar “Abrir ao iniciar a sessão”: %1.</translation>
    </message>
    <message>
        <source>Launch on login could not be switched off: %1.</source>
        <translation>Não foi possível desativar “Abrir ao iniciar a sessão”: %1.</translation>
    </message>
    <message>
        <source>Launch on login was set up, but the system does not start vontal at login yet.</source>
        <translation>“Abrir ao iniciar a sessão” foi configurado, mas o sistema ainda não inicia o vontal ao entrar.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>Os nomes de aplicativos não são enviados: outro programa detém o nome do vontal no barramento de sessão. O vontal assume o nome assim que esse programa o liberar.</translation>
    </message>
    <message>
        <source>Application names are not sent: another program (%1, process %2) holds vontal&apos;s name on the session bus. vontal takes the name as soon as that program lets go of it.</source>
        <translation>Os nomes de aplicativos não são enviados: outro programa (%1, processo %2) detém o nome do vontal no barramento de sessão. O vontal assume o nome assim que esse programa o liberar.</translation>
    </message>
    <message>
        <source>Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not answer. vontal carries on by itself once it does; restarting bluetoothd may help.</source>
        <translation>O Bluetooth não pode ser usado: o serviço Bluetooth (bluetoothd) não responde. O vontal continua sozinho assim que ele responder; reiniciar o bluetoothd pode ajudar.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: no keyring (Secret Service) runs in this session. vontal moves them into one as soon as it starts.</source>
        <translation>As senhas ficam no arquivo de configurações: nenhum chaveiro (Secret Service) está em execução nesta sessão. O vontal as move para um assim que ele iniciar.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring is locked. Unlock it, then start vontal again to move them there.</source>
        <translation>As senhas ficam no arquivo de configurações: o chaveiro está bloqueado. Desbloqueie-o e inicie o vontal novamente para movê-las para lá.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring does not answer. vontal moves them there once it does.</source>
        <translation>As senhas ficam no arquivo de configurações: o chaveiro não responde. O vontal as move para lá assim que ele responder.</translation>
    </message>
    <message>
        <source>Passwords are kept in the settings file: the keyring refused them (%1).</source>
        <translation>As senhas ficam no arquivo de configurações: o chaveiro as recusou (%1).</translation>
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
