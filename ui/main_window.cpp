#include "main_window.h"

#include "content_view.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>

namespace vontal {

MainWindow::MainWindow(ContentView* content, std::function<void()> newWindow, QWidget* parent)
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
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    resize(460, 480);
}

void MainWindow::bringForward() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace vontal
