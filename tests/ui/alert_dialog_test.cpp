// The password alert as the user sees and answers it.

#include "platform/qt/services/alert_dialog.h"
#include "platform/qt/services/qt_alert_presenter.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace vontal {
namespace {

// Runs the alert through the presenter and lets `act` answer it from inside its modal loop.
AlertResponse runAnswering(const AlertRequest& request, std::function<void(QDialog&)> act) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        acted = true;
        act(*dialog);
    });
    QtAlertPresenter presenter;
    const AlertResponse response = presenter.runModal(request);
    EXPECT_TRUE(acted) << "the alert did not run modally";
    return response;
}

QLineEdit* field(QDialog& dialog) {
    return dialog.findChild<QLineEdit*>(AlertDialog::kFieldObjectName);
}
QPushButton* button(QDialog& dialog, int index) {
    return dialog.findChild<QPushButton*>(AlertDialog::kButtonObjectNamePrefix +
                                          QString::number(index));
}

const AlertRequest kRetry{"Incorrect password for <b>Pad</b>", {"Retry", "Cancel"}, 200, 24};

TEST(AlertDialog, ShowsTheMessageOneMaskedFieldAndTheButtonsInOrder) {
    runAnswering(kRetry, [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), AlertDialog::kWindowTitle);
        EXPECT_EQ(dialog.objectName(), AlertDialog::kObjectName);
        EXPECT_TRUE(dialog.isModal());

        const auto* message = dialog.findChild<QLabel*>(AlertDialog::kMessageObjectName);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text(), "Incorrect password for <b>Pad</b>");
        EXPECT_EQ(message->textFormat(), Qt::PlainText);

        ASSERT_EQ(dialog.findChildren<QLineEdit*>().size(), 1);
        EXPECT_EQ(field(dialog)->echoMode(), QLineEdit::Password);
        EXPECT_EQ(field(dialog)->size(), QSize(200, 24));
        EXPECT_TRUE(field(dialog)->text().isEmpty());
        EXPECT_TRUE(field(dialog)->placeholderText().isEmpty());

        const auto buttons = dialog.findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 2);
        EXPECT_EQ(button(dialog, 0)->text(), "Retry");
        EXPECT_EQ(button(dialog, 1)->text(), "Cancel");
        EXPECT_LT(button(dialog, 0)->x(), button(dialog, 1)->x());
        EXPECT_TRUE(button(dialog, 0)->isDefault());
        dialog.reject();
    });
}

TEST(AlertDialog, FirstButtonReturnsTheFirstResponseAndTheTypedText) {
    const AlertResponse response = runAnswering(kRetry, [](QDialog& dialog) {
        QTest::keyClicks(field(dialog), " pass word ");
        QTest::mouseClick(button(dialog, 0), Qt::LeftButton);
    });
    EXPECT_EQ(response.button, kAlertFirstButtonReturn);
    EXPECT_EQ(response.text, " pass word ");
}

TEST(AlertDialog, ReturnKeyAcceptsEvenWithAnEmptyField) {
    const AlertResponse response = runAnswering(
        kRetry, [](QDialog& dialog) { QTest::keyClick(field(dialog), Qt::Key_Return); });
    EXPECT_EQ(response.button, kAlertFirstButtonReturn);
    EXPECT_EQ(response.text, "");
}

TEST(AlertDialog, SecondButtonEscapeAndTheCloseBoxNeverAccept) {
    const AlertResponse second = runAnswering(kRetry, [](QDialog& dialog) {
        QTest::keyClicks(field(dialog), "typed");
        QTest::mouseClick(button(dialog, 1), Qt::LeftButton);
    });
    EXPECT_EQ(second.button, kAlertFirstButtonReturn + 1);
    EXPECT_EQ(second.text, "typed");

    const AlertResponse escape = runAnswering(
        kRetry, [](QDialog& dialog) { QTest::keyClick(field(dialog), Qt::Key_Escape); });
    EXPECT_EQ(escape.button, kAlertFirstButtonReturn + 1);

    const AlertResponse closed = runAnswering(kRetry, [](QDialog& dialog) { dialog.close(); });
    EXPECT_EQ(closed.button, kAlertFirstButtonReturn + 1);
}

TEST(AlertDialog, UnicodeTextComesBackAsUtf8) {
    const AlertResponse response = runAnswering(kRetry, [](QDialog& dialog) {
        field(dialog)->insert(QString::fromUtf8("pässwörd \u00B7 \U0001F511"));
        QTest::mouseClick(button(dialog, 0), Qt::LeftButton);
    });
    EXPECT_EQ(response.text, "pässwörd \u00B7 \U0001F511");
}

