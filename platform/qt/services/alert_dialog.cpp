#include "alert_dialog.h"

#include "platform/control_characters.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace vontal {

namespace {

// Word wrapping breaks lines only between words; a name of 248 letters without a space would
// make the dialog as wide as the name. A zero-width space after every so many letters of a
// long run gives the wrap a place to break, and shows nothing. A name the dialog is sized for
// never gets one.
constexpr int kLongestUnbrokenRun = AlertDialog::kNameShownWhole;
constexpr char16_t kZeroWidthSpace = 0x200B;

// The message as shown: controls made visible, long runs breakable.
QString displayedMessage(const std::string& message) {
    const QString visible = QString::fromStdString(showControlCharacters(message));
    QString shown;
    shown.reserve(visible.size() + visible.size() / kLongestUnbrokenRun);
    int run = 0;
    for (const QChar c : visible) {
        if (c.isSpace()) {
            run = 0;
        } else if (++run > kLongestUnbrokenRun && !c.isLowSurrogate()) {
            shown += QChar(kZeroWidthSpace);
            run = 1;
        }
        shown += c;
    }
    return shown;
}

// The device link words its alerts in English; they are translated here, where they are
// shown. Marked so that the translation tools collect them.
constexpr const char* kContext = "PasswordAlert";
[[maybe_unused]] constexpr const char* kDeviceLinkTexts[] = {
    QT_TRANSLATE_NOOP("PasswordAlert", "Enter password for %1"),
    QT_TRANSLATE_NOOP("PasswordAlert", "Incorrect password for %1"),
    QT_TRANSLATE_NOOP("PasswordAlert", "Shown in vontal as %1"),
    QT_TRANSLATE_NOOP("PasswordAlert", "OK"),
    QT_TRANSLATE_NOOP("PasswordAlert", "Retry"),
    QT_TRANSLATE_NOOP("PasswordAlert", "Cancel"),
};

QString translated(const std::string& text) {
    return QCoreApplication::translate(kContext, text.c_str());
}

// The message in the user's language, the subject put in as it is: one substitution, so a "%2"
// in a device's name stays. A translation that lost the placeholder is not used, since the
// message would no longer say which device it is about.
std::string localizedMessage(const AlertRequest& request) {
    if (request.messageFormat.empty())
        return request.messageText;
    const QString format = translated(request.messageFormat);
    if (!format.contains(QLatin1String("%1")))
        return request.messageText;
    return format.arg(QString::fromStdString(request.subject)).toStdString();
}

// The second line in the user's language, or nothing. Its subject is put in the same way.
QString localizedDetail(const AlertRequest& request) {
    if (request.detailFormat.empty())
        return {};
    QString format = translated(request.detailFormat);
    if (!format.contains(QLatin1String("%1")))
        format = QString::fromStdString(request.detailFormat);
    return displayedMessage(
        format.arg(QString::fromStdString(request.detailSubject)).toStdString());
}

// The request with its subject cut to the length of name the dialog is sized for: the text
// whose one-line width the message gets.
AlertRequest withNameShownWhole(AlertRequest request) {
    const QString subject = QString::fromStdString(request.subject);
    if (request.messageFormat.empty() || subject.size() <= AlertDialog::kNameShownWhole)
        return request;
    int cut = AlertDialog::kNameShownWhole;
    if (subject.at(cut).isLowSurrogate())
        --cut;
    request.subject = subject.left(cut).toStdString();
    return request;
}

// The width the text takes on one line in this font, as the label lays it out (fractional
// advances rounded up, so that the line does not wrap by a fraction of a pixel).
int oneLineWidth(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    const int laidOut = line.isValid() ? static_cast<int>(std::ceil(line.naturalTextWidth())) : 0;
    return std::max(laidOut, QFontMetrics(font).horizontalAdvance(text)) + 1;
}

// What the window manager's title bar needs: the title, measured bold as many themes draw it,
// and beside it the icon and the buttons, each about as wide as the title's line is high, with
// some space on either side.
int titleBarWidth(const QString& title) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics metrics(font);
    constexpr int kTitleBarItems = 5;
    return oneLineWidth(title, font) + kTitleBarItems * metrics.height();
}

} // namespace

QString AlertDialog::localizedTitle() {
    return QCoreApplication::translate(kContext, kWindowTitle);
}

int AlertDialog::maximumDialogWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QWIDGETSIZE_MAX;
    return screen->availableGeometry().width() * kScreenShareNumerator / kScreenShareDenominator;
}

AlertDialog::AlertDialog(const AlertRequest& request, QWidget* parent)
    : QDialog(parent), buttonCount_(static_cast<int>(request.buttons.size())) {
    setObjectName(QString::fromLatin1(kObjectName));
    setWindowTitle(localizedTitle());
    // Modal to no window (it has none as parent): an application-modal alert would shut the
    // windows and the tray off, and with them Disconnect and Quit, for as long as it waits.
    setWindowModality(Qt::WindowModal);

    auto* message = new QLabel(displayedMessage(localizedMessage(request)), this);
    message->setObjectName(QString::fromLatin1(kMessageObjectName));
    // The message carries the device's advertised name, which must never be read as markup.
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);

    QLabel* detail = nullptr;
    if (const QString detailText = localizedDetail(request); !detailText.isEmpty()) {
        detail = new QLabel(detailText, this);
        detail->setObjectName(QString::fromLatin1(kDetailObjectName));
        detail->setTextFormat(Qt::PlainText);
        detail->setWordWrap(true);
    }

    field_ = new QLineEdit(this);
    field_->setObjectName(QString::fromLatin1(kFieldObjectName));
    field_->setEchoMode(QLineEdit::Password);
    field_->setFixedSize(request.fieldWidth, request.fieldHeight);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int index = 0; index < buttonCount_; ++index) {
        auto* button =
            new QPushButton(translated(request.buttons[static_cast<std::size_t>(index)]), this);
        button->setObjectName(QString::fromLatin1(kButtonObjectNamePrefix) +
                              QString::number(index));
        button->setAutoDefault(false);
        button->setDefault(index == 0);
        connect(button, &QPushButton::clicked, this, [this, index] { choose(index); });
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    if (detail)
        layout->addWidget(detail);
    layout->addWidget(field_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // A word-wrapped label asks for a width of its own choosing, too narrow for most titles and
    // names; the width comes from what the texts need in the fonts they are shown in.
    const QMargins margins = layout->contentsMargins();
    const int sides = margins.left() + margins.right();
    const QString measured = displayedMessage(localizedMessage(withNameShownWhole(request)));
    const int wanted =
        std::max(oneLineWidth(measured, message->font()), titleBarWidth(windowTitle()) - sides);
    message->setFixedWidth(std::max(1, std::min(wanted, maximumDialogWidth() - sides)));
    if (detail)
        detail->setFixedWidth(message->maximumWidth());

    field_->setFocus();
}

QString AlertDialog::fieldText() const {
    return field_->text();
}

void AlertDialog::choose(int index) {
    response_ = kAlertFirstButtonReturn + index;
    done(index == 0 ? QDialog::Accepted : QDialog::Rejected);
}

void AlertDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The alert interrupts whatever the user was doing elsewhere; bring it where the keys go.
    raise();
    activateWindow();
}

void AlertDialog::reject() {
    // Escape or the window's close box: never the accepting button.
    response_ = kAlertFirstButtonReturn + std::max(1, buttonCount_ - 1);
    QDialog::reject();
}

} // namespace vontal
