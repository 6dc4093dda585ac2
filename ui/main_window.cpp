#include "main_window.h"

#include "content_view.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>

namespace vontal {

MainWindow::MainWindow(ContentView* content, std::function<void()> newWindow,
                       std::function<void()> quitApplication, QWidget* parent)
    : QMainWindow(parent), content_(content) {
    setObjectName(QStringLiteral("mainWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(content_);

    QMenu* file = menuBar()->addMenu(QCoreApplication::translate("MainWindow", "&File"));
    QAction* open = file->addAction(QCoreApplication::translate("MainWindow", "New Window"));
    open->setObjectName(QStringLiteral("newWindowAction"));
    open->setShortcut(QKeySequence::New);
    connect(open, &QAction::triggered, this, [newWindow = std::move(newWindow)] { newWindow(); });
    file->addSeparator();
    QAction* quit = file->addAction(QCoreApplication::translate("MainWindow", "Quit"));
    // Some platforms' key schemes bind nothing to Quit; Ctrl+Q is what a Linux user expects.
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (quitKeys.isEmpty())
        quitKeys << QKeySequence(Qt::CTRL | Qt::Key_Q);
    quit->setShortcuts(quitKeys);
    quit->setMenuRole(QAction::QuitRole);
    quit->setObjectName(QStringLiteral("quitAction"));
    // Queued: the menu that sent it is not torn down under its own feet.
    connect(
        quit, &QAction::triggered, this,
        [quitApplication = std::move(quitApplication)] { quitApplication(); },
        Qt::QueuedConnection);

    resize(460, 480);
}

void MainWindow::bringForward() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace vontal
