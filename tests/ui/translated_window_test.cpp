// Every shipped language on a real X server with the fonts a desktop has: the window at its
// smallest and the password alerts the device link asks for show the translated texts, whole,
// with a glyph for every character, and the device's name exactly as it is.

#include "platform/qt/services/alert_dialog.h"
#include "ui/content_view.h"
#include "ui/device_list_view.h"
#include "ui/launch_at_login_block.h"
#include "ui/main_window.h"
#include "ui_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QTest>
#include <QTextLayout>
#include <QTranslator>
#include <cstdlib>
#include <map>

namespace vontal {
namespace {

// What a reader of each family expects to see; the other languages are held to the catalogue.
struct Expected {
    QString connected, discovered, connect, disconnect, launchOnLogin, file;
    QString title, enterPassword, incorrectPassword, retry, cancel;
};
const std::map<QString, Expected> kExpected{
    {"de",
     {"Verbunden", "Gefunden", "Verbinden", "Trennen", "Beim Anmelden starten", "&Datei",
      "vontal-Passwort", "Passwort für Vontal Pad eingeben", "Falsches Passwort für Vontal Pad",
      "Erneut versuchen", "Abbrechen"}},
    {"ja",
     {"接続済み", "検出済み", "接続", "切断", "ログイン時に起動", "ファイル(&F)",
      "vontal のパスワード", "Vontal Pad のパスワードを入力してください",
      "Vontal Pad のパスワードが正しくありません", "再試行", "キャンセル"}},
    {"zh_CN",
     {"已连接", "已发现", "连接", "断开连接", "登录时启动", "文件(&F)", "vontal 密码",
      "输入 Vontal Pad 的密码", "Vontal Pad 的密码不正确", "重试", "取消"}},
};

// Characters the fonts have no glyph for: drawn as empty boxes.
QString missingGlyphs(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QString missing;
    for (const QGlyphRun& run : layout.glyphRuns())
        for (quint32 glyph : run.glyphIndexes())
            if (glyph == 0)
                missing += QStringLiteral("[.notdef in %1]").arg(run.rawFont().familyName());
    return missing;
}

// The text is drawn whole inside the widget: wide enough for it, and inside the window.
void expectWhole(const QWidget* widget, const QString& text, const QWidget* window) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(missingGlyphs(text, widget->font()), QString());
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width());
    else
        EXPECT_LE(widget->sizeHint().width(), widget->width());
    const QRect inWindow(widget->mapTo(window, QPoint(0, 0)), widget->size());
    EXPECT_TRUE(window->rect().contains(inWindow))
        << inWindow.right() << " past " << window->width();
}

class TranslatedWindow : public UiFixture, public ::testing::WithParamInterface<const char*> {
protected:
    TranslatedWindow() {
        EXPECT_TRUE(translator_.load(QStringLiteral("vontal_") + GetParam(),
                                     QStringLiteral(VONTAL_CATALOGUE_DIR)));
        QCoreApplication::installTranslator(&translator_);
    }
    ~TranslatedWindow() override { QCoreApplication::removeTranslator(&translator_); }

    QString language() const { return QString::fromLatin1(GetParam()); }
    QString translated(const char* context, const char* source) const {
        return translator_.translate(context, source);
    }

    QTranslator translator_;
};