// A device may advertise a name of hundreds of letters, or one full of control characters.
TEST(AlertDialog, AnyNameWrapsWithinAScreenAndShowsItsControls) {
    const std::string longName(248, 'W');
    const AlertRequest request{"Enter the password for " + longName +
                                   " \x1b[31m\r\nPassword accepted",
                               {"OK", "Cancel"},
                               200,
                               24};
    runAnswering(request, [](QDialog& dialog) {
        dialog.adjustSize();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const auto* message = dialog.findChild<QLabel*>(AlertDialog::kMessageObjectName);
        ASSERT_NE(message, nullptr);
        EXPECT_LE(dialog.width(), screen.width() * 3 / 4);
        EXPECT_EQ(dialog.width(), AlertDialog::maximumDialogWidth()) << "as wide as it may be";
        // Every line of the message fits in the height it was given.
        EXPECT_GE(message->height(), message->heightForWidth(message->width()));
        EXPECT_GT(message->height(), 3 * message->fontMetrics().height()) << "it wraps";
        for (int index : {0, 1})
            EXPECT_TRUE(dialog.rect().contains(button(dialog, index)->geometry())) << index;

        // One paragraph: the escape and the line break show as symbols, nothing of the name is
        // lost (the wrap points are invisible).
        QString shown = message->text();
        shown.remove(QChar(0x200B));
        EXPECT_EQ(shown, QString::fromStdString("Enter the password for " + std::string(248, 'W')) +
                             QString::fromUtf8(" \u241b[31m\u240d\u240aPassword accepted"));
        dialog.reject();
    });
}

// The dialog is sized for the message with a name of kNameShownWhole letters; a longer name
// wraps at that width rather than stretching the dialog across the screen.
TEST(AlertDialog, LongerNamesWrapAtTheWidthOfTheLongestNameShownWhole) {
    const auto dialogFor = [](const std::string& name) {
        return std::make_unique<AlertDialog>(AlertRequest{"Enter password for " + name,
                                                          {"OK", "Cancel"},
                                                          200,
                                                          24,
                                                          "Enter password for %1",
                                                          name});
    };
    const std::string whole(AlertDialog::kNameShownWhole, 'W');
    const auto fits = dialogFor(whole);
    const auto longer = dialogFor(whole + std::string(200, 'W'));
    for (auto* dialog : {fits.get(), longer.get()})
        dialog->adjustSize();
    ASSERT_LT(fits->width(), AlertDialog::maximumDialogWidth());
    EXPECT_EQ(longer->width(), fits->width());

    const auto* oneLine = fits->findChild<QLabel*>(AlertDialog::kMessageObjectName);
    const auto* wrapped = longer->findChild<QLabel*>(AlertDialog::kMessageObjectName);
    EXPECT_EQ(oneLine->text(), QString::fromStdString("Enter password for " + whole));
    EXPECT_LT(oneLine->height(), 2 * oneLine->fontMetrics().lineSpacing());
    EXPECT_GT(wrapped->height(), 4 * wrapped->fontMetrics().lineSpacing());
    EXPECT_GE(wrapped->height(), wrapped->heightForWidth(wrapped->width()));
}

// A catalogue of a few of the alert's texts; `lostPlaceholder` stands for a translation that
// dropped the "%1".
class AlertCatalogue final : public QTranslator {
public:
    explicit AlertCatalogue(bool lostPlaceholder) : lostPlaceholder_(lostPlaceholder) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (QLatin1String(context) != QLatin1String("PasswordAlert"))
            return {};
        const QString text = QString::fromUtf8(source);
        if (text == "Enter password for %1")
            return lostPlaceholder_ ? QStringLiteral("Passwort eingeben")
                                    : QStringLiteral("Passwort für %1 eingeben");
        if (text == "Cancel")
            return QStringLiteral("Abbrechen");
        if (text == "vontal password")
            return QStringLiteral("vontal-Passwort");
        return {};
    }

private:
    bool lostPlaceholder_;
};

TEST(AlertDialog, TranslatesTheDeviceLinksTextsAroundTheDeviceNameAsItIs) {
    // A name with what would be a placeholder, markup and a control character of its own.
    const std::string name = "50%2 <b>Pad</b>\x07";
    const AlertRequest request{
        "Enter password for " + name, {"OK", "Cancel"}, 200, 24, "Enter password for %1", name};
    for (const bool lostPlaceholder : {false, true}) {
        SCOPED_TRACE(lostPlaceholder);
        AlertCatalogue catalogue(lostPlaceholder);
        QCoreApplication::installTranslator(&catalogue);
        {
            AlertDialog dialog(request);
            const auto* message = dialog.findChild<QLabel*>(AlertDialog::kMessageObjectName);
            ASSERT_NE(message, nullptr);
            // A translation without the name's place is not used: the message would not say
            // which device it is about.
            EXPECT_EQ(message->text(),
                      lostPlaceholder
                          ? QString::fromUtf8("Enter password for 50%2 <b>Pad</b>\u2407")
                          : QString::fromUtf8("Passwort für 50%2 <b>Pad</b>\u2407 eingeben"));
            EXPECT_EQ(dialog.windowTitle(), "vontal-Passwort");
            // "OK" has no entry here: shown as written.
            EXPECT_EQ(button(dialog, 0)->text(), "OK");
            EXPECT_EQ(button(dialog, 1)->text(), "Abbrechen");
        }
        QCoreApplication::removeTranslator(&catalogue);
    }
}

} // namespace
} // namespace vontal
