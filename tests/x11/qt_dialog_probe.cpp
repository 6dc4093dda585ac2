// A small Qt program for the workspace tests: one main window whose button opens a modal dialog
// with no parent, as programs do for a question that belongs to no window in particular (vontal's
// password alert is one). Qt makes such a dialog transient for a hidden group window of its own.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Probe main"));
    auto* layout = new QVBoxLayout(&window);
    auto* ask = new QPushButton(QStringLiteral("Ask"), &window);
    layout->addWidget(ask);
    QObject::connect(ask, &QPushButton::clicked, [] {
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Probe question"));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        (new QVBoxLayout(&dialog))->addWidget(buttons);
        dialog.exec();
    });
    ask->setFocus();
    window.show();
    return QApplication::exec();
}