TEST_P(TranslatedWindow, TextsShowTranslatedAndWholeAtTheSmallestSize) {
    addDevice(0x01, "Vontal Pad", "1234");
    addDevice(0x02, "Lamp");
    sim.alerts.accept("wrong");
    sim.alerts.accept("1234");
    settle();

    auto* content = new ContentView(*manager, loginItems, uiDiagnostics);
    MainWindow window(
        content, [] {}, [] {});
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    settle();
    // Connect the pad from its row: the device link asks for its password twice.
    const DeviceListView& discovered = *content->discoveredList();
    ASSERT_EQ(discovered.rowCount(), 2);
    clickRowButton(discovered, rowName(discovered, 0).startsWith("Vontal Pad") ? 0 : 1);
    settle();
    ASSERT_EQ(content->connectedList()->rowCount(), 1);

    // The smallest the window goes; the window manager answers the resize in its own time.
    window.resize(1, 1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window.centralWidget()->width() == ContentView::kMinimumWidth; }, 10000))
        << window.centralWidget()->width();
    settle();

    const QCheckBox* toggle = content->launchAtLoginBlock()->findChild<QCheckBox*>();
    ASSERT_NE(toggle, nullptr);
    const QPushButton* disconnect = content->connectedList()->row(0)->button();
    const QPushButton* connect = discovered.row(0)->button();
    const QString file = window.menuBar()->actions().value(0)->text();
    for (const auto& [widget, text] : std::vector<std::pair<const QWidget*, QString>>{
             {content->connectedHeader(), content->connectedHeader()->text()},
             {content->discoveredHeader(), content->discoveredHeader()->text()},
             {disconnect, disconnect->text()},
             {connect, connect->text()},
             {toggle, toggle->text()}})
        expectWhole(widget, text, &window);
    EXPECT_EQ(missingGlyphs(file, window.menuBar()->font()), QString());

    // The alerts the device link asked for, shown as the application shows them.
    const std::vector<AlertRequest> requests = sim.alerts.requests();
    ASSERT_EQ(requests.size(), 2u);
    std::vector<QStringList> shown;
    for (const AlertRequest& request : requests) {
        AlertDialog dialog(request);
        dialog.show();
        turnQtLoop();
        const auto* message = dialog.findChild<QLabel*>(AlertDialog::kMessageObjectName);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(missingGlyphs(message->text(), message->font()), QString());
        EXPECT_TRUE(message->text().contains(QStringLiteral("Vontal Pad")));
        QStringList texts{dialog.windowTitle(), message->text()};
        for (int index = 0; index < 2; ++index) {
            const auto* button =
                dialog.findChild<QPushButton*>(QStringLiteral("alertButton%1").arg(index));
            ASSERT_NE(button, nullptr);
            expectWhole(button, button->text(), &dialog);
            texts << button->text();
        }
        shown.push_back(texts);
    }
    // Nothing of the English is left but "OK", which most languages say as it is.
    for (std::size_t index = 0; index < requests.size(); ++index) {
        const AlertRequest& request = requests[index];
        const QStringList english{
            AlertDialog::kWindowTitle, QString::fromStdString(request.messageText),
            QString::fromStdString(request.buttons[0]), QString::fromStdString(request.buttons[1])};
        for (int part = 0; part < english.size(); ++part)
            if (english[part] != "OK") {
                EXPECT_NE(shown[index][part], english[part]);
            }
    }

    const auto expected = kExpected.find(language());
    if (expected == kExpected.end())
        return;
    const Expected& e = expected->second;
    EXPECT_EQ(content->connectedHeader()->text(), e.connected);
    EXPECT_EQ(content->discoveredHeader()->text(), e.discovered);
    EXPECT_EQ(connect->text(), e.connect);
    EXPECT_EQ(disconnect->text(), e.disconnect);
    EXPECT_EQ(toggle->text(), e.launchOnLogin);
    EXPECT_EQ(file, e.file);
    EXPECT_EQ(shown[0],
              (QStringList{e.title, e.enterPassword, translated("PasswordAlert", "OK"), e.cancel}));
    EXPECT_EQ(shown[1], (QStringList{e.title, e.incorrectPassword, e.retry, e.cancel}));
}

// The longest name the alert is sized for, in the widest letters, with the alert's title in
// the title bar's font: all of it shows on one line, no wider than the screen allows.
TEST_P(TranslatedWindow, PasswordAlertHoldsItsTitleAndALongNameUnbroken) {
    const std::string name(AlertDialog::kNameShownWhole, 'W');
    const std::vector<AlertRequest> requests{
        {"Enter password for " + name, {"OK", "Cancel"}, 200, 24, "Enter password for %1", name},
        {"Incorrect password for " + name,
         {"Retry", "Cancel"},
         200,
         24,
         "Incorrect password for %1",
         name}};
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    const QFontMetrics titleMetrics(titleFont);
    for (const AlertRequest& request : requests) {
        SCOPED_TRACE(request.messageFormat);
        AlertDialog dialog(request);
        dialog.show();
        turnQtLoop();
        const auto* message = dialog.findChild<QLabel*>(AlertDialog::kMessageObjectName);
        ASSERT_NE(message, nullptr);
        const QString text = message->text();
        // Translated, with the name in it whole: no break point was put inside it.
        EXPECT_NE(text.toStdString(), request.messageText);
        EXPECT_TRUE(text.contains(QString::fromStdString(name))) << text.toStdString();
        // One line, as wide as it is drawn.
        expectWhole(message, text, &dialog);
        EXPECT_LT(message->heightForWidth(message->width()),
                  2 * message->fontMetrics().lineSpacing());
        // The title with room for the title bar's close button and its neighbours.
        EXPECT_GE(dialog.width(),
                  titleMetrics.horizontalAdvance(dialog.windowTitle()) + 3 * titleMetrics.height())
            << dialog.windowTitle().toStdString();
        EXPECT_LE(dialog.frameGeometry().width(), screen.width() *
                                                      AlertDialog::kScreenShareNumerator /
                                                      AlertDialog::kScreenShareDenominator);
        for (int index = 0; index < 2; ++index) {
            const auto* button =
                dialog.findChild<QPushButton*>(QStringLiteral("alertButton%1").arg(index));
            ASSERT_NE(button, nullptr);
            expectWhole(button, button->text(), &dialog);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, TranslatedWindow,
                         ::testing::Values("de", "fr", "es", "it", "pt_BR", "ja", "zh_CN"));

} // namespace
} // namespace vontal

// Only here: it brings a vontal::testing namespace that the fixtures' "testing::" must not see.
#include "tests/support/desktop/x_session.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char pattern[] = "/tmp/vontal-l10n-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    std::unique_ptr<vontal::testing::XSession> session;
    try {
        session = std::make_unique<vontal::testing::XSession>(std::filesystem::path(pattern));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "no X server: %s\n", error.what());
        return 1;
    }
    setenv("DISPLAY", session->display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    int result = 1;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    session.reset();
    std::filesystem::remove_all(pattern);
    return result;
}
